#!/usr/bin/env bash
# Picture quality of colour reduction, side by side with the pipelines users have without it.
#   bench/quality.sh [pictures...]     (default: ../shared/images/*.png and a gradient made here)
# For N = 16 and 256, in full colour and in 64-colour mode (--64), every picture is reduced by
#   quillpix   quillpix pic.png --colors=N [--64]
#   im         ImageMagick -colors N, saved as an uncompressed palette BMP, then quillpix [--64]
#   pngquant   pngquant N, saved as an uncompressed palette BMP, then quillpix [--64]
#   remap      (64-colour mode) ImageMagick -remap onto the 64 colours with Floyd-Steinberg
#              (and -colors N when N is below 64), then quillpix --64
# and measured by bench/quality: the mean OKLab distance x 100 over the opaque pixels after a
# Gaussian blur (sigma 1, linear light) of both pictures, and without the blur. A peer whose tool
# is missing is skipped; nothing is installed. Writes bench/data/quality/ and prints the table.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DQUILLPIX_BENCH=ON -DQUILLPIX_TESTS=OFF \
  >/dev/null
cmake --build build-bench -j --target quillpix quillview quality >/dev/null
bin=$(pwd)/build-bench
out=bench/data/quality
rm -rf "$out"
mkdir -p "$out"

have_im=false have_pq=false
command -v convert >/dev/null 2>&1 && convert -version 2>/dev/null | grep -q ImageMagick && have_im=true
command -v pngquant >/dev/null 2>&1 && have_pq=true

pictures=("$@")
if [ ${#pictures[@]} -eq 0 ]; then
  pictures=(../shared/images/*.png)
  "$bin/bench/quality" --gradient "$out/gradient.png"
  pictures+=("$out/gradient.png")
fi

# The 64 colours of the 64-colour limit, as 8-bit values that convert to levels 0, 8, 16, 24.
if $have_im; then
  colours=""
  for r in 0 85 170 255; do for g in 0 85 170 255; do for b in 0 85 170 255; do
    colours+="xc:rgb($r,$g,$b) "
  done; done; done
  # shellcheck disable=SC2086
  convert $colours +append "$out/palette64.png"
fi

# measure <original.png> <name> [quillpix switches...]: converts $out/<name>.bmp or .png and
# prints "blurred unblurred", or "-" when the peer's file is missing.
measure() {
  local original=$1 name=$2
  shift 2
  local input
  input=$(ls "$out/$name".bmp "$out/$name".png 2>/dev/null | head -n 1 || true)
  if [ -z "$input" ] || ! "$bin/quillpix" "$input" "$@" >"$out/$name.txt"; then
    echo "- -"
    return
  fi
  "$bin/bench/quality" "$original" "$out/$name.vkm"
}

printf '| picture | N | mode | quillpix | im | pngquant | remap |\n'
printf '|---|---|---|---|---|---|---|\n'
for picture in "${pictures[@]}"; do
  base=$(basename "$picture" .png)
  for n in 16 256; do
    for mode in full 64; do
      cut=()
      [ "$mode" = 64 ] && cut=(--64)
      tag="$base-$n-$mode"
      cp "$picture" "$out/$tag-ours.png"
      ours=$(measure "$picture" "$tag-ours" --colors="$n" "${cut[@]}")
      im="- -" pq="- -" rm="- -"
      if $have_im; then
        convert "$picture" -alpha off -colors "$n" -type Palette -compress None \
          "BMP3:$out/$tag-im.bmp"
        im=$(measure "$picture" "$tag-im" "${cut[@]}")
      fi
      if $have_pq && $have_im; then
        pngquant --force --output "$out/$tag-pq-quant.png" "$n" "$picture" 2>/dev/null || true
        if [ -f "$out/$tag-pq-quant.png" ]; then
          convert "$out/$tag-pq-quant.png" -alpha off -type Palette -compress None \
            "BMP3:$out/$tag-pq.bmp"
        fi
        pq=$(measure "$picture" "$tag-pq" "${cut[@]}")
      fi
      if $have_im && [ "$mode" = 64 ]; then
        reduce=()
        [ "$n" -lt 64 ] && reduce=(-colors "$n")
        convert "$picture" -alpha off -dither FloydSteinberg -remap "$out/palette64.png" \
          "${reduce[@]}" -type Palette -compress None "BMP3:$out/$tag-remap.bmp"
        rm=$(measure "$picture" "$tag-remap" "${cut[@]}")
      fi
      cell() { read -r blurred plain <<<"$1"; [ "$blurred" = - ] && echo "-" || echo "$blurred ($plain)"; }
      printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$base" "$n" "$mode" "$(cell "$ours")" \
        "$(cell "$im")" "$(cell "$pq")" "$(cell "$rm")"
    done
  done
done
echo
echo "Mean OKLab distance x 100 over opaque pixels, blurred (sigma 1 px, linear light), and in"
echo "brackets unblurred; lower is better. Files are in $out/."
