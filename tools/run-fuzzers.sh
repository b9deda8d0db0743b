#!/bin/sh
# Runs every fuzzer built in BUILD_DIR (by `make fuzz`) for SECONDS each, 60 unless told,
# starting from its seed corpus in fuzz/corpus/<name>/. A crash, a leak, a sanitizer report or
# an input that takes over 10 seconds fails the run; the input that did it is kept in
# BUILD_DIR/fuzz-findings/<name>/. Once the fault is mended, copy that input into
# fuzz/corpus/<name>/: the test suite replays every seed, so it stays mended.
# Inputs that only widen the coverage go to a scratch corpus, not into the repository.
#   tools/run-fuzzers.sh BUILD_DIR [SECONDS]
set -u
build=${1:?usage: run-fuzzers.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
findings="$build/fuzz-findings"
mkdir -p "$findings"
failed=""
ran=0
for fuzzer in "$build"/fuzz/fuzz_*; do
    [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
    name=${fuzzer##*/fuzz_}
    seeds="$root/fuzz/corpus/$name"
    work=$(mktemp -d "${TMPDIR:-/tmp}/lectorix-fuzz-corpus.XXXXXX")
    mkdir -p "$findings/$name"
    started=$(date +%s)
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$findings/$name/" "$work" "$seeds" \
        >"$findings/$name.log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/$name.log")
    echo "fuzz $name: exit $rc, ${runs:-?} inputs in $(( $(date +%s) - started )) s"
    if [ $rc -ne 0 ]; then
        failed="$failed $name"
        tail -n 40 "$findings/$name.log" >&2
    fi
    rm -rf "$work"
    ran=$((ran + 1))
done
if [ $ran -eq 0 ]; then
    echo "run-fuzzers: no fuzzer in $build/fuzz (build them with make fuzz)" >&2
    exit 1
fi
if [ -n "$failed" ]; then
    echo "run-fuzzers: failed:$failed (inputs in $findings)" >&2
    exit 1
fi
