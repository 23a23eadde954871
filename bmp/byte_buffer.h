// An owned, uninitialised heap block of bytes whose allocation failure is a value, not an
// exception.
#ifndef QUILLPIX_BMP_BYTE_BUFFER_H_
#define QUILLPIX_BMP_BYTE_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace quillpix {

// Frees a ByteBuffer's block, by the means that allocated it.
struct ByteBufferRelease {
  size_t mappedSize = 0;  // non-zero when the block came from a page mapping
  void operator()(uint8_t* bytes) const;
};

class ByteBuffer {
 public:
  ByteBuffer() = default;

  // Returns a buffer of `size` bytes with unspecified contents, or nothing when memory is short.
  static std::optional<ByteBuffer> allocate(size_t size);

  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  std::span<uint8_t> span() { return {bytes_.get(), size_}; }
  std::span<const uint8_t> span() const { return {bytes_.get(), size_}; }

 private:
  ByteBuffer(uint8_t* bytes, size_t size, size_t mappedSize)
      : bytes_(bytes, ByteBufferRelease{mappedSize}), size_(size) {}

  std::unique_ptr<uint8_t[], ByteBufferRelease> bytes_;
  size_t size_ = 0;
};

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BYTE_BUFFER_H_
