#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vantix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh"
build=${VANTIX_BUILD_DIR:-$here/build}
exec "$build/bin/vantix" "$@"
