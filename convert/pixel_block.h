// The output's pixel rows: top row first, `workWidth` bytes of pixels each, followed by one zero
// byte when workWidth is odd so that every row has an even length.
#ifndef QUILLPIX_CONVERT_PIXEL_BLOCK_H_
#define QUILLPIX_CONVERT_PIXEL_BLOCK_H_

#include <cstdint>
#include <optional>
#include <span>

#include "bmp/byte_buffer.h"

namespace quillpix {

class PixelBlock {
 public:
  PixelBlock() = default;

  // A block of `rows` rows in a buffer of its own, each row `rowLength()` bytes with its pad byte
  // included; the contents are unspecified. Nothing when memory is short.
  static std::optional<PixelBlock> allocate(uint32_t rows, uint32_t workWidth) {
    const uint64_t length = uint64_t{rows} * rowLengthFor(workWidth);
    if (length > SIZE_MAX) return std::nullopt;
    std::optional<ByteBuffer> bytes = ByteBuffer::allocate(static_cast<size_t>(length));
    if (!bytes) return std::nullopt;
    PixelBlock block;
    block.rows_ = rows;
    block.workWidth_ = workWidth;
    block.bytes_ = std::move(*bytes);
    return block;
  }

  // Bytes per output row: workWidth rounded up to an even number.
  static uint32_t rowLengthFor(uint32_t workWidth) { return workWidth + (workWidth & 1); }

  uint32_t rows() const { return rows_; }
  uint32_t workWidth() const { return workWidth_; }
  uint32_t rowLength() const { return rowLengthFor(workWidth_); }
  // The block's length in the output file, pad bytes included.
  uint64_t length() const { return uint64_t{rows_} * rowLength(); }

  // Row `index` (0 is the top row): workWidth pixel bytes followed by the pad byte, if any.
  const uint8_t* row(uint32_t index) const { return bytes_.data() + uint64_t{index} * rowLength(); }
  uint8_t* row(uint32_t index) { return bytes_.data() + uint64_t{index} * rowLength(); }

  // Every row in order, as the output file holds them.
  std::span<const uint8_t> bytes() const { return bytes_.span(); }

 private:
  uint32_t rows_ = 0;
  uint32_t workWidth_ = 0;
  ByteBuffer bytes_;
};

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PIXEL_BLOCK_H_
