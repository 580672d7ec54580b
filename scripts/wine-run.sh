#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: a quiet Wine, a
# prefix of the build's own (WINEPREFIX, default build-windows/wine), and
# the mingw-w64 runtime DLLs on Wine's search path.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$here/build-windows/wine}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
runtime=()
for dir in /usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib; do
  [ -d "$dir" ] && runtime+=("Z:${dir//\//\\}")
done
export WINEPATH=$(IFS=';'; echo "${runtime[*]}${WINEPATH:+;$WINEPATH}")
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
exec "$wine" "$@"
