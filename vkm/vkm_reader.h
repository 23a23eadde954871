// Decoding and validating a VKM v3 file held in memory (layout: docs/vkm-format.md).
#ifndef QUILLPIX_VKM_VKM_READER_H_
#define QUILLPIX_VKM_VKM_READER_H_

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "convert/palette.h"
#include "convert/pixel_block.h"

namespace quillpix {

// A decoded VKM image. `pixels` points into the bytes it was decoded from.
struct VkmImage {
  uint8_t backgroundIndex = 0;
  uint8_t pixelFormat = 0;  // 1: two pixels per byte, 2: one pixel per byte
  uint16_t width = 0;
  uint16_t height = 0;
  std::vector<uint16_t> colours;  // the colour words
  uint32_t rowLength = 0;         // bytes per stored row, even
  std::span<const uint8_t> pixels;

  // The palette index of pixel (x, y), y = 0 being the top row.
  uint8_t pixelIndex(uint32_t x, uint32_t y) const {
    const uint8_t* row = pixels.data() + size_t{y} * rowLength;
    if (pixelFormat == 2) return row[x];
    return nibbleAt(row, x);
  }
  // Bytes of a row that hold pixels, without the pad byte.
  uint32_t workWidth() const { return pixelFormat == 2 ? width : (width + 1u) / 2; }
};

struct VkmDecodeResult {
  bool ok = false;
  VkmImage image;
  std::string error;  // what is wrong with the file when !ok
};

// Checks every field against the file's length before it is used; never reads outside `file`.
VkmDecodeResult decodeVkmFile(std::span<const uint8_t> file);

}  // namespace quillpix

#endif  // QUILLPIX_VKM_VKM_READER_H_
