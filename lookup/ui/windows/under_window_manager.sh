#!/usr/bin/env bash
# Runs a test program on a virtual X display of 1600 x 1000 (SCREEN_SIZE=WxH sets another)
# with the openbox window manager, as a desktop would show the windows: frames, title bars,
# activation. Arguments after the program are passed to it.
set -euo pipefail
program=$1
shift
for tool in Xvfb openbox xprop; do
    command -v "$tool" > /dev/null || { echo "$tool is missing: run tools/install-deps.sh"; exit 1; }
done
# Generous bounds: on a busy machine a server or a window manager may start late, but one
# that never starts must end the test with a reason rather than let it fail further on.
bound=120
work=$(mktemp -d)
server=
manager=
stop() {
    [ -z "$manager" ] || kill "$manager" 2> /dev/null || true
    [ -z "$server" ] || kill "$server" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap stop EXIT
# The server picks a free display itself and writes its number once it accepts clients, so
# tests started side by side never race for the same display.
Xvfb -displayfd 3 -nolisten tcp -screen 0 "${SCREEN_SIZE:-1600x1000}x24" \
    3> "$work/display" 2> "$work/server.log" &
server=$!
end=$((SECONDS + bound))
until [ -s "$work/display" ] && grep -q '^[0-9]' "$work/display"; do
    kill -0 "$server" 2> /dev/null || { cat "$work/server.log"; echo "Xvfb did not start"; exit 1; }
    [ $SECONDS -lt $end ] || { echo "Xvfb gave no display in $bound s"; exit 1; }
    sleep 0.1
done
export DISPLAY=":$(head -n 1 "$work/display")"
openbox --sm-disable &
manager=$!
until xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"; do
    kill -0 "$manager" 2> /dev/null || { echo "openbox did not start"; exit 1; }
    [ $SECONDS -lt $end ] || { echo "openbox did not announce itself in $bound s"; exit 1; }
    sleep 0.1
done
status=0
QT_QPA_PLATFORM=xcb "$program" "$@" || status=$?
exit $status
