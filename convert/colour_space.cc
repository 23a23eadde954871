#include "convert/colour_space.h"

#include <algorithm>
#include <cstring>

namespace quillpix {
namespace {

// The cube root to float precision, several times faster than std::cbrt: a first guess from
// the exponent divided by three, then Newton steps.
float cubeRoot(float x) {
  if (x <= 0) return 0;
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  bits = bits / 3 + 709921077u;
  float y;
  std::memcpy(&y, &bits, sizeof y);
  for (int i = 0; i < 3; ++i) y -= (y * y * y - x) / (3 * y * y);
  return y;
}

// IEC 61966-2-1 (sRGB): the linear segment below 0.04045 and the 2.4 power above it.
float decodeSrgb(float encoded) {
  return encoded <= 0.04045f ? encoded / 12.92f : std::pow((encoded + 0.055f) / 1.055f, 2.4f);
}

}  // namespace

const std::array<float, 256>& srgbToLinearTable() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> values{};
    for (int i = 0; i < 256; ++i) values[i] = decodeSrgb(static_cast<float>(i) / 255.0f);
    return values;
  }();
  return table;
}

float linearToSrgb(float linear) {
  linear = std::clamp(linear, 0.0f, 1.0f);
  const float encoded =
      linear <= 0.0031308f ? linear * 12.92f : 1.055f * std::pow(linear, 1.0f / 2.4f) - 0.055f;
  return encoded * 255.0f;
}

OkLab toOkLab(const LinearRgb& c) {
  // Linear sRGB to the LMS-like cone responses (Ottosson's M1 combined with sRGB's matrix).
  const float l = 0.4122214708f * c.red + 0.5363325363f * c.green + 0.0514459929f * c.blue;
  const float m = 0.2119034982f * c.red + 0.6806995451f * c.green + 0.1073969566f * c.blue;
  const float s = 0.0883024619f * c.red + 0.2817188376f * c.green + 0.6299787005f * c.blue;
  const float lRoot = cubeRoot(l), mRoot = cubeRoot(m), sRoot = cubeRoot(s);
  return {0.2104542553f * lRoot + 0.7936177850f * mRoot - 0.0040720468f * sRoot,
          1.9779984951f * lRoot - 2.4285922050f * mRoot + 0.4505937099f * sRoot,
          0.0259040371f * lRoot + 0.7827717662f * mRoot - 0.8086757660f * sRoot};
}

LinearRgb fromOkLab(const OkLab& c) {
  const float lRoot = c.l + 0.3963377774f * c.a + 0.2158037573f * c.b;
  const float mRoot = c.l - 0.1055613458f * c.a - 0.0638541728f * c.b;
  const float sRoot = c.l - 0.0894841775f * c.a - 1.2914855480f * c.b;
  const float l = lRoot * lRoot * lRoot, m = mRoot * mRoot * mRoot, s = sRoot * sRoot * sRoot;
  return {4.0767416621f * l - 3.3077115913f * m + 0.2309699292f * s,
          -1.2684380046f * l + 2.6097574011f * m - 0.3413193965f * s,
          -0.0041960863f * l - 0.7034186147f * m + 1.7076147010f * s};
}

}  // namespace quillpix
