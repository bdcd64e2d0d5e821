#!/bin/sh
# Runs each fuzz target for a while on a copy of its seed corpus:
#   tools/run_fuzzers.sh BUILD_FOLDER SECONDS
# A crash or a broken property ends with the failing input printed, and the
# script fails.
set -u
build=$1
seconds=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in Trace NumberFormat Tagging Settings Text; do
    seeds="$root/fuzz/corpus/$target"
    corpus="$work/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target for $seconds s"
    if ! (cd "$work" && "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$work/$target-" "$corpus" "$seeds" > "$work/$target.log" 2>&1); then
        status=1
        tail -n 40 "$work/$target.log"
        for input in "$work/$target-"*; do
            [ -f "$input" ] || continue
            echo "-- failing input $input (base64):"
            base64 "$input"
        done
    fi
    grep -E '^#[0-9]+ *DONE|stat::number_of_executed_units|stat::average_exec_per_sec|cov: ' "$work/$target.log" | tail -n 3
done
exit $status
