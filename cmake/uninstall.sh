#!/usr/bin/env bash
# uninstall.sh LIST: removes the files that an installation wrote, as listed one
# per line in LIST (a copy of CMake's install manifest), and then the program's
# own documentation folder if it is left empty. Nothing else is touched. Files in
# folders that are not writable are removed through $SUDO when it is set.
set -euo pipefail

list=$1
if [ ! -f "$list" ]; then
    echo "uninstall: $list is missing; nothing was installed from this build." >&2
    exit 1
fi
while IFS= read -r file || [ -n "$file" ]; do
    [ -n "$file" ] || continue
    dir=$(dirname "$file")
    as=
    [ -w "$dir" ] || as=${SUDO:-}
    if [ -e "$file" ] || [ -L "$file" ]; then
        echo "Removing $file"
        $as rm -f "$file"
    fi
    case "$dir" in
        */doc/pastebasket) $as rmdir --ignore-fail-on-non-empty "$dir" 2>/dev/null || true ;;
    esac
done <"$list"
rm -f "$list"
