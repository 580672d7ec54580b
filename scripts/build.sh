#!/usr/bin/env bash
# Installs what is missing and builds into build/ (or $VANTIX_BUILD_DIR).
# Extra arguments go to CMake's configure step (e.g. -DVANTIX_SANITIZE=address).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${VANTIX_BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
