#!/usr/bin/env bash
# Speed and memory of colour reduction to 256 colours, side by side with pngquant on the same
# pictures: a photo scaled to 512 x 512 and to 2048 x 2048.
#   bench/reduction_speed.sh [runs]     (default 5 runs of each command, alternating)
# Skips pngquant when it is missing; installs nothing. Needs /usr/bin/time.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-5}"

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BENCH=ON -DQUILLPIX_TESTS=OFF \
  >/dev/null
cmake --build build-bench -j --target quillpix quality >/dev/null
bin=build-bench
out=bench/data/speed
mkdir -p "$out"
photo=../shared/images/coffee.png
[ -f "$photo" ] || { echo "no picture at $photo"; exit 1; }
have_pq=false
command -v pngquant >/dev/null 2>&1 && have_pq=true

now_ns() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }

printf '%-11s %-10s %10s %10s %9s %12s %12s\n' picture dither quillpix pngquant ratio "quillpix MB" "pngquant MB"
for size in 512 2048; do
  picture="$out/photo-$size.png"
  [ -f "$picture" ] || "$bin/bench/quality" --scale "$photo" "$size" "$size" "$picture"
  for dither in diffusion ordered none; do
    ours=() theirs=()
    for ((i = 0; i < runs; i++)); do
      start=$(now_ns); "$bin/quillpix" "$picture" --colors=256 --dither="$dither" >/dev/null
      ours+=($(($(now_ns) - start)))
      if $have_pq; then
        # pngquant's own dithering is Floyd-Steinberg; --nofs turns it off.
        nofs=()
        [ "$dither" = none ] && nofs=(--nofs)
        start=$(now_ns); pngquant --force "${nofs[@]}" --output "$out/pq.png" 256 "$picture"
        theirs+=($(($(now_ns) - start)))
      fi
    done
    q=$(printf '%s\n' "${ours[@]}" | median)
    ourPeak=$(/usr/bin/time -f '%M' "$bin/quillpix" "$picture" --colors=256 --dither="$dither" 2>&1 >/dev/null | tail -n 1)
    if $have_pq && [ "$dither" != ordered ]; then
      p=$(printf '%s\n' "${theirs[@]}" | median)
      theirPeak=$(/usr/bin/time -f '%M' pngquant --force "${nofs[@]}" --output "$out/pq.png" 256 "$picture" 2>&1 | tail -n 1)
      printf '%-11s %-10s %10s %10s %9.2f %12.1f %12.1f\n' "$size x $size" "$dither" "$(seconds "$q")" \
        "$(seconds "$p")" "$(awk -v q="$q" -v p="$p" 'BEGIN { print q / p }')" \
        "$(awk -v k="$ourPeak" 'BEGIN { print k / 1024 }')" "$(awk -v k="$theirPeak" 'BEGIN { print k / 1024 }')"
    else
      printf '%-11s %-10s %10s %10s %9s %12.1f %12s\n' "$size x $size" "$dither" "$(seconds "$q")" - - \
        "$(awk -v k="$ourPeak" 'BEGIN { print k / 1024 }')" -
    fi
  done
done
echo "Median wall time of $runs alternating runs; ratio = quillpix / pngquant; peak resident memory."
echo "pngquant has no ordered dithering, so that row has no peer."
