#!/usr/bin/env bash
# netpull-get over https:// from openssl s_server, which asks for a new TLS 1.2 handshake in the
# middle of the body: the body is saved whole. On Linux the new handshake takes place (the
# server reads a second ClientHello); Wine's Schannel answers the server's HelloRequest with
# nothing, which TLS 1.2 allows, and the body still comes whole.
# Usage: renegotiation_test.sh NETPULL_GET [--windows]   (--windows: netpull-get.exe under Wine)
set -euo pipefail
getter=$1
windows=${2:-}
work=$(mktemp -d)
source "$(dirname "$0")/../../../tools/servers/loopback_servers.sh"
out=$work/out
mkdir -p "$out"
make_test_authority
make_certificate loopback "DNS:localhost,IP:127.0.0.1"
trust_test_authority "$windows"
source "$(dirname "$0")/download_checks.sh"

log=$work/logs/s_server.log
# Waits, at most 60 s, until the server's log shows what is asked for.
until_logged() {  # until_logged WHAT GREP_ARGUMENTS...
    local what=$1 _
    shift
    for _ in $(seq 600); do
        grep -q "$@" "$log" && return 0
        sleep 0.1
    done
    fail "the server never logged $what"
    report "renegotiation test failed"
}
port=$(free_port)
mkfifo "$work/feed"
openssl s_server -accept "127.0.0.1:$port" -cert "$work/tls/loopback.pem" \
    -key "$work/tls/loopback.key" -tls1_2 -state -msg -naccept 1 < "$work/feed" > "$log" 2>&1 &
echo $! > "$work/s_server.pid"
exec 3> "$work/feed"  # the server's input: what it sends, and its commands
until_logged "that it listens" -Fx ACCEPT
timeout 120 "$getter" "https://localhost:$port/" "$out/renegotiated" > "$work/getter.log" 2>&1 &
getter_pid=$!
first="first part of the body"
second="second part, after the new handshake"
until_logged "the request" -F "Connection: Close"
printf 'HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n%s\n' $((${#first} + ${#second} + 2)) "$first" >&3
# Sent records show their header: 17 03 03 for application data, the request's among them.
until_logged "the first part sent" -Pzo '(?s)(    17 03 03.*){2}'
printf 'R\n' >&3
until_logged "the HelloRequest sent" -F "write hello request"
printf '%s\n' "$second" >&3
status=0
wait "$getter_pid" || status=$?
exec 3>&-
printf '%s\n%s\n' "$first" "$second" > "$work/expected"
if [ "$status" != 0 ] || [ "$(tail -1 "$work/getter.log")" != Downloaded ]; then
    fail "renegotiated: netpull-get did not end with Downloaded: $(tail -1 "$work/getter.log")"
elif ! cmp -s "$work/expected" "$out/renegotiated"; then
    fail "renegotiated: the body saved is not the body sent"
else
    echo "ok   renegotiated: the body saved whole"
fi
hellos=$(grep -c "ClientHello" "$log" || true)
expected_hellos=2
[ "$windows" = --windows ] && expected_hellos=1
if [ "$hellos" = "$expected_hellos" ]; then
    echo "ok   renegotiated: $hellos ClientHello, as the platform's TLS answers"
else
    fail "renegotiated: the server read $hellos ClientHello, not $expected_hellos"
fi
report "renegotiation test passed"
