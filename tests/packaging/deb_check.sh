#!/usr/bin/env bash
# Builds the Debian package from the build directory and checks it as a
# user would meet it: lintian finds no error, its dependencies are what this
# Debian provides, and the unpacked program, run by a normal user under
# Xvfb on a simulated reader, files a card read in the user's own
# directory, keeps its settings across a restart, writes nothing into the
# installed tree and keeps its settings file private (0600).
# The package is unpacked into a temporary tree, not installed: the machine
# stays as it was for whoever shares it. As root the program runs as the
# system user vantix-test (created when missing).
# usage: deb_check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
chmod 755 "$tmp"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Polls a command until it succeeds or the deadline (seconds) passes.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# 1. The package.
(cd "$build" && cpack -G DEB --config CPackConfig.cmake -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1) ||
  { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$(echo "$tmp"/pkg/vantix_*.deb)
[ -f "$deb" ] || fail "no package built"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1 || true
cat "$tmp/lintian.log"
! grep -q '^E:' "$tmp/lintian.log" || fail "lintian reports errors"

# 2. Its dependencies: found by shlibdeps, and all satisfied here (what
# apt would need for "apt install ./vantix_*.deb").
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libftdi1-2 libodbc2 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
satisfied() { # one alternative: "name" or "name (op version)"
  local name op version installed
  read -r name op version <<<"$(sed 's/[()]//g' <<<"$1")"
  installed=$(dpkg-query -W -f='${Status} ${Version}' "${name%%:*}" 2>/dev/null) || return 1
  [[ $installed == "install ok installed "* ]] || return 1
  [ -z "$op" ] || dpkg --compare-versions "${installed##* }" "$op" "$version"
}
IFS=, read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
  ok=false
  IFS='|' read -ra alternatives <<<"$clause"
  for alternative in "${alternatives[@]}"; do
    satisfied "$(xargs <<<"$alternative")" && ok=true
  done
  $ok || fail "dependency not satisfied on this system: $clause"
done

# 3. Unpacked, as dpkg would install it, owned by root when we are root.
dpkg-deb -x "$deb" "$tmp/root"
bin=$tmp/root/usr/bin
snapshot() { (cd "$tmp/root" && find . -printf '%p %m %s %T@\n' | sort); }
before=$(snapshot)

home=$tmp/home
run=$tmp/run
mkdir -m 700 "$home" "$run"
if [ "$(id -u)" -eq 0 ]; then
  id vantix-test >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin vantix-test
  chown vantix-test: "$home" "$run"
  as_user=(setpriv --reuid=vantix-test --regid=vantix-test --init-groups)
else
  as_user=()
fi

# 4. A display of its own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
wait_for 20 grep -q . "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
display=:$(head -n1 "$tmp/display")
# A login's environment, nothing of ours: the defaults of every XDG path.
as_login=("${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" DISPLAY="$display")
user() { "${as_login[@]}" "$@"; }

# 5. The first password, as the user's own settings file, under umask 000.
user sh -c "umask 000; echo secret | '$bin/vantixctl' password" >/dev/null || fail "vantixctl password"
ini=$home/.config/Vantix/Vantix.ini
[ "$(stat -c %a "$ini")" = 600 ] || fail "new Vantix.ini has mode $(stat -c %a "$ini")"

reader_listed() { user "$bin/vantixctl" sim list | grep -q DEMO01; }
area=$("$bin/vantixctl" ua encode proximity name=DEMO id=1 ec=12 beep=6 sendToKeyboard=1 storeToDatabase=1)
start_program() {
  # Not through a function: $! must be the program itself.
  "${as_login[@]}" VANTIX_SIM_READERS="DEMO01|TR-614 Demo|$area" "$bin/vantix" --backend sim >>"$tmp/vantix.log" 2>&1 &
  vantix=$!
  pids+=($vantix)
  wait_for 30 reader_listed || fail "the program did not come up: $(cat "$tmp/vantix.log")"
}
stop_program() {
  kill -TERM "$vantix"
  wait "$vantix" || fail "the program ended with status $?: $(cat "$tmp/vantix.log")"
}

# 6. A card read reaches the user's registration file; the window is the
# one the desktop entry names (StartupWMClass).
start_program
wm_class=$(sed -n 's/^StartupWMClass=//p' "$tmp/root/usr/share/applications/org.vantix.Vantix.desktop")
wait_for 30 user xdotool search --class "^$wm_class\$" || fail "no window of class $wm_class"
user "$bin/vantixctl" sim card DEMO01 00000249541F01 >/dev/null || fail "sim card"
regfile=$home/.local/share/Vantix/Vantix-$(date +%Y%m).vtxreg
wait_for 30 grep -q '^0249541F,.*,1,12,DEMO01' "$regfile" || fail "no registration in $regfile"
stop_program
grep -q '^DeviceSplitSize=' "$ini" || fail "settings were not written at exit"

# 7. Settings survive a restart: a value set between runs is read and kept.
user sed -i 's/^Delay=.*/Delay=37/' "$ini"
start_program
stop_program
grep -q '^Delay=37' "$ini" || fail "Delay was not kept: $(cat "$ini")"
grep -q '^Password=' "$ini" || fail "password lost"
[ "$(stat -c %a "$ini")" = 600 ] || fail "Vantix.ini mode became $(stat -c %a "$ini")"

# 8. The installed tree is as dpkg left it.
[ "$before" = "$(snapshot)" ] || fail "the program wrote into the installed tree: $(diff <(echo "$before") <(snapshot))"
echo "package check passed"
