// Choosing among ways to reduce a picture by the error the eye would see: candidate palettes and
// ways of matching colours are tried on a sample of the picture, the best is kept, and a small
// palette is then improved one colour at a time.
#ifndef QUILLPIX_CONVERT_PALETTE_SEARCH_H_
#define QUILLPIX_CONVERT_PALETTE_SEARCH_H_

#include <vector>

#include "convert/colour.h"
#include "convert/dither.h"
#include "convert/palette.h"
#include "convert/quantizer.h"

namespace quillpix {

struct PaletteChoice {
  std::vector<ColourLevels> palette;
  Mapping mapping;
};

// The palette of at most `count` allowed colours, and the mapping with `dither`, that give the
// picture the least blurred error (see blurred_error.h) on a sample of it. For pictures whose
// colours fit, choosePalette's exact palette is not looked at here.
PaletteChoice searchPalette(const RgbaPicture& picture, const LevelHistogram& histogram, int count,
                            bool fullColour, Dither dither);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PALETTE_SEARCH_H_
