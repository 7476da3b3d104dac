#!/usr/bin/env bash
# netpull-get.exe ended by a console event in the middle of a download from a server on
# loopback that sends slowly: Ctrl+C and Ctrl+Break end with status 130, the console's close
# with 129, each leaving the save path as it was and no temporary file, with "Error 10004
# cancelled by signal" last. The event reaches the download's message loop as its console
# handler hands it on (Wine delivers no console events).
# Usage: console_end_test.sh SENDER NETPULL_GET   (both .exe, run under Wine by SENDER's runner)
set -euo pipefail
sender=$1
getter=$2
source "$(dirname "$0")/ended_download.sh"

for event in ctrl-c:130 ctrl-break:130 close:129; do
    echo old > "$work/saved.bin"
    status=0
    "$sender" "${event%:*}" "$getter" "$base/slow" "$work/saved.bin" > "$work/events" 2>&1 ||
        status=$?
    [ "$status" != 3 ] || fail "${event%:*}: $(cat "$work/events")"
    ended_cleanly "${event%:*}" "$status" "${event#*:}"
done
echo "console events test passed"
