#include "convert/blurred_error.h"

#include <cmath>

namespace quillpix {
namespace {

constexpr float kSigma = 1.0f;
constexpr int kRadius = 3;  // three sigmas: what the kernel leaves out is below 1.2 %

struct Kernel {
  float weights[2 * kRadius + 1];
  Kernel() {
    for (int i = -kRadius; i <= kRadius; ++i) {
      weights[i + kRadius] = std::exp(-static_cast<float>(i * i) / (2 * kSigma * kSigma));
    }
  }
};

// One pass of the separable blur along (dx, dy); `weight` says how much each pixel counts and
// is replaced by whether the blurred pixel got any colour.
void blurPass(const LinearPicture& size, std::vector<LinearRgb>& colours,
              std::vector<float>& weight, int dx, int dy) {
  static const Kernel kernel;
  const int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
  std::vector<LinearRgb> out(colours.size());
  std::vector<float> outWeight(colours.size(), 0.0f);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      LinearRgb sum;
      float total = 0;
      for (int i = -kRadius; i <= kRadius; ++i) {
        const int sx = x + i * dx, sy = y + i * dy;
        if (sx < 0 || sy < 0 || sx >= width || sy >= height) continue;
        const size_t at = size_t(sy) * width + sx;
        const float w = kernel.weights[i + kRadius] * weight[at];
        sum.red += w * colours[at].red;
        sum.green += w * colours[at].green;
        sum.blue += w * colours[at].blue;
        total += w;
      }
      const size_t at = size_t(y) * width + x;
      if (total > 0) {
        out[at] = {sum.red / total, sum.green / total, sum.blue / total};
        outWeight[at] = 1.0f;
      }
    }
  }
  colours.swap(out);
  weight.swap(outWeight);
}

}  // namespace

std::vector<LinearRgb> blurPicture(const LinearPicture& picture) {
  std::vector<LinearRgb> colours = picture.colours;
  std::vector<float> weight(picture.counts.begin(), picture.counts.end());
  blurPass(picture, colours, weight, 1, 0);
  blurPass(picture, colours, weight, 0, 1);
  return colours;
}

BlurredReference::BlurredReference(const LinearPicture& reference) : reference_(reference) {
  for (const LinearRgb& colour : blurPicture(reference_)) blurredLab_.push_back(toOkLab(colour));
}

double BlurredReference::distanceTo(const std::vector<LinearRgb>& colours) const {
  LinearPicture other = reference_;
  other.colours = colours;
  const std::vector<LinearRgb> blurred = blurPicture(other);
  double sum = 0;
  size_t counted = 0;
  for (size_t i = 0; i < blurred.size(); ++i) {
    if (reference_.counts[i] == 0) continue;
    sum += std::sqrt(squaredDistance(toOkLab(blurred[i]), blurredLab_[i]));
    ++counted;
  }
  return counted > 0 ? 100.0 * sum / static_cast<double>(counted) : 0.0;
}

double meanDistance(const std::vector<LinearRgb>& a, const std::vector<LinearRgb>& b,
                    const std::vector<uint8_t>& counts) {
  double sum = 0;
  size_t counted = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    if (counts[i] == 0) continue;
    sum += std::sqrt(squaredDistance(toOkLab(a[i]), toOkLab(b[i])));
    ++counted;
  }
  return counted > 0 ? 100.0 * sum / static_cast<double>(counted) : 0.0;
}

}  // namespace quillpix
