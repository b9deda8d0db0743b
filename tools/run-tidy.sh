#!/bin/sh
# Runs .clang-tidy's checks over the C++ sources of src/ as BUILD_DIR compiles them, JOBS at a
# time (`make tidy`). Given SINCE (a commit), over those changed since it only, the work tree's
# changes included; a changed header brings the source file of its name, whose findings in it
# are reported. Any finding fails.
#   tools/run-tidy.sh BUILD_DIR [JOBS] [SINCE]
set -eu
build=${1:?usage: run-tidy.sh BUILD_DIR [JOBS] [SINCE]}
jobs=${2:-$(nproc)}
since=${3:-}
root=$(cd "$(dirname "$0")/.." && pwd)
# clang cannot read GCC's precompiled headers: tidy reads the compile commands without them
# (they hold only Qt's and the standard library's headers, which the files include anyway).
commands=$(mktemp -d "${TMPDIR:-/tmp}/lectorix-tidy.XXXXXX")
trap 'rm -rf "$commands"' EXIT
sed -E 's/ -Winvalid-pch//g; s/ -include [^ ]*cmake_pch\.hxx//g' "$build/compile_commands.json" \
    >"$commands/compile_commands.json"
if [ -z "$since" ]; then
    run-clang-tidy -p "$commands" -j "$jobs" -quiet "$root/src/.*\.cpp\$"
    exit
fi
pattern=
for file in $(cd "$root" && git diff --name-only --diff-filter=d "$since" -- 'src/*.cpp' 'src/*.h'); do
    source="$root/${file%.*}.cpp"
    [ -f "$source" ] || continue
    pattern="$pattern|$(printf '%s' "$source" | sed 's/[.+]/\\&/g')"
done
if [ -z "$pattern" ]; then
    echo "run-tidy: no source file of src/ changed since $since"
    exit 0
fi
run-clang-tidy -p "$commands" -j "$jobs" -quiet "^(${pattern#|})\$"
