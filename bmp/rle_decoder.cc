#include "bmp/rle_decoder.h"

#include <algorithm>
#include <cstring>

namespace quillpix {
namespace {

// The escape codes that follow a zero count.
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// Where the next pixel goes, counted from the bottom-left corner. Both coordinates stop at the
// image's edge: once past it nothing more is written there, however far the stream moves on.
class Cursor {
 public:
  Cursor(RleEncoding encoding, uint32_t width, PixelBlock& block)
      : fourBit_(encoding == RleEncoding::kRle4), width_(width), block_(block) {}

  // Writes `count` pixels of one value (RLE8) or of two alternating nibbles (RLE4).
  void putRun(uint32_t count, uint8_t value) {
    const uint32_t inside = std::min(count, pixelsLeftInRow());
    if (inside > 0) {
      uint8_t* row = currentRow();
      if (fourBit_) {
        for (uint32_t i = 0; i < inside; ++i)
          setNibble(row, x_ + i, i & 1 ? value & 0x0F : value >> 4);
      } else {
        std::memset(row + x_, value, inside);
      }
    }
    advance(count);
  }

  // Writes `count` pixels stored one a byte (RLE8) or two a byte, high nibble first (RLE4).
  void putLiteral(uint32_t count, const uint8_t* data) {
    const uint32_t inside = std::min(count, pixelsLeftInRow());
    if (inside > 0) {
      uint8_t* row = currentRow();
      if (fourBit_) {
        for (uint32_t i = 0; i < inside; ++i) setNibble(row, x_ + i, nibbleAt(data, i));
      } else {
        std::memcpy(row + x_, data, inside);
      }
    }
    advance(count);
  }

  void endLine() {
    x_ = 0;
    moveUp(1);
  }

  void move(uint32_t right, uint32_t up) {
    advance(right);
    moveUp(up);
  }

 private:
  uint32_t pixelsLeftInRow() const { return y_ < block_.rows() ? width_ - x_ : 0; }
  uint8_t* currentRow() { return block_.rowToFill(block_.rows() - 1 - y_); }
  void advance(uint32_t pixels) { x_ += std::min(pixels, width_ - x_); }
  void moveUp(uint32_t rows) { y_ += std::min(rows, block_.rows() - y_); }

  const bool fourBit_;
  const uint32_t width_;
  PixelBlock& block_;
  uint32_t x_ = 0, y_ = 0;
};

}  // namespace

bool decodeRunLengthRows(std::span<const uint8_t> stream, RleEncoding encoding, uint32_t width,
                         PixelBlock& block) {
  Cursor cursor(encoding, width, block);
  size_t at = 0;
  auto left = [&] { return stream.size() - at; };
  while (left() >= 2) {
    const uint8_t count = stream[at];
    const uint8_t code = stream[at + 1];
    at += 2;
    if (count > 0) {
      cursor.putRun(count, code);
      continue;
    }
    switch (code) {
      case kEndOfLine:
        cursor.endLine();
        break;
      case kEndOfBitmap:
        return true;
      case kDelta:
        if (left() < 2) return false;
        cursor.move(stream[at], stream[at + 1]);
        at += 2;
        break;
      default: {
        // An absolute run: `code` pixels stored as they are, padded to a 16-bit boundary.
        const size_t dataBytes = encoding == RleEncoding::kRle4 ? (code + 1u) / 2 : code;
        if (left() < dataBytes) return false;
        cursor.putLiteral(code, stream.data() + at);
        at += std::min(dataBytes + (dataBytes & 1), left());
        break;
      }
    }
  }
  return false;
}

}  // namespace quillpix
