// Putting a true-colour picture's pixels onto a palette of the target's colours.
#ifndef QUILLPIX_CONVERT_DITHER_H_
#define QUILLPIX_CONVERT_DITHER_H_

#include <cstdint>
#include <span>
#include <vector>

#include "convert/colour.h"
#include "convert/colour_space.h"
#include "convert/palette.h"

namespace quillpix {

enum class Dither {
  kNone,       // each pixel takes the nearest colour
  kOrdered,    // a fixed 8 x 8 pattern mixes the nearest colours: the same colour, the same pattern
  kDiffusion,  // each pixel's error is carried to its neighbours, row by row, in both directions
};

// The palette entry nearest to a point (three coordinates, held in a LinearRgb: linear light, or
// OKLab's l, a and b).
class NearestColour {
 public:
  // Points searched for will mostly lie in the box from `low` to `high`; others are answered by
  // looking at every entry.
  NearestColour(std::span<const LinearRgb> colours, const LinearRgb& low, const LinearRgb& high);
  uint8_t find(const LinearRgb& point) const;

 private:
  static constexpr int kCellsPerSide = 16;

  uint8_t findAmong(const LinearRgb& point, const uint8_t* candidates, size_t count) const;
  // The entries that can be nearest to some point of a cell: made when the cell is first asked.
  const std::vector<uint8_t>& candidates(int cell) const;

  // The palette as three arrays, searched whole when it is small.
  std::vector<float> reds_, greens_, blues_;
  std::vector<uint8_t> all_;
  float low_[3], cellSize_[3];
  mutable std::vector<std::vector<uint8_t>> cells_;
  mutable std::vector<bool> cellMade_;
};

// How pixels are put onto a palette.
struct Mapping {
  Dither dither = Dither::kDiffusion;
  // Whether the colour a pixel asks for is matched in OKLab rather than in linear light, with
  // no dithering or error diffusion (which carries its error in linear light either way).
  // Ordered dithering plans its mixes in linear light.
  bool nearestInOkLab = false;
};

// Maps every opaque pixel (alpha of kOpaqueAlpha or more) of `picture` to an index of `palette`
// and writes it to `indices` (one byte a pixel, rows top first); transparent pixels get
// `transparentIndex`. With `measure`, returns the sum over opaque pixels of the OKLab distance
// between each pixel's colour and its palette colour (else 0).
double mapToPalette(const RgbaPicture& picture, std::span<const ColourLevels> palette,
                    const Mapping& mapping, uint8_t transparentIndex, uint8_t* indices,
                    bool measure = true);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_DITHER_H_
