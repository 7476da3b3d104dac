#!/usr/bin/env bash
# Runs a test program on a virtual X display of 1600 x 1000 (SCREEN_SIZE=WxH sets another)
# with the openbox window manager, as a desktop would show the windows: frames, title bars,
# activation. Arguments after the program are passed to it.
set -euo pipefail
program=$1
shift
for tool in xvfb-run openbox xprop; do
    command -v "$tool" > /dev/null || { echo "$tool is missing: run tools/install-deps.sh"; exit 1; }
done
exec xvfb-run -a -s "-screen 0 ${SCREEN_SIZE:-1600x1000}x24" bash -c '
    openbox --sm-disable &
    # Waits, at most 10 s, for the window manager to announce itself on the root window.
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
        sleep 0.1
    done
    QT_QPA_PLATFORM=xcb "$0" "$@"
    status=$?
    kill %1 2>/dev/null || true
    exit $status' "$program" "$@"
