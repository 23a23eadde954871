#include "convert/palette_search.h"

#include <algorithm>
#include <limits>

#include "convert/blurred_error.h"

namespace quillpix {
namespace {

// The sample the candidates are judged on: the whole picture when it is small, else a mosaic
// of tiles taken evenly across it, so that judging a candidate costs the same for any picture.
constexpr uint32_t kTileSide = 64;
constexpr uint32_t kMaxTiles = 4;
constexpr uint64_t kMaxSamplePixels = uint64_t{kTileSide} * kTileSide * kMaxTiles;

// Palettes this small are also improved one colour at a time.
constexpr size_t kMaxRefinedColours = 32;
constexpr int kRefinementSweeps = 2;

// How far the spread candidates move colours out from the picture's mean.
constexpr float kSpreads[] = {0.1f, 0.2f};

std::optional<RgbaPicture> takeSample(const RgbaPicture& picture) {
  const uint32_t width = picture.width(), height = picture.height();
  if (uint64_t{width} * height <= kMaxSamplePixels) {
    std::optional<RgbaPicture> copy = RgbaPicture::allocate(width, height);
    if (!copy) return std::nullopt;
    for (uint32_t y = 0; y < height; ++y) {
      std::copy_n(picture.row(y), 4 * size_t{width}, copy->row(y));
    }
    return copy;
  }
  const uint32_t tileWidth = std::min(kTileSide, width), tileHeight = std::min(kTileSide, height);
  const uint32_t across = std::max(1u, std::min(kMaxTiles, width / tileWidth));
  const uint32_t down = std::max(1u, std::min(kMaxTiles / across, height / tileHeight));
  std::optional<RgbaPicture> sample = RgbaPicture::allocate(across * tileWidth, down * tileHeight);
  if (!sample) return std::nullopt;
  for (uint32_t ty = 0; ty < down; ++ty) {
    const uint32_t top =
        down > 1 ? ty * (height - tileHeight) / (down - 1) : (height - tileHeight) / 2;
    for (uint32_t tx = 0; tx < across; ++tx) {
      const uint32_t left =
          across > 1 ? tx * (width - tileWidth) / (across - 1) : (width - tileWidth) / 2;
      for (uint32_t y = 0; y < tileHeight; ++y) {
        std::copy_n(picture.row(top + y) + 4 * size_t{left}, 4 * size_t{tileWidth},
                    sample->row(ty * tileHeight + y) + 4 * size_t{tx * tileWidth});
      }
    }
  }
  return sample;
}

LinearPicture linearOf(const RgbaPicture& picture) {
  LinearPicture linear;
  linear.width = picture.width();
  linear.height = picture.height();
  for (uint32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* pixel = picture.row(y);
    for (uint32_t x = 0; x < picture.width(); ++x, pixel += 4) {
      linear.colours.push_back(toLinear(pixel[0], pixel[1], pixel[2]));
      linear.counts.push_back(pixel[3] >= kOpaqueAlpha ? 1 : 0);
    }
  }
  return linear;
}

// Maps the sample with a candidate and measures the result.
class Judge {
 public:
  Judge(const RgbaPicture& sample)
      : sample_(sample),
        reference_(linearOf(sample)),
        indices_(uint64_t{sample.width()} * sample.height()) {}

  double score(const std::vector<ColourLevels>& palette, const Mapping& mapping) {
    mapToPalette(sample_, palette, mapping, 0, indices_.data(), false);
    std::vector<LinearRgb> colours(indices_.size());
    std::vector<LinearRgb> paletteColours;
    for (const ColourLevels& levels : palette) paletteColours.push_back(levelsToLinear(levels));
    for (size_t i = 0; i < indices_.size(); ++i) {
      colours[i] = indices_[i] < paletteColours.size() ? paletteColours[indices_[i]] : LinearRgb{};
    }
    return reference_.distanceTo(colours);
  }

 private:
  const RgbaPicture& sample_;
  BlurredReference reference_;
  std::vector<uint8_t> indices_;
};

}  // namespace

PaletteChoice searchPalette(const RgbaPicture& picture, const LevelHistogram& histogram, int count,
                            bool fullColour, Dither dither) {
  std::vector<std::vector<ColourLevels>> candidates;
  auto addCandidate = [&](const PaletteShape& shape) {
    std::vector<ColourLevels> palette = choosePalette(histogram, count, fullColour, shape);
    if (std::find(candidates.begin(), candidates.end(), palette) == candidates.end()) {
      candidates.push_back(std::move(palette));
    }
  };
  for (ClusterSpace space : {ClusterSpace::kOkLab, ClusterSpace::kLinear}) {
    addCandidate({space, 0});
    if (dither != Dither::kNone) {
      for (float spread : kSpreads) addCandidate({space, spread});
    }
  }

  PaletteChoice best{candidates.front(), Mapping{dither, false}};
  const std::optional<RgbaPicture> sample = takeSample(picture);
  if (!sample) return best;  // short of memory: the first candidate, unjudged
  Judge judge(*sample);
  double bestScore = std::numeric_limits<double>::max();
  for (const std::vector<ColourLevels>& palette : candidates) {
    for (bool inOkLab : {false, true}) {
      const Mapping mapping{dither, inOkLab};
      const double score = judge.score(palette, mapping);
      if (score < bestScore) bestScore = score, best = {palette, mapping};
    }
  }

  // A small palette: try every colour one step away in each direction, keep what helps.
  if (best.palette.size() > kMaxRefinedColours) return best;
  for (int sweep = 0; sweep < kRefinementSweeps; ++sweep) {
    bool improved = false;
    for (size_t i = 0; i < best.palette.size(); ++i) {
      for (const ColourLevels& moved : neighbourColours(best.palette[i], fullColour)) {
        if (std::find(best.palette.begin(), best.palette.end(), moved) != best.palette.end()) {
          continue;
        }
        std::vector<ColourLevels> trial = best.palette;
        trial[i] = moved;
        const double score = judge.score(trial, best.mapping);
        if (score < bestScore) bestScore = score, best.palette = std::move(trial), improved = true;
      }
    }
    if (!improved) break;
  }
  return best;
}

}  // namespace quillpix
