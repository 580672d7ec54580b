#!/usr/bin/env bash
# The Windows build of the window program under Wine: on an X server of its
# own and on simulated readers it starts, puts its icon into the
# notification area, and ends cleanly (exit status 0, the settings kept)
# when the Windows session ends.
# Usage: windows_smoke.sh BIN_DIR WINE_RUN
set -euo pipefail
bin=$1 wine_run=$2
work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# wait_for DESCRIPTION SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local end=$((SECONDS + seconds))
  until "$@"; do
    if [ "$SECONDS" -ge "$end" ]; then
      echo "windows_smoke: no $what within ${seconds}s" >&2
      return 1
    fi
    sleep 0.2
  done
}

# A portable copy: the program, its DLLs and a settings file with a password.
cp "$bin"/vantix.exe "$bin"/*.dll "$work"/
cp -r "$bin"/platforms "$work"/
printf '[Settings]\r\nPassword=123456789\r\n' > "$work/Vantix.ini"

# Wine's desktop must be on this display: scripts/test-windows.sh starts
# the prefix on one; alone, the test brings its own.
if [ -z "${DISPLAY:-}" ]; then
  exec 3< <(exec Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
  xvfb_pid=$!
  read -r -t 30 display <&3
  export DISPLAY=:$display
fi

export VANTIX_SIM_SOCKET="Z:${work//\//\\}\\sim.port" VANTIX_SIM_READERS='FT01|TR-614 Door'
"$wine_run" "$work/vantix.exe" --backend sim > "$work/out.txt" 2>&1 &
program_pid=$!
# A message box instead (no readers, bad settings) has no tray window.
wait_for "tray icon" 120 sh -c 'xwininfo -root -tree | grep -q "\"QTrayIconMessageWindow\": (\"vantix.exe\""'

"$wine_run" wineboot --end-session
wait_for "exit" 60 sh -c "! kill -0 $program_pid 2>/dev/null"
status=0
wait "$program_pid" || status=$?
program_pid=
cat "$work/out.txt"
[ "$status" -eq 0 ] || { echo "windows_smoke: exit status $status" >&2; exit 1; }
grep -q "Password=123456789" "$work/Vantix.ini" || { echo "windows_smoke: settings lost" >&2; exit 1; }
echo "windows_smoke: started, showed its tray icon, ended with the session"
