#include "bmp/byte_buffer.h"

#include <new>

namespace quillpix {

std::optional<ByteBuffer> ByteBuffer::allocate(size_t size) {
  // new[] of 0 bytes still gives a unique pointer, so an empty buffer is valid too.
  uint8_t* bytes = new (std::nothrow) uint8_t[size == 0 ? 1 : size];
  if (bytes == nullptr) return std::nullopt;
  return ByteBuffer(bytes, size, 0);
}

void ByteBufferRelease::operator()(uint8_t* bytes) const {
  delete[] bytes;
}

}  // namespace quillpix
