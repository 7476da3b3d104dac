#!/usr/bin/env bash
# netpull-get ended by a signal in the middle of a download from a server on loopback that
# sends slowly: SIGINT, SIGTERM and SIGHUP leave the save path as it was and no temporary file,
# print "Error 10004 cancelled by signal" last and exit with 128 plus the signal's number;
# after a SIGKILL, which nothing can catch, the next download to that path removes what the
# killed process left.
# Usage: signals_test.sh NETPULL_GET
set -euo pipefail
getter=$1
source "$(dirname "$0")/ended_download.sh"

# started: runs the download in the background until its temporary file holds bytes.
started() {
    "$getter" "$base/slow" "$work/saved.bin" > "$work/events" 2>&1 &
    getter_pid=$!
    for _ in $(seq 600); do
        [ -n "$(find "$work" -maxdepth 1 -name '.saved.bin.netpull-*' -size +1k)" ] && return
        sleep 0.1
    done
    fail "the download never began writing"
}

for signal in INT TERM HUP; do
    echo old > "$work/saved.bin"
    started
    kill -s "$signal" "$getter_pid"
    status=0
    wait "$getter_pid" || status=$?
    ended_cleanly "SIG$signal" "$status" $((128 + $(kill -l "$signal")))
done

started
kill -s KILL "$getter_pid"
wait "$getter_pid" || true
[ "$(temporaries)" = 1 ] || fail "SIGKILL left no temporary file: the test proves nothing"
"$getter" "$base/small" "$work/saved.bin" > "$work/events" 2>&1 || fail "the next download failed"
[ "$(cat "$work/saved.bin")" = small ] || fail "the next download did not save its body"
[ "$(temporaries)" = 0 ] || fail "the killed process's temporary file stayed"
echo "SIGKILL: the next download removed the temporary file left behind"
echo "signals test passed"
