#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vantix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/build.sh"
build=${VANTIX_BUILD_DIR:-$here/build}
# A first settings file: the program refuses to start without a password
# hash. The demo password is "vantix"; change it with File > Password... or
# `vantixctl password --ini build/bin/Vantix.ini`.
if [ ! -e "$build/bin/Vantix.ini" ]; then
  printf 'vantix\n' | "$build/bin/vantixctl" password --ini "$build/bin/Vantix.ini" >/dev/null
  echo "Created $build/bin/Vantix.ini with the demo password \"vantix\"."
fi
exec "$build/bin/vantix" "$@"
