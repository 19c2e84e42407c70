#!/usr/bin/env bash
# Folds the inputs found while fuzzing into the kept corpora, keeping only those
# that reach something new. Hand-written seeds (any name that is not a 40-digit
# hash) and inputs that once broke a harness (crash-*, leak-*, timeout-*) always
# stay. Only code reached counts, not how often (-use_counters=0), which keeps the
# corpora to a few dozen small files each. Usage: fuzz/merge.sh <build folder> [harness...]
set -eu
build=${1:?build folder}
shift
here=$(cd "$(dirname "$0")" && pwd)
harnesses=${*:-groupfile inifile textcodec roundtrip}

for h in $harnesses; do
    kept="$here/corpus/$h"
    found="$build/fuzz/corpus/$h"
    work=$(mktemp -d)
    mkdir "$work/merged" "$work/hashed"
    for f in "$kept"/*; do
        [ -f "$f" ] || continue
        if [[ $(basename "$f") =~ ^[0-9a-f]{40}$ ]]; then
            cp "$f" "$work/hashed/"
        else
            cp "$f" "$work/merged/"
        fi
    done
    mkdir -p "$found"
    "$build/fuzz/fuzz_$h" -merge=1 -use_counters=0 "$work/merged" "$work/hashed" "$found" >"$work/log" 2>&1 ||
        { cat "$work/log"; exit 1; }
    find "$kept" -maxdepth 1 -type f -regextype egrep -regex '.*/[0-9a-f]{40}' -delete
    cp -n "$work/merged"/* "$kept/"
    echo "$h: $(ls "$kept" | wc -l) inputs, $(du -sh "$kept" | cut -f1)"
    rm -rf "$work"
done
