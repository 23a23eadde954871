// The bitmap step: the image's pixel rows, decoded into top-down output rows of even length, with
// the bitmap section of the report and, in debug mode, a hex dump of every output row.
#ifndef QUILLPIX_CONVERT_PIXEL_ROWS_H_
#define QUILLPIX_CONVERT_PIXEL_ROWS_H_

#include <cstdint>
#include <cstdio>
#include <optional>

#include "bmp/bmp_image.h"
#include "bmp/stored_rows.h"
#include "convert/pixel_block.h"

namespace quillpix {

// The largest width or height the output header can hold.
inline constexpr uint32_t kMaxDimension = 65535;

// The row geometry of an image, computed without wrap-around.
struct RowLayout {
  uint32_t workWidth = 0;  // bytes of each output row that hold pixels
  uint32_t rowSize = 0;    // distance between the starts of two stored rows
  uint32_t rows = 0;       // |biHeight|
  bool topDown = false;    // a negative height: stored row 0 is the top row
};

// The row geometry of an image; meaningful once its bit depth is 1, 2, 4 or 8. Output rows hold
// one pixel a byte for 8 bits, one a nibble for fewer.
RowLayout computeRowLayout(const BmpImage& image);

// Prints the bitmap section and builds the pixel block, or prints one error message and
// returns nothing. Pixels a run-length stream never sets take `backgroundIndex` when it fits
// the pixel size, else 0.
std::optional<PixelBlock> convertPixelRows(const BmpImage& image, bool debug,
                                           uint8_t backgroundIndex, std::FILE* out);

// The bitmap section's title, rule and "Bitmap bits" line.
void printBitmapHead(uint16_t bitsPerPixel, std::FILE* out);

// The error line for an empty image or one the output header cannot hold; nullptr when the
// size is fine.
const char* layoutError(uint32_t width, const RowLayout& layout);

// Refuses an empty image or one the output header cannot hold, with one error message; else
// prints the workWidth, data length and rowSize lines and returns true.
bool checkAndPrintLayout(uint32_t width, const RowLayout& layout, std::FILE* out);

// Rows decoded from a BMP, or the error line that says why they could not be.
struct DecodedRows {
  std::optional<PixelBlock> block;
  const char* error = nullptr;
};

// The output rows of a 1-, 2-, 4- or 8-bit image of a size checked by layoutError,
// uncompressed or run-length encoded. Pixels a run-length stream never sets take
// `backgroundIndex` when it fits the pixel size, else 0.
DecodedRows decodeIndexRows(const BmpImage& image, const RowLayout& layout,
                            uint8_t backgroundIndex);

// Where the uncompressed rows of an image lie, by its header and `layout`.
StoredRows storedRowsOf(const BmpImage& image, const RowLayout& layout);

// Ends the bitmap section of a successful step: the "#XX," dump of every row in debug mode.
// Returns false after printing the memory error.
bool finishBitmapSection(const PixelBlock& block, bool debug, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_PIXEL_ROWS_H_
