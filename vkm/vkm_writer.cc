#include "vkm/vkm_writer.h"

#include "bmp/byte_order.h"
#include "vkm/file_replace.h"

namespace quillpix {
namespace {

constexpr std::string_view kOutputExtension = ".vkm";

}  // namespace

OutputName makeOutputName(std::string_view inputName) {
  const size_t slash = inputName.rfind('/');
  const size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
  std::string_view fileName = inputName.substr(fileStart);
  const size_t baseStart = fileName.find_first_not_of('.');
  std::string_view base;
  if (baseStart != std::string_view::npos) {
    base = fileName.substr(baseStart);
    base = base.substr(0, base.find('.'));
  }
  OutputName name;
  name.path.reserve(fileStart + base.size() + kOutputExtension.size());
  name.path.append(inputName.substr(0, fileStart)).append(base).append(kOutputExtension);
  name.valid = !base.empty();
  return name;
}

VkmHeader makeVkmHeader(uint8_t backgroundIndex, uint16_t bitCount, uint32_t width, uint32_t rows,
                        int colourCount) {
  VkmHeader header{};
  header[0] = 0x7F;
  header[1] = 'V';
  header[2] = 'K';
  header[3] = 'M';
  header[4] = kVkmVersion;
  header[5] = backgroundIndex;
  header[6] = 0;
  header[7] = bitCount <= 4 ? 1 : 2;  // 1: two pixels per byte, 2: one pixel per byte
  storeLe16(&header[8], static_cast<uint16_t>(width));
  storeLe16(&header[10], static_cast<uint16_t>(rows));
  storeLe16(&header[12], 2);  // the palette follows this field directly
  storeLe16(&header[14], static_cast<uint16_t>(2 * colourCount));
  return header;
}

VkmHeader makeVkmHeader(const ConvertedImage& image) {
  return makeVkmHeader(image.backgroundIndex, image.outputBits, image.width, image.block.rows(),
                       image.palette.colourCount);
}

std::vector<std::span<const uint8_t>> vkmFileParts(const VkmHeader& header,
                                                   const PaletteTable& palette,
                                                   const PixelBlock& block) {
  std::vector<std::span<const uint8_t>> parts = block.outputSpans();
  parts.insert(
      parts.begin(),
      {std::span<const uint8_t>(header),
       std::span<const uint8_t>(palette.bytes.data(), static_cast<size_t>(palette.byteLength()))});
  return parts;
}

std::vector<uint8_t> encodeVkmFile(const ConvertedImage& image) {
  const VkmHeader header = makeVkmHeader(image);
  std::vector<uint8_t> file;
  for (std::span<const uint8_t> part : vkmFileParts(header, image.palette, image.block)) {
    file.insert(file.end(), part.begin(), part.end());
  }
  return file;
}

bool writeOutputFile(std::string_view inputName, const ConvertedImage& image, std::FILE* out) {
  const OutputName name = makeOutputName(inputName);
  auto fail = [&]() {
    std::fprintf(out, "Error: Can't write file: %s", name.path.c_str());
    return false;
  };
  if (!name.valid) return fail();

  const VkmHeader header = makeVkmHeader(image);
  const auto parts = vkmFileParts(header, image.palette, image.block);

  if (!replaceFileContents(name.path, parts)) return fail();
  return true;
}

}  // namespace quillpix
