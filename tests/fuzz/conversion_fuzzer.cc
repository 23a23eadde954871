// libFuzzer target: any bytes through loading, palette, pixel rows and the VKM encoder, with the
// invariants of checkConversion. Build with -DQUILLPIX_FUZZ=ON and clang.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/conversion_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const quillpix::fuzzing::CheckedRun run =
      quillpix::fuzzing::checkConversion(std::span<const uint8_t>(data, size));
  if (!run.broken.empty()) {
    std::fprintf(stderr, "invariant broken: %s\nreport:\n%s\n", run.broken.c_str(),
                 run.report.c_str());
    std::abort();
  }
  return 0;
}
