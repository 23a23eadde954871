// Builds BMP files in memory with every header field under the caller's control. Defaults make
// a valid bottom-up uncompressed image with a 40-byte information header.
#ifndef QUILLPIX_TESTS_BMP_BUILDER_H_
#define QUILLPIX_TESTS_BMP_BUILDER_H_

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillpix::testing {

struct Rgb {
  uint8_t red = 0, green = 0, blue = 0;
};

struct BmpBuilder {
  uint16_t bitCount = 8;
  uint32_t width = 1;
  int32_t height = 1;
  uint32_t infoHeaderSize = 40;  // bytes of information header written (>= 40)
  std::vector<Rgb> colours;      // the colour table, written in full
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

  uint32_t rowSize() const { return ((uint64_t{bitCount} * width + 31) >> 5) * 4; }

  uint32_t rowCount() const {
    return static_cast<uint32_t>(height < 0 ? -int64_t{height} : height);
  }

  // The file header, information header and colour table, up to the pixel data offset, for a
  // file whose pixel array holds `pixelBytes` bytes.
  std::vector<uint8_t> buildHeaders(uint64_t pixelBytes) const {
    const uint32_t tableOffset = 14 + infoHeaderSize;
    const uint32_t pixelOffset =
        bfOffBits.value_or(tableOffset + 4 * static_cast<uint32_t>(colours.size()));
    std::vector<uint8_t> file(tableOffset, 0);
    auto put16 = [&](size_t at, uint16_t v) {
      file[at] = v & 0xFF;
      file[at + 1] = v >> 8;
    };
    auto put32 = [&](size_t at, uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = (v >> (8 * i)) & 0xFF;
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, bfSize.value_or(static_cast<uint32_t>(pixelOffset + pixelBytes)));
    put32(10, pixelOffset);
    put32(14, biSize.value_or(infoHeaderSize));
    put32(18, width);
    put32(22, static_cast<uint32_t>(height));
    put16(26, biPlanes);
    put16(28, bitCount);
    put32(30, biCompression);
    put32(34, biSizeImage.value_or(static_cast<uint32_t>(pixelBytes)));
    put32(38, static_cast<uint32_t>(biXPelsPerMeter));
    put32(42, static_cast<uint32_t>(biYPelsPerMeter));
    put32(46, biClrUsed.value_or(static_cast<uint32_t>(colours.size())));
    put32(50, biClrImportant);
    for (const Rgb& c : colours) {
      file.insert(file.end(), {c.blue, c.green, c.red, reservedColourByte});
    }
    // A pixel offset inside the header or table only changes the field, not the layout.
    if (file.size() < pixelOffset) file.resize(pixelOffset, 0);
    return file;
  }

  std::vector<uint8_t> build() const {
    std::vector<uint8_t> pixels;
    if (storedRows.empty()) {
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
