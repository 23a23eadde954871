// How far a picture is from another as the eye sees them from a small distance: both blurred
// (Gaussian, sigma 1 pixel, in linear light), then compared pixel by pixel in OKLab. Dithering
// trades each pixel's error for a better average, and this is the measure that judges it fairly.
#ifndef QUILLPIX_CONVERT_BLURRED_ERROR_H_
#define QUILLPIX_CONVERT_BLURRED_ERROR_H_

#include <cstdint>
#include <vector>

#include "convert/colour_space.h"

namespace quillpix {

// A picture in linear light with the pixels that count (opaque ones) marked.
struct LinearPicture {
  uint32_t width = 0, height = 0;
  std::vector<LinearRgb> colours;  // rows top first
  std::vector<uint8_t> counts;     // 1 for a pixel that counts, 0 for one that does not
};

// The picture blurred with a Gaussian of sigma 1 pixel over the pixels that count only:
// the others neither give colour nor take it.
std::vector<LinearRgb> blurPicture(const LinearPicture& picture);

// A reference picture, blurred once, to measure others against.
class BlurredReference {
 public:
  explicit BlurredReference(const LinearPicture& reference);

  // The mean OKLab distance x 100, over the pixels that count, between the blurred reference
  // and `colours` (a picture of the same size) blurred the same way.
  double distanceTo(const std::vector<LinearRgb>& colours) const;

 private:
  LinearPicture reference_;
  std::vector<OkLab> blurredLab_;
};

// The mean OKLab distance x 100 between two pictures of the same size, over the pixels of
// `counts` that are 1, without blurring.
double meanDistance(const std::vector<LinearRgb>& a, const std::vector<LinearRgb>& b,
                    const std::vector<uint8_t>& counts);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_BLURRED_ERROR_H_
