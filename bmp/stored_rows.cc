#include "bmp/stored_rows.h"

namespace quillpix {
void unpackToNibbles(const uint8_t* stored, uint16_t bitCount, uint32_t width, uint8_t* out) {
  const uint32_t perByte = 8 / bitCount;
  const uint8_t mask = static_cast<uint8_t>((1u << bitCount) - 1);
  for (uint32_t x = 0; x < width; x += 2) {
    uint8_t pair = 0;
    for (uint32_t half = 0; half < 2 && x + half < width; ++half) {
      const uint32_t pixel = x + half;
      const unsigned shift = 8 - bitCount * (pixel % perByte + 1);
      const uint8_t index = (stored[pixel / perByte] >> shift) & mask;
      pair |= static_cast<uint8_t>(index << (half == 0 ? 4 : 0));
    }
    out[x / 2] = pair;
  }
}

bool storedRowsFit(const StoredRows& stored, uint32_t rows) {
  if (rows == 0) return true;
  const uint64_t end = uint64_t{rows - 1} * stored.rowSize + stored.bytesPerRow();
  return end <= stored.pixels.size();
}

PixelBlock storedRowsInPlace(const StoredRows& stored, uint32_t rows) {
  const int64_t rowSize = stored.rowSize;
  // Bottom-up files store the top row last.
  const uint8_t* topRow = stored.topDown || rows == 0
                              ? stored.pixels.data()
                              : stored.pixels.data() + int64_t{rows - 1} * rowSize;
  const uint32_t workWidth = workWidthFor(stored.width, stored.bitCount != 8);
  return PixelBlock::inPlace(topRow, stored.topDown ? rowSize : -rowSize, rows, workWidth);
}

void unpackStoredRows(const StoredRows& stored, PixelBlock& block) {
  const uint32_t rows = block.rows();
  for (uint32_t i = 0; i < rows; ++i) {
    const uint32_t storedRow = stored.topDown ? i : rows - 1 - i;
    uint8_t* target = block.rowToFill(i);
    unpackToNibbles(stored.pixels.data() + uint64_t{storedRow} * stored.rowSize, stored.bitCount,
                    stored.width, target);
    if (block.workWidth() & 1) target[block.workWidth()] = 0;
  }
}

}  // namespace quillpix
