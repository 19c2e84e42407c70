#!/usr/bin/env bash
# Runs harnesses for a set time over their corpora, at most JOBS at once.
# Usage: fuzz/run.sh <build folder> [seconds per harness] [jobs] [harness...]
# Inputs may reach 4 kB at once (no slow growth of their length): the slower
# harnesses would otherwise spend a short run on inputs of a few lines.
# New inputs go to <build folder>/fuzz/corpus/<harness>, beside the kept corpus
# fuzz/corpus/<harness>; an input that breaks a harness is written into the kept
# corpus (crash-*, leak-*, timeout-*), so that the replay test keeps it. The log of
# each harness is <build folder>/fuzz/logs/<harness>.log.
set -u
build=${1:?build folder}
seconds=${2:-60}
jobs=${3:-1}
shift $(($# < 3 ? $# : 3))
here=$(cd "$(dirname "$0")" && pwd)
harnesses=${*:-groupfile inifile textcodec roundtrip}

mkdir -p "$build/fuzz/logs"
run_one() {
    local h=$1 dict=()
    [ -f "$here/$h.dict" ] && dict=(-dict="$here/$h.dict")
    mkdir -p "$build/fuzz/corpus/$h"
    "$build/fuzz/fuzz_$h" -max_total_time="$seconds" -max_len=4096 -len_control=0 \
        -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
        -artifact_prefix="$here/corpus/$h/" "$build/fuzz/corpus/$h" "$here/corpus/$h" \
        >"$build/fuzz/logs/$h.log" 2>&1
}
export -f run_one
export build seconds here

echo "Fuzzing $harnesses for ${seconds}s each, $jobs at a time"
printf '%s\n' $harnesses | xargs -P "$jobs" -I{} bash -c 'run_one {}'

status=0
for h in $harnesses; do
    log="$build/fuzz/logs/$h.log"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    final=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n1 | sed -E 's/^#[0-9]+[[:space:]]+DONE[[:space:]]+//')
    if grep -qE '^==[0-9]+== ?ERROR|^SUMMARY|check failed' "$log"; then
        echo "$h: FAILED, see $log"
        grep -E 'check failed|^SUMMARY|Test unit written to' "$log" | sed 's/^/    /'
        status=1
    else
        echo "$h: ${runs:-?} runs, $final"
    fi
done
exit $status
