#!/bin/sh
# Runs every benchmark binary of the build folder given as $1 (default: build). Benchmarks
# print their measurements and ratios; none of them fails the run.
set -u
build=${1:-build}
# Benchmarks drive the window without showing it.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
for bench in "$build"/bench/bench_*; do
    [ -x "$bench" ] && [ -f "$bench" ] || continue
    echo "== $(basename "$bench")"
    "$bench" || echo "(exited with $?)"
done
