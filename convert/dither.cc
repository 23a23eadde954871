#include "convert/dither.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "convert/quantizer.h"

namespace quillpix {
namespace {

// Bayer's 8 x 8 threshold matrix (B. E. Bayer, "An optimum method for two-level rendition of
// continuous-tone pictures", 1973): every threshold 0 to 63 once, spread as evenly as possible.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

// Palettes up to this size are searched entry by entry.
constexpr size_t kSmallPalette = 32;

// Candidates mixed by an ordered-dither plan; the threshold matrix picks one of them.
constexpr int kPlanSize = 16;

// How much of the error so far each further candidate of a plan tries to make up (Knoll's
// pattern dithering, as described by J. Yliluoma, "Arbitrary-palette positional dithering
// algorithm", 2011).
constexpr float kPlanErrorShare = 0.75f;

// Floyd-Steinberg weights, in sixteenths: ahead, behind below, below, ahead below.
constexpr float kAhead = 7.0f / 16, kBehindBelow = 3.0f / 16, kBelow = 5.0f / 16,
                kAheadBelow = 1.0f / 16;

// The largest error, per channel in linear light, that a pixel hands on. Where the palette
// cannot come near a colour, an unbounded error would grow across the whole region and then
// spill over its edges.
constexpr float kMaxCarriedError = 0.3f;

// Error is not carried across an edge: the share a neighbour takes falls from all of it to
// nothing as its own colour moves this far (in linear light) from the pixel's. Otherwise the
// error of one flat area spills into the next and pixel art comes out noisy.
constexpr float kEdgeDistance = 0.3f;

float luminance(const LinearRgb& c) {
  return 0.2126f * c.red + 0.7152f * c.green + 0.0722f * c.blue;  // Rec. 709 / sRGB weights
}

LinearRgb clampUnit(LinearRgb c) {
  return {std::clamp(c.red, 0.0f, 1.0f), std::clamp(c.green, 0.0f, 1.0f),
          std::clamp(c.blue, 0.0f, 1.0f)};
}

// Ordered-dither plans, one per 24-bit colour, made when first asked for.
class PlanCache {
 public:
  using Plan = std::array<uint8_t, kPlanSize>;

  PlanCache(const NearestColour& nearest, std::span<const LinearRgb> colours)
      : nearest_(nearest), colours_(colours), slots_(1024) {}

  const Plan& plan(uint32_t rgb) {
    if (2 * (used_ + 1) > slots_.size()) grow();
    Slot& slot = find(rgb);
    if (!slot.used) {
      slot.used = true;
      slot.key = rgb;
      slot.plan = makePlan(rgb);
      ++used_;
    }
    return slot.plan;
  }

 private:
  struct Slot {
    bool used = false;
    uint32_t key = 0;
    Plan plan{};
  };

  Slot& find(uint32_t rgb) {
    size_t at = (rgb * 2654435761u) & (slots_.size() - 1);
    while (slots_[at].used && slots_[at].key != rgb) at = (at + 1) & (slots_.size() - 1);
    return slots_[at];
  }

  void grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.used) find(slot.key) = slot;
    }
  }

  // The candidates whose mix comes nearest the colour, darkest first.
  Plan makePlan(uint32_t rgb) const {
    const LinearRgb goal = toLinear(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
    LinearRgb error;
    Plan plan;
    for (uint8_t& candidate : plan) {
      const LinearRgb attempt = clampUnit({goal.red + error.red * kPlanErrorShare,
                                           goal.green + error.green * kPlanErrorShare,
                                           goal.blue + error.blue * kPlanErrorShare});
      candidate = nearest_.find(attempt);
      const LinearRgb& got = colours_[candidate];
      error.red += goal.red - got.red;
      error.green += goal.green - got.green;
      error.blue += goal.blue - got.blue;
    }
    std::sort(plan.begin(), plan.end(), [&](uint8_t x, uint8_t y) {
      return luminance(colours_[x]) < luminance(colours_[y]);
    });
    return plan;
  }

  const NearestColour& nearest_;
  std::span<const LinearRgb> colours_;
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

}  // namespace

NearestColour::NearestColour(std::span<const LinearRgb> colours, const LinearRgb& low,
                             const LinearRgb& high)
    : low_{low.red, low.green, low.blue},
      cellSize_{(high.red - low.red) / kCellsPerSide, (high.green - low.green) / kCellsPerSide,
                (high.blue - low.blue) / kCellsPerSide} {
  for (size_t i = 0; i < colours.size(); ++i) {
    reds_.push_back(colours[i].red);
    greens_.push_back(colours[i].green);
    blues_.push_back(colours[i].blue);
    all_.push_back(static_cast<uint8_t>(i));
  }
  if (colours.size() > kSmallPalette) {
    cells_.resize(kCellsPerSide * kCellsPerSide * kCellsPerSide);
    cellMade_.resize(cells_.size(), false);
  }
}

uint8_t NearestColour::findAmong(const LinearRgb& point, const uint8_t* candidates,
                                 size_t count) const {
  float best = std::numeric_limits<float>::max();
  uint8_t bestIndex = 0;
  for (size_t k = 0; k < count; ++k) {
    const uint8_t i = candidates[k];
    const float dr = reds_[i] - point.red, dg = greens_[i] - point.green,
                db = blues_[i] - point.blue;
    const float distance = dr * dr + dg * dg + db * db;
    if (distance < best) best = distance, bestIndex = i;
  }
  return bestIndex;
}

const std::vector<uint8_t>& NearestColour::candidates(int cell) const {
  std::vector<uint8_t>& list = cells_[cell];
  if (cellMade_[cell]) return list;
  cellMade_[cell] = true;
  const int at[3] = {cell / (kCellsPerSide * kCellsPerSide), cell / kCellsPerSide % kCellsPerSide,
                     cell % kCellsPerSide};
  float from[3], to[3];
  for (int c = 0; c < 3; ++c) {
    from[c] = low_[c] + at[c] * cellSize_[c];
    to[c] = from[c] + cellSize_[c];
  }
  // Every point of the cell lies within `bound` of some entry (the entry whose farthest corner
  // is nearest); an entry farther than that from the whole cell is never the nearest.
  auto distances = [&](size_t i, float& nearest, float& farthest) {
    const float values[3] = {reds_[i], greens_[i], blues_[i]};
    nearest = farthest = 0;
    for (int c = 0; c < 3; ++c) {
      const float below = from[c] - values[c], above = values[c] - to[c];
      const float gap = std::max({below, above, 0.0f});
      const float reach = std::max(std::abs(values[c] - from[c]), std::abs(values[c] - to[c]));
      nearest += gap * gap;
      farthest += reach * reach;
    }
  };
  float bound = std::numeric_limits<float>::max();
  for (size_t i = 0; i < reds_.size(); ++i) {
    float nearest, farthest;
    distances(i, nearest, farthest);
    bound = std::min(bound, farthest);
  }
  for (size_t i = 0; i < reds_.size(); ++i) {
    float nearest, farthest;
    distances(i, nearest, farthest);
    if (nearest <= bound) list.push_back(static_cast<uint8_t>(i));
  }
  return list;
}

uint8_t NearestColour::find(const LinearRgb& point) const {
  if (all_.empty()) return 0;
  if (cells_.empty()) return findAmong(point, all_.data(), all_.size());
  const float values[3] = {point.red, point.green, point.blue};
  int cell = 0;
  for (int c = 0; c < 3; ++c) {
    const int at = static_cast<int>(std::floor((values[c] - low_[c]) / cellSize_[c]));
    // Outside the box the cells' lists do not hold: look at every entry.
    if (at < 0 || at >= kCellsPerSide) return findAmong(point, all_.data(), all_.size());
    cell = cell * kCellsPerSide + at;
  }
  const std::vector<uint8_t>& list = candidates(cell);
  return findAmong(point, list.data(), list.size());
}

double mapToPalette(const RgbaPicture& picture, std::span<const ColourLevels> palette,
                    const Mapping& mapping, uint8_t transparentIndex, uint8_t* indices,
                    bool measure) {
  const Dither dither = mapping.dither;
  std::vector<LinearRgb> colours;
  std::vector<OkLab> labs;
  for (const ColourLevels& levels : palette) {
    colours.push_back(levelsToLinear(levels));
    labs.push_back(toOkLab(colours.back()));
  }
  // Linear light asked for lies in the unit cube; OKLab coordinates, which go through the same
  // search, in the box around the OKLab of that cube (Ottosson's sRGB gamut, rounded outwards).
  const NearestColour nearest(colours, {0, 0, 0}, {1, 1, 1});
  std::vector<LinearRgb> labAsVectors;
  for (const OkLab& lab : labs) labAsVectors.push_back({lab.l, lab.a, lab.b});
  const NearestColour nearestLab(labAsVectors, {0, -0.24f, -0.32f}, {1, 0.28f, 0.21f});
  PlanCache plans(nearest, colours);
  const uint32_t width = picture.width();
  // Error carried to the row being mapped and to the row below, one pixel of margin each side.
  std::vector<LinearRgb> carried(width + 2), below(width + 2);
  double errorSum = 0;

  // The linear light of the row being mapped and of the one below, for the edge test.
  std::vector<LinearRgb> ownRow(width), nextRow(width);
  auto linearRow = [&](uint32_t y, std::vector<LinearRgb>& into) {
    if (y >= picture.height()) return;
    const uint8_t* pixel = picture.row(y);
    for (uint32_t x = 0; x < width; ++x, pixel += 4)
      into[x] = toLinear(pixel[0], pixel[1], pixel[2]);
  };
  if (dither == Dither::kDiffusion) linearRow(0, nextRow);
  for (uint32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* row = picture.row(y);
    uint8_t* out = indices + uint64_t{y} * width;
    if (dither == Dither::kDiffusion) {
      ownRow.swap(nextRow);
      linearRow(y + 1, nextRow);
    }
    const bool leftward = dither == Dither::kDiffusion && (y & 1);  // serpentine
    for (uint32_t step = 0; step < width; ++step) {
      const uint32_t x = leftward ? width - 1 - step : step;
      const uint8_t* pixel = row + 4 * size_t{x};
      if (pixel[3] < kOpaqueAlpha) {
        out[x] = transparentIndex;
        continue;
      }
      uint8_t index = 0;
      if (dither == Dither::kOrdered) {
        const uint32_t rgb = uint32_t{pixel[0]} << 16 | uint32_t{pixel[1]} << 8 | pixel[2];
        index = plans.plan(rgb)[kBayer[y & 7][x & 7] * kPlanSize / 64];
      } else if (dither == Dither::kNone) {
        const LinearRgb own = toLinear(pixel[0], pixel[1], pixel[2]);
        if (mapping.nearestInOkLab) {
          const OkLab lab = toOkLab(own);
          index = nearestLab.find({lab.l, lab.a, lab.b});
        } else {
          index = nearest.find(own);
        }
      } else {
        const LinearRgb& own = ownRow[x];
        const LinearRgb& extra = carried[x + 1];
        const LinearRgb want =
            clampUnit({own.red + extra.red, own.green + extra.green, own.blue + extra.blue});
        if (mapping.nearestInOkLab) {
          const OkLab wl = toOkLab(want);
          index = nearestLab.find({wl.l, wl.a, wl.b});
        } else {
          index = nearest.find(want);
        }
        const LinearRgb& got = colours[index];
        const LinearRgb error = {
            std::clamp(want.red - got.red, -kMaxCarriedError, kMaxCarriedError),
            std::clamp(want.green - got.green, -kMaxCarriedError, kMaxCarriedError),
            std::clamp(want.blue - got.blue, -kMaxCarriedError, kMaxCarriedError)};
        const size_t ahead = leftward ? x : x + 2, behind = leftward ? x + 2 : x;
        // How much of its share the neighbour at (dx, dy) takes.
        auto across = [&](int dx, int dy) -> float {
          const int nx = int(x) + dx, ny = int(y) + dy;
          if (nx < 0 || nx >= int(width) || ny >= int(picture.height())) return 0.0f;
          const LinearRgb& other = dy == 0 ? ownRow[nx] : nextRow[nx];
          const float distance = std::sqrt(squaredDistance(own, other));
          return std::max(0.0f, 1.0f - distance / kEdgeDistance);
        };
        const int forward = leftward ? -1 : 1;
        auto add = [&](LinearRgb& to, float share) {
          to.red += error.red * share, to.green += error.green * share,
              to.blue += error.blue * share;
        };
        add(carried[ahead], kAhead * across(forward, 0));
        add(below[behind], kBehindBelow * across(-forward, 1));
        add(below[x + 1], kBelow * across(0, 1));
        add(below[ahead], kAheadBelow * across(forward, 1));
      }
      out[x] = index;
      if (measure) {
        const OkLab lab = toOkLab(toLinear(pixel[0], pixel[1], pixel[2]));
        errorSum += std::sqrt(squaredDistance(lab, labs[index]));
      }
    }
    carried.swap(below);
    std::fill(below.begin(), below.end(), LinearRgb{});
  }
  return errorSum;
}

}  // namespace quillpix
