// An owned, uninitialised heap block of bytes whose allocation failure is a value, not an
// exception.
#ifndef QUILLPIX_BMP_BYTE_BUFFER_H_
#define QUILLPIX_BMP_BYTE_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

// The size of a huge page: a reserved buffer is populated in parts that start at multiples of it.
inline constexpr size_t kHugePageSize = size_t{2} << 20;

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

  // Like allocate, but a large buffer's memory is only reserved: the caller faults it in with
  // populate(), part by part, so that the parts can be filled at the same time.
  static std::optional<ByteBuffer> reserve(size_t size);

  // Faults in the memory of bytes [offset, offset + length) of a reserved buffer, which must
  // start on a huge-page boundary; false when memory is short.
  bool populate(size_t offset, size_t length);

  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  size_t size() const { return size_; }
  std::span<uint8_t> span() { return {bytes_.get(), size_}; }
  std::span<const uint8_t> span() const { return {bytes_.get(), size_}; }

 private:
  ByteBuffer(uint8_t* bytes, size_t size, size_t mappedSize)
      : bytes_(bytes, ByteBufferRelease{mappedSize}), size_(size) {}
  static std::optional<ByteBuffer> make(size_t size, bool populate);

  std::unique_ptr<uint8_t[], ByteBufferRelease> bytes_;
  size_t size_ = 0;
};

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BYTE_BUFFER_H_
