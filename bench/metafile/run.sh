#!/usr/bin/env bash
# Metafile benchmark: a WMF and an EMF of about 10,000 records, 1024 x 1024, drawn
# through Pixgrow (which also doubles and writes a PNG) and through GDI+ alone, and in
# the same run by the libraries' own converters: wmf2gd for the WMF, emf2svg-conv then
# rsvg-convert for the EMF. Prints the times and the ratios. With METAFILE_CORPUS set to
# a folder of real .wmf and .emf files, also counts how many of them draw.
#   bench/metafile/run.sh <build dir> [work folder]
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <build dir> [work folder]}")
work=${2:-$build/bench-metafile}
tool=$build/bin/metafile_bench
pixgrow=$build/bin/pixgrow
mkdir -p "$work"
"$tool" generate "$work" 10000

declare -A wall cpu
measure() {  # key command...
  local key=$1; shift
  local best_w=999999 best_c=999999
  for ((i = 0; i < 3; i++)); do
    if ! /usr/bin/time -f "%e %U %S" -o "$work/time.txt" "$@" >/dev/null 2>&1; then
      printf '%-34s failed\n' "$key"; return 0
    fi
    read -r e u s < "$work/time.txt"
    local c; c=$(echo "$u + $s" | bc)
    if (( $(echo "$e < $best_w" | bc) )); then best_w=$e; fi
    if (( $(echo "$c < $best_c" | bc) )); then best_c=$c; fi
  done
  wall[$key]=$best_w; cpu[$key]=$best_c
  printf '%-34s %7.2fs wall %7.2fs cpu\n' "$key" "$best_w" "$best_c"
}
ratio() {  # a b label
  [ -n "${wall[$1]:-}" ] && [ -n "${wall[$2]:-}" ] || { printf '  %-48s n/a\n' "$3"; return 0; }
  printf '  %-48s wall %5.2f  cpu %5.2f\n' "$3" "$(echo "${wall[$1]} / ${wall[$2]}" | bc -l)" \
    "$(echo "${cpu[$1]} / ${cpu[$2]}" | bc -l)"
}

[ -x "$pixgrow" ] && measure "pixgrow 4P wmf" "$pixgrow" 4P "$work/rects.wmf" "$work/pg-wmf.png"
[ -x "$pixgrow" ] && measure "pixgrow 4P emf" "$pixgrow" 4P "$work/rects.emf" "$work/pg-emf.png"
measure "GDI+ draw wmf" "$tool" render "$work/rects.wmf"
measure "GDI+ draw emf" "$tool" render "$work/rects.emf"
if command -v wmf2gd >/dev/null; then
  measure "wmf2gd" wmf2gd --maxwidth=1024 --maxheight=1024 --maxsize -o "$work/wmf2gd.png" "$work/rects.wmf"
fi
if command -v emf2svg-conv >/dev/null && command -v rsvg-convert >/dev/null; then
  measure "emf2svg-conv + rsvg-convert" bash -c "emf2svg-conv -i '$work/rects.emf' -o '$work/e.svg' -w 1024 -h 1024 &&
    rsvg-convert -w 1024 -h 1024 -o '$work/emf.png' '$work/e.svg'"
fi
echo "ratios:"
ratio "pixgrow 4P wmf" "wmf2gd" "pixgrow 4P (draw, double, PNG) / wmf2gd"
ratio "GDI+ draw wmf" "wmf2gd" "GDI+ draw alone / wmf2gd"
ratio "pixgrow 4P emf" "emf2svg-conv + rsvg-convert" "pixgrow 4P / emf2svg-conv + rsvg-convert"
ratio "GDI+ draw emf" "emf2svg-conv + rsvg-convert" "GDI+ draw alone / emf2svg-conv + rsvg-convert"

if [ -n "${METAFILE_CORPUS:-}" ]; then
  echo "coverage of $METAFILE_CORPUS:"
  mapfile -t files < <(find "$METAFILE_CORPUS" -type f \( -iname '*.wmf' -o -iname '*.emf' \) | sort)
  "$tool" coverage "${files[@]}" | tail -1
fi
