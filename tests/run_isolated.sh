#!/bin/sh
# Runs one test executable with its own scratch home, settings, temporary and runtime folders,
# so no test touches the real home folder or sees another test's files.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lectorix-test.XXXXXX") || exit 1
mkdir -p "$scratch/home" "$scratch/config" "$scratch/temp" "$scratch/runtime"
chmod 700 "$scratch/runtime"
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TEMP="$scratch/temp" \
XDG_RUNTIME_DIR="$scratch/runtime" LECTORIX_SCRATCH="$scratch" "$@"
rc=$?
rm -rf "$scratch"
exit $rc
