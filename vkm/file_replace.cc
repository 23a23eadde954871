#include "vkm/file_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace quillpix {
namespace {

// Writes every byte of every part, in order, gathering up to IOV_MAX parts into each call;
// false on any failure.
bool writeAll(int fd, std::span<const std::span<const uint8_t>> parts) {
  iovec batch[IOV_MAX];
  size_t next = 0;     // the first part not yet in a batch
  size_t skipped = 0;  // bytes of parts[next] already written
  while (next < parts.size()) {
    int count = 0;
    for (size_t i = next; i < parts.size() && count < IOV_MAX; ++i, ++count) {
      const size_t offset = i == next ? skipped : 0;
      batch[count].iov_base = const_cast<uint8_t*>(parts[i].data() + offset);
      batch[count].iov_len = parts[i].size() - offset;
    }
    ssize_t written = ::writev(fd, batch, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      // A batch of empty parts writes nothing and is done.
      bool empty = written == 0;
      for (int i = 0; i < count && empty; ++i) empty = batch[i].iov_len == 0;
      if (!empty) return false;
    }
    // Step past what was written; a part written in part is taken up again.
    size_t left = written > 0 ? static_cast<size_t>(written) : 0;
    for (int i = 0; i < count; ++i) {
      if (left < batch[i].iov_len) {
        skipped = (i == 0 ? skipped : 0) + left;
        break;
      }
      left -= batch[i].iov_len;
      ++next;
      skipped = 0;
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
