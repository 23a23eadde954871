#include "vkm/vkm_reader.h"

#include <cstdio>

#include "bmp/byte_order.h"
#include "vkm/vkm_writer.h"

namespace quillpix {

VkmDecodeResult decodeVkmFile(std::span<const uint8_t> file) {
  VkmDecodeResult result;
  auto fail = [&](std::string error) {
    result.error = std::move(error);
    return result;
  };
  if (file.size() < kVkmHeaderSize) {
    return fail("file of " + std::to_string(file.size()) +
                " bytes is shorter than the 16-byte header");
  }
  if (file[0] != 0x7F || file[1] != 'V' || file[2] != 'K' || file[3] != 'M') {
    return fail("not a VKM file (wrong magic bytes)");
  }
  if (file[4] != kVkmVersion) {
    return fail("unsupported VKM version " + std::to_string(file[4]) + " (only 3 is known)");
  }
  VkmImage& image = result.image;
  image.backgroundIndex = file[5];
  image.pixelFormat = file[7];
  if (image.pixelFormat != 1 && image.pixelFormat != 2) {
    return fail("unknown pixel format " + std::to_string(image.pixelFormat));
  }
  image.width = readLe16(file, 8);
  image.height = readLe16(file, 10);
  if (image.width == 0 || image.height == 0) {
    return fail("empty image of " + std::to_string(image.width) + " x " +
                std::to_string(image.height) + " px");
  }
  // Both offsets count from the end of their own field.
  const uint32_t paletteStart = 14u + readLe16(file, 12);
  const uint32_t pixelStart = 16u + readLe16(file, 14);
  if (paletteStart < kVkmHeaderSize) return fail("palette offset points into the header");
  if (pixelStart < paletteStart || (pixelStart - paletteStart) % 2 != 0 ||
      pixelStart - paletteStart < 2 || pixelStart - paletteStart > 512) {
    return fail("palette of " + std::to_string(int64_t{pixelStart} - paletteStart) +
                " bytes (must be 2 to 512, even)");
  }
  if (file.size() < pixelStart) {
    return fail("truncated: the palette ends at byte " + std::to_string(pixelStart) +
                ", the file at byte " + std::to_string(file.size()));
  }
  for (uint32_t at = paletteStart; at < pixelStart; at += 2) {
    const uint16_t word = readLe16(file, at);
    const ColourLevels levels = colourLevels(word);
    if ((word & 0x8000) != 0 || levels.red > 24 || levels.green > 24 || levels.blue > 24) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "%04X", word);
      return fail("colour " + std::to_string(image.colours.size()) + " (word 0x" + hex +
                  ") is not a colour word: bit 15 set or a level above 24");
    }
    image.colours.push_back(word);
  }
  image.rowLength = image.workWidth() + (image.workWidth() & 1);
  const uint64_t expectedLength = uint64_t{pixelStart} + uint64_t{image.rowLength} * image.height;
  if (file.size() < expectedLength) {
    return fail("truncated: " + std::to_string(image.height) + " rows need " +
                std::to_string(expectedLength) + " bytes, the file has " +
                std::to_string(file.size()));
  }
  if (file.size() > expectedLength) {
    return fail(std::to_string(file.size() - expectedLength) +
                " unexpected bytes after the last pixel row");
  }
  image.pixels = file.subspan(pixelStart);
  result.ok = true;
  return result;
}

}  // namespace quillpix
