#!/bin/sh
# Renders the library's timed message box under a private X server (Xvfb) and writes
# PNG pictures to <build>/screenshots: styles 0, 16+4 and 48+2, each with a two-line
# text and a long text.
#
#   scripts/screenshots.sh [build-folder]     (default: build)
set -e
build=${1:-build}
cmake --build "$build" --target screenshots
ls "$build/screenshots"/*.png
