// Colour reduction: a palette of at most N of the target's colours built from a true-colour
// picture, and the picture's pixels mapped onto it.
#ifndef QUILLPIX_CONVERT_REDUCTION_H_
#define QUILLPIX_CONVERT_REDUCTION_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "convert/colour.h"
#include "convert/dither.h"
#include "convert/palette.h"
#include "convert/pixel_block.h"

namespace quillpix {

struct ReductionOptions {
  int colours = 256;  // 2 to 256
  Dither dither = Dither::kDiffusion;
  bool fullColour = true;       // false: only the 64 colours of the 64-colour limit
  uint8_t backgroundIndex = 0;  // reserved for transparent pixels, when there are any
};

struct ReducedPicture {
  std::vector<ColourLevels> palette;
  PixelBlock block;  // one index a nibble for 16 colours or fewer, else one a byte
  uint8_t backgroundIndex = 0;
  uint64_t distinctColours = 0;  // 8-bit colours among the opaque pixels
  double meanError = 0;          // mean OKLab distance x 100 over the opaque pixels
  bool exact = false;            // the pixels' own levels, no dithering
  bool transparent = false;      // some pixels took the reserved background index
};

enum class ReductionStatus { kDone, kNoMemory, kBackgroundBeyondPalette };

// Builds the palette and maps the pixels. When the opaque pixels' colours, rounded to levels,
// number at most N (N - 1 with transparent pixels) and are allowed colours, the palette is
// exactly those colours and every pixel keeps its own; otherwise the palette is chosen and the
// pixels dithered as `options` say. Transparent pixels (alpha below 128) take the background
// index, which then holds no colour of the picture; it must lie below N.
ReductionStatus reduceColours(const RgbaPicture& picture, const ReductionOptions& options,
                              ReducedPicture& reduced);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_REDUCTION_H_
