#!/usr/bin/env bash
# check-metadata.sh DATA_DIR VERSION: the desktop entry and the AppStream data
# are valid and agree with each other and with the program's version.
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

data=$1 version=$2 id=org.orvendel.Pastebasket
desktop=$data/$id.desktop metainfo=$data/$id.metainfo.xml

desktop-file-validate "$desktop" || fail "$desktop does not validate"
appstreamcli validate --no-net --explain "$metainfo" || fail "$metainfo does not validate"

entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = pastebasket ] || fail "Exec is '$(entry Exec)'"
[ "$(entry Icon)" = pastebasket ] || fail "Icon is '$(entry Icon)'"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $id.desktop"
grep -q "<binary>$(entry Exec)</binary>" "$metainfo" || fail "the metainfo provides another binary"
newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release in the metainfo is $newest, the program is $version"
echo "ok: desktop entry and metainfo agree, release $version"
