// Writes small BMP fixtures of the kinds the tests build, as starting points for the fuzzer.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/bmp_builder.h"

using quillpix::testing::BmpBuilder;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <directory>\n");
    return 2;
  }
  std::vector<BmpBuilder> seeds(13);
  seeds[0].width = 3, seeds[0].height = 2, seeds[0].colours = quillpix::testing::greyRamp(4);
  seeds[0].storedRows = {{1, 2, 3}, {10, 11, 12}};
  seeds[1].bitCount = 4, seeds[1].width = 5, seeds[1].colours = quillpix::testing::greyRamp(16);
  seeds[2] = seeds[1], seeds[2].infoHeaderSize = 124;
  seeds[3] = seeds[0], seeds[3].height = -2;
  seeds[4].width = 7, seeds[4].height = 3, seeds[4].colours = quillpix::testing::greyRamp(256);
  seeds[4].biClrUsed = 0, seeds[4].fillByte = 0x5A;
  seeds[5].bitCount = 4, seeds[5].width = 1, seeds[5].height = 4, seeds[5].biClrUsed = 0;
  seeds[5].colours = quillpix::testing::greyRamp(16);
  seeds[6].bitCount = 24, seeds[6].width = 2, seeds[6].height = 2;
  seeds[7] = seeds[0], seeds[7].biCompression = 1;
  seeds[7].pixelData = {0x02, 0x01, 0x00, 0x00, 0x00, 0x03, 0x01, 0x02, 0x03, 0x00, 0x00, 0x01};
  seeds[8] = seeds[1], seeds[8].biCompression = 2, seeds[8].height = 3;
  seeds[8].pixelData = {0x07, 0x12, 0x00, 0x02, 0x01, 0x01, 0x00, 0x03, 0x12, 0x30, 0x00, 0x01};
  seeds[9].bitCount = 1, seeds[9].width = 11, seeds[9].height = 2;
  seeds[9].colours = quillpix::testing::greyRamp(2), seeds[9].fillByte = 0xA5;
  seeds[10] = seeds[9], seeds[10].bitCount = 2, seeds[10].colours = quillpix::testing::greyRamp(4);
  seeds[11] = seeds[1], seeds[11].infoHeaderSize = 12;
  seeds[12] = seeds[0], seeds[12].infoHeaderSize = 16, seeds[12].height = 3;
  for (size_t i = 0; i < seeds.size(); ++i) {
    const std::string path = std::string(argv[1]) + "/fixture" + std::to_string(i) + ".bmp";
    const std::vector<uint8_t> bytes = seeds[i].build();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
