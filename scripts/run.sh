#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vantix. Without a reader
# attached it starts on one simulated proximity reader and says how to
# present a card to it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTIX_BUILD_DIR:-$here/build}
# Only what runs here: the program, vantixctl and the language module, not
# the tests and benchmarks (./scripts/test.sh builds those).
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target vantix vantixctl vantix-srpski
if [ -z "${DISPLAY:-}" ]; then
  # A desktop program needs an X display. Without one (a bare server, ssh)
  # run on a virtual one: cards are still read, filed and shown in the
  # window, only nobody sees it and nothing has the focus to type into.
  echo "No X display (\$DISPLAY is not set): running on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$@"
fi
ctl="$build/bin/vantixctl"
# A first settings file: the program refuses to start without a password
# hash. The demo password is "vantix"; change it with File > Password... or
# `vantixctl password --ini build/bin/Vantix.ini`.
if [ ! -e "$build/bin/Vantix.ini" ]; then
  printf 'vantix\n' | "$ctl" password --ini "$build/bin/Vantix.ini" >/dev/null
  echo "Created $build/bin/Vantix.ini with the demo password \"vantix\"."
fi

# Arguments given: the caller chooses (e.g. --backend libftdi).
if [ $# -gt 0 ]; then
  exec "$build/bin/vantix" "$@"
fi

# Real readers first (the vendor library when present, else libftdi1).
if [ -n "$("$ctl" list 2>/dev/null || true)" ]; then
  echo "Readers found:"
  "$ctl" list
  exec "$build/bin/vantix"
fi

# None attached: one virtual proximity reader named DEMO (ID 1, EC 12) that
# types the card's media ID followed by Enter and stores it as a registration.
serial=DEMO01
area=$("$ctl" ua encode proximity name=DEMO id=1 ec=12 beep=6 sendToKeyboard=1 storeToDatabase=1 \
  prefixMask=15 suffixCode=11,12,12,12 suffixMask=14)
regfile="$build/bin/Vantix-$(date +%Y%m).vtxreg"
cat <<MSG
No card reader is attached: starting on a simulated proximity reader
$serial ("TR-614 Demo"). Vantix starts hidden; its icon is in the
notification area (double-click it, or choose Restore, to open the window).

Present a card from another terminal, with a text window focused:

    $ctl sim card $serial 00000249541F01

What you should see:
  - "0249541F" and Enter typed into the window that has the keyboard focus;
  - a line "0249541F,<date time>,<date>,<time>,1,12,$serial" appended to
    $regfile;
  - the same read as a row of the middle (registrations) pane.

More readers: $ctl sim plug FT02 TR-613-2 Desk   (see README.md)
Exit through File > Exit or the tray menu; the password is "vantix"
unless you changed it.
MSG
export VANTIX_SIM_READERS="$serial|TR-614 Demo|$area"
exec "$build/bin/vantix" --backend sim
