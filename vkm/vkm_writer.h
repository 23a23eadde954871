// Naming and writing the VKM v3 output file. The file layout is described field by field in
// docs/vkm-format.md.
#ifndef QUILLPIX_VKM_VKM_WRITER_H_
#define QUILLPIX_VKM_VKM_WRITER_H_

#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "convert/conversion.h"
#include "convert/palette.h"
#include "convert/pixel_block.h"

namespace quillpix {

inline constexpr size_t kVkmHeaderSize = 16;
inline constexpr uint8_t kVkmVersion = 3;

using VkmHeader = std::array<uint8_t, kVkmHeaderSize>;

// The output name of an input name: its directory part kept, its file name's base (leading dots
// skipped, cut at the next dot) followed by ".vkm". `valid` is false when the file name has no
// base; `path` is then the directory part followed by ".vkm".
struct OutputName {
  std::string path;
  bool valid = false;
};
OutputName makeOutputName(std::string_view inputName);

// The 16-byte header for an image with `rows` rows and `colourCount` palette entries.
VkmHeader makeVkmHeader(uint8_t backgroundIndex, uint16_t bitCount, uint32_t width, uint32_t rows,
                        int colourCount);

// The header writeOutputFile writes for a converted image.
VkmHeader makeVkmHeader(const ConvertedImage& image);

// The file's bytes in order, header, palette and pixel rows, as spans into `header`, `palette`
// and wherever the block's rows lie.
std::vector<std::span<const uint8_t>> vkmFileParts(const VkmHeader& header,
                                                   const PaletteTable& palette,
                                                   const PixelBlock& block);

// The header writeOutputFile writes for a converted image.
VkmHeader makeVkmHeader(const ConvertedImage& image);

// The whole file as writeOutputFile would write it: header, palette, pixel rows.
std::vector<uint8_t> encodeVkmFile(const ConvertedImage& image);

// Writes the output file for `inputName` through a temporary file renamed over the target once
// it is complete, so a failed run leaves neither a partial file nor a changed old one. Prints
// nothing on success; returns false after printing the write failure message.
bool writeOutputFile(std::string_view inputName, const ConvertedImage& image, std::FILE* out);

}  // namespace quillpix

#endif  // QUILLPIX_VKM_VKM_WRITER_H_
