// Uncompressed BMP pixel rows: stored in 4-byte units, bottom row first unless the height is
// negative.
#ifndef QUILLPIX_BMP_STORED_ROWS_H_
#define QUILLPIX_BMP_STORED_ROWS_H_

#include <cstdint>
#include <span>

#include "convert/pixel_block.h"

namespace quillpix {

// Where and how the uncompressed rows of an image are stored.
struct StoredRows {
  std::span<const uint8_t> pixels;  // from the first stored row to the end of the file
  uint16_t bitCount = 0;            // 1, 2, 4 or 8
  uint32_t width = 0;               // pixels per row
  uint32_t rowSize = 0;             // distance between the starts of two stored rows
  bool topDown = false;             // stored row 0 is the top row

  // Bytes at the start of each stored row that hold pixels.
  uint32_t bytesPerRow() const {
    return static_cast<uint32_t>((uint64_t{bitCount} * width + 7) / 8);
  }
};

// Unpacks one row of `width` 1- or 2-bit pixels, leftmost in the highest bits, to one index a
// nibble: (width + 1) / 2 bytes, the left pixel in the high nibble, an unused last nibble 0.
void unpackToNibbles(const uint8_t* packed, uint16_t bitCount, uint32_t width, uint8_t* out);

// True when all `rows` rows of `stored` lie inside its pixel span.
bool storedRowsFit(const StoredRows& stored, uint32_t rows);

// The output rows of 4- and 8-bit stored rows, which must fit: read in place, top row first,
// without a copy.
PixelBlock storedRowsInPlace(const StoredRows& stored, uint32_t rows);

// Fills `block` (allocated for the image's rows) from 1- or 2-bit stored rows, which must fit:
// one index a nibble, the left pixel in the high nibble, an unused last nibble set to 0.
void unpackStoredRows(const StoredRows& stored, PixelBlock& block);

}  // namespace quillpix

#endif  // QUILLPIX_BMP_STORED_ROWS_H_
