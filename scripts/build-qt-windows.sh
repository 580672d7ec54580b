#!/usr/bin/env bash
# Builds Qt 6 base (Core, Gui, Widgets and the Windows platform plugin) for
# 64-bit Windows with mingw-w64, from Debian's own source package, into
# $VANTIX_CACHE_DIR/qt6-mingw (default .cache/qt6-mingw). The host tools
# (moc, rcc, uic) are the installed Qt 6's. One to three hours on two cores;
# afterwards:
#   scripts/test-windows.sh            (finds it through VANTIX_QT_WINDOWS)
#   VANTIX_QT_WINDOWS=.cache/qt6-mingw scripts/test-windows.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
cache=${VANTIX_CACHE_DIR:-$here/.cache}
prefix=$cache/qt6-mingw
work=$cache/qt6-base-build
mkdir -p "$work"

# The source package needs a deb-src entry.
if ! grep -rqs '^deb-src .*bookworm' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "deb-src http://deb.debian.org/debian bookworm main" > /etc/apt/sources.list.d/vantix-deb-src.list
  apt-get update -qq
fi
cd "$work"
if ! ls -d qt6-base-*/ >/dev/null 2>&1; then
  apt-get source qt6-base
fi
source_dir=$(ls -d "$work"/qt6-base-*/ | head -n 1)

# With OpenGL off, 6.4.2's windows plugin still reaches for dynamic GL in two places.
sed -i 's/#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  "$source_dir/src/plugins/platforms/windows/qwindowswindow.cpp"

# Debian's source lacks the tablet header wintab.h: tablet events are off.
cmake -S "$source_dir" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
  -DQT_HOST_PATH=/usr -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
  -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_tabletevent=OFF
cmake --build "$work/build" -j"$(nproc)"
cmake --install "$work/build"
echo "Qt for Windows installed in $prefix"
