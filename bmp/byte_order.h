// Little-endian field access, one byte at a time, so that host byte order and alignment never
// matter. Every read is checked against the buffer: a field that does not fit reads as 0.
#ifndef QUILLPIX_BMP_BYTE_ORDER_H_
#define QUILLPIX_BMP_BYTE_ORDER_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

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

// Appends the value low byte first.
inline void appendLe16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void appendLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BYTE_ORDER_H_
