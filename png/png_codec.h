// Reading and writing PNG files held in memory. This unit is the only one that speaks to libpng:
// its errors come back as text, its warnings are dropped, and nothing is printed.
#ifndef QUILLPIX_PNG_PNG_CODEC_H_
#define QUILLPIX_PNG_PNG_CODEC_H_

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "convert/colour.h"

namespace quillpix {

// The colour types of the PNG header.
enum class PngColourType : uint8_t {
  kGrey = 0,
  kRgb = 2,
  kPalette = 3,
  kGreyAlpha = 4,
  kRgba = 6,
};

// True when `file` starts with the 8-byte PNG signature.
bool hasPngSignature(std::span<const uint8_t> file);

// What a PNG file's chunks before its image data say about the picture.
struct PngFormat {
  uint32_t width = 0;
  uint32_t height = 0;
  int bitDepth = 8;  // bits per sample: 1, 2, 4, 8 or 16
  PngColourType colourType = PngColourType::kPalette;
  bool interlaced = false;            // Adam7
  std::vector<Rgb8> palette;          // PLTE
  std::vector<uint8_t> paletteAlpha;  // tRNS of a palette image: alpha of the first entries
  // tRNS of a grey or RGB image: the sample values of the one transparent colour (grey uses
  // the first).
  std::optional<std::array<uint16_t, 3>> transparentSamples;

  int channels() const;
  int bitsPerPixel() const { return bitDepth * channels(); }
  // Bytes of one stored row: its samples packed as the file packs them.
  uint64_t rowBytes() const { return (uint64_t{width} * bitsPerPixel() + 7) / 8; }
};

// Decodes one PNG file held in memory: first its format, then its rows.
class PngReader {
 public:
  explicit PngReader(std::span<const uint8_t> file);
  ~PngReader();
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Reads the chunks up to the image data. False, with error() saying why, for a broken file.
  bool readFormat();
  const PngFormat& format() const { return format_; }

  // Reads every row, of every pass of an interlaced image, into rows[0] to rows[height - 1],
  // each rowBytes() bytes packed as the file packs them, then the chunks after the image data.
  // False, with error() saying why, when the data is broken or cut short.
  bool readRows(std::span<uint8_t* const> rows);

  // Reads every row as 8-bit red, green, blue and alpha, 4 bytes a pixel: palette and grey
  // samples expanded, 16-bit samples scaled, the tRNS colour made transparent.
  bool readRgbaRows(std::span<uint8_t* const> rows);

  const std::string& error() const { return error_; }

 private:
  bool readImage(std::span<uint8_t* const> rows, bool expandToRgba);

  struct State;
  std::unique_ptr<State> state_;
  PngFormat format_;
  std::string error_;
};

// Fills `row` with the packed bytes of row `y`, top row first.
using PngRowFiller = std::function<void(uint32_t y, uint8_t* row)>;

// Encodes a PNG file of `format` whose rows `fillRow` gives (it is asked for every row of every
// pass when the format is interlaced). Nothing when libpng refuses the format.
std::optional<std::vector<uint8_t>> encodePng(const PngFormat& format, const PngRowFiller& fillRow);

}  // namespace quillpix

#endif  // QUILLPIX_PNG_PNG_CODEC_H_
