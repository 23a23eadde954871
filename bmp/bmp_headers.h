// Writing the BMP file header and information header, for tools that make BMP files.
#ifndef QUILLPIX_BMP_BMP_HEADERS_H_
#define QUILLPIX_BMP_BMP_HEADERS_H_

#include <cstdint>
#include <vector>

namespace quillpix {

// The header fields under their BMP names, written as they are.
struct BmpHeaderFields {
  uint32_t bfSize = 0;
  uint32_t bfOffBits = 0;
  uint32_t biSize = 40;
  uint32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 8;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 2835;  // 72 dots per inch
  int32_t biYPelsPerMeter = 2835;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};

// Appends the 14-byte file header and an information header of `infoHeaderSize` bytes (40 or
// more; bytes past the 40 decoded ones are zero) to `out`.
void appendBmpHeaders(std::vector<uint8_t>& out, const BmpHeaderFields& fields,
                      uint32_t infoHeaderSize = 40);

// Appends one colour-table entry: blue, green, red and the reserved byte.
inline void appendBmpColour(std::vector<uint8_t>& out, uint8_t red, uint8_t green, uint8_t blue,
                            uint8_t reserved = 0) {
  out.insert(out.end(), {blue, green, red, reserved});
}

// Bytes between the starts of two stored rows: whole 4-byte units.
inline uint32_t bmpRowSize(uint16_t bitCount, uint32_t width) {
  return static_cast<uint32_t>(((uint64_t{bitCount} * width + 31) >> 5) * 4);
}

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BMP_HEADERS_H_
