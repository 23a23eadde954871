#include "app/run.h"

#include "app/arguments.h"
#include "bmp/bmp_image.h"
#include "convert/conversion.h"
#include "vkm/vkm_writer.h"

namespace quillpix {

int runQuillpix(std::span<const char* const> arguments, std::FILE* out) {
  const ConversionSettings settings = scanArguments(arguments);
  printBanner(out);
  if (!settings.inputFileName || settings.usageRequested) {
    printUsage(out);
    return kExitSuccess;
  }
  if (!settings.switchError.empty()) {
    std::fputs(settings.switchError.c_str(), out);
    return kExitFailure;
  }
  printSettings(settings, out);

  // Each step prints its own section and its own error message.
  const std::string& inputName = *settings.inputFileName;
  std::optional<ByteBuffer> fileImage = readInputFile(inputName, out);
  if (!fileImage) return kExitFailure;
  ConversionOptions options;
  options.debug = settings.debug;
  options.fullColour = settings.fullColour;
  options.backgroundIndex = settings.backgroundIndex;
  options.backgroundGiven = settings.backgroundGiven;
  if (settings.colours) {
    ReductionOptions reduction;
    reduction.colours = *settings.colours;
    reduction.dither = settings.dither;
    reduction.fullColour = settings.fullColour;
    reduction.backgroundIndex = settings.backgroundIndex;
    options.reduction = reduction;
  }
  std::optional<ConvertedImage> image =
      convertFileImage(std::move(*fileImage), inputName, options, out);
  if (!image) return kExitFailure;
  if (!writeOutputFile(inputName, *image, out)) return kExitFailure;
  return kExitSuccess;
}

}  // namespace quillpix
