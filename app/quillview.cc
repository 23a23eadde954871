// quillview: summarises a VKM v3 file and writes a PNG or BMP preview of it.
#include <cstdio>
#include <span>

#include "app/view.h"

int main(int argc, char** argv) {
  std::span<const char* const> arguments(const_cast<const char* const*>(argv) + 1,
                                         argc > 0 ? static_cast<size_t>(argc - 1) : 0);
  const int status = quillpix::runQuillview(arguments, stdout);
  std::fflush(stdout);
  return status;
}
