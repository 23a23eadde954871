#include "bmp/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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
