#include "png/png_image.h"

#include <cstring>

#include "bmp/bmp_image.h"
#include "bmp/byte_buffer.h"
#include "bmp/stored_rows.h"

namespace quillpix {
const char* colourTypeName(PngColourType type) {
  switch (type) {
    case PngColourType::kGrey:
      return "grayscale";
    case PngColourType::kRgb:
      return "RGB";
    case PngColourType::kPalette:
      return "palette";
    case PngColourType::kGreyAlpha:
      return "grayscale + alpha";
    case PngColourType::kRgba:
      return "RGBA";
  }
  return "unknown";
}

void printPngHeader(const PngFormat& format, std::FILE* out) {
  std::fprintf(out, "\nPNG header:\n%s", kReportRule);
  std::fprintf(out, "  image width: %u px\n", format.width);
  std::fprintf(out, "  image heigth: %u px\n", format.height);
  std::fprintf(out, "  bits/pixel: %d\n", format.bitsPerPixel());
  std::fprintf(out, "  bit depth: %d\n", format.bitDepth);
  std::fprintf(out, "  color type: %d (%s)\n", static_cast<int>(format.colourType),
               colourTypeName(format.colourType));
  std::fprintf(out, "  interlace: %s\n", format.interlaced ? "1 (Adam7)" : "0 (none)");
  std::fprintf(out, "  palette entries: %zu\n", format.palette.size());
  if (!format.paletteAlpha.empty()) {
    std::fprintf(out, "  transparency: palette alpha (%zu entries)\n", format.paletteAlpha.size());
  } else if (format.transparentSamples && format.colourType == PngColourType::kGrey) {
    std::fprintf(out, "  transparency: gray %u\n", (*format.transparentSamples)[0]);
  } else if (format.transparentSamples) {
    std::fprintf(out, "  transparency: RGB %u,%u,%u\n", (*format.transparentSamples)[0],
                 (*format.transparentSamples)[1], (*format.transparentSamples)[2]);
  } else {
    std::fprintf(out, "  transparency: none\n");
  }
  std::fprintf(out, "\n");
}

bool hasIndexSamples(const PngFormat& format) {
  return format.colourType == PngColourType::kPalette ||
         (format.colourType == PngColourType::kGrey && format.bitDepth <= 8);
}

std::vector<Rgb8> indexedColours(const PngFormat& format) {
  if (format.colourType == PngColourType::kPalette) return format.palette;
  const int levels = 1 << format.bitDepth;
  std::vector<Rgb8> greys;
  for (int value = 0; value < levels; ++value) {
    const uint8_t grey = static_cast<uint8_t>(value * 255 / (levels - 1));
    greys.push_back({grey, grey, grey});
  }
  return greys;
}

std::optional<uint8_t> transparentIndex(const PngFormat& format) {
  for (size_t i = 0; i < format.paletteAlpha.size(); ++i) {
    if (format.paletteAlpha[i] == 0) return static_cast<uint8_t>(i);
  }
  if (format.colourType == PngColourType::kGrey && format.transparentSamples &&
      (*format.transparentSamples)[0] < (1u << format.bitDepth)) {
    return static_cast<uint8_t>((*format.transparentSamples)[0]);
  }
  return std::nullopt;
}

PngRowsStatus readIndexRows(PngReader& reader, std::optional<PixelBlock>& block) {
  const PngFormat& format = reader.format();
  const uint32_t width = format.width;
  const uint32_t workWidth = workWidthFor(width, format.bitDepth < 8);
  block = PixelBlock::allocate(format.height, workWidth);
  if (!block) return PngRowsStatus::kNoMemory;

  // 4- and 8-bit rows are already in the output's packing and are read straight into the
  // block; 1- and 2-bit rows are read packed and unpacked to one index a nibble afterwards.
  const bool unpack = format.bitDepth < 4;
  const uint64_t packedBytes = unpack ? format.rowBytes() * format.height : 0;
  std::optional<ByteBuffer> packed = ByteBuffer::allocate(static_cast<size_t>(packedBytes));
  if (!packed) return PngRowsStatus::kNoMemory;
  std::vector<uint8_t*> rows(format.height);
  for (uint32_t y = 0; y < format.height; ++y) {
    rows[y] = unpack ? packed->data() + y * format.rowBytes() : block->rowToFill(y);
  }
  if (!reader.readRows(rows)) return PngRowsStatus::kBroken;

  for (uint32_t y = 0; y < format.height; ++y) {
    uint8_t* row = block->rowToFill(y);
    if (unpack) {
      unpackToNibbles(rows[y], static_cast<uint16_t>(format.bitDepth), width, row);
    } else if (format.bitDepth == 4 && (width & 1)) {
      row[workWidth - 1] &= 0xF0;  // the nibble past the last pixel holds no pixel
    }
    if (workWidth & 1) row[workWidth] = 0;
  }
  return PngRowsStatus::kRead;
}

}  // namespace quillpix
