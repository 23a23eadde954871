// An 8-bit-per-component colour, as colour tables and PNG palettes store them.
#ifndef QUILLPIX_CONVERT_COLOUR_H_
#define QUILLPIX_CONVERT_COLOUR_H_

#include <cstdint>

namespace quillpix {

struct Rgb8 {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Rgb8&) const = default;
};

}  // namespace quillpix

#endif  // QUILLPIX_CONVERT_COLOUR_H_
