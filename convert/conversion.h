// A whole conversion in memory: from the loaded input file to the parts of the VKM file, with
// the report of every step.
#ifndef QUILLPIX_CONVERT_CONVERSION_H_
#define QUILLPIX_CONVERT_CONVERSION_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "bmp/byte_buffer.h"
#include "convert/palette.h"
#include "convert/pixel_block.h"
#include "convert/reduction.h"

namespace quillpix {

// The settings the conversion steps use.
struct ConversionOptions {
  bool debug = false;
  bool fullColour = true;
  uint8_t backgroundIndex = 0;
  bool backgroundGiven = false;  // --bg was given: a PNG's transparent index does not replace it
  // --colors: build a palette from the picture (true-colour pictures are read too) rather than
  // keep the file's own.
  std::optional<ReductionOptions> reduction;
};

// A converted picture: everything the VKM file is made of.
struct ConvertedImage {
  ByteBuffer input;  // the loaded file, kept while the pixel block may read rows from it
  uint8_t backgroundIndex = 0;
  uint16_t outputBits = 8;  // bits per output pixel: 4 (pixel format 1) or 8 (pixel format 2)
  uint32_t width = 0;
  PaletteTable palette;
  PixelBlock block;
};

// Detects the format of a file image made by readInputFile and runs the steps after loading:
// header report, palette and pixel rows. Prints the report from "File analizing... " on;
// returns nothing after printing one error message.
std::optional<ConvertedImage> convertFileImage(ByteBuffer fileImage, const std::string& fileName,
                                               const ConversionOptions& options, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_CONVERSION_H_
