// The run sequence: banner, usage or settings, then the conversion steps in order.
#ifndef QUILLPIX_APP_RUN_H_
#define QUILLPIX_APP_RUN_H_

#include <cstdio>
#include <span>

namespace quillpix {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;

// Runs the program on the arguments after its own name, reporting to `out`; returns the exit
// status.
int runQuillpix(std::span<const char* const> arguments, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_APP_RUN_H_
