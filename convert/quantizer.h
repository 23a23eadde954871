// Choosing a palette of the target's colours for a true-colour picture.
#ifndef QUILLPIX_CONVERT_QUANTIZER_H_
#define QUILLPIX_CONVERT_QUANTIZER_H_

#include <cstdint>
#include <span>
#include <vector>

#include "convert/colour.h"
#include "convert/colour_space.h"
#include "convert/palette.h"

namespace quillpix {

// The number of levels per component, and of cells on the level grid.
inline constexpr int kLevelCount = 25;
inline constexpr int kGridCells = kLevelCount * kLevelCount * kLevelCount;

// Pixels with alpha below this are transparent.
inline constexpr uint8_t kOpaqueAlpha = 128;

// The opaque pixels of a picture counted on the level grid: per cell (the colour its pixels
// round to) the pixel count and the sum of their linear light.
class LevelHistogram {
 public:
  struct Cell {
    ColourLevels levels;
    uint64_t count = 0;
    LinearRgb mean;  // of the pixels' own colours, not of the cell's
    OkLab lab;       // of `mean`
  };

  explicit LevelHistogram(const RgbaPicture& picture);

  // The cells that hold pixels, in the order of their first pixel (rows top first).
  const std::vector<Cell>& cells() const { return cells_; }
  uint64_t opaquePixels() const { return opaquePixels_; }
  bool hasTransparentPixels() const { return transparentPixels_ > 0; }
  // Distinct 8-bit colours among the opaque pixels.
  uint64_t distinctColours() const { return distinctColours_; }

 private:
  std::vector<Cell> cells_;
  uint64_t opaquePixels_ = 0;
  uint64_t transparentPixels_ = 0;
  uint64_t distinctColours_ = 0;
};

// True when `levels` is one of the 64 colours of the 64-colour limit: every level 0, 8, 16 or 24.
inline bool isCutColour(const ColourLevels& levels) {
  return levels.red % 8 == 0 && levels.green % 8 == 0 && levels.blue % 8 == 0;
}

// The space in which colours are clustered: OKLab, where distance follows what the eye sees,
// or linear light, where means are what a blur (and dithering) averages to.
enum class ClusterSpace { kOkLab, kLinear };

// At most `count` target colours for the histogram's pixels, each different: with `fullColour`
// any levels, otherwise only the 64 colours of the 64-colour limit. When the pixels' cells fit
// (all of them cut colours, without full colour), they are the palette, in first-pixel order.
// With 64 or more of the 64 colours allowed, the palette is all 64. Otherwise a
// variance-splitting start (Wu's method on the level grid) is refined by k-means in `space`
// with every centre snapped to an allowed colour; that palette comes first, followed by one for
// each of `spreads`: its colours moved that share farther from the picture's mean.
std::vector<std::vector<ColourLevels>> choosePalettes(const LevelHistogram& histogram, int count,
                                                      bool fullColour, ClusterSpace space,
                                                      std::span<const float> spreads);

// The first palette of choosePalettes, clustered in OKLab.
std::vector<ColourLevels> choosePalette(const LevelHistogram& histogram, int count,
                                        bool fullColour);

// The allowed colours one step away from `colour`: a level up or down in one component (in
// steps of 8 without full colour).
std::vector<ColourLevels> neighbourColours(const ColourLevels& colour, bool fullColour);

// True when choosePalette gives the cells themselves.
bool paletteIsExact(const LevelHistogram& histogram, int count, bool fullColour);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_QUANTIZER_H_
