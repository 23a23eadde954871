// The in-memory conversion path with the invariants every input must keep, shared by the fuzz
// target and the regression tests that replay its findings.
#ifndef QUILLPIX_TESTS_FUZZ_CONVERSION_CHECK_H_
#define QUILLPIX_TESTS_FUZZ_CONVERSION_CHECK_H_

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

#include "bmp/bmp_image.h"
#include "bmp/byte_order.h"
#include "convert/conversion.h"
#include "png/png_codec.h"
#include "vkm/vkm_writer.h"

namespace quillpix::fuzzing {

// A few bytes may claim a picture of 65535 x 65535 pixels (run-length images, PNG), which takes
// memory in proportion; the fuzzer skips claims above this many pixels so that its own memory
// limit does not stop it.
inline constexpr uint64_t kMaxClaimedPixels = uint64_t{1} << 22;
// Colour reduction searches its palette on a sample and maps every pixel with a palette search
// per pixel: it gets smaller pictures, so that each input still takes milliseconds.
inline constexpr uint64_t kMaxReducedPixels = 64;

struct CheckedRun {
  std::string report;
  bool skipped = false;  // the image claims more pixels than the fuzzer allows
  bool accepted = false;
  std::vector<uint8_t> file;
  std::string broken;  // empty when every invariant held
};

// The number of pixels the input's header claims, as far as it can be read; 0 when it cannot.
inline uint64_t claimedPixels(std::span<const uint8_t> input) {
  if (hasPngSignature(input)) {
    PngReader reader(input);
    return reader.readFormat() ? uint64_t{reader.format().width} * reader.format().height : 0;
  }
  std::FILE* sink = std::fopen("/dev/null", "w");
  std::optional<ByteBuffer> buffer = makeFileImage(input);
  std::fputs("File analizing... ", sink);
  std::optional<BmpImage> image = decodeBmpHeaders(std::move(*buffer), "fuzz.bmp", sink, true);
  std::fclose(sink);
  if (!image) return 0;
  const int64_t rows = image->biHeight < 0 ? -int64_t{image->biHeight} : image->biHeight;
  return uint64_t{image->biWidth} * static_cast<uint64_t>(rows);
}

// The settings checkConversion draws from the last three bytes of `input`.
inline ConversionOptions optionsFor(std::span<const uint8_t> input) {
  const uint8_t flags = input.empty() ? 0 : input.back();
  ConversionOptions options;
  options.debug = flags & 1;
  options.fullColour = flags & 2;
  options.backgroundGiven = flags & 4;
  options.backgroundIndex = input.size() >= 2 ? input[input.size() - 2] : 0;
  if (flags & 8) {
    const uint8_t reduction = input.size() >= 3 ? input[input.size() - 3] : 0;
    ReductionOptions reduce;
    reduce.colours = 2 + reduction % 255;
    reduce.dither = static_cast<Dither>((flags >> 4) % 3);
    reduce.fullColour = options.fullColour;
    reduce.backgroundIndex = options.backgroundIndex;
    options.reduction = reduce;
  }
  return options;
}

// The command line that gives the program the same settings.
inline std::vector<std::string> switchesFor(const ConversionOptions& options) {
  std::vector<std::string> switches;
  if (options.debug) switches.push_back("--debug");
  if (!options.fullColour) switches.push_back("--64");
  if (options.reduction) {
    static const char* const kDithers[] = {"none", "ordered", "diffusion"};
    switches.push_back("--colors=" + std::to_string(options.reduction->colours));
    switches.push_back(std::string("--dither=") +
                       kDithers[static_cast<int>(options.reduction->dither)]);
  }
  // Last: the number after --bg ends the scan of switches.
  if (options.backgroundGiven) {
    switches.push_back("--bg");
    switches.push_back(std::to_string(options.backgroundIndex));
  }
  return switches;
}

// Converts `input` with the settings drawn from its last three bytes (debug, full colour,
// whether and which background index is given, and whether, to how many colours and with which
// dithering the colours are reduced), and checks what came out.
inline CheckedRun checkConversion(std::span<const uint8_t> input) {
  const ConversionOptions options = optionsFor(input);

  CheckedRun run;
  const uint64_t claimed = claimedPixels(input);
  if (claimed > kMaxClaimedPixels || (options.reduction && claimed > kMaxReducedPixels)) {
    run.skipped = true;
    return run;
  }
  char* text = nullptr;
  size_t textSize = 0;
  std::FILE* out = ::open_memstream(&text, &textSize);
  std::optional<ByteBuffer> buffer = makeFileImage(input);
  if (!buffer) std::abort();
  std::optional<ConvertedImage> image =
      convertFileImage(std::move(*buffer), "fuzz.bmp", options, out);
  std::fclose(out);
  run.report.assign(text, textSize);
  std::free(text);

  size_t errorLines = 0;
  for (size_t at = run.report.find("Error: "); at != std::string::npos;
       at = run.report.find("Error: ", at + 1)) {
    if (at == 0 || run.report[at - 1] == '\n' || run.report[at - 1] == ' ') ++errorLines;
  }
  if (!image) {
    // The one message ends the report: nothing is printed after a failure.
    const size_t lastLineStart = run.report.rfind('\n', run.report.size() - 2) + 1;
    if (errorLines != 1) {
      run.broken = "a refused input printed " + std::to_string(errorLines) + " error messages";
    } else if (!run.report.ends_with("\n") ||
               run.report.find("Error: ", lastLineStart) == std::string::npos) {
      run.broken = "the error message is not the last line";
    }
    return run;
  }

  run.accepted = true;
  run.file = encodeVkmFile(*image);
  const std::vector<uint8_t>& file = run.file;
  const int colourCount = image->palette.colourCount;
  const uint32_t rows = image->block.rows();
  const uint32_t rowLength = image->block.rowLength();
  const uint32_t width = image->width;
  const uint32_t expectedWorkWidth = image->outputBits == 4 ? (width + 1) / 2 : width;
  const size_t expectedLength = 16 + 2 * size_t(colourCount) + size_t(rows) * rowLength;
  if (errorLines != 0)
    run.broken = "an accepted input printed an error message";
  else if (file.size() != expectedLength)
    run.broken = "the file length does not add up";
  else if (file[0] != 0x7F || file[1] != 'V' || file[2] != 'K' || file[3] != 'M')
    run.broken = "magic";
  else if (file[4] != 3 || file[6] != 0)
    run.broken = "version bytes";
  else if (options.backgroundGiven && file[5] != options.backgroundIndex)
    run.broken = "background index";
  else if (file[7] != (image->outputBits == 4 ? 1 : 2))
    run.broken = "pixel format";
  else if (readLe16(file, 8) != width || width == 0 || width > 65535)
    run.broken = "width";
  else if (readLe16(file, 10) != rows || rows == 0)
    run.broken = "rows";
  else if (readLe16(file, 12) != 2 || readLe16(file, 14) != 2 * colourCount || colourCount < 1 ||
           colourCount > 256)
    run.broken = "offsets";
  else if (image->block.workWidth() != expectedWorkWidth || rowLength % 2 != 0)
    run.broken = "row length";
  else if (options.reduction && colourCount > options.reduction->colours)
    run.broken = "more colours than --colors allows";
  else if (options.reduction && (image->outputBits == 4) != (options.reduction->colours <= 16))
    run.broken = "pixel format of a reduced picture";
  if (!run.broken.empty() || !options.reduction) return run;
  // Every pixel of a reduced picture uses an entry of its palette.
  for (uint32_t y = 0; y < rows && run.broken.empty(); ++y) {
    const uint8_t* row = image->block.row(y);
    for (uint32_t x = 0; x < width; ++x) {
      const int index = image->outputBits == 8 ? row[x] : nibbleAt(row, x);
      if (index >= colourCount) {
        run.broken = "a pixel of a reduced picture lies beyond its palette";
        break;
      }
    }
  }
  return run;
}

}  // namespace quillpix::fuzzing

#endif  // QUILLPIX_TESTS_FUZZ_CONVERSION_CHECK_H_
