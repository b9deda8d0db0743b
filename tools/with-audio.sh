#!/bin/sh
# Runs a command with a PulseAudio server. When none answers, or when --private is given,
# starts a private daemon whose default sink is a null sink named lectorix_null, and stops it
# when the command ends. Tests record that sink's monitor to hear what was played; the test
# runner (tests/run_isolated.sh) gives each test a private one, so that tests run side by side
# do not hear each other.
#   tools/with-audio.sh [--private] COMMAND [ARGUMENT...]
set -u
private=no
if [ "${1:-}" = --private ]; then
    private=yes
    shift
fi
if [ $private = no ] && [ -z "${PULSE_SERVER:-}" ] && pactl info >/dev/null 2>&1; then
    exec "$@"
fi
runtime=$(mktemp -d "${TMPDIR:-/tmp}/lectorix-pulse.XXXXXX")
chmod 700 "$runtime"
XDG_RUNTIME_DIR="$runtime" HOME="$runtime" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disallow-exit --log-target=stderr --log-level=error \
    --load="module-null-sink sink_name=lectorix_null" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" \
    >"$runtime/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER="unix:$runtime/native"
i=0
until pactl info >/dev/null 2>&1; do
    i=$((i + 1))
    if [ $i -gt 300 ] || ! kill -0 $pulse_pid 2>/dev/null; then
        echo "with-audio: the PulseAudio daemon did not start:" >&2
        cat "$runtime/pulse.log" >&2
        kill $pulse_pid 2>/dev/null
        rm -rf "$runtime"
        exit 1
    fi
    sleep 0.1
done
pactl set-default-sink lectorix_null
export LECTORIX_TEST_SINK=lectorix_null
"$@"
rc=$?
kill $pulse_pid 2>/dev/null
wait $pulse_pid 2>/dev/null
rm -rf "$runtime"
exit $rc
