#!/usr/bin/env bash
# The Windows build (mingw-w64) and its tests under Wine: the device link,
# storage, settings, vantixctl and their tests. When a Qt built for Windows
# is at hand ($VANTIX_QT_WINDOWS, or the prebuilt archive in
# ../shared/qt6-mingw/), the window program is built too and started and
# ended once under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=${VANTIX_WINDOWS_BUILD_DIR:-$here/build-windows}
cache=${VANTIX_CACHE_DIR:-$here/.cache}

# Qt for Windows: as given, else built by scripts/build-qt-windows.sh or
# unpacked from the prebuilt archive into the cache.
qt=${VANTIX_QT_WINDOWS:-}
archive=$here/../shared/qt6-mingw/qt6-base-6.4.2-mingw64.tar.xz
if [ -z "$qt" ]; then
  if [ ! -f "$cache/qt6-mingw/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$archive" ]; then
    mkdir -p "$cache"
    tar -xJf "$archive" -C "$cache"
  fi
  [ -f "$cache/qt6-mingw/lib/cmake/Qt6/Qt6Config.cmake" ] && qt=$cache/qt6-mingw
fi
qt_args=()
[ -n "$qt" ] && qt_args=(-DVANTIX_QT_WINDOWS="$qt" -DQT_HOST_PATH=/usr)

cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" "${qt_args[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"

# Wine's first start (a new prefix takes some seconds) happens here, once,
# and the server stays up for all tests, so no test pays for it. Wine's
# desktop (with the notification area the window program needs) lives on
# an X server of the suite's own, started first.
export WINEPREFIX=$build/wine WINEDEBUG=-all
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r -t 30 display <&3
export DISPLAY=:$display
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
mkdir -p "$WINEPREFIX" # the server lives in the prefix; wineboot fills it
"$wineserver" -k 2>/dev/null || true # a desktop left from an earlier run may lack the display
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
"$here/scripts/wine-run.sh" wineboot -i >/dev/null 2>&1
(cd "$build" && ctest --output-on-failure -j"$(nproc)" --timeout 300)
