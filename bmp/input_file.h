// A regular file opened for reading whole, closed when the object goes.
#ifndef QUILLPIX_BMP_INPUT_FILE_H_
#define QUILLPIX_BMP_INPUT_FILE_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "bmp/byte_buffer.h"

namespace quillpix {

class InputFile {
 public:
  // Opens `fileName` when it names a regular file; a directory, FIFO or device is refused
  // without blocking. Check isOpen() afterwards.
  explicit InputFile(const std::string& fileName);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }

  // The file's length from its end position, the read position left where it was; -1 on
  // failure.
  int64_t fileLength() const;

  // Reads exactly `size` bytes from the current position; false when the file ends or fails
  // first.
  bool readExactly(uint8_t* into, size_t size);

  // Reads exactly `size` bytes from `offset`, leaving the position alone; false when the file
  // ends or fails first. Safe to call from two threads at once.
  bool readAt(uint8_t* into, size_t size, uint64_t offset) const;

  // Closes the file now rather than at destruction.
  void close();

 private:
  int fd_ = -1;
};

enum class LoadStatus { kLoaded, kNoMemory, kReadFailed };

// Fills the first `length` bytes of `buffer` (made by ByteBuffer::reserve) with the file's
// first `length` bytes. A large file is loaded in two halves at once, the second on another
// thread: faulting in fresh memory and copying the file into it are most of a conversion's
// time, and the machine has a second core for them.
LoadStatus loadWholeFile(const InputFile& file, ByteBuffer& buffer, size_t length);

}  // namespace quillpix

#endif  // QUILLPIX_BMP_INPUT_FILE_H_
