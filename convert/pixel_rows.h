// Re-ordering the stored BMP pixel rows into top-down rows of even length, with the bitmap
// section of the report and, in debug mode, a hex dump of every output row.
#ifndef QUILLPIX_CONVERT_PIXEL_ROWS_H_
#define QUILLPIX_CONVERT_PIXEL_ROWS_H_

#include <cstdint>
#include <cstdio>
#include <optional>

#include "bmp/bmp_image.h"
#include "bmp/byte_buffer.h"

namespace quillpix {

// The largest width or height the output header can hold.
inline constexpr uint32_t kMaxDimension = 65535;

// The output pixel rows, top row first, each padded with a zero byte to an even length.
struct PixelBlock {
  ByteBuffer bytes;
  uint32_t rows = 0;       // the image's height as a row count
  uint32_t rowLength = 0;  // bytes per output row, workWidth rounded up to even

  size_t length() const { return bytes.size(); }
};

// The row geometry of an image, computed without wrap-around.
struct RowLayout {
  uint32_t workWidth = 0;  // bytes taken from each stored row
  uint32_t rowSize = 0;    // distance between the starts of two stored rows
  uint32_t rows = 0;       // |biHeight|
  bool topDown = false;    // a negative height: stored row 0 is the top row
};

// The row geometry of an image; meaningful once its bit depth is 4 or 8.
RowLayout computeRowLayout(const BmpImage& image);

// Prints the bitmap section and builds the pixel block, or prints one error message and
// returns nothing.
std::optional<PixelBlock> convertPixelRows(const BmpImage& image, bool debug, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PIXEL_ROWS_H_
