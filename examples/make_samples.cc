// Writes the sample images under examples/: an 8-bit and a 4-bit palette BMP drawn in code.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/bmp_builder.h"

using quillpix::testing::BmpBuilder;
using quillpix::testing::Rgb;

namespace {

Rgb hue(double h, double brightness) {
  const double r = 0.5 + 0.5 * std::cos(h), g = 0.5 + 0.5 * std::cos(h - 2.094),
               b = 0.5 + 0.5 * std::cos(h + 2.094);
  auto level = [&](double v) { return static_cast<uint8_t>(std::lround(255 * v * brightness)); };
  return {level(r), level(g), level(b)};
}

bool save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// Rings of colour around the centre, index = hue band x 16 + brightness step.
uint8_t ringIndex(int x, int y, int width, int height) {
  const double dx = x - width / 2.0, dy = (y - height / 2.0) * 1.2;
  const double angle = std::atan2(dy, dx) + M_PI;
  const int band = static_cast<int>(angle / (2 * M_PI) * 16) % 16;
  const int step = 15 - std::min(15, static_cast<int>(std::sqrt(dx * dx + dy * dy) / 3));
  return static_cast<uint8_t>(band * 16 + step);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string directory = argc > 1 ? argv[1] : "examples";

  BmpBuilder full;
  full.bitCount = 8;
  full.width = 96;
  full.height = 64;
  for (int band = 0; band < 16; ++band) {
    for (int step = 0; step < 16; ++step) full.colours.push_back(hue(band * M_PI / 8, step / 15.0));
  }
  for (int stored = 0; stored < full.height; ++stored) {
    const int y = full.height - 1 - stored;  // stored rows run bottom-up
    std::vector<uint8_t> row;
    for (int x = 0; x < static_cast<int>(full.width); ++x) row.push_back(ringIndex(x, y, 96, 64));
    full.storedRows.push_back(row);
  }

  BmpBuilder sixteen;
  sixteen.bitCount = 4;
  sixteen.width = 33;
  sixteen.height = 16;
  for (int i = 0; i < 16; ++i) sixteen.colours.push_back(hue(i * M_PI / 8, 1.0));
  for (int stored = 0; stored < sixteen.height; ++stored) {
    std::vector<uint8_t> row;
    for (int x = 0; x < 33; x += 2) {
      const int left = (x + stored) / 2 % 16, right = (x + 1 + stored) / 2 % 16;
      row.push_back(static_cast<uint8_t>(left << 4 | right));
    }
    sixteen.storedRows.push_back(row);
  }

  if (!save(directory + "/sample.bmp", full.build()) ||
      !save(directory + "/sample16.bmp", sixteen.build())) {
    std::perror("make_samples");
    return 1;
  }
  return 0;
}
