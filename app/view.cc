#include "app/view.h"

#include <sys/stat.h>

#include <cctype>

#include "bmp/input_file.h"
#include "vkm/file_replace.h"
#include "vkm/vkm_preview.h"

namespace quillpix {
namespace {

constexpr int kViewSuccess = 0;
constexpr int kViewFailure = 1;

// The largest valid VKM file: 65535 rows of 65536 bytes behind the header and a full palette.
constexpr uint64_t kMaxVkmLength = 16 + 512 + uint64_t{65535} * 65536;

bool endsWith(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[text.size() - suffix.size() + i];
    if (std::tolower(static_cast<unsigned char>(c)) != suffix[i]) return false;
  }
  return true;
}

// True when both names lead to the same existing file, or are the same name.
bool sameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat first, second;
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void printUsage(std::FILE* out) {
  std::fputs("Usage:     quillview <file.vkm> [output]\n", out);
  std::fputs("Output:\n", out);
  std::fputs("  none      write a PNG preview beside the input, named <file>.png\n", out);
  std::fputs("  name.png  write the preview as a palette PNG\n", out);
  std::fputs("  name.bmp  write a palette BMP (4-bit for pixel format 1, 8-bit for 2)\n", out);
}

}  // namespace

std::string defaultPreviewName(const std::string& inputName) {
  if (endsWith(inputName, ".vkm")) return inputName.substr(0, inputName.size() - 4) + ".png";
  return inputName + ".png";
}

int runQuillview(std::span<const char* const> arguments, std::FILE* out) {
  if (arguments.empty() || arguments[0][0] == '-') {
    printUsage(out);
    return kViewSuccess;
  }
  if (arguments.size() > 2) {
    std::fprintf(out, "Error: Unexpected argument - %s\n", arguments[2]);
    return kViewFailure;
  }
  const std::string inputName = arguments[0];
  const std::string outputName =
      arguments.size() == 2 ? arguments[1] : defaultPreviewName(inputName);

  std::vector<uint8_t> bytes;
  InputFile input(inputName);
  const int64_t length = input.isOpen() ? input.fileLength() : -1;
  if (length >= 0 && static_cast<uint64_t>(length) <= kMaxVkmLength) {
    bytes.resize(static_cast<size_t>(length));
  }
  if (length < 0 || static_cast<uint64_t>(length) > kMaxVkmLength ||
      !input.readExactly(bytes.data(), bytes.size())) {
    std::fprintf(out, "Error: Can't read file - %s\n", inputName.c_str());
    return kViewFailure;
  }
  input.close();
  const VkmDecodeResult decoded = decodeVkmFile(bytes);
  if (!decoded.ok) {
    std::fprintf(out, "Error: Bad VKM file - %s: %s\n", inputName.c_str(), decoded.error.c_str());
    return kViewFailure;
  }
  if (sameFile(inputName, outputName)) {
    std::fprintf(out, "Error: The preview would replace its input - %s\n", inputName.c_str());
    return kViewFailure;
  }

  const VkmImage& image = decoded.image;
  const PixelCensus census = takeCensus(image);
  const int colourCount = static_cast<int>(image.colours.size());
  std::fprintf(out, "VKM file: %s (%zu bytes)\n", inputName.c_str(), bytes.size());
  std::fprintf(out, "  image size: %u x %u px\n", image.width, image.height);
  std::fprintf(out, "  pixel format: %u (%s)\n", image.pixelFormat,
               image.pixelFormat == 1 ? "4 bits per pixel" : "8 bits per pixel");
  std::fprintf(out, "  colors in palette: %d\n", colourCount);
  std::fprintf(out, "  background index: %u\n", image.backgroundIndex);
  std::fprintf(out, "  palette indices used: %d\n", census.distinctIndices);
  if (census.beyondPalette > 0) {
    std::fprintf(out,
                 "Warning: %llu pixels use indices beyond the palette; the first: pixel (%u, %u) "
                 "uses index %u, palette has %d colours. They show as #%02X%02X%02X, a colour "
                 "the palette lacks.\n",
                 static_cast<unsigned long long>(census.beyondPalette), census.firstX,
                 census.firstY, census.firstIndex, colourCount, kMissingColour.red,
                 kMissingColour.green, kMissingColour.blue);
  }
  if (image.backgroundIndex >= colourCount) {
    std::fprintf(out, "Warning: background index %u lies beyond the palette (%d colours).\n",
                 image.backgroundIndex, colourCount);
  }

  const std::vector<Rgb8> palette = previewPalette(image, census);
  std::vector<uint8_t> preview;
  if (endsWith(outputName, ".bmp")) {
    preview = encodePreviewBmp(image, palette);
  } else if (std::optional<std::vector<uint8_t>> png = encodePreviewPng(image, palette)) {
    preview = std::move(*png);
  } else {
    std::fprintf(out, "Error: Can't encode the PNG preview.\n");
    return kViewFailure;
  }
  const std::span<const uint8_t> parts[] = {preview};
  if (!replaceFileContents(outputName, parts)) {
    std::fprintf(out, "Error: Can't write file: %s\n", outputName.c_str());
    return kViewFailure;
  }
  std::fprintf(out, "Preview written: %s\n", outputName.c_str());
  return kViewSuccess;
}

}  // namespace quillpix
