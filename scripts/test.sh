#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, runs every test.
# Tests that need PostgreSQL, an X server or a tray host start their own.
# Then each fuzz target runs for a few seconds ($VANTIX_FUZZ_SECONDS, default 5;
# scripts/fuzz.sh runs them longer), and the Windows build's tests run under
# Wine (scripts/test-windows.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh" "$@"
build=${VANTIX_BUILD_DIR:-$here/build}
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
"$here/scripts/fuzz.sh" "${VANTIX_FUZZ_SECONDS:-5}"
"$here/scripts/test-windows.sh"
