#!/bin/sh
# Starts a program on the user's desktop; on a machine without a display (a server, CI)
# it starts a private Xvfb display first, and a private sound server when none answers.
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    if command -v xvfb-run >/dev/null 2>&1; then
        echo "No display found: starting Lectorix on a virtual X display (Xvfb)." >&2
        exec xvfb-run -a "$here/with-audio.sh" "$@"
    fi
    echo "No display found and Xvfb is not installed: starting Lectorix offscreen." >&2
    export QT_QPA_PLATFORM=offscreen
fi
if ! pactl info >/dev/null 2>&1 && command -v pulseaudio >/dev/null 2>&1; then
    exec "$here/with-audio.sh" "$@"
fi
exec "$@"
