// Colour spaces for colour reduction: 8-bit sRGB, linear light and OKLab, and the target's
// levels.
#ifndef QUILLPIX_CONVERT_COLOUR_SPACE_H_
#define QUILLPIX_CONVERT_COLOUR_SPACE_H_

#include <array>
#include <cmath>
#include <cstdint>

#include "convert/palette.h"

namespace quillpix {

// Linear-light red, green and blue, 0 to 1.
struct LinearRgb {
  float red = 0, green = 0, blue = 0;
};

// OKLab: perceptual lightness and two opponent axes.
struct OkLab {
  float l = 0, a = 0, b = 0;
};

inline float squaredDistance(const LinearRgb& x, const LinearRgb& y) {
  const float dr = x.red - y.red, dg = x.green - y.green, db = x.blue - y.blue;
  return dr * dr + dg * dg + db * db;
}

inline float squaredDistance(const OkLab& x, const OkLab& y) {
  const float dl = x.l - y.l, da = x.a - y.a, db = x.b - y.b;
  return dl * dl + da * da + db * db;
}

// The sRGB transfer function: an 8-bit component's linear light, by table.
const std::array<float, 256>& srgbToLinearTable();

inline LinearRgb toLinear(uint8_t red, uint8_t green, uint8_t blue) {
  const std::array<float, 256>& table = srgbToLinearTable();
  return {table[red], table[green], table[blue]};
}

// Linear light (0 to 1, clamped) back to an sRGB component value, 0 to 255, unrounded.
float linearToSrgb(float linear);

// OKLab of a linear-light colour (Ottosson 2020, "A perceptual color space for image
// processing", with its published matrices).
OkLab toOkLab(const LinearRgb& colour);
LinearRgb fromOkLab(const OkLab& colour);

// The linear light of the colour a target colour's levels stand for.
inline LinearRgb levelsToLinear(const ColourLevels& levels) {
  return toLinear(expandLevel(levels.red), expandLevel(levels.green), expandLevel(levels.blue));
}

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_COLOUR_SPACE_H_
