// In-process throughput of palette conversion and pixel row conversion.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bmp/bmp_image.h"
#include "convert/palette.h"
#include "convert/pixel_rows.h"
#include "tests/bmp_builder.h"

namespace {

quillpix::BmpImage makeImage(uint16_t bitCount, uint32_t width, int32_t height) {
  quillpix::testing::BmpBuilder bmp;
  bmp.bitCount = bitCount;
  bmp.width = width;
  bmp.height = height;
  bmp.colours = quillpix::testing::greyRamp(bitCount == 4 ? 16 : 256);
  bmp.fillByte = 0xA5;
  const std::vector<uint8_t> file = bmp.build();
  std::FILE* sink = std::fopen("/dev/null", "w");
  std::optional<quillpix::BmpImage> image =
      quillpix::decodeBmpImage(std::move(*quillpix::makeFileImage(file)), "bench.bmp", sink);
  std::fclose(sink);
  return std::move(*image);
}

void paletteConversion(benchmark::State& state) {
  const quillpix::BmpImage image = makeImage(8, 4, 4);
  const bool debug = state.range(0) != 0;
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillpix::convertPalette(image, debug, true, sink));
  }
  std::fclose(sink);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 256 * 4);
}
BENCHMARK(paletteConversion)->Arg(0)->Arg(1);

void pixelRowConversion(benchmark::State& state) {
  const uint32_t width = static_cast<uint32_t>(state.range(0));
  const bool debug = state.range(1) != 0;
  const quillpix::BmpImage image = makeImage(8, width, 2048);
  std::FILE* sink = std::fopen("/dev/null", "w");
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillpix::convertPixelRows(image, debug, 0, sink));
  }
  std::fclose(sink);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * 2048);
}
BENCHMARK(pixelRowConversion)
    ->Args({4096, 0})
    ->Args({4095, 0})
    ->Args({4096, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
