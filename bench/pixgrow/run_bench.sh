#!/bin/sh
# Pixgrow benchmark: generates the inputs, measures the picture stack's stages and the
# peer tools doing the same 2x nearest-neighbour enlargement, and prints one line per
# run (seconds, peak kB, output bytes).
#   bench/pixgrow/run_bench.sh <build dir> [work folder]
# When <build dir>/bin/Pixgrow exists it is measured too (method 4, PNG and BMP).
set -eu
build=${1:?usage: run_bench.sh <build dir> [work folder]}
work=${2:-$build/bench-pixgrow}
stages=$build/bin/pixgrow_stages
mkdir -p "$work"
[ -f "$work/photo4096.png" ] || "$stages" generate "$work"

measure() {  # label output command...
  label=$1; out=$2; shift 2
  rm -f "$out"
  if /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1; then
    set -- $(cat "$work/time.txt")
    printf '%-34s %7ss %8s kB %10s bytes\n' "$label" "$1" "$2" "$(stat -c %s "$out" 2>/dev/null || echo -)"
  else
    printf '%-34s failed\n' "$label"
  fi
}

for name in sprite256 photo2048 photo4096; do
  in=$work/$name.png
  echo "== $name"
  "$stages" stages "$in" "$work"
  [ -x "$build/bin/Pixgrow" ] && measure "Pixgrow 4P" "$work/pg.png" "$build/bin/Pixgrow" 4P "$in" "$work/pg.png"
  [ -x "$build/bin/Pixgrow" ] && measure "Pixgrow 4 (BMP)" "$work/pg.bmp" "$build/bin/Pixgrow" 4 "$in" "$work/pg.bmp"
  command -v convert >/dev/null && measure "ImageMagick -scale 200%" "$work/im.png" convert "$in" -scale 200% "$work/im.png"
  command -v vips >/dev/null && measure "vips zoom 2 2" "$work/vips.png" vips zoom "$in" "$work/vips.png" 2 2
  command -v gm >/dev/null && measure "GraphicsMagick -scale 200% (BMP)" "$work/gm.bmp" gm convert "$in" -scale 200% "$work/gm.bmp"
  [ -x /usr/bin/python3 ] && measure "Pillow NEAREST" "$work/pil.png" /usr/bin/python3 -c "
import sys
from PIL import Image
im = Image.open(sys.argv[1]); im.resize((im.width * 2, im.height * 2), Image.NEAREST).save(sys.argv[2])" "$in" "$work/pil.png"
done
