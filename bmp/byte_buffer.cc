#include "bmp/byte_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>

namespace quillpix {
namespace {

// Blocks this large come straight from the kernel in huge pages where it offers them: a fresh
// 64 MiB buffer otherwise costs 16384 separate page faults, which is most of a conversion's time.
constexpr size_t kMappedThreshold = size_t{4} << 20;
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23;  // the Linux value, for older C library headers
#endif

// Faults the pages of [block, block + length) in with one call: touching them page by page
// instead sometimes stalls for half a second in memory compaction on the first touch of each
// huge page. Kernels before 5.14 refuse the request (EINVAL) and fault on first touch; ENOMEM
// means memory is short.
bool populatePages(void* block, size_t length) {
  return ::madvise(block, length, kPopulateWrite) == 0 || errno != ENOMEM;
}

uint8_t* mapHugePages(size_t size, size_t& mappedSize, bool populate) {
  // Over-map by one huge page so the block can start on a huge-page boundary.
  const size_t rounded = (size + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
  const size_t reserved = rounded + kHugePageSize;
  void* mapping =
      ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const uintptr_t start = reinterpret_cast<uintptr_t>(mapping);
  const uintptr_t aligned = (start + kHugePageSize - 1) & ~(uintptr_t{kHugePageSize} - 1);
  if (aligned > start) ::munmap(mapping, aligned - start);
  const uintptr_t end = start + reserved;
  if (end > aligned + rounded)
    ::munmap(reinterpret_cast<void*>(aligned + rounded), end - (aligned + rounded));
  void* block = reinterpret_cast<void*>(aligned);
  ::madvise(block, rounded, MADV_HUGEPAGE);
  if (populate && !populatePages(block, rounded)) {
    ::munmap(block, rounded);
    return nullptr;
  }
  mappedSize = rounded;
  return reinterpret_cast<uint8_t*>(aligned);
}

}  // namespace

std::optional<ByteBuffer> ByteBuffer::allocate(size_t size) {
  return make(size, true);
}

std::optional<ByteBuffer> ByteBuffer::reserve(size_t size) {
  return make(size, false);
}

bool ByteBuffer::populate(size_t offset, size_t length) {
  const size_t mapped = bytes_.get_deleter().mappedSize;
  if (mapped == 0 || offset >= mapped || length == 0) return true;
  return populatePages(bytes_.get() + offset, std::min(length, mapped - offset));
}

std::optional<ByteBuffer> ByteBuffer::make(size_t size, bool populate) {
  if (size >= kMappedThreshold) {
    size_t mappedSize = 0;
    uint8_t* bytes = mapHugePages(size, mappedSize, populate);
    if (bytes == nullptr) return std::nullopt;
    return ByteBuffer(bytes, size, mappedSize);
  }
  // new[] of 0 bytes still gives a unique pointer, so an empty buffer is valid too.
  uint8_t* bytes = new (std::nothrow) uint8_t[size == 0 ? 1 : size];
  if (bytes == nullptr) return std::nullopt;
  return ByteBuffer(bytes, size, 0);
}

void ByteBufferRelease::operator()(uint8_t* bytes) const {
  if (mappedSize != 0) {
    ::munmap(bytes, mappedSize);
  } else {
    delete[] bytes;
  }
}

}  // namespace quillpix
