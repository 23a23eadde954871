#include "convert/quantizer.h"

#include <algorithm>
#include <array>
#include <limits>

namespace quillpix {
namespace {

// A point of the space clusters are made in, held in an OkLab whatever the space: in linear
// light its l, a and b are red, green and blue.
using Point = OkLab;

Point toSpace(const LinearRgb& c, ClusterSpace space) {
  return space == ClusterSpace::kLinear ? Point{c.red, c.green, c.blue} : toOkLab(c);
}

LinearRgb fromSpace(const Point& p, ClusterSpace space) {
  return space == ClusterSpace::kLinear ? LinearRgb{p.l, p.a, p.b} : fromOkLab(p);
}

int cellIndex(const ColourLevels& levels) {
  return (levels.red * kLevelCount + levels.green) * kLevelCount + levels.blue;
}

ColourLevels cellLevels(int index) {
  return {static_cast<uint8_t>(index / (kLevelCount * kLevelCount)),
          static_cast<uint8_t>(index / kLevelCount % kLevelCount),
          static_cast<uint8_t>(index % kLevelCount)};
}

// Every colour of the level grid, as the target shows it, in each space.
const std::vector<Point>& gridPoints(ClusterSpace space) {
  auto make = [](ClusterSpace in) {
    std::vector<Point> points(kGridCells);
    for (int i = 0; i < kGridCells; ++i) points[i] = toSpace(levelsToLinear(cellLevels(i)), in);
    return points;
  };
  static const std::vector<Point> lab = make(ClusterSpace::kOkLab);
  static const std::vector<Point> linear = make(ClusterSpace::kLinear);
  return space == ClusterSpace::kLinear ? linear : lab;
}

// The colours a palette entry may take, and the one nearest to a point.
class TargetColours {
 public:
  TargetColours(bool fullColour, ClusterSpace space)
      : fullColour_(fullColour), space_(space), grid_(gridPoints(space)) {
    if (fullColour) return;
    for (uint8_t r = 0; r <= 24; r += 8) {
      for (uint8_t g = 0; g <= 24; g += 8) {
        for (uint8_t b = 0; b <= 24; b += 8) cut_.push_back(cellIndex({r, g, b}));
      }
    }
  }

  const std::vector<Point>& grid() const { return grid_; }

  // The grid cell of the nearest allowed colour.
  int nearest(const Point& point) const {
    int best = 0;
    float bestDistance = std::numeric_limits<float>::max();
    auto consider = [&](int cell) {
      const float distance = squaredDistance(grid_[cell], point);
      if (distance < bestDistance) bestDistance = distance, best = cell;
    };
    if (!fullColour_) {
      for (int cell : cut_) consider(cell);
      return best;
    }
    // The nearest grid colour lies among the levels around the point's own components.
    const LinearRgb linear = fromSpace(point, space_);
    int low[3], high[3];
    const float components[3] = {linear.red, linear.green, linear.blue};
    for (int c = 0; c < 3; ++c) {
      const float level = linearToSrgb(components[c]) * 24.0f / 255.0f;
      low[c] = std::clamp(static_cast<int>(level), 0, 24);
      high[c] = std::min(low[c] + 1, 24);
    }
    for (int r = low[0]; r <= high[0]; ++r) {
      for (int g = low[1]; g <= high[1]; ++g) {
        for (int b = low[2]; b <= high[2]; ++b) {
          consider(cellIndex({uint8_t(r), uint8_t(g), uint8_t(b)}));
        }
      }
    }
    return best;
  }

 private:
  bool fullColour_;
  ClusterSpace space_;
  const std::vector<Point>& grid_;
  std::vector<int> cut_;
};

// A histogram cell as a weighted point of the cluster space.
struct WeightedPoint {
  Point point;
  double weight;
};

std::vector<WeightedPoint> histogramPoints(const LevelHistogram& histogram, ClusterSpace space) {
  std::vector<WeightedPoint> points;
  for (const LevelHistogram::Cell& cell : histogram.cells()) {
    points.push_back({space == ClusterSpace::kLinear ? toSpace(cell.mean, space) : cell.lab,
                      static_cast<double>(cell.count)});
  }
  return points;
}

// Sums over a set of cells: pixel count, count-weighted OKLab and count-weighted squared norm.
struct Moments {
  double weight = 0, l = 0, a = 0, b = 0, square = 0;
  Moments& operator+=(const Moments& o) {
    weight += o.weight, l += o.l, a += o.a, b += o.b, square += o.square;
    return *this;
  }
  Moments& operator-=(const Moments& o) {
    weight -= o.weight, l -= o.l, a -= o.a, b -= o.b, square -= o.square;
    return *this;
  }
  // Sum of squared distances from the mean.
  double variance() const { return weight > 0 ? square - (l * l + a * a + b * b) / weight : 0; }
  OkLab mean() const {
    return {static_cast<float>(l / weight), static_cast<float>(a / weight),
            static_cast<float>(b / weight)};
  }
};

// Xiaolin Wu's colour quantiser ("Efficient Statistical Computations for Optimal Color
// Quantization", Graphics Gems II, 1991) on the level grid: boxes of cells are split, the one
// of largest variance first, where the split leaves the least variance.
class WuSplitter {
 public:
  WuSplitter(const LevelHistogram& histogram, const std::vector<WeightedPoint>& points)
      : sums_(kSide * kSide * kSide) {
    for (size_t i = 0; i < points.size(); ++i) {
      const ColourLevels& levels = histogram.cells()[i].levels;
      const Point& p = points[i].point;
      const double w = points[i].weight;
      Moments& m = at(levels.red + 1, levels.green + 1, levels.blue + 1);
      m.weight += w;
      m.l += w * p.l;
      m.a += w * p.a;
      m.b += w * p.b;
      m.square += w * (p.l * p.l + p.a * p.a + p.b * p.b);
    }
    // Cumulative sums, so that any box's moments take eight look-ups.
    for (int r = 1; r < kSide; ++r) {
      for (int g = 1; g < kSide; ++g) {
        for (int b = 1; b < kSide; ++b) {
          Moments& m = at(r, g, b);
          m += at(r - 1, g, b);
          m += at(r, g - 1, b);
          m += at(r, g, b - 1);
          m -= at(r - 1, g - 1, b);
          m -= at(r - 1, g, b - 1);
          m -= at(r, g - 1, b - 1);
          m += at(r - 1, g - 1, b - 1);
        }
      }
    }
  }

  // The means of at most `count` boxes.
  std::vector<OkLab> split(int count) {
    std::vector<Box> boxes = {Box{{0, 0, 0}, {kLevelCount, kLevelCount, kLevelCount}}};
    std::vector<double> variances = {volume(boxes[0]).variance()};
    while (static_cast<int>(boxes.size()) < count) {
      // Split the box of largest variance that can be split.
      int chosen = -1;
      for (size_t i = 0; i < boxes.size(); ++i) {
        if (variances[i] > 0 && (chosen < 0 || variances[i] > variances[chosen])) chosen = int(i);
      }
      if (chosen < 0) break;
      Box upper;
      if (!cut(boxes[chosen], upper)) {
        variances[chosen] = 0;
        continue;
      }
      boxes.push_back(upper);
      variances[chosen] = volume(boxes[chosen]).variance();
      variances.push_back(volume(upper).variance());
    }
    std::vector<OkLab> means;
    for (const Box& box : boxes) {
      const Moments m = volume(box);
      if (m.weight > 0) means.push_back(m.mean());
    }
    return means;
  }

 private:
  static constexpr int kSide = kLevelCount + 1;

  // Cells low+1 .. high on each axis (cumulative-table coordinates).
  struct Box {
    std::array<int, 3> low, high;
  };

  Moments& at(int r, int g, int b) { return sums_[(r * kSide + g) * kSide + b]; }
  const Moments& at(int r, int g, int b) const { return sums_[(r * kSide + g) * kSide + b]; }

  Moments volume(const Box& box) const {
    const auto& [r0, g0, b0] = box.low;
    const auto& [r1, g1, b1] = box.high;
    Moments m = at(r1, g1, b1);
    m -= at(r1, g1, b0);
    m -= at(r1, g0, b1);
    m += at(r1, g0, b0);
    m -= at(r0, g1, b1);
    m += at(r0, g1, b0);
    m += at(r0, g0, b1);
    m -= at(r0, g0, b0);
    return m;
  }

  // Splits `box` where the two halves keep the most of its squared mean (so lose the most
  // variance); `box` keeps the lower half. False when no cut leaves pixels on both sides.
  bool cut(Box& box, Box& upper) const {
    const Moments whole = volume(box);
    double best = -1;
    int bestAxis = -1, bestAt = 0;
    for (int axis = 0; axis < 3; ++axis) {
      for (int at = box.low[axis] + 1; at < box.high[axis]; ++at) {
        Box lower = box;
        lower.high[axis] = at;
        const Moments first = volume(lower);
        Moments second = whole;
        second -= first;
        if (first.weight <= 0 || second.weight <= 0) continue;
        const double score =
            (first.l * first.l + first.a * first.a + first.b * first.b) / first.weight +
            (second.l * second.l + second.a * second.a + second.b * second.b) / second.weight;
        if (score > best) best = score, bestAxis = axis, bestAt = at;
      }
    }
    if (bestAxis < 0) return false;
    upper = box;
    upper.low[bestAxis] = bestAt;
    box.high[bestAxis] = bestAt;
    return true;
  }

  std::vector<Moments> sums_;
};

// Lloyd's k-means over the histogram's cells, each centre snapped to an allowed colour after
// every update so that the palette is optimised where it will really lie. A centre that loses
// all its cells, or snaps onto another's colour, moves to the cell served worst.
std::vector<int> refine(const std::vector<WeightedPoint>& cells, std::vector<int> centres,
                        const TargetColours& targets) {
  constexpr int kMaxRounds = 24;
  const std::vector<Point>& grid = targets.grid();
  std::vector<double> error(cells.size());
  for (int round = 0; round < kMaxRounds; ++round) {
    std::vector<Moments> sums(centres.size());
    for (size_t i = 0; i < cells.size(); ++i) {
      float best = std::numeric_limits<float>::max();
      size_t owner = 0;
      for (size_t c = 0; c < centres.size(); ++c) {
        const float distance = squaredDistance(grid[centres[c]], cells[i].point);
        if (distance < best) best = distance, owner = c;
      }
      const double w = cells[i].weight;
      Moments& m = sums[owner];
      m.weight += w, m.l += w * cells[i].point.l, m.a += w * cells[i].point.a;
      m.b += w * cells[i].point.b;
      error[i] = w * best;
    }
    std::vector<bool> taken(kGridCells, false);
    std::vector<int> next(centres.size(), -1);
    for (size_t c = 0; c < centres.size(); ++c) {
      if (sums[c].weight <= 0) continue;
      const int colour = targets.nearest(sums[c].mean());
      if (!taken[colour]) next[c] = colour, taken[colour] = true;
    }
    if (std::count(next.begin(), next.end(), -1) > 0) {
      std::vector<size_t> worstFirst(cells.size());
      for (size_t i = 0; i < cells.size(); ++i) worstFirst[i] = i;
      std::sort(worstFirst.begin(), worstFirst.end(),
                [&](size_t x, size_t y) { return error[x] > error[y]; });
      size_t candidate = 0;
      for (int& colour : next) {
        while (colour < 0 && candidate < worstFirst.size()) {
          const int moved = targets.nearest(cells[worstFirst[candidate++]].point);
          if (!taken[moved]) colour = moved, taken[moved] = true;
        }
      }
      next.erase(std::remove(next.begin(), next.end(), -1), next.end());
    }
    if (next == centres) break;
    centres = std::move(next);
  }
  return centres;
}

}  // namespace

namespace {

// Distinct 24-bit colours: a bit for each colour when the picture is large, a sorted list when
// it is small (the bits alone are 2 MiB, as much as sorting 65536 colours costs).
class ColourCounter {
 public:
  explicit ColourCounter(uint64_t pixels) {
    if (pixels > kListUpTo) {
      seen_.assign((uint64_t{1} << 24) / 64, 0);
    } else {
      listed_.reserve(static_cast<size_t>(pixels));
    }
  }
  void add(uint32_t rgb) {
    if (seen_.empty()) {
      listed_.push_back(rgb);
      return;
    }
    uint64_t& word = seen_[rgb / 64];
    const uint64_t bit = uint64_t{1} << (rgb % 64);
    if ((word & bit) == 0) word |= bit, ++count_;
  }
  uint64_t count() {
    if (!seen_.empty()) return count_;
    std::sort(listed_.begin(), listed_.end());
    return static_cast<uint64_t>(std::unique(listed_.begin(), listed_.end()) - listed_.begin());
  }

 private:
  static constexpr uint64_t kListUpTo = uint64_t{1} << 16;
  std::vector<uint64_t> seen_;
  std::vector<uint32_t> listed_;
  uint64_t count_ = 0;
};

}  // namespace

LevelHistogram::LevelHistogram(const RgbaPicture& picture) {
  std::vector<int32_t> slot(kGridCells, -1);  // a cell's place in cells_
  ColourCounter colours(uint64_t{picture.width()} * picture.height());
  std::array<uint8_t, 256> level{};
  for (int v = 0; v < 256; ++v) level[v] = scaleComponent(static_cast<uint8_t>(v));
  std::vector<std::array<double, 3>> sums;
  for (uint32_t y = 0; y < picture.height(); ++y) {
    const uint8_t* pixel = picture.row(y);
    for (uint32_t x = 0; x < picture.width(); ++x, pixel += 4) {
      if (pixel[3] < kOpaqueAlpha) {
        ++transparentPixels_;
        continue;
      }
      ++opaquePixels_;
      colours.add(uint32_t{pixel[0]} << 16 | uint32_t{pixel[1]} << 8 | pixel[2]);
      const ColourLevels levels = {level[pixel[0]], level[pixel[1]], level[pixel[2]]};
      int32_t& place = slot[cellIndex(levels)];
      if (place < 0) {
        place = static_cast<int32_t>(cells_.size());
        cells_.push_back({levels, 0, {}, {}});
        sums.push_back({0, 0, 0});
      }
      const LinearRgb linear = toLinear(pixel[0], pixel[1], pixel[2]);
      ++cells_[place].count;
      sums[place][0] += linear.red;
      sums[place][1] += linear.green;
      sums[place][2] += linear.blue;
    }
  }
  distinctColours_ = colours.count();
  for (size_t i = 0; i < cells_.size(); ++i) {
    const double n = static_cast<double>(cells_[i].count);
    cells_[i].mean = {static_cast<float>(sums[i][0] / n), static_cast<float>(sums[i][1] / n),
                      static_cast<float>(sums[i][2] / n)};
    cells_[i].lab = toOkLab(cells_[i].mean);
  }
}

bool paletteIsExact(const LevelHistogram& histogram, int count, bool fullColour) {
  if (static_cast<int>(histogram.cells().size()) > count) return false;
  if (fullColour) return true;
  return std::all_of(histogram.cells().begin(), histogram.cells().end(),
                     [](const LevelHistogram::Cell& cell) { return isCutColour(cell.levels); });
}

std::vector<std::vector<ColourLevels>> choosePalettes(const LevelHistogram& histogram, int count,
                                                      bool fullColour, ClusterSpace space,
                                                      std::span<const float> spreads) {
  std::vector<ColourLevels> palette;
  if (paletteIsExact(histogram, count, fullColour)) {
    for (const LevelHistogram::Cell& cell : histogram.cells()) palette.push_back(cell.levels);
    return {palette};
  }
  if (!fullColour && count >= 64) {
    // Every colour of the limit is available: only the mapping matters.
    for (uint8_t r = 0; r <= 24; r += 8) {
      for (uint8_t g = 0; g <= 24; g += 8) {
        for (uint8_t b = 0; b <= 24; b += 8) palette.push_back({r, g, b});
      }
    }
    return {palette};
  }
  const TargetColours targets(fullColour, space);
  const std::vector<WeightedPoint> points = histogramPoints(histogram, space);
  std::vector<int> centres;
  std::vector<bool> taken(kGridCells, false);
  for (const Point& mean : WuSplitter(histogram, points).split(count)) {
    const int cell = targets.nearest(mean);
    if (!taken[cell]) centres.push_back(cell), taken[cell] = true;
  }
  centres = refine(points, centres, targets);
  std::vector<std::vector<ColourLevels>> palettes(1);
  for (int cell : centres) palettes[0].push_back(cellLevels(cell));

  // Each spread moves every colour away from the picture's mean, so that dithering can reach
  // the colours at the edges of the picture's range, not only those between the cluster means.
  Moments all;
  for (const WeightedPoint& p : points) {
    all.weight += p.weight, all.l += p.weight * p.point.l, all.a += p.weight * p.point.a;
    all.b += p.weight * p.point.b;
  }
  const Point mean = all.mean();
  for (float spread : spreads) {
    const float scale = 1 + spread;
    std::vector<bool> used(kGridCells, false);
    std::vector<ColourLevels> spreadPalette;
    for (int centre : centres) {
      const Point& p = targets.grid()[centre];
      int moved = targets.nearest({mean.l + scale * (p.l - mean.l), mean.a + scale * (p.a - mean.a),
                                   mean.b + scale * (p.b - mean.b)});
      if (used[moved]) moved = centre;
      if (!used[moved]) spreadPalette.push_back(cellLevels(moved)), used[moved] = true;
    }
    palettes.push_back(std::move(spreadPalette));
  }
  return palettes;
}

std::vector<ColourLevels> choosePalette(const LevelHistogram& histogram, int count,
                                        bool fullColour) {
  return choosePalettes(histogram, count, fullColour, ClusterSpace::kOkLab, {}).front();
}

std::vector<ColourLevels> neighbourColours(const ColourLevels& colour, bool fullColour) {
  const int step = fullColour ? 1 : 8;
  std::vector<ColourLevels> neighbours;
  for (int channel = 0; channel < 3; ++channel) {
    for (int direction : {-step, step}) {
      ColourLevels moved = colour;
      uint8_t& level = channel == 0 ? moved.red : channel == 1 ? moved.green : moved.blue;
      const int next = level + direction;
      if (next < 0 || next > 24) continue;
      level = static_cast<uint8_t>(next);
      neighbours.push_back(moved);
    }
  }
  return neighbours;
}

}  // namespace quillpix
