// What quillpix makes of a PNG file: the header section of the report, the palette its samples
// index, the background its transparency gives, and its rows as output pixel rows.
#ifndef QUILLPIX_PNG_PNG_IMAGE_H_
#define QUILLPIX_PNG_PNG_IMAGE_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "convert/colour.h"
#include "convert/pixel_block.h"
#include "png/png_codec.h"

namespace quillpix {

// The name of a colour type: "grayscale", "RGB", "palette", "grayscale + alpha" or "RGBA".
const char* colourTypeName(PngColourType type);

// Prints the PNG header section: dimensions, bits per pixel, colour type, interlacing, palette
// entries and transparency, ending with an empty line.
void printPngHeader(const PngFormat& format, std::FILE* out);

// True for the pictures whose samples are palette indices as they stand: palette images, and
// grey images of 8 bits or fewer, whose grey values index a ramp of greys.
bool hasIndexSamples(const PngFormat& format);

// The colours the samples of such a picture index: the PLTE entries, or 2^bits greys from black
// to white.
std::vector<Rgb8> indexedColours(const PngFormat& format);

// The index a fully transparent pixel has: the first PLTE entry whose tRNS alpha is 0, or the
// tRNS grey value of a grey picture. Nothing when no index is transparent.
std::optional<uint8_t> transparentIndex(const PngFormat& format);

enum class PngRowsStatus { kRead, kNoMemory, kBroken };

// Reads the rows of a picture with index samples into `block` (allocated here): one index a
// nibble for 1 to 4 bits, the left pixel in the high nibble, one a byte for 8 bits. On kBroken,
// reader.error() says why.
PngRowsStatus readIndexRows(PngReader& reader, std::optional<PixelBlock>& block);

}  // namespace quillpix

#endif  // QUILLPIX_PNG_PNG_IMAGE_H_
