#include "bmp/bmp_image.h"

#include <algorithm>
#include <cinttypes>

#include "bmp/byte_order.h"
#include "bmp/input_file.h"

namespace quillpix {

const char* compressionName(uint32_t compression) {
  switch (compression) {
    case 0:
      return "(none)";
    case 1:
      return "(RLE 8-bit/pixel)";
    case 2:
      return "(RLE 4-bit/pixel)";
    case 3:
      return "(Bit field or Huffman 1D compression for BITMAPCOREHEADER2)";
    case 4:
      return "(JPEG or RLE-24 compression for BITMAPCOREHEADER2)";
    case 5:
      return "(PNG)";
    case 6:
      return "(Bit field)";
    default:
      return "(unknown)";
  }
}

std::optional<ByteBuffer> readInputFile(const std::string& fileName, std::FILE* out) {
  std::fprintf(out, "Work file: %s ", fileName.c_str());
  InputFile file(fileName);
  if (!file.isOpen()) {
    std::fprintf(out, "Error: Can't opening file -  %s\n", fileName.c_str());
    return std::nullopt;
  }
  const int64_t length = file.fileLength();
  if (length < 0) {
    std::fprintf(out, "Error: Can't read file - %s\n", fileName.c_str());
    return std::nullopt;
  }
  if (length == 0) {
    std::fprintf(out, "Error: Wrong size of file - %s\n", fileName.c_str());
    return std::nullopt;
  }
  std::fprintf(out, "(%" PRId64 " bytes)\n", length);

  const uint64_t bufferSize = static_cast<uint64_t>(length) + 1;
  std::optional<ByteBuffer> image;
  if (bufferSize <= SIZE_MAX) image = ByteBuffer::reserve(static_cast<size_t>(bufferSize));
  const size_t wanted = static_cast<size_t>(length);
  const LoadStatus loaded = image ? loadWholeFile(file, *image, wanted) : LoadStatus::kNoMemory;
  if (loaded == LoadStatus::kNoMemory) {
    std::fprintf(out, "Error: Not enough memory.\n");
    return std::nullopt;
  }
  if (loaded == LoadStatus::kReadFailed) {
    std::fprintf(out, "Error: Can't read file - %s\n", fileName.c_str());
    return std::nullopt;
  }
  file.close();  // closed before the contents are looked at
  image->data()[wanted] = 0;
  return image;
}

std::optional<ByteBuffer> makeFileImage(std::span<const uint8_t> bytes) {
  std::optional<ByteBuffer> image = ByteBuffer::allocate(bytes.size() + 1);
  if (!image) return std::nullopt;
  std::copy(bytes.begin(), bytes.end(), image->data());
  image->data()[bytes.size()] = 0;
  return image;
}

std::optional<BmpImage> decodeBmpImage(ByteBuffer fileImage, const std::string& fileName,
                                       std::FILE* out) {
  std::fprintf(out, "File analizing... ");
  return decodeBmpHeaders(std::move(fileImage), fileName, out);
}

std::optional<BmpImage> decodeBmpHeaders(ByteBuffer fileImage, const std::string& fileName,
                                         std::FILE* out, bool acceptBitFields) {
  BmpImage image;
  image.length = fileImage.size() == 0 ? 0 : static_cast<int64_t>(fileImage.size() - 1);
  image.data = std::move(fileImage);
  std::span<const uint8_t> bytes = image.bytes();

  // A one-byte file compares its second signature byte with the trailing zero, never beyond.
  if (image.data.size() < 2 || image.data.data()[0] != 'B' || image.data.data()[1] != 'M') {
    std::fprintf(out, "Error: Wrong format of file - %s\n", fileName.c_str());
    return std::nullopt;
  }
  std::fprintf(out, "BMP format detected!\n");

  image.biSize = readLe32(bytes, 14);
  const bool coreHeader = image.biSize == kCoreHeaderSize;
  if (image.length < (coreHeader ? kMinCoreBmpLength : kMinBmpLength)) {
    std::fprintf(out, "Error: Wrong size of file - %s\n", fileName.c_str());
    return std::nullopt;
  }
  if (!coreHeader && image.biSize < kMinInfoHeaderSize) {
    std::fprintf(out, "Error: Unsupported BMP header size - %u bytes.\n", image.biSize);
    return std::nullopt;
  }
  image.colourTableOffset = uint64_t{kFileHeaderSize} + image.biSize;
  if (static_cast<uint64_t>(image.length) < image.colourTableOffset) {
    std::fprintf(out, "Error: Wrong size of file - %s\n", fileName.c_str());
    return std::nullopt;
  }

  image.bfSize = readLe32(bytes, 2);
  image.bfOffBits = readLe32(bytes, 10);
  if (coreHeader) {
    // The core header has 16-bit dimensions and nothing after the bit count.
    image.biWidth = readLe16(bytes, 18);
    image.biHeight = readLe16(bytes, 20);
    image.biPlanes = readLe16(bytes, 22);
    image.biBitCount = readLe16(bytes, 24);
    image.colourEntrySize = 3;
    image.hasColourCountField = false;
  } else {
    // A header cut short (OS/2 2.x writers may stop after any field) holds only the fields that
    // end inside it; the others count as 0.
    const std::span<const uint8_t> header =
        bytes.first(static_cast<size_t>(image.colourTableOffset));
    image.biWidth = readLe32(header, 18);
    image.biHeight = static_cast<int32_t>(readLe32(header, 22));
    image.biPlanes = readLe16(header, 26);
    image.biBitCount = readLe16(header, 28);
    image.biCompression = readLe32(header, 30);
    image.biSizeImage = readLe32(header, 34);
    image.biXPelsPerMeter = static_cast<int32_t>(readLe32(header, 38));
    image.biYPelsPerMeter = static_cast<int32_t>(readLe32(header, 42));
    image.biClrUsed = readLe32(header, 46);
    image.biClrImportant = readLe32(header, 50);
    image.hasColourCountField = image.colourTableOffset >= 50;
  }

  // Four-byte fields print as the signed reading of their 32 bits.
  auto asSigned = [](uint32_t value) { return static_cast<int>(static_cast<int32_t>(value)); };
  std::fprintf(out, "\nBMP header:\n%s", kReportRule);
  std::fprintf(out, "  file size: %d bytes\n", asSigned(image.bfSize));
  std::fprintf(out, "  image width: %d px\n", asSigned(image.biWidth));
  std::fprintf(out, "  image heigth: %d px\n", static_cast<int>(image.biHeight));
  std::fprintf(out, "  image planes: %d\n", static_cast<int>(image.biPlanes));
  std::fprintf(out, "  bits/pixel: %d\n", static_cast<int>(image.biBitCount));
  std::fprintf(out, "  compress type: %d %s\n", asSigned(image.biCompression),
               compressionName(image.biCompression));
  std::fprintf(out, "  image size: %d bytes\n", asSigned(image.biSizeImage));
  std::fprintf(out, "  x pixels per meter: %d\n", static_cast<int>(image.biXPelsPerMeter));
  std::fprintf(out, "  y pixels per meter: %d\n", static_cast<int>(image.biYPelsPerMeter));
  std::fprintf(out, "  colors in color table: %d\n", asSigned(image.biClrUsed));
  std::fprintf(out, "  important color count: %d\n\n", asSigned(image.biClrImportant));

  // Run-length encoding is decoded for the bit depth it is defined for; everything else that is
  // compressed stays refused.
  const bool decodable = image.biCompression == kCompressionNone ||
                         (image.biCompression == kCompressionRle8 && image.biBitCount == 8) ||
                         (image.biCompression == kCompressionRle4 && image.biBitCount == 4) ||
                         (acceptBitFields && image.hasBitFields());
  if (!decodable) {
    std::fprintf(out, "Error: Compressed file not supported yet.\n");
    return std::nullopt;
  }
  return image;
}

}  // namespace quillpix
