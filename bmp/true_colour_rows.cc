#include "bmp/true_colour_rows.h"

#include "bmp/byte_order.h"

namespace quillpix {
namespace {

// Where the masks are read from when the header ends before them.
constexpr uint64_t kMasksBehindInfoHeader = 54;

// One channel: the value under its mask, scaled to 0..255 with rounding.
class Channel {
 public:
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;
    while (((mask >> shift_) & 1) == 0) ++shift_;
    maximum_ = mask >> shift_;
    mask_ = mask;
  }
  uint8_t value(uint32_t pixel, uint8_t absent) const {
    if (mask_ == 0) return absent;
    const uint64_t raw = (pixel & mask_) >> shift_;
    return static_cast<uint8_t>((raw * 255 + maximum_ / 2) / maximum_);
  }

 private:
  uint32_t mask_ = 0;
  unsigned shift_ = 0;
  uint64_t maximum_ = 1;
};

}  // namespace

std::optional<ChannelMasks> channelMasks(const BmpImage& image) {
  ChannelMasks masks;
  if (!image.hasBitFields()) {
    if (image.biBitCount == 16) {
      masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else {
      masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
    }
    return masks;
  }
  const bool alphaField = image.biSize >= 56 || image.biCompression == kCompressionAlphaBitFields;
  const uint64_t end = kMasksBehindInfoHeader + (alphaField ? 16 : 12);
  if (end > static_cast<uint64_t>(image.length)) return std::nullopt;
  const std::span<const uint8_t> bytes = image.bytes();
  masks.red = readLe32(bytes, 54);
  masks.green = readLe32(bytes, 58);
  masks.blue = readLe32(bytes, 62);
  if (alphaField) masks.alpha = readLe32(bytes, 66);
  return masks;
}

void decodeTrueColourRows(const StoredRows& stored, const ChannelMasks& masks,
                          RgbaPicture& picture) {
  const Channel red(masks.red), green(masks.green), blue(masks.blue), alpha(masks.alpha);
  const uint32_t rows = picture.height();
  const uint32_t bytesPerPixel = stored.bitCount / 8;
  for (uint32_t y = 0; y < rows; ++y) {
    const uint32_t storedRow = stored.topDown ? y : rows - 1 - y;
    const std::span<const uint8_t> row =
        stored.pixels.subspan(uint64_t{storedRow} * stored.rowSize, stored.bytesPerRow());
    uint8_t* out = picture.row(y);
    for (uint32_t x = 0; x < stored.width; ++x, out += 4) {
      const size_t at = size_t{x} * bytesPerPixel;
      uint32_t pixel = 0;
      if (bytesPerPixel == 2) {
        pixel = readLe16(row, at);
      } else if (bytesPerPixel == 3) {
        pixel = row[at] | (row[at + 1] << 8) | (static_cast<uint32_t>(row[at + 2]) << 16);
      } else {
        pixel = readLe32(row, at);
      }
      out[0] = red.value(pixel, 0);
      out[1] = green.value(pixel, 0);
      out[2] = blue.value(pixel, 0);
      out[3] = alpha.value(pixel, 255);
    }
  }
}

}  // namespace quillpix
