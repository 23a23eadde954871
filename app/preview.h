// What quillview makes of a VKM image: its summary checks and its preview as PNG or BMP bytes.
#ifndef QUILLPIX_APP_PREVIEW_H_
#define QUILLPIX_APP_PREVIEW_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "vkm/vkm_reader.h"

namespace quillpix {

struct Rgb8 {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb8&) const = default;
};

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

// The preview file name for an input: its ".vkm" replaced by ".png", or ".png" appended.
std::string defaultPreviewName(const std::string& inputName);

// The whole program: arguments after its own name, report to `out`; returns the exit status.
int runQuillview(std::span<const char* const> arguments, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_APP_PREVIEW_H_
