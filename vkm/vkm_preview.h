// Previews of a VKM image: what its pixels use, its colours in 8 bits, and the image as a
// palette PNG or BMP.
#ifndef QUILLPIX_VKM_VKM_PREVIEW_H_
#define QUILLPIX_VKM_VKM_PREVIEW_H_

#include <cstdint>
#include <optional>
#include <vector>

#include "convert/colour.h"
#include "vkm/vkm_reader.h"

namespace quillpix {

// Pixels whose index lies beyond the palette show in this colour. 254 is no expanded level
// (those run ..., 244, 255), so no palette entry can have it.
inline constexpr Rgb8 kMissingColour = {254, 0, 254};

// What the pixels use, as far as the converter cannot check it.
struct PixelCensus {
  int distinctIndices = 0;
  uint64_t beyondPalette = 0;  // pixels whose index has no palette entry
  uint32_t firstX = 0, firstY = 0;
  uint8_t firstIndex = 0;
  int highestIndex = 0;
};
PixelCensus takeCensus(const VkmImage& image);

// The preview's palette: each colour word's levels expanded to 8 bits, then kMissingColour for
// every index the pixels use beyond the palette.
std::vector<Rgb8> previewPalette(const VkmImage& image, const PixelCensus& census);

// A palette PNG of the image, one byte per pixel holding the file's index; nothing on failure.
std::optional<std::vector<uint8_t>> encodePreviewPng(const VkmImage& image,
                                                     const std::vector<Rgb8>& palette);

// A palette BMP, 4-bit for pixel format 1 and 8-bit for 2, whose conversion with quillpix gives
// the image's VKM file again.
std::vector<uint8_t> encodePreviewBmp(const VkmImage& image, const std::vector<Rgb8>& palette);

}  // namespace quillpix

#endif  // QUILLPIX_VKM_VKM_PREVIEW_H_
