// The output's pixel rows: top row first, `workWidth` bytes of pixels each, followed by one zero
// byte when workWidth is odd so that every row has an even length.
#ifndef QUILLPIX_CONVERT_PIXEL_BLOCK_H_
#define QUILLPIX_CONVERT_PIXEL_BLOCK_H_

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "bmp/byte_buffer.h"

namespace quillpix {

// Bytes of an output row that hold `width` pixels: one a nibble, or one a byte.
inline uint32_t workWidthFor(uint32_t width, bool nibbles) {
  return nibbles ? (width >> 1) + (width & 1) : width;
}

// Rows of pixel format 1 hold two indices a byte, the left pixel in the high nibble.
inline uint8_t nibbleAt(const uint8_t* row, uint32_t x) {
  return x & 1 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
}
inline void setNibble(uint8_t* row, uint32_t x, uint8_t index) {
  uint8_t& byte = row[x / 2];
  byte = x & 1 ? static_cast<uint8_t>((byte & 0xF0) | index)
               : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
}

// The rows either lie in a buffer of their own, pad bytes included (decoded rows), or are read
// in place wherever they already lie, such as the stored rows of the loaded file; the pad byte
// is then supplied when the rows are written.
class PixelBlock {
 public:
  PixelBlock() = default;

  // A block of `rows` rows in a buffer of its own, each row `rowLength()` bytes with its pad byte
  // included; the contents are unspecified. Nothing when memory is short.
  static std::optional<PixelBlock> allocate(uint32_t rows, uint32_t workWidth);

  // A block whose row i is the `workWidth` bytes at `topRow + i * stride` (stride may be
  // negative). The bytes must outlive the block.
  static PixelBlock inPlace(const uint8_t* topRow, int64_t stride, uint32_t rows,
                            uint32_t workWidth);

  // Bytes per output row: workWidth rounded up to an even number.
  static uint32_t rowLengthFor(uint32_t workWidth) { return workWidth + (workWidth & 1); }

  uint32_t rows() const { return rows_; }
  uint32_t workWidth() const { return workWidth_; }
  uint32_t rowLength() const { return rowLengthFor(workWidth_); }
  // The block's length in the output file, pad bytes included.
  uint64_t length() const { return uint64_t{rows_} * rowLength(); }

  // The workWidth pixel bytes of row `index`, 0 being the top row.
  const uint8_t* row(uint32_t index) const { return topRow_ + int64_t{index} * stride_; }
  // Row `index` of a block made by allocate(), to be filled: rowLength() bytes, pad included.
  uint8_t* rowToFill(uint32_t index) { return ownRows_.data() + uint64_t{index} * rowLength(); }

  // The block as the output file holds it, in order: runs of bytes that lie next to each other
  // in memory are one span, and each pad byte is a span over a shared zero byte.
  std::vector<std::span<const uint8_t>> outputSpans() const;

 private:
  uint32_t rows_ = 0;
  uint32_t workWidth_ = 0;
  const uint8_t* topRow_ = nullptr;
  int64_t stride_ = 0;
  ByteBuffer ownRows_;  // empty for rows read in place
};

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PIXEL_BLOCK_H_
