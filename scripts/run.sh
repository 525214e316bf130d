#!/usr/bin/env bash
# Installs what is missing, builds, and starts Notavo. Without a display it starts Notavo in a
# virtual X server and saves a screenshot, so it can still be seen working.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh --run
# Only the program, with the options scripts/test.sh uses, so that it reuses this build.
NOTAVO_TARGET=notavo bash scripts/build.sh build $(bash scripts/test.sh --options)
binary=$PWD/build/notavo

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
    exec "$binary"
fi

echo "No display found: starting Notavo in a virtual X server (Xvfb)."
display=:$((90 + RANDOM % 100))
Xvfb "$display" -noreset -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display "$binary" &
app=$!
sleep 3
shot=${TMPDIR:-/tmp}/notavo-screenshot.png
DISPLAY=$display import -window root "$shot"
echo "Screenshot of Notavo saved to $shot"
echo "Notavo runs on display $display; press Ctrl+C to stop (NOTAVO_RUN_SECONDS=N stops it after N s)."
if [[ -n ${NOTAVO_RUN_SECONDS:-} ]]; then
    sleep "$NOTAVO_RUN_SECONDS"
    kill "$app" 2>/dev/null || true
fi
wait "$app" || true
