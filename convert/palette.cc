#include "convert/palette.h"

#include <algorithm>

namespace quillpix {

uint8_t scaleComponent(uint8_t component) {
  // component / 10.6 + 0.5 truncated, in whole numbers.
  return static_cast<uint8_t>((10 * component + 53) / 106);
}

uint16_t packColourWord(uint8_t red, uint8_t green, uint8_t blue, bool fullColour) {
  if (!fullColour) {
    constexpr uint8_t kKeptLevelBits = 0x18;
    red &= kKeptLevelBits;
    green &= kKeptLevelBits;
    blue &= kKeptLevelBits;
  }
  return static_cast<uint16_t>((red << 10) | (green << 5) | blue);
}

void printBits(std::FILE* out, uint8_t byte) {
  char digits[8];
  for (int bit = 0; bit < 8; ++bit) digits[bit] = (byte & (0x80 >> bit)) ? '1' : '0';
  std::fwrite(digits, 1, sizeof digits, out);
}

int decideColourCount(const BmpImage& image) {
  const uint32_t bits = image.biBitCount;
  // 2^bits entries, as many as a table can hold.
  const uint32_t fullTable = bits >= 8 ? kMaxColourCount : 1u << bits;
  if (!image.hasColourCountField) {
    // Some writers of headers without a count store a short table: take what fits before the
    // pixel data.
    const uint64_t room = image.bfOffBits > image.colourTableOffset
                              ? (image.bfOffBits - image.colourTableOffset) / image.colourEntrySize
                              : 0;
    return static_cast<int>(std::min<uint64_t>(fullTable, room));
  }
  if (bits == 1 || bits == 2) {
    return image.biClrUsed == 0 || image.biClrUsed > fullTable ? static_cast<int>(fullTable)
                                                               : static_cast<int>(image.biClrUsed);
  }
  if (image.biClrUsed >= 1 && image.biClrUsed <= 255) return static_cast<int>(image.biClrUsed);
  // No usable count in the header: an 8-bit image has a full table of 256 entries.
  if (bits == 8) return kMaxColourCount;
  return static_cast<int>((bits * bits) & 0xFF);
}

std::optional<std::vector<Rgb8>> readColourTable(const BmpImage& image) {
  const int count = decideColourCount(image);
  const uint64_t tableEnd =
      image.colourTableOffset + uint64_t{image.colourEntrySize} * static_cast<uint64_t>(count);
  if (count == 0 || tableEnd > static_cast<uint64_t>(image.length)) return std::nullopt;
  std::vector<Rgb8> colours(static_cast<size_t>(count));
  const uint8_t* entry = image.data.data() + image.colourTableOffset;
  for (Rgb8& colour : colours) {
    colour = {entry[2], entry[1], entry[0]};  // stored blue, green, red
    entry += image.colourEntrySize;
  }
  return colours;
}

namespace {

void printPaletteTitle(std::FILE* out) {
  std::fprintf(out, "BMP palette:\n%s", kReportRule);
}

}  // namespace

void printUnreadablePalette(std::FILE* out) {
  printPaletteTitle(out);
  std::fprintf(out, "Error: Wrong BMP palette.\n");
}

PaletteTable convertColours(std::span<const Rgb8> colours, bool debug, bool fullColour,
                            std::FILE* out, std::string_view note) {
  printPaletteTitle(out);
  std::fwrite(note.data(), 1, note.size(), out);
  PaletteTable table;
  table.colourCount = static_cast<int>(colours.size());
  std::fprintf(out, "BMP use calculated colors: %d\n\n", table.colourCount);
  if (debug) {
    std::fprintf(out,
                 "           No #      R   G   B        R   G   B        pentevo    xRRrrrGG "
                 "gggBBbbb\n");
  }
  for (int j = 0; j < table.colourCount; ++j) {
    const Rgb8 colour = colours[static_cast<size_t>(j)];
    const uint8_t redLevel = scaleComponent(colour.red);
    const uint8_t greenLevel = scaleComponent(colour.green);
    const uint8_t blueLevel = scaleComponent(colour.blue);
    const uint16_t word = packColourWord(redLevel, greenLevel, blueLevel, fullColour);
    const uint8_t low = static_cast<uint8_t>(word & 0xFF);
    const uint8_t high = static_cast<uint8_t>(word >> 8);
    table.bytes[2 * j] = low;
    table.bytes[2 * j + 1] = high;
    if (debug) {
      std::fprintf(out,
                   "BMP color %3d[#%02X] [#%02X,#%02X,#%02X] -> %3d,%3d,%3d -> %3d,%3d[#%02X%02X] ",
                   j, j, colour.red, colour.green, colour.blue, redLevel, greenLevel, blueLevel,
                   high, low, high, low);
      printBits(out, high);
      std::fputc(' ', out);
      printBits(out, low);
      std::fputc('\n', out);
    }
  }
  return table;
}

std::optional<PaletteTable> convertPalette(const BmpImage& image, bool debug, bool fullColour,
                                           std::FILE* out) {
  const std::optional<std::vector<Rgb8>> colours = readColourTable(image);
  if (!colours) {
    printUnreadablePalette(out);
    return std::nullopt;
  }
  return convertColours(*colours, debug, fullColour, out, "");
}

}  // namespace quillpix
