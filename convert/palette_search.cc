#include "convert/palette_search.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "convert/blurred_error.h"

namespace quillpix {
namespace {

// The sample the candidates are judged on: the whole picture when it is small, else a mosaic
// of tiles, those with the most opaque pixels among tiles spread evenly across it, so that
// judging a candidate costs about the same for any picture.
constexpr uint64_t kWholePictureUpTo = 32768;
constexpr uint32_t kTileSide = 64;
constexpr uint32_t kSampleTiles = 8;
constexpr uint32_t kTilePositions = 8;  // per axis, to choose the tiles from

// Palettes this small are also improved one colour at a time. Ordered dithering makes a plan of
// 16 searches for every colour it meets on every try, so it refines only the smaller palettes.
constexpr size_t kMaxRefinedColours = 32;
constexpr size_t kMaxRefinedOrderedColours = 16;
constexpr int kRefinementSweeps = 2;

// How far the spread candidates move colours out from the picture's mean.
constexpr float kSpreads[] = {0.1f, 0.2f};

std::optional<RgbaPicture> takeSample(const RgbaPicture& picture) {
  const uint32_t width = picture.width(), height = picture.height();
  if (uint64_t{width} * height <= kWholePictureUpTo) {
    std::optional<RgbaPicture> copy = RgbaPicture::allocate(width, height);
    if (!copy) return std::nullopt;
    for (uint32_t y = 0; y < height; ++y) {
      std::copy_n(picture.row(y), 4 * size_t{width}, copy->row(y));
    }
    return copy;
  }
  const uint32_t tileWidth = std::min(kTileSide, width), tileHeight = std::min(kTileSide, height);
  struct Tile {
    uint32_t left, top;
    uint64_t opaque;
  };
  std::vector<Tile> tiles;
  const uint32_t across = std::min(kTilePositions, width / tileWidth);
  const uint32_t down = std::min(kTilePositions, height / tileHeight);
  for (uint32_t ty = 0; ty < down; ++ty) {
    for (uint32_t tx = 0; tx < across; ++tx) {
      Tile tile{across > 1 ? tx * (width - tileWidth) / (across - 1) : 0,
                down > 1 ? ty * (height - tileHeight) / (down - 1) : 0, 0};
      for (uint32_t y = 0; y < tileHeight; ++y) {
        const uint8_t* pixel = picture.row(tile.top + y) + 4 * size_t{tile.left};
        for (uint32_t x = 0; x < tileWidth; ++x, pixel += 4)
          tile.opaque += pixel[3] >= kOpaqueAlpha;
      }
      tiles.push_back(tile);
    }
  }
  // Visit the positions in a golden-ratio stride, so that any first few lie far apart, then keep
  // the most opaque; among equals the earlier visited, so the choice is the same every run.
  const size_t count = tiles.size();
  size_t stride = std::max<size_t>(1, static_cast<size_t>(count * 0.618));
  while (std::gcd(stride, count) != 1) ++stride;
  std::vector<Tile> visited;
  for (size_t i = 0; i < count; ++i) visited.push_back(tiles[(i * stride) % count]);
  tiles = std::move(visited);
  std::stable_sort(tiles.begin(), tiles.end(),
                   [](const Tile& a, const Tile& b) { return a.opaque > b.opaque; });
  tiles.resize(std::min<size_t>(tiles.size(), kSampleTiles));
  std::optional<RgbaPicture> sample =
      RgbaPicture::allocate(tileWidth * static_cast<uint32_t>(tiles.size()), tileHeight);
  if (!sample) return std::nullopt;
  for (size_t i = 0; i < tiles.size(); ++i) {
    for (uint32_t y = 0; y < tileHeight; ++y) {
      std::copy_n(picture.row(tiles[i].top + y) + 4 * size_t{tiles[i].left}, 4 * size_t{tileWidth},
                  sample->row(y) + 4 * i * tileWidth);
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

// Ordered dithering makes a plan for every colour it meets, which costs most of the time when
// a photo's sample has thousands of colours; candidates are then judged on the sample with
// every component rounded to 6 bits, against the sample itself.
constexpr size_t kManyColours = 4096;
constexpr int kRoundedBits = 6;

size_t countColours(const RgbaPicture& picture) {
  std::vector<uint32_t> colours;
  for (uint32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* pixel = picture.row(y);
    for (uint32_t x = 0; x < picture.width(); ++x, pixel += 4) {
      colours.push_back(uint32_t{pixel[0]} << 16 | uint32_t{pixel[1]} << 8 | pixel[2]);
    }
  }
  std::sort(colours.begin(), colours.end());
  return static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

void roundColours(RgbaPicture& picture) {
  constexpr int drop = 8 - kRoundedBits;
  constexpr uint8_t middle = 1 << drop >> 1;
  for (uint32_t y = 0; y < picture.height(); ++y) {
    uint8_t* pixel = picture.row(y);
    for (uint32_t x = 0; x < picture.width(); ++x, pixel += 4) {
      for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<uint8_t>(pixel[c] >> drop << drop | middle);
    }
  }
}

// Maps the sample with a candidate and measures the result.
class Judge {
 public:
  Judge(RgbaPicture& sample, Dither dither)
      : sample_(sample),
        reference_(linearOf(sample)),
        indices_(uint64_t{sample.width()} * sample.height()) {
    if (dither == Dither::kOrdered && countColours(sample) > kManyColours) roundColours(sample);
  }

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
  for (ClusterSpace space : {ClusterSpace::kOkLab, ClusterSpace::kLinear}) {
    const std::span<const float> spreads =
        dither == Dither::kNone ? std::span<const float>() : std::span<const float>(kSpreads);
    for (std::vector<ColourLevels>& palette :
         choosePalettes(histogram, count, fullColour, space, spreads)) {
      if (std::find(candidates.begin(), candidates.end(), palette) == candidates.end()) {
        candidates.push_back(std::move(palette));
      }
    }
  }

  PaletteChoice best{candidates.front(), Mapping{dither, false}};
  std::optional<RgbaPicture> sample = takeSample(picture);
  if (!sample) return best;  // short of memory: the first candidate, unjudged
  Judge judge(*sample, dither);
  double bestScore = std::numeric_limits<double>::max();
  for (const std::vector<ColourLevels>& palette : candidates) {
    for (bool inOkLab : {false, true}) {
      if (inOkLab && dither == Dither::kOrdered) continue;  // its plans mix in linear light
      const Mapping mapping{dither, inOkLab};
      const double score = judge.score(palette, mapping);
      if (score < bestScore) bestScore = score, best = {palette, mapping};
    }
  }

  // A small palette: try every colour one step away in each direction, keep what helps.
  const size_t refinedUpTo =
      dither == Dither::kOrdered ? kMaxRefinedOrderedColours : kMaxRefinedColours;
  if (best.palette.size() > refinedUpTo) {
    best.mapping.dither = dither;
    return best;
  }
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
  best.mapping.dither = dither;
  return best;
}

}  // namespace quillpix
