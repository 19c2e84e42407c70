#!/usr/bin/env bash
# check-package-build.sh SOURCE_DIR BUILD_DIR VERSION [CMAKE_ARGS...]: builds
# the release program in BUILD_DIR, makes its Debian package and checks that
# package (check-package.sh), including a start of the program unpacked from it.
set -euo pipefail
for tool in cmake cpack dpkg; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
source=$1 build=$2 version=$3
shift 3
log=$build.log
# The build says a lot; it is shown only when it fails.
{
    cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DPASTEBASKET_SANITIZE=OFF "$@" &&
    cmake --build "$build" -j2 &&
    rm -f "$build"/pastebasket_*.deb &&
    (cd "$build" && cpack -G DEB)
} >"$log" 2>&1 || { cat "$log" >&2; echo "FAIL: the package was not built" >&2; exit 1; }
deb=$build/pastebasket_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { echo "FAIL: cpack made no $deb" >&2; exit 1; }
echo "ok: built $deb"
exec bash "$(dirname "$0")/check-package.sh" "$deb" "$version"
