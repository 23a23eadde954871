#include "bmp/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

namespace quillpix {

InputFile::InputFile(const std::string& fileName) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after.
  int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  fd_ = fd;
}

InputFile::~InputFile() {
  close();
}

void InputFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

int64_t InputFile::fileLength() const {
  off_t current = ::lseek(fd_, 0, SEEK_CUR);
  if (current < 0) return -1;
  off_t end = ::lseek(fd_, 0, SEEK_END);
  if (end < 0 || ::lseek(fd_, current, SEEK_SET) < 0) return -1;
  return static_cast<int64_t>(end);
}

bool InputFile::readAt(uint8_t* into, size_t size, uint64_t offset) const {
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::pread(fd_, into + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

namespace {

// Below this the second thread costs more than it saves.
constexpr size_t kSplitLoadFrom = size_t{16} << 20;

// Faults in the buffer from `offset` to `end` and reads the file's bytes from `offset` up to
// `fileEnd` into it.
LoadStatus loadPart(const InputFile& file, ByteBuffer& buffer, size_t offset, size_t end,
                    size_t fileEnd) {
  if (!buffer.populate(offset, end - offset)) return LoadStatus::kNoMemory;
  return file.readAt(buffer.data() + offset, fileEnd - offset, offset) ? LoadStatus::kLoaded
                                                                       : LoadStatus::kReadFailed;
}

}  // namespace

LoadStatus loadWholeFile(const InputFile& file, ByteBuffer& buffer, size_t length) {
  if (length < kSplitLoadFrom) return loadPart(file, buffer, 0, buffer.size(), length);
  // The halves meet on a huge-page boundary, so that each thread faults in pages of its own.
  const size_t middle = length / 2 / kHugePageSize * kHugePageSize;
  LoadStatus second = LoadStatus::kLoaded;
  std::thread helper;
  try {
    helper = std::thread([&] { second = loadPart(file, buffer, middle, buffer.size(), length); });
  } catch (const std::system_error&) {
    second = loadPart(file, buffer, middle, buffer.size(), length);  // no thread to be had
  }
  const LoadStatus first = loadPart(file, buffer, 0, middle, middle);
  if (helper.joinable()) helper.join();
  // A file that shrank reads short in its second half: that is a read failure too.
  if (first == LoadStatus::kNoMemory || second == LoadStatus::kNoMemory) {
    return LoadStatus::kNoMemory;
  }
  return first == LoadStatus::kLoaded && second == LoadStatus::kLoaded ? LoadStatus::kLoaded
                                                                       : LoadStatus::kReadFailed;
}

bool InputFile::readExactly(uint8_t* into, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd_, into + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace quillpix
