#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, runs every test.
# Tests that need PostgreSQL, an X server or a tray host start their own.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh" "$@"
build=${VANTIX_BUILD_DIR:-$here/build}
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300
