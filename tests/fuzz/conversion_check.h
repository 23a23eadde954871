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
#include "convert/palette.h"
#include "convert/pixel_rows.h"
#include "vkm/vkm_writer.h"

namespace quillpix::fuzzing {

// Run-length images may claim up to 65535 x 65535 pixels from a few bytes; the fuzzer skips
// claims above this many output bytes so that it is not stopped by its own memory limit.
inline constexpr uint64_t kMaxClaimedBlock = uint64_t{64} << 20;

struct CheckedRun {
  std::string report;
  bool skipped = false;  // the image claims more memory than the fuzzer allows
  bool accepted = false;
  std::vector<uint8_t> file;
  std::string broken;  // empty when every invariant held
};

// Converts `input` as a BMP file, with the settings drawn from its last two bytes (debug,
// full colour, background index), and checks what came out.
inline CheckedRun checkConversion(std::span<const uint8_t> input) {
  const uint8_t flags = input.empty() ? 0 : input.back();
  const bool debug = flags & 1;
  const bool fullColour = flags & 2;
  const uint8_t background = input.size() >= 2 ? input[input.size() - 2] : 0;

  CheckedRun run;
  char* text = nullptr;
  size_t textSize = 0;
  std::FILE* out = ::open_memstream(&text, &textSize);
  std::optional<ByteBuffer> buffer = makeFileImage(input);
  if (!buffer) std::abort();

  int colourCount = 0;
  uint32_t rows = 0, rowLength = 0, width = 0;
  uint16_t bitCount = 0;
  std::optional<BmpImage> image = decodeBmpImage(std::move(*buffer), "fuzz.bmp", out);
  if (image) {
    const RowLayout layout = computeRowLayout(*image);
    run.skipped =
        uint64_t{layout.rows} * PixelBlock::rowLengthFor(layout.workWidth) > kMaxClaimedBlock;
  }
  if (image && !run.skipped) {
    std::optional<PaletteTable> palette = convertPalette(*image, debug, fullColour, out);
    if (palette) {
      std::optional<PixelBlock> block = convertPixelRows(*image, debug, background, out);
      if (block) {
        run.accepted = true;
        run.file = encodeVkmFile(background, *image, *palette, *block);
        colourCount = palette->colourCount;
        rows = block->rows();
        rowLength = block->rowLength();
        width = image->biWidth;
        bitCount = image->biBitCount;
      }
    }
  }
  std::fclose(out);
  run.report.assign(text, textSize);
  std::free(text);

  if (run.skipped) return run;
  size_t errorLines = 0;
  for (size_t at = run.report.find("Error: "); at != std::string::npos;
       at = run.report.find("Error: ", at + 1)) {
    if (at == 0 || run.report[at - 1] == '\n' || run.report[at - 1] == ' ') ++errorLines;
  }
  if (!run.accepted) {
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

  const std::vector<uint8_t>& file = run.file;
  const size_t expectedLength = 16 + 2 * size_t(colourCount) + size_t(rows) * rowLength;
  if (errorLines != 0)
    run.broken = "an accepted input printed an error message";
  else if (file.size() != expectedLength)
    run.broken = "the file length does not add up";
  else if (file[0] != 0x7F || file[1] != 'V' || file[2] != 'K' || file[3] != 'M')
    run.broken = "magic";
  else if (file[4] != 3 || file[5] != background || file[6] != 0)
    run.broken = "version bytes";
  else if (file[7] != (bitCount <= 4 ? 1 : 2) ||
           (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8))
    run.broken = "pixel format";
  else if (readLe16(file, 8) != width || width == 0 || width > 65535)
    run.broken = "width";
  else if (readLe16(file, 10) != rows || rows == 0)
    run.broken = "rows";
  else if (readLe16(file, 12) != 2 || readLe16(file, 14) != 2 * colourCount)
    run.broken = "offsets";
  else if (rowLength % 2 != 0)
    run.broken = "odd row length";
  return run;
}

}  // namespace quillpix::fuzzing

#endif  // QUILLPIX_TESTS_FUZZ_CONVERSION_CHECK_H_
