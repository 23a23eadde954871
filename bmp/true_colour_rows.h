// Uncompressed true-colour BMP rows: 16, 24 or 32 bits a pixel, in the default layout or with
// bit-field masks.
#ifndef QUILLPIX_BMP_TRUE_COLOUR_ROWS_H_
#define QUILLPIX_BMP_TRUE_COLOUR_ROWS_H_

#include <cstdint>
#include <optional>

#include "bmp/bmp_image.h"
#include "bmp/stored_rows.h"
#include "convert/colour.h"

namespace quillpix {

// Which bits of a pixel hold each channel; an alpha mask of 0 means the pixels are opaque.
struct ChannelMasks {
  uint32_t red = 0, green = 0, blue = 0, alpha = 0;
};

// The masks of a 16-, 24- or 32-bit image: the default layout (5-5-5 for 16 bits, 8-8-8 for
// 24 and 32, no alpha), or the bit fields inside a header of 52 bytes or more or right behind a
// 40-byte one (with alpha for a header of 56 bytes or more and for alpha bit fields). Nothing
// when the masks lie beyond the file.
std::optional<ChannelMasks> channelMasks(const BmpImage& image);

// Decodes `stored` (16, 24 or 32 bits, all rows fitting) into `picture`, top row first, each
// channel scaled from its mask's bits to 8 bits.
void decodeTrueColourRows(const StoredRows& stored, const ChannelMasks& masks,
                          RgbaPicture& picture);

}  // namespace quillpix

#endif  // QUILLPIX_BMP_TRUE_COLOUR_ROWS_H_
