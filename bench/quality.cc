// How close a VKM file comes to the picture it was made from.
//   quality <original.png> <converted.vkm>   prints "blurred unblurred": the mean OKLab distance
//                                             x 100 over the original's opaque pixels, after a
//                                             Gaussian blur (sigma 1 pixel, in linear light) of
//                                             both pictures, and without it
//   quality --gradient <out.png>              writes the smooth test gradient
//   quality --scale <in.png> <w> <h> <out.png>  writes the picture scaled to w x h (bilinear,
//                                             in linear light), for timing at a given size
// The blur stands for what the eye sees from a small distance, so that dithering, which trades
// each pixel's error for a better average, is judged fairly.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "convert/blurred_error.h"
#include "convert/colour_space.h"
#include "convert/palette.h"
#include "png/png_codec.h"
#include "vkm/vkm_reader.h"

namespace {

std::vector<uint8_t> readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool readOriginal(const char* path, quillpix::LinearPicture& picture) {
  const std::vector<uint8_t> file = readFile(path);
  quillpix::PngReader reader(file);
  if (!reader.readFormat()) {
    std::fprintf(stderr, "%s: %s\n", path, reader.error().c_str());
    return false;
  }
  picture.width = reader.format().width;
  picture.height = reader.format().height;
  std::vector<std::vector<uint8_t>> rows(picture.height, std::vector<uint8_t>(4 * picture.width));
  std::vector<uint8_t*> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  if (!reader.readRgbaRows(pointers)) {
    std::fprintf(stderr, "%s: %s\n", path, reader.error().c_str());
    return false;
  }
  for (const auto& row : rows) {
    for (uint32_t x = 0; x < picture.width; ++x) {
      picture.colours.push_back(quillpix::toLinear(row[4 * x], row[4 * x + 1], row[4 * x + 2]));
      picture.counts.push_back(row[4 * x + 3] >= 128 ? 1 : 0);
    }
  }
  return true;
}

// The converted picture's colours: each pixel's colour word, its levels shown as 8 bits.
bool readConverted(const char* path, const quillpix::LinearPicture& original,
                   std::vector<quillpix::LinearRgb>& colours) {
  const std::vector<uint8_t> file = readFile(path);
  const quillpix::VkmDecodeResult decoded = quillpix::decodeVkmFile(file);
  if (!decoded.ok) {
    std::fprintf(stderr, "%s: %s\n", path, decoded.error.c_str());
    return false;
  }
  const quillpix::VkmImage& image = decoded.image;
  if (image.width != original.width || image.height != original.height) {
    std::fprintf(stderr, "%s: %u x %u, the original is %u x %u\n", path, image.width, image.height,
                 original.width, original.height);
    return false;
  }
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t index = image.pixelIndex(x, y);
      const uint16_t word = index < image.colours.size() ? image.colours[index] : 0;
      colours.push_back(quillpix::levelsToLinear(quillpix::colourLevels(word)));
    }
  }
  return true;
}

// A smooth picture where banding shows: hue across, brightness down, and a grey ramp below.
bool writeGradient(const char* path) {
  quillpix::PngFormat format;
  format.width = 512;
  format.height = 256;
  format.bitDepth = 8;
  format.colourType = quillpix::PngColourType::kRgb;
  const std::optional<std::vector<uint8_t>> png =
      quillpix::encodePng(format, [](uint32_t y, uint8_t* row) {
        for (uint32_t x = 0; x < 512; ++x) {
          double r, g, b;
          if (y < 192) {
            const double hue = x / 512.0 * 6.283185307, light = 0.15 + 0.85 * (1 - y / 191.0);
            r = light * (0.5 + 0.5 * std::cos(hue));
            g = light * (0.5 + 0.5 * std::cos(hue - 2.094395102));
            b = light * (0.5 + 0.5 * std::cos(hue + 2.094395102));
          } else {
            r = g = b = x / 511.0;
          }
          row[3 * x] = static_cast<uint8_t>(std::lround(255 * r));
          row[3 * x + 1] = static_cast<uint8_t>(std::lround(255 * g));
          row[3 * x + 2] = static_cast<uint8_t>(std::lround(255 * b));
        }
      });
  std::FILE* out = png ? std::fopen(path, "wb") : nullptr;
  if (out == nullptr) return false;
  const bool written = std::fwrite(png->data(), 1, png->size(), out) == png->size();
  return std::fclose(out) == 0 && written;
}

bool writeScaled(const char* from, uint32_t width, uint32_t height, const char* to) {
  quillpix::LinearPicture original;
  if (!readOriginal(from, original) || width == 0 || height == 0) return false;
  quillpix::PngFormat format;
  format.width = width;
  format.height = height;
  format.colourType = quillpix::PngColourType::kRgb;
  auto sample = [&](uint32_t x, uint32_t y) {
    return original.colours[size_t{std::min(y, original.height - 1)} * original.width +
                            std::min(x, original.width - 1)];
  };
  const std::optional<std::vector<uint8_t>> png =
      quillpix::encodePng(format, [&](uint32_t y, uint8_t* row) {
        const float sy = (y + 0.5f) * original.height / height - 0.5f;
        const uint32_t y0 = sy < 0 ? 0 : static_cast<uint32_t>(sy);
        const float fy = sy < 0 ? 0 : sy - y0;
        for (uint32_t x = 0; x < width; ++x) {
          const float sx = (x + 0.5f) * original.width / width - 0.5f;
          const uint32_t x0 = sx < 0 ? 0 : static_cast<uint32_t>(sx);
          const float fx = sx < 0 ? 0 : sx - x0;
          const quillpix::LinearRgb a = sample(x0, y0), b = sample(x0 + 1, y0),
                                    c = sample(x0, y0 + 1), d = sample(x0 + 1, y0 + 1);
          auto mix = [&](float pa, float pb, float pc, float pd) {
            const float top = pa + (pb - pa) * fx, bottom = pc + (pd - pc) * fx;
            return static_cast<uint8_t>(std::lround(quillpix::linearToSrgb(top + (bottom - top) * fy)));
          };
          row[3 * x] = mix(a.red, b.red, c.red, d.red);
          row[3 * x + 1] = mix(a.green, b.green, c.green, d.green);
          row[3 * x + 2] = mix(a.blue, b.blue, c.blue, d.blue);
        }
      });
  std::FILE* out = png ? std::fopen(to, "wb") : nullptr;
  if (out == nullptr) return false;
  const bool written = std::fwrite(png->data(), 1, png->size(), out) == png->size();
  return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--gradient") return writeGradient(argv[2]) ? 0 : 1;
  if (argc == 6 && std::string(argv[1]) == "--scale") {
    return writeScaled(argv[2], static_cast<uint32_t>(std::atoi(argv[3])),
                       static_cast<uint32_t>(std::atoi(argv[4])), argv[5])
               ? 0
               : 1;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: quality <original.png> <converted.vkm> | --gradient <out.png>\n");
    return 2;
  }
  quillpix::LinearPicture original;
  std::vector<quillpix::LinearRgb> converted;
  if (!readOriginal(argv[1], original) || !readConverted(argv[2], original, converted)) return 1;
  const quillpix::BlurredReference reference(original);
  std::printf("%.3f %.3f\n", reference.distanceTo(converted),
              quillpix::meanDistance(original.colours, converted, original.counts));
  return 0;
}
