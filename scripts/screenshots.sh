#!/bin/sh
# Renders the library's timed message box under a private X server (Xvfb) and writes
# PNG pictures to <build>/screenshots: styles 0, 16+4 and 48+2, each with a two-line
# text and a long text.
#
#   scripts/screenshots.sh [build-folder]     (default: build)
set -e
build=${1:-build}
# Pictures of an earlier run are removed first, so that a run that renders nothing fails
# instead of showing them again.
rm -f "$build/screenshots"/*.png
cmake --build "$build" --target screenshots
set -- "$build/screenshots"/*.png
if [ ! -e "$1" ]; then
  echo "screenshots: nothing was rendered into $build/screenshots" >&2
  exit 1
fi
ls "$@"
