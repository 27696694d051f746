#!/usr/bin/env bash
# Pixgrow benchmark: makes the inputs (a 256x256 pixel-art PNG, 2048x2048 and 4096x4096
# photo-like PNGs), measures the picture stack's stages, Pixgrow itself and the peer
# tools doing the same 2x nearest-neighbour enlargement, checks that every PNG is valid
# and that every peer's pixels equal Pixgrow's, and prints the ratios of the goals.
#   bench/pixgrow/run.sh <build dir> [work folder]
# Times: elapsed seconds and CPU seconds (user + system; steadier on a shared machine),
# best of three runs for the small input; peak memory in MB.
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <build dir> [work folder]}")
work=${2:-$build/bench-pixgrow}
stages=$build/bin/pixgrow_stages
pixgrow=$build/bin/pixgrow
mkdir -p "$work"
[ -f "$work/photo4096.png" ] || "$stages" generate "$work" >/dev/null

declare -A wall cpu mem size
measure() {  # key repeats output command...
  local key=$1 reps=$2 out=$3; shift 3
  local best_w=999999 best_c=999999 best_m=0
  for ((i = 0; i < reps; i++)); do
    rm -f "$out"
    if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1; then
      printf '%-28s failed\n' "$key"; return 0
    fi
    read -r e u s m < "$work/time.txt"
    local c; c=$(echo "$u + $s" | bc)
    if (( $(echo "$e < $best_w" | bc) )); then best_w=$e; fi
    if (( $(echo "$c < $best_c" | bc) )); then best_c=$c; fi
    best_m=$m
  done
  wall[$key]=$best_w; cpu[$key]=$best_c; mem[$key]=$((best_m / 1024)); size[$key]=$(stat -c %s "$out")
  printf '%-28s %7.2fs wall %7.2fs cpu %6d MB %11d bytes\n' "$key" "$best_w" "$best_c" "${mem[$key]}" "${size[$key]}"
}
ratio() {  # label a b goal
  local a=$1 b=$2
  [ -n "${wall[$a]:-}" ] && [ -n "${wall[$b]:-}" ] || { printf '  %-44s n/a\n' "$3"; return 0; }
  printf '  %-44s wall %5.2f  cpu %5.2f  (goal %s)\n' "$3" "$(echo "${wall[$a]} / ${wall[$b]}" | bc -l)" \
    "$(echo "${cpu[$a]} / ${cpu[$b]}" | bc -l)" "$4"
}
same() {  # a.png b.png
  if "$stages" compare "$1" "$2" >/dev/null 2>&1; then echo "same pixels"; else echo "PIXELS DIFFER"; fi
}

for name in sprite256 photo2048 photo4096; do
  in=$work/$name.png
  reps=1; [ "$name" = sprite256 ] && reps=3
  echo "== $name"
  "$stages" stages "$in" "$work" | sed 's/^/  stage: /'
  if [ -x "$pixgrow" ]; then
    for m in 4 1 2 3; do measure "$name pixgrow ${m}P" "$reps" "$work/pg$m.png" "$pixgrow" "${m}P" "$in" "$work/pg$m.png"; done
    measure "$name pixgrow 4 (BMP)" "$reps" "$work/pg.bmp" "$pixgrow" 4 "$in" "$work/pg.bmp"
    pngcheck -q "$work/pg4.png" "$work/pg1.png" "$work/pg2.png" "$work/pg3.png" && echo "  pngcheck: valid"
  fi
  if command -v convert >/dev/null; then
    measure "$name ImageMagick" "$reps" "$work/im.png" convert "$in" -filter point -resize 200% "$work/im.png"
    echo "  ImageMagick vs pixgrow: $(same "$work/im.png" "$work/pg4.png")"
  fi
  if command -v vips >/dev/null; then
    measure "$name vips zoom" "$reps" "$work/vips.png" vips zoom "$in" "$work/vips.png" 2 2
    echo "  vips vs pixgrow: $(same "$work/vips.png" "$work/pg4.png")"
  fi
  if command -v gm >/dev/null; then
    measure "$name GraphicsMagick BMP" "$reps" "$work/gm.bmp" gm convert "$in" -filter point -resize 200% "$work/gm.bmp"
  fi
  measure "$name Pillow" "$reps" "$work/pil.png" /usr/bin/python3 -c "
import sys
from PIL import Image
im = Image.open(sys.argv[1]); im.resize((im.width * 2, im.height * 2), Image.NEAREST).save(sys.argv[2])" "$in" "$work/pil.png"
  echo "ratios:"
  case $name in
    sprite256) ratio "$name pixgrow 4P" "$name ImageMagick" "pixgrow 4P / ImageMagick" "<= 0.5" ;;
    *) ratio "$name pixgrow 4P" "$name vips zoom" "pixgrow 4P / vips zoom" "<= 0.5"
       [ -n "${size[$name pixgrow 4P]:-}" ] && [ -n "${size[$name vips zoom]:-}" ] &&
         printf '  %-44s %5.2f  (goal <= 1)\n' "PNG size pixgrow / vips" "$(echo "${size[$name pixgrow 4P]} / ${size[$name vips zoom]}" | bc -l)"
       for m in 1 2 3; do ratio "$name pixgrow ${m}P" "$name pixgrow 4P" "method $m / method 4" "<= 1.2"; done ;;
  esac
  [ "$name" = photo2048 ] && ratio "$name pixgrow 4 (BMP)" "$name GraphicsMagick BMP" "pixgrow BMP / GraphicsMagick" "<= 0.6"
  [ "$name" = photo4096 ] && [ -n "${mem[$name pixgrow 4P]:-}" ] && echo "  peak memory pixgrow 4P: ${mem[$name pixgrow 4P]} MB (goal <= 100)"
done
