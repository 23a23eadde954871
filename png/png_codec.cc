#include "png/png_codec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

namespace quillpix {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// libpng reports an error by calling this and never expects it to return: the message is kept
// and control jumps back to the setjmp of the call that was running. Only libpng's frames and
// this function lie between the two, so no destructor is skipped.
struct ErrorSink {
  char message[200] = {};
};

void keepErrorAndJump(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void dropWarning(png_structp, png_const_charp) {}

// The file libpng reads from: a span of memory.
struct MemorySource {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  size_t at = 0;
};

void readFromMemory(png_structp png, png_bytep into, size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (source->size - source->at < length) png_error(png, "the file is cut short");
  std::memcpy(into, source->bytes + source->at, length);
  source->at += length;
}

void appendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// The widest and tallest picture the format allows; quillpix refuses more than 65535 itself,
// with its own message.
constexpr uint32_t kFormatLimit = 0x7FFFFFFF;

// Deflate gives at most 1032 bytes for one (258-byte matches of 2 bits each); a little more
// for the zlib header and block overheads is allowed.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 1024;

// The bytes of all IDAT chunks, by walking the chunk list (lengths are big-endian, then the
// type, the data and a 4-byte CRC); stops at the first chunk that does not fit.
uint64_t imageDataLength(std::span<const uint8_t> file) {
  uint64_t total = 0;
  size_t at = 8;  // past the signature
  while (file.size() - at >= 12) {
    const uint64_t length = uint64_t{file[at]} << 24 | uint64_t{file[at + 1]} << 16 |
                            uint64_t{file[at + 2]} << 8 | file[at + 3];
    if (length > file.size() - at - 12) break;
    if (std::memcmp(file.data() + at + 4, "IDAT", 4) == 0) total += length;
    at += static_cast<size_t>(length) + 12;
  }
  return total;
}

// Each guarded call below holds only a setjmp and libpng calls, so that a jump back into it
// skips nothing that has a destructor.
// Bytes of one stored row, by the header's width, bit depth and channels.
uint64_t rowBytesOf(png_structp png, png_infop info) {
  const uint64_t bits = uint64_t{png_get_bit_depth(png, info)} * png_get_channels(png, info);
  return (uint64_t{png_get_image_width(png, info)} * bits + 7) / 8;
}

bool guardedReadInfo(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  return true;
}

bool guardedReadImage(png_structp png, png_infop info, png_bytepp rows, bool expandToRgba) {
  if (setjmp(png_jmpbuf(png))) return false;
  if (expandToRgba) {
    png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

bool hasPngSignature(std::span<const uint8_t> file) {
  return file.size() >= sizeof kSignature && std::memcmp(file.data(), kSignature, 8) == 0;
}

int PngFormat::channels() const {
  switch (colourType) {
    case PngColourType::kGrey:
    case PngColourType::kPalette:
      return 1;
    case PngColourType::kGreyAlpha:
      return 2;
    case PngColourType::kRgb:
      return 3;
    case PngColourType::kRgba:
      return 4;
  }
  return 1;
}

struct PngReader::State {
  ErrorSink sink;
  MemorySource source;
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool rowsRead = false;
};

PngReader::PngReader(std::span<const uint8_t> file) : state_(std::make_unique<State>()) {
  state_->source = {file.data(), file.size(), 0};
  state_->png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &state_->sink, keepErrorAndJump, dropWarning);
  if (state_->png == nullptr) return;
  state_->info = png_create_info_struct(state_->png);
  png_set_read_fn(state_->png, &state_->source, readFromMemory);
  png_set_user_limits(state_->png, kFormatLimit, kFormatLimit);
}

PngReader::~PngReader() {
  if (state_->png != nullptr) png_destroy_read_struct(&state_->png, &state_->info, nullptr);
}

bool PngReader::readFormat() {
  png_structp png = state_->png;
  png_infop info = state_->info;
  if (png == nullptr || info == nullptr) {
    error_ = "out of memory";
    return false;
  }
  if (!guardedReadInfo(png, info)) {
    error_ = state_->sink.message;
    return false;
  }
  format_.width = png_get_image_width(png, info);
  format_.height = png_get_image_height(png, info);
  // A few bytes may claim a huge picture; refuse one its compressed data cannot fill, before
  // anything is allocated for it.
  const uint64_t rawBytes = uint64_t{format_.height} * (1 + rowBytesOf(png, info));
  const std::span<const uint8_t> file(state_->source.bytes, state_->source.size);
  if (rawBytes > imageDataLength(file) * kMaxInflateRatio + kInflateSlack) {
    error_ = "the image data is too short for a picture of " + std::to_string(format_.width) +
             " x " + std::to_string(format_.height) + " pixels";
    return false;
  }
  format_.bitDepth = png_get_bit_depth(png, info);
  format_.colourType = static_cast<PngColourType>(png_get_color_type(png, info));
  format_.interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
  png_colorp entries = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &entries, &count) != 0) {
    for (int i = 0; i < count; ++i) {
      format_.palette.push_back({entries[i].red, entries[i].green, entries[i].blue});
    }
  }
  png_bytep alpha = nullptr;
  int alphaCount = 0;
  png_color_16p transparent = nullptr;
  if (png_get_tRNS(png, info, &alpha, &alphaCount, &transparent) != 0) {
    if (format_.colourType == PngColourType::kPalette && alpha != nullptr) {
      format_.paletteAlpha.assign(alpha, alpha + alphaCount);
    } else if (transparent != nullptr && format_.colourType == PngColourType::kGrey) {
      format_.transparentSamples = {transparent->gray, transparent->gray, transparent->gray};
    } else if (transparent != nullptr && format_.colourType == PngColourType::kRgb) {
      format_.transparentSamples = {transparent->red, transparent->green, transparent->blue};
    }
  }
  return true;
}

bool PngReader::readRows(std::span<uint8_t* const> rows) {
  return readImage(rows, false);
}

bool PngReader::readRgbaRows(std::span<uint8_t* const> rows) {
  return readImage(rows, true);
}

bool PngReader::readImage(std::span<uint8_t* const> rows, bool expandToRgba) {
  if (rows.size() != format_.height || state_->rowsRead) return false;
  state_->rowsRead = true;
  if (!guardedReadImage(state_->png, state_->info, const_cast<png_bytepp>(rows.data()),
                        expandToRgba)) {
    error_ = state_->sink.message;
    return false;
  }
  return true;
}

namespace {

bool guardedWrite(png_structp png, png_infop info, const PngFormat& format,
                  const PngRowFiller& fillRow, png_bytep row, std::vector<uint8_t>& encoded) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &encoded, appendToVector, flushNothing);
  png_set_IHDR(png, info, format.width, format.height, format.bitDepth,
               static_cast<int>(format.colourType),
               format.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!format.palette.empty()) {
    png_color entries[256];
    const size_t count = format.palette.size() < 256 ? format.palette.size() : 256;
    for (size_t i = 0; i < count; ++i) {
      entries[i] = {format.palette[i].red, format.palette[i].green, format.palette[i].blue};
    }
    png_set_PLTE(png, info, entries, static_cast<int>(count));
  }
  if (!format.paletteAlpha.empty()) {
    png_set_tRNS(png, info, format.paletteAlpha.data(),
                 static_cast<int>(format.paletteAlpha.size()), nullptr);
  } else if (format.transparentSamples) {
    png_color_16 colour = {};
    colour.gray = (*format.transparentSamples)[0];
    colour.red = (*format.transparentSamples)[0];
    colour.green = (*format.transparentSamples)[1];
    colour.blue = (*format.transparentSamples)[2];
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass) {
    for (uint32_t y = 0; y < format.height; ++y) {
      fillRow(y, row);
      png_write_row(png, row);
    }
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> encodePng(const PngFormat& format,
                                              const PngRowFiller& fillRow) {
  std::vector<uint8_t> encoded;
  std::vector<uint8_t> row(static_cast<size_t>(format.rowBytes()) + 1);
  ErrorSink sink;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, keepErrorAndJump, dropWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  const bool written =
      info != nullptr && guardedWrite(png, info, format, fillRow, row.data(), encoded);
  png_destroy_write_struct(&png, &info);
  if (!written) return std::nullopt;
  return encoded;
}

}  // namespace quillpix
