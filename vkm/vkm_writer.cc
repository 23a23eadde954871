#include "vkm/vkm_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "bmp/byte_order.h"

namespace quillpix {
namespace {

constexpr std::string_view kOutputExtension = ".vkm";

// Writes every byte of every piece, in order; false on any failure.
bool writeAll(int fd, std::span<const std::span<const uint8_t>> parts) {
  for (std::span<const uint8_t> piece : parts) {
    while (!piece.empty()) {
      ssize_t written = ::write(fd, piece.data(), piece.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      piece = piece.subspan(static_cast<size_t>(written));
    }
  }
  return true;
}

// Creates a new file beside `target` under a name no other run uses. The mode 0666 lets the
// umask decide the permissions, as a plain create of the target would.
int createTemporaryFile(const std::string& target, std::string& temporaryName) {
  static std::atomic<unsigned> counter{0};
  const size_t slash = target.rfind('/');
  const std::string directory = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryName = directory + ".quillpix-" + std::to_string(::getpid()) + "-" +
                    std::to_string(counter++) + ".tmp";
    int fd = ::open(temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

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

VkmHeader makeVkmHeader(uint8_t backgroundIndex, const BmpImage& image, const PaletteTable& palette,
                        const PixelBlock& block) {
  return makeVkmHeader(backgroundIndex, image.biBitCount, image.biWidth, block.rows,
                       palette.colourCount);
}

std::array<std::span<const uint8_t>, 3> vkmFileParts(const VkmHeader& header,
                                                     const PaletteTable& palette,
                                                     const PixelBlock& block) {
  return {std::span<const uint8_t>(header),
          std::span<const uint8_t>(palette.bytes.data(), static_cast<size_t>(palette.byteLength())),
          block.bytes.span()};
}

std::vector<uint8_t> encodeVkmFile(uint8_t backgroundIndex, const BmpImage& image,
                                   const PaletteTable& palette, const PixelBlock& block) {
  const VkmHeader header = makeVkmHeader(backgroundIndex, image, palette, block);
  std::vector<uint8_t> file;
  for (std::span<const uint8_t> part : vkmFileParts(header, palette, block)) {
    file.insert(file.end(), part.begin(), part.end());
  }
  return file;
}

bool writeOutputFile(std::string_view inputName, uint8_t backgroundIndex, const BmpImage& image,
                     const PaletteTable& palette, const PixelBlock& block, std::FILE* out) {
  const OutputName name = makeOutputName(inputName);
  auto fail = [&]() {
    std::fprintf(out, "Error: Can't write file: %s", name.path.c_str());
    return false;
  };
  if (!name.valid) return fail();

  const VkmHeader header = makeVkmHeader(backgroundIndex, image, palette, block);
  const auto parts = vkmFileParts(header, palette, block);

  std::string temporaryName;
  int fd = createTemporaryFile(name.path, temporaryName);
  if (fd < 0) return fail();
  bool written = writeAll(fd, parts);
  written = (::close(fd) == 0) && written;
  if (!written || ::rename(temporaryName.c_str(), name.path.c_str()) != 0) {
    ::unlink(temporaryName.c_str());
    return fail();
  }
  return true;
}

}  // namespace quillpix
