#!/usr/bin/env bash
# Metafile benchmark: a WMF and an EMF of about 10,000 records, 1024 x 1024, drawn
# through Pixgrow (which also doubles and writes a PNG) and through GDI+ alone, and in
# the same run by the libraries' own converters: wmf2gd for the WMF, emf2svg-conv then
# rsvg-convert for the EMF. Prints the times (best of RUNS, 5) and the ratios.
# Given a folder of real .wmf and .emf files (or METAFILE_CORPUS), also counts per source
# (its first-level subfolder) and kind how many load and render through the OLE loader
# with GDI+, through Pixgrow and through the converters, with each failure's text.
#   bench/metafile/run.sh <build dir> [work folder] [corpus folder]
set -euo pipefail
build=$(realpath "${1:?usage: run.sh <build dir> [work folder] [corpus folder]}")
work=${2:-$build/bench-metafile}
corpus=${3:-${METAFILE_CORPUS:-}}
runs=${RUNS:-5}
tool=$build/bin/metafile_bench
pixgrow=$build/bin/pixgrow
mkdir -p "$work"
"$tool" generate "$work" 10000

declare -A wall cpu
measure() {  # key command...
  local key=$1; shift
  local best_w=999999 best_c=999999
  for ((i = 0; i < runs; i++)); do
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

[ -n "$corpus" ] || exit 0
corpus=$(realpath "$corpus")
echo "coverage of $corpus (one line a file in $work/coverage.txt):"
mapfile -t files < <(cd "$corpus" && find . -type f \( -iname '*.wmf' -o -iname '*.emf' \) | sed 's|^\./||' | sort)
out=$work/cover
mkdir -p "$out"
# The in-process route: the OLE loader, then GDI+ drawing at the file's own size.
(cd "$corpus" && "$tool" coverage "${files[@]}") > "$work/gdiplus.txt"
verdictOf() {  # picture: rendered or one-colour as metafile_bench look says; "unchecked" when
  # the checker cannot open it (a PNG past GDI+'s pixel limit, as 1200 dpi frames give)
  "$tool" look "$1" | awk '{print ($1 == "FAILED") ? "unchecked" : $1}'
}
: > "$work/coverage.txt"
for f in "${files[@]}"; do
  src=${f%%/*}; [ "$src" = "$f" ] && src=.
  kind=${f##*.}; kind=${kind,,}
  line=$(awk -v f="$f" '$NF == f' "$work/gdiplus.txt")
  ole=$(echo "$line" | awk '{print ($5 == "0x00000000") ? "loads" : "FAILED:" $5}')
  gdip=$(echo "$line" | awk '{print ($1 == "FAILED") ? "FAILED:status-" $3 : $1}')
  rm -f "$out/pg.png" "$out/peer.png" "$out/peer.svg"
  if text=$(cd "$corpus" && timeout 120 "$pixgrow" 1P "$f" "$out/pg.png" 2>&1); then
    pg=$(verdictOf "$out/pg.png")
  else
    rc=$?
    pg="FAILED:$(echo "$text" | sed -n 's/^Description: *//p' | head -1 | tr ' ' '-')"
    [ "$pg" = "FAILED:" ] && pg="FAILED:exit-$rc"
  fi
  if [ "$kind" = wmf ]; then
    peer_cmd=(wmf2gd --maxwidth=1024 --maxheight=1024 --maxpect -o "$out/peer.png" "$corpus/$f")
    if timeout 120 "${peer_cmd[@]}" >"$out/peer.log" 2>&1 && [ -s "$out/peer.png" ]; then
      peer=$(verdictOf "$out/peer.png")
    else peer="FAILED:exit-$?"; fi  # 139: the converter crashed
  else
    if timeout 120 emf2svg-conv -p -i "$corpus/$f" -o "$out/peer.svg" -w 1024 -h 1024 >"$out/peer.log" 2>&1 &&
      timeout 120 rsvg-convert -o "$out/peer.png" "$out/peer.svg" >>"$out/peer.log" 2>&1; then
      peer=$(verdictOf "$out/peer.png")
    else peer="FAILED:exit-$?"; fi
  fi
  printf '%s %s %s %s %s %s %s\n' "$src" "$kind" "$ole" "$gdip" "$pg" "$peer" "$f" >> "$work/coverage.txt"
done
# Totals per source and kind: OLE loads; GDI+, Pixgrow and the converters: rendered / one colour /
# failed / written but unchecked.
gawk '
  BEGIN { PROCINFO["sorted_in"] = "@ind_str_asc" }
  function tally(route, v) { k = $1 " " $2; if (v ~ /^FAILED/) fail[k, route]++; else if (v == "one-colour") flat[k, route]++; else if (v == "rendered") ok[k, route]++; else if (v == "unchecked") unchecked[k, route]++ }
  { k = $1 " " $2; n[k]++; if ($3 == "loads") loads[k]++; tally("gdiplus", $4); tally("pixgrow", $5); tally("peers", $6)
    for (c = 3; c <= 6; c++) if ($c ~ /^FAILED/) why[c " " $c]++ }
  END {
    printf "%-10s %-4s %5s %9s  %-17s %-17s %-17s\n", "source", "kind", "files", "OLE-loads", "GDI+ r/1/f/u", "Pixgrow r/1/f/u", "peers r/1/f/u"
    for (k in n) { split(k, a, " ")
      printf "%-10s %-4s %5d %9d  %-17s %-17s %-17s\n", a[1], a[2], n[k], loads[k] + 0,
        ok[k, "gdiplus"] + 0 "/" flat[k, "gdiplus"] + 0 "/" fail[k, "gdiplus"] + 0 "/" unchecked[k, "gdiplus"] + 0,
        ok[k, "pixgrow"] + 0 "/" flat[k, "pixgrow"] + 0 "/" fail[k, "pixgrow"] + 0 "/" unchecked[k, "pixgrow"] + 0,
        ok[k, "peers"] + 0 "/" flat[k, "peers"] + 0 "/" fail[k, "peers"] + 0 "/" unchecked[k, "peers"] + 0 }
    split("x x OLE GDI+ Pixgrow peers", route, " ")
    print "failures (route, text, count):"
    for (w in why) { split(w, a, " "); printf "  %-8s %-50s %d\n", route[a[1]], a[2], why[w] } }' "$work/coverage.txt"
