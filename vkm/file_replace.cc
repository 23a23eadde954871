#include "vkm/file_replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace quillpix {
namespace {

// Writes every byte of every part, in order; false on any failure.
bool writeAll(int fd, std::span<const std::span<const uint8_t>> parts) {
  for (std::span<const uint8_t> part : parts) {
    while (!part.empty()) {
      ssize_t written = ::write(fd, part.data(), part.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      part = part.subspan(static_cast<size_t>(written));
    }
  }
  return true;
}

// Creates a new file beside `target` under a name no other run uses. The mode 0666 lets the
// umask decide the permissions, as a plain create of the target would.
int createTemporaryFile(const std::string& target, std::string& temporaryName) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryName = directory + ".quillpix-" + std::to_string(::getpid()) + "-" +
                    std::to_string(counter++) + ".tmp";
    int fd = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool replaceFileContents(const std::string& path, std::span<const std::span<const uint8_t>> parts) {
  std::string temporaryName;
  int fd = createTemporaryFile(path, temporaryName);
  if (fd < 0) return false;
  bool written = writeAll(fd, parts);
  written = (::close(fd) == 0) && written;
  if (!written || std::rename(temporaryName.c_str(), path.c_str()) != 0) {
    ::unlink(temporaryName.c_str());
    return false;
  }
  return true;
}

}  // namespace quillpix
