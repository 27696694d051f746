#!/usr/bin/env bash
# Pixgrow benchmark: makes the inputs (16x16 and 256x256 pixel-art PNGs, 2048, 4096 and
# 8192 pixel photo-like PNGs), measures the picture stack's stages, Pixgrow itself and
# the peer tools doing the same 2x nearest-neighbour enlargement, checks that every PNG
# is valid and that every peer's pixels equal Pixgrow's, and prints the ratios with
# their goals. Exits 1 when a goal is missed, a peer's pixels differ or a peer is missing.
#   bench/pixgrow/run.sh <build dir> [work folder]
# Every measurement is the best of BENCH_RUNS runs (default 3): elapsed seconds and CPU
# seconds (user + system; steadier on a shared machine); peak memory is the largest of
# the runs, in MB. The 16x16 start-up is the best of BENCH_STARTUP_RUNS (default 30)
# runs, timed in milliseconds from posix_spawn to waitpid (pixgrow_stages spawn-time).
# Peers: ImageMagick is /usr/bin/convert (whatever else is first on the PATH is not
# used), vips, GraphicsMagick and Pillow through /usr/bin/python3.
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <build dir> [work folder]}")
work=${2:-$build/bench-pixgrow}
runs=${BENCH_RUNS:-3}
startup_runs=${BENCH_STARTUP_RUNS:-30}
stages=$build/bin/pixgrow_stages
pixgrow=$build/bin/pixgrow
magick=/usr/bin/convert
mkdir -p "$work"
[ -f "$work/photo8192.png" ] && [ -f "$work/sprite16.png" ] || "$stages" generate "$work" >/dev/null
status=0
fail() { echo "  FAILED: $*"; status=1; }

declare -A wall cpu mem size
measure() {  # key output command...
  local key=$1 out=$2; shift 2
  local best_w=999999 best_c=999999 peak=0
  for ((i = 0; i < runs; i++)); do
    rm -f "$out"
    if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1; then
      fail "$key did not run"; return 0
    fi
    read -r e u s m < "$work/time.txt"
    local c; c=$(echo "$u + $s" | bc)
    if (( $(echo "$e < $best_w" | bc) )); then best_w=$e; fi
    if (( $(echo "$c < $best_c" | bc) )); then best_c=$c; fi
    if (( m > peak )); then peak=$m; fi
  done
  wall[$key]=$best_w; cpu[$key]=$best_c; mem[$key]=$((peak / 1024)); size[$key]=$(stat -c %s "$out")
  printf '%-30s %7.2fs wall %7.2fs cpu %6d MB %11d bytes\n' "$key" "$best_w" "$best_c" "${mem[$key]}" "${size[$key]}"
}
# Elapsed milliseconds of the best of startup_runs runs (for inputs too small for
# /usr/bin/time), timed by pixgrow_stages spawn-time around posix_spawn and waitpid alone.
measure_ms() {  # key output command...
  local key=$1 out=$2; shift 2
  rm -f "$out"
  local best
  best=$("$stages" spawn-time "$startup_runs" "$@") || { fail "$key did not run"; return 0; }
  wall[$key]=$(echo "$best / 1000" | bc -l); cpu[$key]=${wall[$key]}
  printf '%-30s %7.2f ms wall (best of %d)\n' "$key" "$best" "$startup_runs"
}
# Prints a over b for wall and CPU time with its goal (at most `most`); a miss fails.
ratio() {  # a b label most
  local a=$1 b=$2
  if [ -z "${wall[$a]:-}" ] || [ -z "${wall[$b]:-}" ]; then fail "$3: not measured"; return 0; fi
  local rw rc; rw=$(echo "${wall[$a]} / ${wall[$b]}" | bc -l); rc=$(echo "${cpu[$a]} / ${cpu[$b]}" | bc -l)
  local verdict=""
  (( $(echo "$rw <= $4 || $rc <= $4" | bc) )) || { verdict="  MISSED"; status=1; }
  printf '  %-44s wall %5.2f  cpu %5.2f  (goal <= %s)%s\n' "$3" "$rw" "$rc" "$4" "$verdict"
}
same() {  # label a b
  if "$stages" compare "$2" "$3" >/dev/null 2>&1; then echo "  $1: same pixels"; else fail "$1: PIXELS DIFFER"; fi
}
peers_present() {
  [ -x "$magick" ] || fail "ImageMagick is not at $magick (scripts/install-deps bench)"
  command -v vips >/dev/null || fail "vips is missing (scripts/install-deps bench)"
  command -v gm >/dev/null || fail "GraphicsMagick is missing (scripts/install-deps bench)"
}

peers_present
echo "== sprite16 (start-up)"
measure_ms "sprite16 pixgrow 4P" "$work/s16.png" "$pixgrow" 4P "$work/sprite16.png" "$work/s16.png"
measure_ms "sprite16 ImageMagick" "$work/s16im.png" "$magick" "$work/sprite16.png" -filter point -resize 200% "$work/s16im.png"
measure_ms "/bin/true" "$work/none" /bin/true
same "ImageMagick vs pixgrow" "$work/s16im.png" "$work/s16.png"
echo "ratios:"
ratio "sprite16 pixgrow 4P" "sprite16 ImageMagick" "pixgrow 4P / ImageMagick, 16x16 (start-up)" 0.3

for name in sprite256 photo2048 photo4096; do
  in=$work/$name.png
  echo "== $name"
  "$stages" stages "$in" "$work" | sed 's/^/  stage: /'
  for m in 4 1 2 3; do measure "$name pixgrow ${m}P" "$work/pg$m.png" "$pixgrow" "${m}P" "$in" "$work/pg$m.png"; done
  measure "$name pixgrow 4 (BMP)" "$work/pg.bmp" "$pixgrow" 4 "$in" "$work/pg.bmp"
  pngcheck -q "$work/pg4.png" "$work/pg1.png" "$work/pg2.png" "$work/pg3.png" && echo "  pngcheck: valid" || fail "pngcheck"
  measure "$name ImageMagick" "$work/im.png" "$magick" "$in" -filter point -resize 200% "$work/im.png"
  same "ImageMagick vs pixgrow" "$work/im.png" "$work/pg4.png"
  measure "$name vips zoom" "$work/vips.png" vips zoom "$in" "$work/vips.png" 2 2
  same "vips vs pixgrow" "$work/vips.png" "$work/pg4.png"
  measure "$name GraphicsMagick BMP" "$work/gm.bmp" gm convert "$in" -filter point -resize 200% "$work/gm.bmp"
  same "GraphicsMagick BMP vs pixgrow BMP" "$work/gm.bmp" "$work/pg.bmp"
  measure "$name Pillow" "$work/pil.png" /usr/bin/python3 -c "
import sys
from PIL import Image
im = Image.open(sys.argv[1]); im.resize((im.width * 2, im.height * 2), Image.NEAREST).save(sys.argv[2])" "$in" "$work/pil.png"
  same "Pillow vs pixgrow" "$work/pil.png" "$work/pg4.png"
  echo "ratios:"
  case $name in
    sprite256) ratio "$name pixgrow 4P" "$name ImageMagick" "pixgrow 4P / ImageMagick" 0.5 ;;
    *) ratio "$name pixgrow 4P" "$name vips zoom" "pixgrow 4P / vips zoom" 0.5
       if [ -n "${size[$name pixgrow 4P]:-}" ] && [ -n "${size[$name vips zoom]:-}" ]; then
         r=$(echo "${size[$name pixgrow 4P]} / ${size[$name vips zoom]}" | bc -l)
         (( $(echo "$r <= 1" | bc) )) && v="" || { v="  MISSED"; status=1; }
         printf '  %-44s %5.2f  (goal <= 1)%s\n' "PNG size pixgrow / vips" "$r" "$v"
       fi
       for m in 1 2 3; do ratio "$name pixgrow ${m}P" "$name pixgrow 4P" "method $m / method 4" 1.2; done ;;
  esac
  [ "$name" = photo2048 ] && ratio "$name pixgrow 4 (BMP)" "$name GraphicsMagick BMP" "pixgrow BMP / GraphicsMagick" 0.6
  if [ "$name" = photo4096 ]; then
    p=${mem[$name pixgrow 4P]:-999999}
    (( p <= 100 )) && v="" || { v="  MISSED"; status=1; }
    echo "  peak memory pixgrow 4P: $p MB (goal <= 100)$v"
  fi
done

# The largest input: the enlarged picture (16384 x 16384) is never held whole by Pixgrow.
name=photo8192; in=$work/$name.png
echo "== $name"
measure "$name pixgrow 4P" "$work/pg4.png" "$pixgrow" 4P "$in" "$work/pg4.png"
measure "$name pixgrow 4 (BMP)" "$work/pg.bmp" "$pixgrow" 4 "$in" "$work/pg.bmp"
measure "$name vips zoom" "$work/vips.png" vips zoom "$in" "$work/vips.png" 2 2
same "vips vs pixgrow" "$work/vips.png" "$work/pg4.png"
echo "  vips BMP: not measured (vips has no BMP writer)"
echo "ratios:"
ratio "$name pixgrow 4P" "$name vips zoom" "pixgrow 4P / vips zoom" 0.5
for k in "pixgrow 4P" "pixgrow 4 (BMP)" "vips zoom"; do
  printf '  peak memory %-32s %6s MB\n' "$k" "${mem[$name $k]:-n/a}"
done
rm -f "$work"/pg*.png "$work"/pg.bmp "$work"/vips.png "$work"/im.png "$work"/gm.bmp "$work"/pil.png "$work"/s16*.png
exit $status
