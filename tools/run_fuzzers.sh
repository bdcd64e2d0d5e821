#!/bin/sh
# Runs each fuzz target for a while on a copy of its seed corpus:
#   tools/run_fuzzers.sh BUILD_FOLDER SECONDS [SEED]
# The mutations follow SEED (1 unless given; 0 takes one from the clock), so
# that a failure seen elsewhere can be run again here. A crash or a broken
# property ends with the failing input printed, the reason after it, and
# whether the input fails again when run alone; the script then fails.
set -u
build=$1
seconds=$2
seed=${3:-1}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in Trace NumberFormat Tagging Settings Text; do
    seeds="$root/fuzz/corpus/$target"
    corpus="$work/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target for $seconds s, seed $seed"
    if ! (cd "$work" && "$build/bin/fuzz_$target" -seed="$seed" -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/$target-" "$corpus" "$seeds" \
            > "$work/$target.log" 2>&1); then
        status=1
        tail -n 40 "$work/$target.log"
        for input in "$work/$target-"*; do
            [ -f "$input" ] || continue
            echo "-- failing input $input (base64):"
            base64 "$input"
            if "$build/bin/fuzz_$target" "$input" > "$work/again.log" 2>&1; then
                echo "-- run alone, the input passes"
            else
                echo "-- run alone, the input fails again"
            fi
        done
        echo "-- why fuzz_$target failed:"
        grep -E 'ERROR|SUMMARY|property broken|runtime error|out-of-memory|timeout|leak' "$work/$target.log" | head -n 8
    fi
    grep -E '^#[0-9]+ *DONE|stat::number_of_executed_units|stat::average_exec_per_sec|cov: ' "$work/$target.log" | tail -n 3
done
exit $status
