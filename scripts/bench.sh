#!/usr/bin/env bash
# Runs every benchmark program of a build folder and prints Google Benchmark's table.
set -euo pipefail
status=0
for b in "$1"/bench/bench_*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b" --benchmark_counters_tabular=true || status=1
done
exit $status
