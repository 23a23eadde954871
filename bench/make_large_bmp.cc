// Writes a large uncompressed palette BMP with random pixel bytes, streaming the rows so the
// generator itself needs little memory.
//   make_large_bmp <output> <bits: 4|8> <width> <height> [seed]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/bmp_builder.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: make_large_bmp <output> <4|8> <width> <height> [seed]\n");
    return 2;
  }
  quillpix::testing::BmpBuilder bmp;
  bmp.bitCount = static_cast<uint16_t>(std::atoi(argv[2]));
  bmp.width = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  bmp.height = static_cast<int32_t>(std::strtol(argv[4], nullptr, 10));
  uint64_t state = argc > 5 ? std::strtoull(argv[5], nullptr, 10) : 0x9E3779B97F4A7C15ull;
  bmp.colours = quillpix::testing::greyRamp(bmp.bitCount == 4 ? 16 : 256);

  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const uint64_t rowSize = bmp.rowSize();
  const std::vector<uint8_t> headers = bmp.buildHeaders(rowSize * bmp.rowCount());
  bool ok = std::fwrite(headers.data(), 1, headers.size(), out) == headers.size();
  std::vector<uint8_t> row(rowSize);
  for (uint32_t r = 0; ok && r < bmp.rowCount(); ++r) {
    for (uint8_t& byte : row) {  // xorshift64: fast, and the same file for the same seed
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      byte = static_cast<uint8_t>(state >> 24);
    }
    ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
  }
  if (std::fclose(out) != 0 || !ok) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
