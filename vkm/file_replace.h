// Writing a whole file so that readers only ever see the old file or the complete new one.
#ifndef QUILLPIX_VKM_FILE_REPLACE_H_
#define QUILLPIX_VKM_FILE_REPLACE_H_

#include <cstdint>
#include <span>
#include <string>

namespace quillpix {

// Writes `parts` in order to a temporary file beside `path` and renames it over `path` once
// everything is written and closed. On failure the temporary file is removed and an existing
// file at `path` is left as it was. The new file gets mode 0666 less the umask.
bool replaceFileContents(const std::string& path, std::span<const std::span<const uint8_t>> parts);

}  // namespace quillpix

#endif  // QUILLPIX_VKM_FILE_REPLACE_H_
