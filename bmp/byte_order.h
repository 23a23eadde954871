// Little-endian field access, one byte at a time, so that host byte order and alignment never
// matter. Every read is checked against the buffer: a field that does not fit reads as 0.
#ifndef QUILLPIX_BMP_BYTE_ORDER_H_
#define QUILLPIX_BMP_BYTE_ORDER_H_

#include <cstddef>
#include <cstdint>
#include <span>

namespace quillpix {

inline uint16_t readLe16(std::span<const uint8_t> bytes, size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return 0;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t readLe32(std::span<const uint8_t> bytes, size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

// Stores the value low byte first at out[0..1].
inline void storeLe16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value & 0xFF);
  out[1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BYTE_ORDER_H_
