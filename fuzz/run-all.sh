#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each for a short time on its seed corpus.
# Fails on any crash, leak, timeout or out-of-memory.
set -euo pipefail
seconds="${1:-20}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNL_BUILD_FUZZ=ON \
    -DNL_BUILD_TESTS=OFF -DNL_BUILD_GUI=OFF -DNL_BUILD_CLI=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
status=0
for t in "$build"/fuzz/fuzz_*; do
    [ -x "$t" ] || continue
    name="$(basename "$t")"
    name="${name#fuzz_}"
    seeds="$root/fuzz/corpus/$name"
    work="$build/corpus/$name"
    mkdir -p "$work"
    echo "== fuzz_$name for ${seconds}s"
    if ! "$t" "$work" "$seeds" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=1024 \
        -malloc_limit_mb=512 -print_final_stats=0 -artifact_prefix="$build/crash-$name-" 2>"$build/$name.log"; then
        echo "fuzz_$name FAILED:"
        tail -n 40 "$build/$name.log"
        status=1
    else
        grep -E "^Done|#[0-9]+.*DONE" "$build/$name.log" | tail -n 1 || true
    fi
done
exit $status
