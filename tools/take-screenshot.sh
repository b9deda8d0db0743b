#!/bin/sh
# Retakes resources/screenshots/main-window.png, the screenshot the AppStream metainfo names:
# the built window with the sample document opened from the command line, on a private
# virtual display, with a scratch home folder so no settings of yours show up.
#   tools/take-screenshot.sh [BUILD_DIR]      (needs xvfb and imagemagick)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
# A fixed folder, so that the paths the window shows do not change from one take to the next.
scratch=${TMPDIR:-/tmp}/lectorix-screenshot
mkdir "$scratch"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home/Documents" "$scratch/config" "$scratch/temp"
cp "$build/Samples/sample1.pdf" "$scratch/home/Documents/Welcome to Lectorix.pdf"
cat >"$scratch/shoot.sh" <<'SHOOT'
#!/bin/sh
"$1" "$2" &
program=$!
sleep 8
import -window root "$3"
kill "$program"
wait "$program" || true
SHOOT
chmod +x "$scratch/shoot.sh"
HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config" TEMP="$scratch/temp" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$here/with-audio.sh" "$scratch/shoot.sh" \
    "$build/lectorix" "$scratch/home/Documents/Welcome to Lectorix.pdf" "$scratch/screen.png"
# Without a window manager the window sits alone on black: keep just the window.
convert "$scratch/screen.png" -trim +repage -strip "$here/../resources/screenshots/main-window.png"
