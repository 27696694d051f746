#!/usr/bin/env bash
# Runs the settings-store benchmark of the build folder given (default build/).
set -euo pipefail
build=$(realpath "${1:-build}")
exec "$build/bin/registry_bench" "${@:2}"
