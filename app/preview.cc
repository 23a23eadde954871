#include "app/preview.h"

#include <png.h>
#include <sys/stat.h>

#include <array>
#include <csetjmp>
#include "bmp/bmp_headers.h"
#include "bmp/input_file.h"
#include "vkm/file_replace.h"

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

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void printUsage(std::FILE* out) {
  std::fputs("Usage:     quillview <file.vkm> [output]\n", out);
  std::fputs("Output:\n", out);
  std::fputs("  none      write a PNG preview beside the input, named <file>.png\n", out);
  std::fputs("  name.png  write the preview as a palette PNG\n", out);
  std::fputs("  name.bmp  write a palette BMP (4-bit for pixel format 1, 8-bit for 2)\n", out);
}

}  // namespace

PixelCensus takeCensus(const VkmImage& image) {
  PixelCensus census;
  std::array<bool, 256> used{};
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) {
      const uint8_t index = image.pixelIndex(x, y);
      used[index] = true;
      if (index < image.colours.size()) continue;
      if (census.beyondPalette++ == 0) {
        census.firstX = x;
        census.firstY = y;
        census.firstIndex = index;
      }
    }
  }
  for (int index = 0; index < 256; ++index) {
    if (!used[index]) continue;
    ++census.distinctIndices;
    census.highestIndex = index;
  }
  return census;
}

std::vector<Rgb8> previewPalette(const VkmImage& image, const PixelCensus& census) {
  std::vector<Rgb8> palette;
  for (uint16_t word : image.colours) {
    const ColourLevels levels = colourLevels(word);
    palette.push_back(
        {expandLevel(levels.red), expandLevel(levels.green), expandLevel(levels.blue)});
  }
  while (static_cast<int>(palette.size()) <= census.highestIndex) palette.push_back(kMissingColour);
  return palette;
}

std::optional<std::vector<uint8_t>> encodePreviewPng(const VkmImage& image,
                                                     const std::vector<Rgb8>& palette) {
  std::vector<uint8_t> encoded;
  std::vector<uint8_t> row(image.width);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  // libpng reports its errors by jumping back here.
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return std::nullopt;
  }
  png_set_write_fn(png, &encoded, appendToVector, nullptr);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> entries;
  for (const Rgb8& colour : palette) entries.push_back({colour.red, colour.green, colour.blue});
  png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
  png_write_info(png, info);
  for (uint32_t y = 0; y < image.height; ++y) {
    for (uint32_t x = 0; x < image.width; ++x) row[x] = image.pixelIndex(x, y);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return encoded;
}

std::vector<uint8_t> encodePreviewBmp(const VkmImage& image, const std::vector<Rgb8>& palette) {
  const uint16_t bitCount = image.pixelFormat == 1 ? 4 : 8;
  const uint32_t rowSize = bmpRowSize(bitCount, image.width);
  BmpHeaderFields fields;
  fields.biWidth = image.width;
  fields.biHeight = image.height;
  fields.biBitCount = bitCount;
  fields.biClrUsed = static_cast<uint32_t>(palette.size());
  fields.bfOffBits = 54 + 4 * fields.biClrUsed;
  fields.biSizeImage = rowSize * image.height;
  fields.bfSize = fields.bfOffBits + fields.biSizeImage;

  std::vector<uint8_t> file;
  file.reserve(fields.bfSize);
  appendBmpHeaders(file, fields);
  for (const Rgb8& colour : palette) appendBmpColour(file, colour.red, colour.green, colour.blue);
  // Stored rows run bottom-up; each takes the VKM row's pixel bytes, pad byte dropped.
  for (uint32_t stored = 0; stored < image.height; ++stored) {
    const uint8_t* row = image.pixels.data() + size_t{image.height - 1 - stored} * image.rowLength;
    file.insert(file.end(), row, row + image.workWidth());
    file.resize(file.size() + rowSize - image.workWidth(), 0);
  }
  return file;
}

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
