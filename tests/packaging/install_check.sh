#!/usr/bin/env bash
# Installs the build into a DESTDIR and checks what a desktop gets: exactly
# the expected files, a valid desktop entry and AppStream data, a MIME type
# for *.vtx, a udev rule, man pages that render cleanly and a completion
# that loads in bash.
# usage: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$tmp/root cmake --install "$build" --prefix /usr >/dev/null
usr=$tmp/root/usr
cd "$tmp/root"

# Exactly these files: nothing of the tests, benchmarks or build tree.
moduledir=$(cd usr && dirname "$(find . -name vantix-srpski.so)")
expected=$(
  printf '%s\n' usr/bin/vantix usr/bin/vantixctl "usr/${moduledir#./}/vantix-srpski.so" \
    usr/share/applications/org.vantix.Vantix.desktop usr/share/metainfo/org.vantix.Vantix.metainfo.xml \
    usr/share/mime/packages/vantix.xml usr/lib/udev/rules.d/60-vantix-readers.rules \
    usr/share/man/man1/vantix.1.gz usr/share/man/man1/vantixctl.1.gz \
    usr/share/bash-completion/completions/vantixctl \
    usr/share/doc/vantix/copyright usr/share/doc/vantix/changelog.Debian.gz
  for s in 16 24 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x${s}/apps/vantix.png"; done
)
actual=$(find usr -type f | sort)
[ "$actual" = "$(sort <<<"$expected")" ] || fail "installed files differ:$(diff <(sort <<<"$expected") <(echo "$actual"))"
case $moduledir in ./lib/vantix | ./lib/*/vantix) ;; *) fail "language module in $moduledir" ;; esac

# Desktop entry: valid, its program and icon installed, its MIME type known.
desktop=$usr/share/applications/org.vantix.Vantix.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
[ -x "$usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ] || fail "Exec= program not installed"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = vantix ] || fail "Icon="
for s in 16 24 32 48 64 128 256; do
  [ "$(identify -format '%wx%h' "$usr/share/icons/hicolor/${s}x${s}/apps/vantix.png")" = "${s}x${s}" ] ||
    fail "icon ${s}x${s} has the wrong size"
done
appstreamcli validate --no-net "$usr/share/metainfo/org.vantix.Vantix.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"
grep -q '<screenshot' "$usr/share/metainfo/org.vantix.Vantix.metainfo.xml" || fail "no screenshot"
XDG_DATA_DIRS=$usr/share update-mime-database "$usr/share/mime" >"$tmp/mime.log" 2>&1 ||
  fail "update-mime-database: $(cat "$tmp/mime.log")"
[ ! -s "$tmp/mime.log" ] || fail "update-mime-database complained: $(cat "$tmp/mime.log")"
grep -q '^application/x-vantix-document:\*\.vtx$' "$usr/share/mime/globs" || fail "*.vtx is not the Vantix type"
grep -q "application/x-vantix-document" "$desktop" || fail "the entry does not open .vtx files"

# udev: the logged-in user gets FTDI 0403:6001 readers.
rule=$usr/lib/udev/rules.d/60-vantix-readers.rules
grep -v '^#' "$rule" | grep 'ATTR{idVendor}=="0403"' | grep 'ATTR{idProduct}=="6001"' | grep -q 'TAG+="uaccess"' ||
  fail "udev rule"

# Man pages render without a warning.
for page in vantix vantixctl; do
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$usr/share/man/man1/$page.1.gz" 2>"$tmp/man.err")
  [ ! -s "$tmp/man.err" ] || fail "man $page: $(cat "$tmp/man.err")"
  grep -q "^SYNOPSIS" <<<"$out" || fail "man $page has no synopsis"
done

# The completion loads and completes commands and their words.
complete_words() {
  bash --norc --noprofile -c '
    source /usr/share/bash-completion/bash_completion
    source "$0"
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _vantixctl vantixctl "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
    echo "${COMPREPLY[*]}"' "$usr/share/bash-completion/completions/vantixctl" "$@"
}
[ "$(complete_words vantixctl pa)" = password ] || fail "completion of a command"
[ "$(complete_words vantixctl ua encode pro)" = proximity ] || fail "completion of a user-area type"
[ "$(complete_words vantixctl --backend li)" = libftdi ] || fail "completion of a backend"
echo "install check passed"
