// quillpix: converts a 16- or 256-colour BMP image into a VKM v3 image file.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <span>

#include "app/run.h"

namespace {

// A closed standard descriptor would be handed out by the next open(), and report text written
// to stdout would then land in the input or output file. Park such descriptors on /dev/null.
void reserveStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  reserveStandardDescriptors();
  // A reader that goes away (quillpix ... | head) must not end the run before the file is
  // written: report text that cannot be delivered is dropped instead.
  std::signal(SIGPIPE, SIG_IGN);
  std::span<const char* const> arguments(const_cast<const char* const*>(argv) + 1,
                                         argc > 0 ? static_cast<size_t>(argc - 1) : 0);
  const int status = quillpix::runQuillpix(arguments, stdout);
  std::fflush(stdout);
  return status;
}
