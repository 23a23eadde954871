#include "convert/pixel_rows.h"

#include <cstdlib>
#include <cstring>

namespace quillpix {
namespace {

// Writes one output row as "#XX," items and a line end, formatted into one buffer so that a
// large dump costs one write per row rather than one formatted print per byte.
class RowDumper {
 public:
  explicit RowDumper(std::FILE* out) : out_(out) {}

  bool reserve(size_t rowLength) {
    text_ = ByteBuffer::allocate(4 * rowLength + 1);
    return text_.has_value();
  }

  void dump(const uint8_t* row, size_t rowLength) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    uint8_t* cursor = text_->data();
    for (size_t i = 0; i < rowLength; ++i) {
      cursor[0] = '#';
      cursor[1] = static_cast<uint8_t>(kHex[row[i] >> 4]);
      cursor[2] = static_cast<uint8_t>(kHex[row[i] & 0x0F]);
      cursor[3] = ',';
      cursor += 4;
    }
    *cursor++ = '\n';
    std::fwrite(text_->data(), 1, static_cast<size_t>(cursor - text_->data()), out_);
  }

 private:
  std::FILE* out_;
  std::optional<ByteBuffer> text_;
};

}  // namespace

RowLayout computeRowLayout(const BmpImage& image) {
  RowLayout layout;
  const uint32_t width = image.biWidth;
  layout.workWidth = image.biBitCount == 8 ? width : (width >> 1) + (width & 1);
  const uint64_t rowBits = uint64_t{image.biBitCount} * width;
  layout.rowSize = static_cast<uint32_t>(((rowBits + 31) >> 5) * 4);
  layout.rows = static_cast<uint32_t>(std::llabs(int64_t{image.biHeight}));
  layout.topDown = image.biHeight < 0;
  return layout;
}

std::optional<PixelBlock> convertPixelRows(const BmpImage& image, bool debug, std::FILE* out) {
  std::fprintf(out, "\nBMP Bitmap data...\n%s", kReportRule);
  std::fprintf(out, "Bitmap bits - %d \n", static_cast<int>(image.biBitCount));
  if (image.biBitCount != 4 && image.biBitCount != 8) {
    std::fprintf(out, "Error: support only 16 & 256 colors bmp!\n");
    return std::nullopt;
  }
  const RowLayout layout = computeRowLayout(image);
  if (uint64_t{image.biWidth} * layout.rows == 0) {
    std::fprintf(out, "Error: Wrong bitmap legth!\n");
    return std::nullopt;
  }
  if (image.biWidth > kMaxDimension || layout.rows > kMaxDimension) {
    std::fprintf(out, "Error: Bitmap too large, max 65535 x 65535 px!\n");
    return std::nullopt;
  }

  const uint64_t dataLength = uint64_t{layout.rows} * layout.workWidth;
  // The report prints these 32-bit values through %d, as their signed reading.
  std::fprintf(out, "workWidth - %d\n", static_cast<int>(static_cast<int32_t>(layout.workWidth)));
  std::fprintf(out, "Bitmap data length - %d bytes\n",
               static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(dataLength))));
  std::fprintf(out, "Bitmap rowSize - %d bytes\n",
               static_cast<int>(static_cast<int32_t>(layout.rowSize)));

  const uint64_t lastByteRead =
      uint64_t{image.bfOffBits} + uint64_t{layout.rows - 1} * layout.rowSize + layout.workWidth - 1;
  if (lastByteRead >= static_cast<uint64_t>(image.length)) {
    std::fprintf(out, "Error: Wrong bitmap legth!\n");
    return std::nullopt;
  }

  PixelBlock block;
  block.rows = layout.rows;
  block.rowLength = layout.workWidth + (layout.workWidth & 1);
  std::optional<ByteBuffer> bytes =
      ByteBuffer::allocate(static_cast<size_t>(uint64_t{block.rows} * block.rowLength));
  RowDumper dumper(out);
  if (!bytes || (debug && !dumper.reserve(block.rowLength))) {
    std::fprintf(out, "Error: Not enough memory.\n");
    return std::nullopt;
  }
  block.bytes = std::move(*bytes);

  const uint8_t* pixels = image.data.data() + image.bfOffBits;
  uint8_t* target = block.bytes.data();
  for (uint32_t i = 0; i < layout.rows; ++i, target += block.rowLength) {
    // Bottom-up files store the top row last.
    const uint32_t storedRow = layout.topDown ? i : layout.rows - 1 - i;
    std::memcpy(target, pixels + uint64_t{storedRow} * layout.rowSize, layout.workWidth);
    if (layout.workWidth & 1) target[layout.workWidth] = 0;
    if (debug) dumper.dump(target, block.rowLength);
  }
  return block;
}

}  // namespace quillpix
