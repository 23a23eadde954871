// The quillview program: checks a VKM image, prints its summary and writes its preview.
#ifndef QUILLPIX_APP_VIEW_H_
#define QUILLPIX_APP_VIEW_H_

#include <cstdio>
#include <span>
#include <string>

namespace quillpix {

// The preview file name for an input: its ".vkm" replaced by ".png", or ".png" appended.
std::string defaultPreviewName(const std::string& inputName);

// The whole program: arguments after its own name, report to `out`; returns the exit status.
int runQuillview(std::span<const char* const> arguments, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_APP_VIEW_H_
