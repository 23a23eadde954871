#include "convert/conversion.h"

#include "bmp/bmp_image.h"
#include "convert/pixel_rows.h"
#include "png/png_image.h"

namespace quillpix {
namespace {

std::optional<ConvertedImage> convertBmp(ByteBuffer fileImage, const std::string& fileName,
                                         const ConversionOptions& options, std::FILE* out) {
  std::optional<BmpImage> image = decodeBmpHeaders(std::move(fileImage), fileName, out);
  if (!image) return std::nullopt;
  std::optional<PaletteTable> palette =
      convertPalette(*image, options.debug, options.fullColour, out);
  if (!palette) return std::nullopt;
  std::optional<PixelBlock> block =
      convertPixelRows(*image, options.debug, options.backgroundIndex, out);
  if (!block) return std::nullopt;
  ConvertedImage converted;
  converted.backgroundIndex = options.backgroundIndex;
  converted.outputBits = image->biBitCount <= 4 ? 4 : 8;
  converted.width = image->biWidth;
  converted.palette = *palette;
  converted.block = std::move(*block);
  converted.input = std::move(image->data);
  return converted;
}

const char* sampleKind(const PngFormat& format) {
  switch (format.colourType) {
    case PngColourType::kGrey:
      return "grayscale";
    case PngColourType::kRgb:
      return "RGB";
    case PngColourType::kGreyAlpha:
      return "grayscale + alpha";
    case PngColourType::kRgba:
      return "RGBA";
    case PngColourType::kPalette:
      return "palette";
  }
  return "unknown";
}

std::optional<ConvertedImage> convertPng(const ByteBuffer& fileImage,
                                         const ConversionOptions& options, std::FILE* out) {
  // The file image ends with the extra 0 that readInputFile adds.
  PngReader reader(fileImage.span().first(fileImage.size() - 1));
  if (!reader.readFormat()) {
    std::fprintf(out, "Error: Broken PNG file: %s.\n", reader.error().c_str());
    return std::nullopt;
  }
  const PngFormat& format = reader.format();
  printPngHeader(format, out);
  if (!hasIndexSamples(format)) {
    std::fprintf(out,
                 "Error: %d-bit %s PNG needs a palette built; palette and grayscale PNGs up to "
                 "8 bits convert as they are.\n",
                 format.bitDepth, sampleKind(format));
    return std::nullopt;
  }

  ConvertedImage converted;
  converted.palette =
      convertColours(indexedColours(format), options.debug, options.fullColour, out);
  converted.backgroundIndex = options.backgroundIndex;
  if (!options.backgroundGiven) {
    converted.backgroundIndex = transparentIndex(format).value_or(options.backgroundIndex);
  }
  converted.outputBits = format.bitDepth <= 4 ? 4 : 8;
  converted.width = format.width;

  printBitmapHead(static_cast<uint16_t>(format.bitsPerPixel()), out);
  RowLayout layout;
  layout.workWidth = format.bitDepth == 8 ? format.width : (format.width + 1) / 2;
  layout.rowSize = static_cast<uint32_t>(format.rowBytes());
  layout.rows = format.height;
  if (!checkAndPrintLayout(format.width, layout, out)) return std::nullopt;
  std::optional<PixelBlock> block;
  switch (readIndexRows(reader, block)) {
    case PngRowsStatus::kRead:
      break;
    case PngRowsStatus::kNoMemory:
      std::fprintf(out, "Error: Not enough memory.\n");
      return std::nullopt;
    case PngRowsStatus::kBroken:
      std::fprintf(out, "Error: Broken PNG file: %s.\n", reader.error().c_str());
      return std::nullopt;
  }
  if (!finishBitmapSection(*block, options.debug, out)) return std::nullopt;
  converted.block = std::move(*block);
  return converted;
}

}  // namespace

std::optional<ConvertedImage> convertFileImage(ByteBuffer fileImage, const std::string& fileName,
                                               const ConversionOptions& options, std::FILE* out) {
  std::fprintf(out, "File analizing... ");
  if (fileImage.size() > 0 && hasPngSignature(fileImage.span().first(fileImage.size() - 1))) {
    std::fprintf(out, "PNG format detected!\n");
    return convertPng(fileImage, options, out);
  }
  return convertBmp(std::move(fileImage), fileName, options, out);
}

}  // namespace quillpix
