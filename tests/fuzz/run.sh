#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for the given number of seconds (default 60),
# seeded from the shared BMP and PNG corpus (when present), the examples and the test fixtures.
# Exits non-zero on any finding; the crashing input is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds="${1:-60}"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DQUILLPIX_FUZZ=ON -DQUILLPIX_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j --target quillpix_fuzzer quillpix_fuzz_seeds >/dev/null

seeds=build-fuzz/seeds
mkdir -p "$seeds" build-fuzz/corpus build-fuzz/findings
./build-fuzz/quillpix_fuzz_seeds "$seeds"
cp examples/*.bmp "$seeds"/
if [ -d ../shared/corpus ]; then
  find ../shared/corpus \( -name '*.bmp' -o -name '*.png' \) -print0 | while IFS= read -r -d '' file; do
    cp "$file" "$seeds/$(echo "$file" | tr '/' '_')"
  done
fi

ASAN_OPTIONS=allocator_may_return_null=1 ./build-fuzz/quillpix_fuzzer \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 \
  build-fuzz/corpus "$seeds"
