#!/usr/bin/env bash
# Speed and memory of quillpix on large images, side by side with cp of the same files.
#   bench/run.sh [runs]      (default 5 runs of each command, alternating)
# Builds a Release tree in build-bench/, writes the images to bench/data/ (about 450 MB) and
# prints one table. Needs cmake, a C++ compiler, Google Benchmark and /usr/bin/time.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BENCH=ON -DQUILLPIX_TESTS=OFF \
  >/dev/null
cmake --build build-bench -j >/dev/null
quillpix=build-bench/quillpix
data=bench/data
mkdir -p "$data"

images=("p8-8192x8192 8 8192 8192" "p4-16384x16384 4 16384 16384" "p8-16001x16000 8 16001 16000")
for image in "${images[@]}"; do
  read -r name bits width height <<<"$image"
  [ -f "$data/$name.bmp" ] || build-bench/bench/make_large_bmp "$data/$name.bmp" "$bits" "$width" "$height"
done

now_ns() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.4f", ns / 1e9 }'; }

printf '%-16s %10s %10s %7s %9s %8s %10s %9s\n' image "input MB" quillpix cp ratio "peak MB" "mem/input" "dump MB/s"
for image in "${images[@]}"; do
  read -r name bits width height <<<"$image"
  input="$data/$name.bmp"
  cat "$input" >/dev/null  # both commands start from a warm page cache
  quillpix_times=() cp_times=() debug_times=()
  for ((i = 0; i < runs; i++)); do
    rm -f "$data/$name.vkm" "$data/$name.copy"
    start=$(now_ns); "$quillpix" "$input" >/dev/null; quillpix_times+=($(($(now_ns) - start)))
    start=$(now_ns); cp "$input" "$data/$name.copy"; cp_times+=($(($(now_ns) - start)))
    rm -f "$data/$name.vkm"
    start=$(now_ns); "$quillpix" "$input" --debug >/dev/null; debug_times+=($(($(now_ns) - start)))
  done
  rm -f "$data/$name.copy"
  q=$(printf '%s\n' "${quillpix_times[@]}" | median)
  c=$(printf '%s\n' "${cp_times[@]}" | median)
  d=$(printf '%s\n' "${debug_times[@]}" | median)

  rm -f "$data/$name.vkm"
  peak_kb=$(/usr/bin/time -f '%M' "$quillpix" "$input" 2>&1 >/dev/null | tail -n 1)
  input_bytes=$(stat -c %s "$input")
  # The dump prints "#XX," for every output byte and a line end per row.
  if [ "$bits" = 8 ]; then work=$width; else work=$(((width + 1) / 2)); fi
  row=$((work + work % 2))
  dump_bytes=$((height * (4 * row + 1)))

  printf '%-16s %10.1f %10s %7s %9.2f %8.1f %10.2f %9.0f\n' "$name" \
    "$(awk -v b="$input_bytes" 'BEGIN { print b / 1048576 }')" "$(seconds "$q")" "$(seconds "$c")" \
    "$(awk -v q="$q" -v c="$c" 'BEGIN { print q / c }')" \
    "$(awk -v k="$peak_kb" 'BEGIN { print k / 1024 }')" \
    "$(awk -v k="$peak_kb" -v b="$input_bytes" 'BEGIN { print k * 1024 / b }')" \
    "$(awk -v n="$dump_bytes" -v t="$d" 'BEGIN { print n / 1e6 / (t / 1e9) }')"
  rm -f "$data/$name.vkm"
done
echo "quillpix, cp: median wall time of $runs runs; ratio = quillpix / cp; dump MB/s = dump text"
echo "of quillpix --debug to /dev/null divided by that whole run's median time."
echo

build-bench/bench/conversion_benchmark --benchmark_min_time=0.2
