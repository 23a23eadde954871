#include "app/run.h"

#include "app/arguments.h"
#include "bmp/bmp_image.h"
#include "convert/palette.h"
#include "convert/pixel_rows.h"
#include "vkm/vkm_writer.h"

namespace quillpix {

int runQuillpix(std::span<const char* const> arguments, std::FILE* out) {
  const ConversionSettings settings = scanArguments(arguments);
  printBanner(out);
  if (!settings.inputFileName || settings.usageRequested) {
    printUsage(out);
    return kExitSuccess;
  }
  printSettings(settings, out);

  // Each step prints its own section and its own error message.
  const std::string& inputName = *settings.inputFileName;
  std::optional<BmpImage> image = loadBmpImage(inputName, out);
  if (!image) return kExitFailure;
  std::optional<PaletteTable> palette =
      convertPalette(*image, settings.debug, settings.fullColour, out);
  if (!palette) return kExitFailure;
  std::optional<PixelBlock> block =
      convertPixelRows(*image, settings.debug, settings.backgroundIndex, out);
  if (!block) return kExitFailure;
  if (!writeOutputFile(inputName, settings.backgroundIndex, *image, *palette, *block, out)) {
    return kExitFailure;
  }
  return kExitSuccess;
}

}  // namespace quillpix
