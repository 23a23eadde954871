// Loading a BMP file into memory and decoding its headers, with the header section of the
// console report.
#ifndef QUILLPIX_BMP_BMP_IMAGE_H_
#define QUILLPIX_BMP_BMP_IMAGE_H_

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "bmp/byte_buffer.h"

namespace quillpix {

// Size of the 14-byte file header plus the 40-byte information header; files with the 12-byte
// OS/2 core header need only their 26 bytes.
inline constexpr int64_t kMinBmpLength = 54;
inline constexpr int64_t kMinCoreBmpLength = 26;
inline constexpr uint32_t kFileHeaderSize = 14;
// The OS/2 1.x core header: 16-bit dimensions and 3-byte colour-table entries.
inline constexpr uint32_t kCoreHeaderSize = 12;
// The shortest header in the Windows/OS/2 2.x layout; shorter ones end before the bit count.
inline constexpr uint32_t kMinInfoHeaderSize = 16;

// biCompression values that are decoded rather than refused.
inline constexpr uint32_t kCompressionNone = 0;
inline constexpr uint32_t kCompressionRle8 = 1;
inline constexpr uint32_t kCompressionRle4 = 2;
inline constexpr uint32_t kCompressionBitFields = 3;
inline constexpr uint32_t kCompressionAlphaBitFields = 6;

// The rule under the title of each report section.
inline constexpr char kReportRule[] = "---------------------------------\n";

// The whole input file and its decoded header fields. Later steps read the colour table and the
// pixel rows in place, through offsets into `data`.
struct BmpImage {
  ByteBuffer data;     // length + 1 bytes; the last one is always 0
  int64_t length = 0;  // the file's length in bytes, never 0 once loaded

  uint32_t bfSize = 0;
  uint32_t bfOffBits = 0;
  uint32_t biSize = 0;
  uint32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 0;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;

  // Where the colour table starts: right behind the information header, whatever its size.
  uint64_t colourTableOffset = 0;
  uint32_t colourEntrySize = 4;  // 3 (blue, green, red) behind the OS/2 core header
  // False when the header ends before biClrUsed: the table then holds 2^bits entries, as many
  // as fit before the pixel data.
  bool hasColourCountField = true;

  bool isRunLengthEncoded() const {
    return biCompression == kCompressionRle8 || biCompression == kCompressionRle4;
  }
  // A 16- or 32-bit image whose channels are given by bit-field masks.
  bool hasBitFields() const {
    return (biCompression == kCompressionBitFields ||
            biCompression == kCompressionAlphaBitFields) &&
           (biBitCount == 16 || biBitCount == 32);
  }

  // The file's bytes, without the trailing zero.
  std::span<const uint8_t> bytes() const { return {data.data(), static_cast<size_t>(length)}; }
};

// Reads the named file whole into a buffer of length + 1 bytes (the last one 0). Prints the
// work-file line with the length, or one error message and returns nothing.
std::optional<ByteBuffer> readInputFile(const std::string& fileName, std::FILE* out);

// A file image as readInputFile makes it, from bytes already in memory: the bytes followed by
// one 0. Nothing when memory is short.
std::optional<ByteBuffer> makeFileImage(std::span<const uint8_t> bytes);

// Checks the signature, decodes the headers and prints the header report from a file image
// made by readInputFile (its last byte is the extra 0). `fileName` only appears in messages.
// Returns nothing after printing one error message.
std::optional<BmpImage> decodeBmpImage(ByteBuffer fileImage, const std::string& fileName,
                                       std::FILE* out);

// decodeBmpImage once "File analizing... " has been printed. With `acceptBitFields`, 16- and
// 32-bit images with bit-field masks pass the compression test too.
std::optional<BmpImage> decodeBmpHeaders(ByteBuffer fileImage, const std::string& fileName,
                                         std::FILE* out, bool acceptBitFields = false);

// The name the report gives a biCompression value, "(none)" for 0.
const char* compressionName(uint32_t compression);

}  // namespace quillpix

#endif  // QUILLPIX_BMP_BMP_IMAGE_H_
