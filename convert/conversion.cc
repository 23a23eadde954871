#include "convert/conversion.h"

#include "bmp/bmp_image.h"
#include "bmp/true_colour_rows.h"
#include "convert/pixel_rows.h"
#include "png/png_image.h"

namespace quillpix {
namespace {

constexpr char kNotEnoughMemory[] = "Error: Not enough memory.\n";

const char* ditherName(Dither dither) {
  switch (dither) {
    case Dither::kNone:
      return "none";
    case Dither::kOrdered:
      return "ordered";
    case Dither::kDiffusion:
      return "diffusion";
  }
  return "";
}

// The output rows of a reduced picture: two pixels a byte for 16 colours or fewer.
RowLayout reducedLayout(const ReductionOptions& reduction, uint32_t width, uint32_t rows,
                        uint32_t sourceRowSize) {
  RowLayout layout;
  layout.workWidth = workWidthFor(width, reduction.colours <= 16);
  layout.rowSize = sourceRowSize;
  layout.rows = rows;
  return layout;
}

// The end of a run whose picture could not be read: the bitmap section up to the error.
std::nullopt_t failInBitmapSection(uint16_t bits, uint32_t width, const RowLayout& layout,
                                   const char* error, std::FILE* out) {
  printBitmapHead(bits, out);
  if (checkAndPrintLayout(width, layout, out)) std::fputs(error, out);
  return std::nullopt;
}

// Builds the palette of a true-colour picture and maps its pixels: the palette section with its
// summary line, then the bitmap section.
std::optional<ConvertedImage> finishReduction(const RgbaPicture& picture,
                                              const ConversionOptions& options, uint16_t bits,
                                              const RowLayout& layout, std::FILE* out) {
  const ReductionOptions& reduction = *options.reduction;
  ReducedPicture reduced;
  switch (reduceColours(picture, reduction, reduced)) {
    case ReductionStatus::kDone:
      break;
    case ReductionStatus::kNoMemory:
      std::fputs(kNotEnoughMemory, out);
      return std::nullopt;
    case ReductionStatus::kBackgroundBeyondPalette:
      std::fprintf(out,
                   "Error: The picture has transparent pixels, which take the background index "
                   "%d, but --colors=%d keeps indices below %d.\n",
                   reduction.backgroundIndex, reduction.colours, reduction.colours);
      return std::nullopt;
  }
  std::vector<Rgb8> colours;
  for (const ColourLevels& levels : reduced.palette) {
    colours.push_back(
        {expandLevel(levels.red), expandLevel(levels.green), expandLevel(levels.blue)});
  }
  char summary[200];
  std::snprintf(summary, sizeof summary,
                "Reduced colors: %llu in the picture, %zu in the palette, mean error %.2f, "
                "dither %s\n",
                static_cast<unsigned long long>(reduced.distinctColours), colours.size(),
                reduced.meanError,
                reduced.exact ? "none (exact colors)" : ditherName(reduction.dither));
  ConvertedImage converted;
  converted.palette = convertColours(colours, options.debug, options.fullColour, out, summary);
  converted.backgroundIndex = reduced.backgroundIndex;
  converted.outputBits = reduction.colours <= 16 ? 4 : 8;
  converted.width = picture.width();
  printBitmapHead(bits, out);
  checkAndPrintLayout(picture.width(), layout, out);
  if (!finishBitmapSection(reduced.block, options.debug, out)) return std::nullopt;
  converted.block = std::move(reduced.block);
  return converted;
}

// A palette image's pixels as colours: each index takes its table entry (black beyond the
// table).
std::optional<RgbaPicture> expandIndices(const PixelBlock& block, uint32_t width, uint16_t bitCount,
                                         const std::vector<Rgb8>& table) {
  std::optional<RgbaPicture> picture = RgbaPicture::allocate(width, block.rows());
  if (!picture) return std::nullopt;
  for (uint32_t y = 0; y < block.rows(); ++y) {
    const uint8_t* row = block.row(y);
    uint8_t* out = picture->row(y);
    for (uint32_t x = 0; x < width; ++x, out += 4) {
      const uint8_t index = bitCount == 8 ? row[x] : nibbleAt(row, x);
      const Rgb8 colour = index < table.size() ? table[index] : Rgb8{};
      out[0] = colour.red, out[1] = colour.green, out[2] = colour.blue, out[3] = 0xFF;
    }
  }
  return picture;
}

// --colors for a BMP: the pixels of a palette or true-colour image, reduced.
std::optional<ConvertedImage> reduceBmp(const BmpImage& image, const ConversionOptions& options,
                                        std::FILE* out) {
  const uint16_t bits = image.biBitCount;
  const RowLayout layout = computeRowLayout(image);
  const RowLayout output =
      reducedLayout(*options.reduction, image.biWidth, layout.rows, layout.rowSize);
  std::optional<RgbaPicture> picture;
  if (bits == 1 || bits == 2 || bits == 4 || bits == 8) {
    const std::optional<std::vector<Rgb8>> table = readColourTable(image);
    if (!table) {
      printUnreadablePalette(out);
      return std::nullopt;
    }
    if (const char* error = layoutError(image.biWidth, layout)) {
      return failInBitmapSection(bits, image.biWidth, output, error, out);
    }
    const DecodedRows decoded = decodeIndexRows(image, layout, options.backgroundIndex);
    if (!decoded.block) return failInBitmapSection(bits, image.biWidth, output, decoded.error, out);
    picture = expandIndices(*decoded.block, image.biWidth, bits, *table);
  } else if (bits == 16 || bits == 24 || bits == 32) {
    if (const char* error = layoutError(image.biWidth, layout)) {
      return failInBitmapSection(bits, image.biWidth, output, error, out);
    }
    const std::optional<ChannelMasks> masks = channelMasks(image);
    const StoredRows stored = storedRowsOf(image, layout);
    if (!masks || !storedRowsFit(stored, layout.rows)) {
      return failInBitmapSection(bits, image.biWidth, output, "Error: Wrong bitmap legth!\n", out);
    }
    picture = RgbaPicture::allocate(image.biWidth, layout.rows);
    if (picture) decodeTrueColourRows(stored, *masks, *picture);
  } else {
    printBitmapHead(bits, out);
    std::fprintf(out, "Error: support only 16 & 256 colors bmp!\n");
    return std::nullopt;
  }
  if (!picture) return failInBitmapSection(bits, image.biWidth, output, kNotEnoughMemory, out);
  return finishReduction(*picture, options, bits, output, out);
}

std::optional<ConvertedImage> convertBmp(ByteBuffer fileImage, const std::string& fileName,
                                         const ConversionOptions& options, std::FILE* out) {
  std::optional<BmpImage> image =
      decodeBmpHeaders(std::move(fileImage), fileName, out, options.reduction.has_value());
  if (!image) return std::nullopt;
  if (options.reduction) return reduceBmp(*image, options, out);
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

// --colors for a PNG: every colour type and depth, read as 8-bit RGBA and reduced.
std::optional<ConvertedImage> reducePng(PngReader& reader, const ConversionOptions& options,
                                        std::FILE* out) {
  const PngFormat& format = reader.format();
  const uint16_t bits = static_cast<uint16_t>(format.bitsPerPixel());
  const RowLayout output = reducedLayout(*options.reduction, format.width, format.height,
                                         static_cast<uint32_t>(format.rowBytes()));
  if (const char* error = layoutError(format.width, output)) {
    return failInBitmapSection(bits, format.width, output, error, out);
  }
  std::optional<RgbaPicture> picture = RgbaPicture::allocate(format.width, format.height);
  if (!picture) return failInBitmapSection(bits, format.width, output, kNotEnoughMemory, out);
  std::vector<uint8_t*> rows(format.height);
  for (uint32_t y = 0; y < format.height; ++y) rows[y] = picture->row(y);
  if (!reader.readRgbaRows(rows)) {
    const std::string error = "Error: Broken PNG file: " + reader.error() + ".\n";
    return failInBitmapSection(bits, format.width, output, error.c_str(), out);
  }
  return finishReduction(*picture, options, bits, output, out);
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
  if (options.reduction) return reducePng(reader, options, out);
  if (!hasIndexSamples(format)) {
    std::fprintf(out,
                 "Error: %d-bit %s PNG needs a palette built; palette and grayscale PNGs up to "
                 "8 bits convert as they are.\n",
                 format.bitDepth, colourTypeName(format.colourType));
    return std::nullopt;
  }

  ConvertedImage converted;
  converted.palette =
      convertColours(indexedColours(format), options.debug, options.fullColour, out, "");
  converted.backgroundIndex = options.backgroundIndex;
  if (!options.backgroundGiven) {
    converted.backgroundIndex = transparentIndex(format).value_or(options.backgroundIndex);
  }
  converted.outputBits = format.bitDepth <= 4 ? 4 : 8;
  converted.width = format.width;

  printBitmapHead(static_cast<uint16_t>(format.bitsPerPixel()), out);
  RowLayout layout;
  layout.workWidth = workWidthFor(format.width, format.bitDepth < 8);
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
