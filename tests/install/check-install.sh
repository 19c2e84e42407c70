#!/usr/bin/env bash
# check-install.sh BUILD_DIR [start]: installs the build into a temporary prefix
# and checks that exactly the expected files arrive. Then either uninstalls it
# again the way `make uninstall` does, or, given "start", starts the installed
# program.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

need cmake desktop-file-validate
build=$1 prefix=$WORK/prefix
unset DESTDIR
cmake --install "$build" --prefix "$prefix" >"$WORK/install.log" \
    || { cat "$WORK/install.log" >&2; fail "cmake --install failed"; }
cp "$build/install_manifest.txt" "$WORK/installed-files.txt"
check_tree "$prefix" ""

if [ "${2:-}" = start ]; then
    need Xvfb xclip xdotool xprop
    smoke_run "$prefix/bin/pastebasket"
    exit
fi

desktop-file-validate "$prefix/share/applications/org.orvendel.Pastebasket.desktop" \
    || fail "the installed desktop entry does not validate"
# Uninstalling removes exactly what was installed: a file of another program in
# the same folders stays.
touch "$prefix/share/applications/other.desktop"
bash "$(dirname "$0")/../../cmake/uninstall.sh" "$WORK/installed-files.txt" >/dev/null
left=$(cd "$prefix" && find . -type f | sed 's|^\./||')
[ "$left" = share/applications/other.desktop ] || fail "after uninstalling, left: $left"
[ ! -e "$prefix/share/doc/pastebasket" ] || fail "the documentation folder was left behind"
echo "ok: uninstalled"
