// The BMP run-length encodings: RLE8 (one index a byte) and RLE4 (two indices a byte).
#ifndef QUILLPIX_BMP_RLE_DECODER_H_
#define QUILLPIX_BMP_RLE_DECODER_H_

#include <cstdint>
#include <span>

#include "convert/pixel_block.h"

namespace quillpix {

enum class RleEncoding { kRle8, kRle4 };

// Decodes the run-length `stream` (from the pixel data offset to the end of the file) into
// `block`, the image's `width`-pixel output rows: one byte a pixel for RLE8, a nibble a pixel
// for RLE4. The stream's first row is the bottom one. Pixels the stream never sets keep what the
// block held; pixels that fall outside the image are dropped, so nothing is written outside it.
// Returns false when the stream ends before its end-of-bitmap code.
bool decodeRunLengthRows(std::span<const uint8_t> stream, RleEncoding encoding, uint32_t width,
                         PixelBlock& block);

}  // namespace quillpix

#endif  // QUILLPIX_BMP_RLE_DECODER_H_
