#include "convert/reduction.h"

#include "convert/palette_search.h"
#include "convert/quantizer.h"

namespace quillpix {
namespace {

// The colour of the entry kept for transparent pixels, and of any entry that only fills the
// palette up to it.
constexpr ColourLevels kUnusedColour = {0, 0, 0};

}  // namespace

ReductionStatus reduceColours(const RgbaPicture& picture, const ReductionOptions& options,
                              ReducedPicture& reduced) {
  const LevelHistogram histogram(picture);
  reduced.transparent = histogram.hasTransparentPixels();
  reduced.distinctColours = histogram.distinctColours();
  reduced.backgroundIndex = options.backgroundIndex;
  if (reduced.transparent && options.backgroundIndex >= options.colours) {
    return ReductionStatus::kBackgroundBeyondPalette;
  }
  const int slots = options.colours - (reduced.transparent ? 1 : 0);
  reduced.exact = paletteIsExact(histogram, slots, options.fullColour);
  PaletteChoice choice;
  if (reduced.exact) {
    // Every pixel lands on its own levels, its nearest colour: no dithering.
    choice.palette = choosePalette(histogram, slots, options.fullColour);
    choice.mapping = {Dither::kNone, false};
  } else {
    choice = searchPalette(picture, histogram, slots, options.fullColour, options.dither);
  }
  std::vector<ColourLevels>& colours = choice.palette;

  // Map with the picture's colours alone; transparent pixels are marked with an index no
  // colour has (there are at most 255 colours when some pixels are transparent).
  const uint8_t transparentMark = 0xFF;
  const uint64_t pixelCount = uint64_t{picture.width()} * picture.height();
  std::optional<ByteBuffer> indices = ByteBuffer::allocate(static_cast<size_t>(pixelCount));
  if (!indices) return ReductionStatus::kNoMemory;
  const double errorSum =
      mapToPalette(picture, colours, choice.mapping, transparentMark, indices->data());
  reduced.meanError =
      histogram.opaquePixels() > 0 ? 100.0 * errorSum / double(histogram.opaquePixels()) : 0;

  // Drop the colours no pixel took, then put the background entry in its place.
  std::vector<bool> used(colours.size(), false);
  for (size_t i = 0; i < pixelCount; ++i) {
    if (!reduced.transparent || indices->data()[i] != transparentMark)
      used[indices->data()[i]] = true;
  }
  std::vector<uint8_t> renumber(256, 0);
  for (size_t i = 0; i < colours.size(); ++i) {
    if (!used[i]) continue;
    uint8_t next = static_cast<uint8_t>(reduced.palette.size());
    if (reduced.transparent && next >= options.backgroundIndex) ++next;
    renumber[i] = next;
    reduced.palette.push_back(colours[i]);
  }
  if (reduced.transparent) {
    renumber[transparentMark] = options.backgroundIndex;
    while (reduced.palette.size() < options.backgroundIndex)
      reduced.palette.push_back(kUnusedColour);
    reduced.palette.insert(reduced.palette.begin() + options.backgroundIndex, kUnusedColour);
  }

  const bool nibbles = options.colours <= 16;
  const uint32_t width = picture.width();
  std::optional<PixelBlock> block =
      PixelBlock::allocate(picture.height(), workWidthFor(width, nibbles));
  if (!block) return ReductionStatus::kNoMemory;
  for (uint32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* source = indices->data() + uint64_t{y} * width;
    uint8_t* row = block->rowToFill(y);
    std::fill(row, row + block->rowLength(), 0);
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t index = renumber[source[x]];
      if (nibbles) {
        setNibble(row, x, index);
      } else {
        row[x] = index;
      }
    }
  }
  reduced.block = std::move(*block);
  return ReductionStatus::kDone;
}

}  // namespace quillpix
