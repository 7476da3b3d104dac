#!/usr/bin/env bash
# netpull-get ended by a signal in the middle of a download from a server on loopback that
# sends slowly: SIGINT, SIGTERM and SIGHUP leave the save path as it was and no temporary file,
# print "Error 10004 cancelled by signal" last and exit with 128 plus the signal's number;
# after a SIGKILL, which nothing can catch, the next download to that path removes what the
# killed process left.
# Usage: signals_test.sh NETPULL_GET [EXE_PREFIX]
set -euo pipefail
getter=$1
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# /slow announces 100 MB and sends 64 KiB at once, then a little every 50 ms for at most 60 s;
# /small is whole at once.
cat > "$work/server.py" <<'PY'
import socket, sys, threading, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(8)
open(sys.argv[1], "w").write(str(listener.getsockname()[1]))
def serve(connection):
    request = b""
    while b"\r\n\r\n" not in request:
        data = connection.recv(4096)
        if not data:
            return
        request += data
    try:
        if b" /small " in request:
            connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nsmall")
        else:
            connection.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n" + b"s" * 65536)
            end = time.monotonic() + 60
            while time.monotonic() < end:
                connection.sendall(b"s" * 1024)
                time.sleep(0.05)
    except OSError:
        pass
    connection.close()
end = time.monotonic() + 600
while time.monotonic() < end:
    connection, _ = listener.accept()
    threading.Thread(target=serve, args=(connection,), daemon=True).start()
PY
python3 "$work/server.py" "$work/port" &
server_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || fail "the server did not start"
base=http://127.0.0.1:$(cat "$work/port")

# temporaries: the temporary files beside the save path.
temporaries() { find "$work" -maxdepth 1 -name '.saved.bin.netpull-*' | wc -l; }

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
    expected=$((128 + $(kill -l "$signal")))
    [ "$status" = "$expected" ] || fail "SIG$signal: exit status $status, not $expected"
    last=$(tail -n 1 "$work/events")
    [ "$last" = "Error 10004 cancelled by signal" ] || fail "SIG$signal: last line '$last'"
    [ "$(cat "$work/saved.bin")" = old ] || fail "SIG$signal: the save path changed"
    [ "$(temporaries)" = 0 ] || fail "SIG$signal: a temporary file was left"
    echo "SIG$signal: status $status, save path untouched, no temporary file"
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
