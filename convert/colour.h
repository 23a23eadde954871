// An 8-bit-per-component colour, as colour tables and PNG palettes store them.
#ifndef QUILLPIX_CONVERT_COLOUR_H_
#define QUILLPIX_CONVERT_COLOUR_H_

#include <cstdint>
#include <optional>

#include "bmp/byte_buffer.h"

namespace quillpix {

struct Rgb8 {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb8&) const = default;
};

// A true-colour picture: four bytes a pixel (red, green, blue, alpha), top row first.
class RgbaPicture {
 public:
  // A picture of unspecified contents; nothing when memory is short.
  static std::optional<RgbaPicture> allocate(uint32_t width, uint32_t height) {
    const uint64_t size = uint64_t{width} * height * 4;
    if (size > SIZE_MAX) return std::nullopt;
    std::optional<ByteBuffer> pixels = ByteBuffer::allocate(static_cast<size_t>(size));
    if (!pixels) return std::nullopt;
    RgbaPicture picture;
    picture.width_ = width;
    picture.height_ = height;
    picture.pixels_ = std::move(*pixels);
    return picture;
  }

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  uint8_t* row(uint32_t y) { return pixels_.data() + uint64_t{y} * width_ * 4; }
  const uint8_t* row(uint32_t y) const { return pixels_.data() + uint64_t{y} * width_ * 4; }

 private:
  uint32_t width_ = 0, height_ = 0;
  ByteBuffer pixels_;
};

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_COLOUR_H_
