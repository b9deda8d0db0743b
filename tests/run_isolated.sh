#!/bin/sh
# Runs one test executable with its own scratch home, settings, temporary and runtime folders,
# so no test touches the real home folder or sees another test's files.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/lectorix-test.XXXXXX") || exit 1
mkdir -p "$scratch/home" "$scratch/config" "$scratch/temp" "$scratch/runtime"
chmod 700 "$scratch/runtime"
# Under tools/with-audio.sh, which names its null sink, each test gets a private sound server
# with a null sink of that name: what a test records is what it played itself, even while
# other tests play beside it (ctest -j).
if [ -n "${LECTORIX_TEST_SINK:-}" ]; then
    set -- "$(dirname "$0")/../tools/with-audio.sh" --private "$@"
fi
# No test reaches the desktop's buses (its media controls, notifications, suspend locks): the
# addresses name sockets that do not exist. Tests of those run under dbus-run-session, which
# gives them a private session bus of their own.
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TEMP="$scratch/temp" \
XDG_RUNTIME_DIR="$scratch/runtime" LECTORIX_SCRATCH="$scratch" \
DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-session-bus" \
DBUS_SYSTEM_BUS_ADDRESS="unix:path=$scratch/no-system-bus" "$@"
rc=$?
rm -rf "$scratch"
exit $rc
