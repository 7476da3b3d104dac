# Sourced by the tests that end netpull-get in the middle of a download: starts the slow
# server on loopback ($base), and gives the checks of a download ended cleanly.
work=$(mktemp -d)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

python3 "$(dirname "${BASH_SOURCE[0]}")/slow_server.py" "$work/port" &
server_pid=$!
for _ in $(seq 200); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || fail "the server did not start"
base=http://127.0.0.1:$(cat "$work/port")

# temporaries: the temporary files beside the save path.
temporaries() { find "$work" -maxdepth 1 -name '.saved.bin.netpull-*' | wc -l; }

# ended_cleanly WHAT STATUS EXPECTED_STATUS: the download ended with the status expected,
# "Error 10004 cancelled by signal" as its last line, the save path as it was ("old") and no
# temporary file.
ended_cleanly() {
    local what=$1 status=$2 expected=$3 last
    [ "$status" = "$expected" ] || fail "$what: exit status $status, not $expected"
    last=$(tail -n 1 "$work/events" | tr -d '\r')
    [ "$last" = "Error 10004 cancelled by signal" ] || fail "$what: last line '$last'"
    [ "$(cat "$work/saved.bin")" = old ] || fail "$what: the save path changed"
    [ "$(temporaries)" = 0 ] || fail "$what: a temporary file was left"
    echo "$what: status $status, save path untouched, no temporary file"
}
