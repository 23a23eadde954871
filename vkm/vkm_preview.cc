#include "vkm/vkm_preview.h"

#include <array>

#include "bmp/bmp_headers.h"
#include "png/png_codec.h"

namespace quillpix {

PixelCensus takeCensus(const VkmImage& image) {
  PixelCensus census;
  std::array<bool, 256> used{};
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t index = image.pixelIndex(x, y);
      used[index] = true;
      if (index < image.colours.size()) continue;
      if (census.beyondPalette++ == 0) {
        census.firstX = x;
        census.firstY = y;
        census.firstIndex = index;
      }
    }
  }
  for (int index = 0; index < 256; ++index) {
    if (!used[index]) continue;
    ++census.distinctIndices;
    census.highestIndex = index;
  }
  return census;
}

std::vector<Rgb8> previewPalette(const VkmImage& image, const PixelCensus& census) {
  std::vector<Rgb8> palette;
  for (uint16_t word : image.colours) {
    const ColourLevels levels = colourLevels(word);
    palette.push_back(
        {expandLevel(levels.red), expandLevel(levels.green), expandLevel(levels.blue)});
  }
  while (static_cast<int>(palette.size()) <= census.highestIndex) palette.push_back(kMissingColour);
  return palette;
}

std::optional<std::vector<uint8_t>> encodePreviewPng(const VkmImage& image,
                                                     const std::vector<Rgb8>& palette) {
  PngFormat format;
  format.width = image.width;
  format.height = image.height;
  format.bitDepth = 8;
  format.colourType = PngColourType::kPalette;
  format.palette = palette;
  return encodePng(format, [&](uint32_t y, uint8_t* row) {
    for (uint32_t x = 0; x < image.width; ++x) row[x] = image.pixelIndex(x, y);
  });
}

std::vector<uint8_t> encodePreviewBmp(const VkmImage& image, const std::vector<Rgb8>& palette) {
  const uint16_t bitCount = image.pixelFormat == 1 ? 4 : 8;
  const uint32_t rowSize = bmpRowSize(bitCount, image.width);
  BmpHeaderFields fields;
  fields.biWidth = image.width;
  fields.biHeight = image.height;
  fields.biBitCount = bitCount;
  fields.biClrUsed = static_cast<uint32_t>(palette.size());
  fields.bfOffBits = 54 + 4 * fields.biClrUsed;
  fields.biSizeImage = rowSize * image.height;
  fields.bfSize = fields.bfOffBits + fields.biSizeImage;

  std::vector<uint8_t> file;
  file.reserve(fields.bfSize);
  appendBmpHeaders(file, fields);
  for (const Rgb8& colour : palette) appendBmpColour(file, colour.red, colour.green, colour.blue);
  // Stored rows run bottom-up; each takes the VKM row's pixel bytes, pad byte dropped.
  for (uint32_t stored = 0; stored < image.height; ++stored) {
    const uint8_t* row = image.pixels.data() + size_t{image.height - 1 - stored} * image.rowLength;
    file.insert(file.end(), row, row + image.workWidth());
    file.resize(file.size() + rowSize - image.workWidth(), 0);
  }
  return file;
}

}  // namespace quillpix
