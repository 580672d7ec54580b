#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: a quiet Wine and a
# prefix of the build's own (WINEPREFIX, default build-windows/wine). The
# compiler's runtime DLLs lie beside the programs in the build's bin/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$here/build-windows/wine}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$(command -v wine64 || echo /usr/lib/wine/wine64)" "$@"
