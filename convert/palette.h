// Turning the BMP colour table into 15-bit colour words, with the palette section of the report.
#ifndef QUILLPIX_CONVERT_PALETTE_H_
#define QUILLPIX_CONVERT_PALETTE_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "bmp/bmp_image.h"
#include "convert/colour.h"

namespace quillpix {

inline constexpr int kMaxColourCount = 256;

// The output palette: `colourCount` colour words, each stored low byte first.
struct PaletteTable {
  int colourCount = 0;  // 1 to 256
  std::array<uint8_t, 2 * kMaxColourCount> bytes{};

  int byteLength() const { return 2 * colourCount; }
};

// The level, 0 to 24, of one 8-bit colour component: component / 10.6, rounded.
uint8_t scaleComponent(uint8_t component);

// The 8-bit component a level stands for: level x 255 / 24, rounded. scaleComponent gives the
// level back.
inline uint8_t expandLevel(uint8_t level) {
  const unsigned value = (level * 255u + 12u) / 24u;
  return static_cast<uint8_t>(value > 255 ? 255 : value);
}

// One colour word's levels, 0 to 24 (31 at most in a malformed word).
struct ColourLevels {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const ColourLevels&) const = default;
};
inline ColourLevels colourLevels(uint16_t word) {
  return {static_cast<uint8_t>((word >> 10) & 0x1F), static_cast<uint8_t>((word >> 5) & 0x1F),
          static_cast<uint8_t>(word & 0x1F)};
}

// Packs three levels into a colour word: red in bits 14-10, green in 9-5, blue in 4-0. Without
// full colour only the two highest bits of each level survive (the 64-colour limit).
uint16_t packColourWord(uint8_t red, uint8_t green, uint8_t blue, bool fullColour);

// Prints the byte's eight bits, most significant first, with nothing around them.
void printBits(std::FILE* out, uint8_t byte);

// How many palette entries the image gets; 0 when it can have none.
int decideColourCount(const BmpImage& image);

// The image's colour-table entries, as many as decideColourCount gives; nothing when that is 0
// or the table does not fit in the file.
std::optional<std::vector<Rgb8>> readColourTable(const BmpImage& image);

// The palette section of an image whose colour table cannot be read: its title and the error.
void printUnreadablePalette(std::FILE* out);

// Prints the palette section for `colours` (1 to 256 of them), `note` (a line or nothing)
// right under its title, and builds their palette table.
PaletteTable convertColours(std::span<const Rgb8> colours, bool debug, bool fullColour,
                            std::FILE* out, std::string_view note);

// The palette step of a BMP: prints the palette section and builds the palette table, or
// prints one error message and returns nothing.
std::optional<PaletteTable> convertPalette(const BmpImage& image, bool debug, bool fullColour,
                                           std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PALETTE_H_
