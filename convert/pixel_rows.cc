#include "convert/pixel_rows.h"

#include <cstdlib>
#include <cstring>

#include "bmp/rle_decoder.h"
#include "bmp/stored_rows.h"

namespace quillpix {
namespace {

constexpr char kWrongBitmapLength[] = "Error: Wrong bitmap legth!\n";

void printNotEnoughMemory(std::FILE* out) {
  std::fprintf(out, "Error: Not enough memory.\n");
}

// A block whose pixels all hold `index` (one a byte, or one a nibble when `nibbles`), with the
// unused last nibble of an odd-width 4-bit row and every pad byte 0.
std::optional<PixelBlock> filledBlock(const RowLayout& layout, uint32_t width, bool nibbles,
                                      uint8_t index) {
  std::optional<PixelBlock> block = PixelBlock::allocate(layout.rows, layout.workWidth);
  if (!block) return std::nullopt;
  const uint8_t fill = nibbles ? static_cast<uint8_t>(index << 4 | index) : index;
  const uint32_t workWidth = layout.workWidth;
  for (uint32_t i = 0; i < block->rows(); ++i) {
    uint8_t* row = block->rowToFill(i);
    std::memset(row, fill, workWidth);
    if (nibbles && (width & 1)) row[workWidth - 1] &= 0xF0;
    if (workWidth & 1) row[workWidth] = 0;
  }
  return block;
}

std::span<const uint8_t> bytesFrom(const BmpImage& image, uint64_t offset) {
  const std::span<const uint8_t> bytes = image.bytes();
  return offset < bytes.size() ? bytes.subspan(static_cast<size_t>(offset))
                               : std::span<const uint8_t>();
}

constexpr char kNotEnoughMemory[] = "Error: Not enough memory.\n";

DecodedRows decodeRunLengthImage(const BmpImage& image, const RowLayout& layout,
                                 uint8_t backgroundIndex) {
  if (layout.topDown) return {std::nullopt, "Error: RLE bitmap stored top-down is not allowed.\n"};
  const bool rle4 = image.biCompression == kCompressionRle4;
  // Skipped pixels are how run-length writers mark background.
  const uint8_t skipped = rle4 && backgroundIndex >= 16 ? 0 : backgroundIndex;
  std::optional<PixelBlock> block = filledBlock(layout, image.biWidth, rle4, skipped);
  if (!block) return {std::nullopt, kNotEnoughMemory};
  if (!decodeRunLengthRows(bytesFrom(image, image.bfOffBits),
                           rle4 ? RleEncoding::kRle4 : RleEncoding::kRle8, image.biWidth, *block)) {
    return {std::nullopt, "Error: RLE bitmap data is cut short (no end-of-bitmap code).\n"};
  }
  return {std::move(block), nullptr};
}

}  // namespace

StoredRows storedRowsOf(const BmpImage& image, const RowLayout& layout) {
  StoredRows stored;
  stored.pixels = bytesFrom(image, image.bfOffBits);
  stored.bitCount = image.biBitCount;
  stored.width = image.biWidth;
  stored.rowSize = layout.rowSize;
  stored.topDown = layout.topDown;
  return stored;
}

namespace {

DecodedRows decodeStoredImage(const BmpImage& image, const RowLayout& layout) {
  const StoredRows stored = storedRowsOf(image, layout);
  if (!storedRowsFit(stored, layout.rows)) return {std::nullopt, kWrongBitmapLength};
  // 4- and 8-bit rows are already in the output's packing: they are written from the loaded
  // file itself.
  if (stored.bitCount >= 4) return {storedRowsInPlace(stored, layout.rows), nullptr};
  std::optional<PixelBlock> block = PixelBlock::allocate(layout.rows, layout.workWidth);
  if (!block) return {std::nullopt, kNotEnoughMemory};
  unpackStoredRows(stored, *block);
  return {std::move(block), nullptr};
}

}  // namespace

RowLayout computeRowLayout(const BmpImage& image) {
  RowLayout layout;
  const uint32_t width = image.biWidth;
  layout.workWidth = workWidthFor(width, image.biBitCount != 8);
  const uint64_t rowBits = uint64_t{image.biBitCount} * width;
  layout.rowSize = static_cast<uint32_t>(((rowBits + 31) >> 5) * 4);
  layout.rows = static_cast<uint32_t>(std::llabs(int64_t{image.biHeight}));
  layout.topDown = image.biHeight < 0;
  return layout;
}

namespace {

bool dumpPixelRows(const PixelBlock& block, std::FILE* out) {
  // Each row is formatted into one buffer so that a large dump costs one write per row rather
  // than one formatted print per byte.
  std::optional<ByteBuffer> text = ByteBuffer::allocate(4 * size_t{block.rowLength()} + 1);
  if (!text) return false;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (uint32_t i = 0; i < block.rows(); ++i) {
    const uint8_t* row = block.row(i);
    uint8_t* cursor = text->data();
    for (uint32_t x = 0; x < block.rowLength(); ++x) {
      const uint8_t byte = x < block.workWidth() ? row[x] : 0;
      cursor[0] = '#';
      cursor[1] = static_cast<uint8_t>(kHex[byte >> 4]);
      cursor[2] = static_cast<uint8_t>(kHex[byte & 0x0F]);
      cursor[3] = ',';
      cursor += 4;
    }
    *cursor++ = '\n';
    std::fwrite(text->data(), 1, static_cast<size_t>(cursor - text->data()), out);
  }
  return true;
}

}  // namespace

void printBitmapHead(uint16_t bitsPerPixel, std::FILE* out) {
  std::fprintf(out, "\nBMP Bitmap data...\n%s", kReportRule);
  std::fprintf(out, "Bitmap bits - %d \n", static_cast<int>(bitsPerPixel));
}

const char* layoutError(uint32_t width, const RowLayout& layout) {
  if (uint64_t{width} * layout.rows == 0) return kWrongBitmapLength;
  if (width > kMaxDimension || layout.rows > kMaxDimension) {
    return "Error: Bitmap too large, max 65535 x 65535 px!\n";
  }
  return nullptr;
}

bool checkAndPrintLayout(uint32_t width, const RowLayout& layout, std::FILE* out) {
  if (const char* error = layoutError(width, layout)) {
    std::fputs(error, out);
    return false;
  }
  const uint64_t dataLength = uint64_t{layout.rows} * layout.workWidth;
  // The report prints these 32-bit values through %d, as their signed reading.
  std::fprintf(out, "workWidth - %d\n", static_cast<int>(static_cast<int32_t>(layout.workWidth)));
  std::fprintf(out, "Bitmap data length - %d bytes\n",
               static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(dataLength))));
  std::fprintf(out, "Bitmap rowSize - %d bytes\n",
               static_cast<int>(static_cast<int32_t>(layout.rowSize)));
  return true;
}

DecodedRows decodeIndexRows(const BmpImage& image, const RowLayout& layout,
                            uint8_t backgroundIndex) {
  return image.isRunLengthEncoded() ? decodeRunLengthImage(image, layout, backgroundIndex)
                                    : decodeStoredImage(image, layout);
}

bool finishBitmapSection(const PixelBlock& block, bool debug, std::FILE* out) {
  if (debug && !dumpPixelRows(block, out)) {
    printNotEnoughMemory(out);
    return false;
  }
  return true;
}

std::optional<PixelBlock> convertPixelRows(const BmpImage& image, bool debug,
                                           uint8_t backgroundIndex, std::FILE* out) {
  printBitmapHead(image.biBitCount, out);
  const uint16_t bits = image.biBitCount;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8) {
    std::fprintf(out, "Error: support only 16 & 256 colors bmp!\n");
    return std::nullopt;
  }
  const RowLayout layout = computeRowLayout(image);
  if (!checkAndPrintLayout(image.biWidth, layout, out)) return std::nullopt;
  DecodedRows decoded = decodeIndexRows(image, layout, backgroundIndex);
  if (!decoded.block) {
    std::fputs(decoded.error, out);
    return std::nullopt;
  }
  if (!finishBitmapSection(*decoded.block, debug, out)) return std::nullopt;
  return std::move(decoded.block);
}

}  // namespace quillpix
