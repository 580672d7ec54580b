#!/usr/bin/env bash
# Installs every system package Vantix needs to build, run and test.
# Idempotent: when everything is present it only checks and exits.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ cmake pkg-config make ccache
  # fuzzing (libFuzzer)
  clang libclang-rt-14-dev
  # GUI
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # device link
  libftdi1-dev libusb-1.0-0-dev
  # keyboard and mouse output; keyboard layouts for its tests
  libx11-dev libxtst-dev xdotool x11-xkb-utils xkb-data
  # database link and the servers/drivers the tests use
  unixodbc unixodbc-dev odbc-postgresql postgresql postgresql-client odbc-mariadb mariadb-server mariadb-client
  # password hash
  zlib1g-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # display, tray host and screenshots for the end-to-end tests
  xvfb x11-utils x11-apps xterm trayer imagemagick openbox
  fonts-dejavu-core
  # the Windows build (mingw-w64) and its tests under Wine
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64
  # building Qt for Windows from source (scripts/build-qt-windows.sh)
  ninja-build
  # the Debian package and the checks of the installed files
  dpkg-dev lintian desktop-file-utils appstream shared-mime-info man-db groff-base bash-completion
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run as root (or with sudo) to install them" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
