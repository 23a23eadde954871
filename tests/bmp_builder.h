// Builds BMP files in memory with every header field under the caller's control. Defaults make
// a valid bottom-up uncompressed image with a 40-byte information header.
#ifndef QUILLPIX_TESTS_BMP_BUILDER_H_
#define QUILLPIX_TESTS_BMP_BUILDER_H_

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bmp/bmp_headers.h"
#include "bmp/byte_order.h"

namespace quillpix::testing {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
};

struct BmpBuilder {
  uint16_t bitCount = 8;
  uint32_t width = 1;
  int32_t height = 1;
  // Bytes of information header written: 12 gives the OS/2 core layout (16-bit dimensions,
  // 3-byte colour entries), 16 to 39 the usual layout cut short.
  uint32_t infoHeaderSize = 40;
  std::vector<Rgb> colours;  // the colour table, written in full
  uint8_t reservedColourByte = 0;

  // Header overrides; when unset the natural value is written.
  std::optional<uint32_t> bfSize, bfOffBits, biSize, biClrUsed, biSizeImage;
  uint16_t biPlanes = 1;
  uint32_t biCompression = 0;
  int32_t biXPelsPerMeter = 2835, biYPelsPerMeter = 2835;
  uint32_t biClrImportant = 0;

  // Stored rows in file order (row 0 is the bottom one for a positive height), each padded to
  // the 4-byte row size with `rowPadByte`. When empty, the rows are filled with `fillByte`.
  std::vector<std::vector<uint8_t>> storedRows;
  uint8_t fillByte = 0;
  uint8_t rowPadByte = 0;
  // The pixel data exactly as given (a run-length stream, say), instead of stored rows.
  std::optional<std::vector<uint8_t>> pixelData;

  uint32_t rowSize() const { return bmpRowSize(bitCount, width); }

  uint32_t rowCount() const {
    return static_cast<uint32_t>(height < 0 ? -int64_t{height} : height);
  }

  // The file header, information header and colour table, up to the pixel data offset, for a
  // file whose pixel array holds `pixelBytes` bytes.
  std::vector<uint8_t> buildHeaders(uint64_t pixelBytes) const {
    const uint32_t tableOffset = 14 + infoHeaderSize;
    const uint32_t entrySize = infoHeaderSize == 12 ? 3 : 4;
    const uint32_t pixelOffset =
        bfOffBits.value_or(tableOffset + entrySize * static_cast<uint32_t>(colours.size()));
    BmpHeaderFields fields;
    fields.bfSize = bfSize.value_or(static_cast<uint32_t>(pixelOffset + pixelBytes));
    fields.bfOffBits = pixelOffset;
    fields.biSize = biSize.value_or(infoHeaderSize);
    fields.biWidth = width;
    fields.biHeight = height;
    fields.biPlanes = biPlanes;
    fields.biBitCount = bitCount;
    fields.biCompression = biCompression;
    fields.biSizeImage = biSizeImage.value_or(static_cast<uint32_t>(pixelBytes));
    fields.biXPelsPerMeter = biXPelsPerMeter;
    fields.biYPelsPerMeter = biYPelsPerMeter;
    fields.biClrUsed = biClrUsed.value_or(static_cast<uint32_t>(colours.size()));
    fields.biClrImportant = biClrImportant;
    std::vector<uint8_t> file;
    if (infoHeaderSize == 12) {
      appendBmpHeaders(file, fields, 40);
      file.resize(14);
      appendLe32(file, fields.biSize);
      appendLe16(file, static_cast<uint16_t>(fields.biWidth));
      appendLe16(file, static_cast<uint16_t>(fields.biHeight));
      appendLe16(file, fields.biPlanes);
      appendLe16(file, fields.biBitCount);
    } else {
      appendBmpHeaders(file, fields, infoHeaderSize);
      file.resize(14 + infoHeaderSize);
    }
    for (const Rgb& c : colours) {
      appendBmpColour(file, c.red, c.green, c.blue, reservedColourByte);
      if (infoHeaderSize == 12) file.pop_back();
    }
    // A pixel offset inside the header or table only changes the field, not the layout.
    if (file.size() < pixelOffset) file.resize(pixelOffset, 0);
    return file;
  }

  std::vector<uint8_t> build() const {
    std::vector<uint8_t> pixels;
    if (pixelData) {
      pixels = *pixelData;
    } else if (storedRows.empty()) {
      pixels.assign(uint64_t{rowSize()} * rowCount(), fillByte);
    } else {
      for (const std::vector<uint8_t>& row : storedRows) {
        std::vector<uint8_t> padded = row;
        padded.resize(std::max<size_t>(row.size(), rowSize()), rowPadByte);
        pixels.insert(pixels.end(), padded.begin(), padded.end());
      }
    }
    std::vector<uint8_t> file = buildHeaders(pixels.size());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
  }
};

// A grey ramp of `count` colours, handy where the colours themselves do not matter.
inline std::vector<Rgb> greyRamp(int count) {
  std::vector<Rgb> colours;
  for (int i = 0; i < count; ++i) {
    uint8_t v = static_cast<uint8_t>(count > 1 ? i * 255 / (count - 1) : 0);
    colours.push_back({v, v, v});
  }
  return colours;
}

}  // namespace quillpix::testing

#endif  // QUILLPIX_TESTS_BMP_BUILDER_H_
