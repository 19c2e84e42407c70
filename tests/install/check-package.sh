#!/usr/bin/env bash
# check-package.sh DEB: checks the Debian package's control fields and contents
# and starts the program unpacked from it.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

need dpkg-deb dpkg-architecture readelf Xvfb xclip xdotool xprop
deb=$1
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = pastebasket ] || fail "package name is $(field Package)"
[ "$(field Version)" = "$2" ] || fail "version is $(field Version), not $2"
[ "$(field Section)" = utils ] || fail "section is $(field Section)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong architecture"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
dpkg-deb -x "$deb" "$WORK/root"

# Every library the program links against must come from a package it depends
# on, and the X11 platform plugin, which is loaded at run time, too. Only this
# architecture's copy of a library counts (libc6-i386 has a libc.so.6 as well).
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
linked_packages() {
    readelf --dynamic "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | while read -r lib; do
        dpkg --search "*/$multiarch/$lib" 2>/dev/null | head -n1 | cut -d: -f1
    done
}
depends=$(field Depends)
needed=$(linked_packages "$WORK/root/usr/bin/pastebasket" | sort -u)
[ -n "$needed" ] || fail "no linked library was found in a package"
# The package names alone, one a line: no versions; of alternatives, the first.
# (Names hold regex characters, as libstdc++6 does: they are compared whole.)
depended=$(sed 's/ *([^)]*)//g; s/ *|[^,]*//g; s/, */\n/g' <<<"$depends")
for package in $needed qt6-qpa-plugins; do
    grep -qxF "$package" <<<"$depended" || fail "Depends lacks $package: $depends"
done
echo "ok: control fields; Depends: $depends"

check_tree "$WORK/root" usr/
smoke_run "$WORK/root/usr/bin/pastebasket" || exit $?
