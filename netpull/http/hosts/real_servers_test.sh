#!/usr/bin/env bash
# netpull-get against real servers started here on loopback: nginx, apache2, lighttpd and
# Python's http.server. Files from each are saved byte for byte (sha256), 100 MiB and 3 GiB
# ones from nginx; a chunked body from nginx and from apache; 404 and 500 end in Error, also
# after a 301 is followed, and leave the file already at the save path as it was; events are
# printed as they happen.
# Usage: real_servers_test.sh NETPULL_GET [--no-large]   (--no-large: no 3 GiB download)
set -euo pipefail
getter=$1
large=${2:-}
work=$(mktemp -d)
source "$(dirname "$0")/../../../tools/servers/loopback_servers.sh"
root=$work/root
out=$work/out
mkdir -p "$root/ssi" "$root/folder" "$out"
head -c 0 /dev/urandom > "$root/empty.bin"
head -c 1 /dev/urandom > "$root/one.bin"
head -c 1048576 /dev/urandom > "$root/mib.bin"
head -c 104857600 /dev/urandom > "$root/hundred.bin"
head -c 300000 /dev/urandom > "$root/ssi/part.bin"
printf 'before <!--# include virtual="/ssi/part.bin" --> after' > "$root/ssi/page.txt"
{ printf 'before '; cat "$root/ssi/part.bin"; printf ' after'; } > "$work/ssi-expected.bin"
cat > "$work/cgi-bin/stream.sh" <<'CGI'
#!/bin/sh
printf 'Content-Type: application/octet-stream\r\n\r\n'
head -c 2000000 /dev/zero | tr '\0' 'z'
CGI
chmod 755 "$work/cgi-bin/stream.sh"
head -c 2000000 /dev/zero | tr '\0' 'z' > "$work/stream-expected.bin"
chmod -R a+rX "$root"

source "$(dirname "$0")/download_checks.sh"

# chunked NAME URL: the server really sends that body chunked.
chunked() {
    if ! curl -s -D - -o /dev/null "$2" | tr -d '\r' | grep -qi '^transfer-encoding: chunked'; then
        fail "$1: the server did not send a chunked body, the test proves nothing"
    fi
}

start_nginx "$root"
start_apache "$root"
start_lighttpd "$root"
start_python "$root"
declare -A ports=([nginx]=$nginx_port [apache]=$apache_port [lighttpd]=$lighttpd_port [python]=$python_port)

for server in nginx apache lighttpd python; do
    base=http://127.0.0.1:${ports[$server]}
    for file in empty one mib; do get "$server-$file" "$base/$file.bin" "$root/$file.bin"; done
    refused "$server-404" "$base/missing.bin" "Error 404 server error"
    # /moved answers 301 to /elsewhere, which is missing: the 404 is the redirect's target's.
    [ "$server" = python ] || refused "$server-301" "$base/moved" "Error 404 server error"
done
refused nginx-500 "http://127.0.0.1:$nginx_port/broken" "Error 500 server error"
refused apache-500 "http://127.0.0.1:$apache_port/cgi-bin/broken.sh" "Error 500 server error"
refused lighttpd-500 "http://127.0.0.1:$lighttpd_port/cgi-bin/broken.sh" "Error 500 server error"

# failed NAME URL NUMBER [PREFIX...]: ends in Error NUMBER; PREFIX runs the downloader.
failed() {
    local name=$1 url=$2 number=$3
    shift 3
    if timeout 60 "$@" "$getter" "$url" "$out/$name" > "$work/$name.log" 2>&1; then
        fail "$name: reported as a success"
    elif ! grep -q "^Error $number " "$work/$name.log"; then
        fail "$name: expected Error $number, got: $(tail -1 "$work/$name.log")"
    else
        echo "ok   $name: $(tail -1 "$work/$name.log")"
    fi
}
refused_port=$(free_port)
failed refused-port "http://127.0.0.1:$refused_port/file" 10061
# A name nobody knows, asked of a name server on loopback that answers "no such name" to
# everything, in a mount namespace whose resolv.conf names it: no query leaves loopback.
python3 - "$work/dns.ready" <<'PY' &
import socket, sys
server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
server.bind(("127.0.0.1", 53))
open(sys.argv[1], "w").write("ready")
server.settimeout(120)
try:
    while True:
        query, peer = server.recvfrom(512)
        end = 12
        while end < len(query) and query[end] != 0:
            end += query[end] + 1
        question = query[12:end + 5]
        # The query's id and question, with the flags of a recursive "no such name" answer.
        server.sendto(query[:2] + b"\x81\x83\0\x01\0\0\0\0\0\0" + question, peer)
except socket.timeout:
    pass
PY
dns=$!
for _ in $(seq 50); do [ -s "$work/dns.ready" ] && break; sleep 0.1; done
[ -s "$work/dns.ready" ] || fail "the name server on loopback did not start"
echo "nameserver 127.0.0.1" > "$work/resolv.conf"
failed unknown-host "http://no-such-host.invalid/file" 11001 \
    unshare -m sh -c 'mount --bind "$0" /etc/resolv.conf && exec "$@"' "$work/resolv.conf"
kill "$dns" 2> /dev/null || true

get nginx-hundred "http://127.0.0.1:$nginx_port/hundred.bin" "$root/hundred.bin"
chunked nginx-chunked "http://127.0.0.1:$nginx_port/ssi/page.txt"
get nginx-chunked "http://127.0.0.1:$nginx_port/ssi/page.txt" "$work/ssi-expected.bin"
chunked apache-chunked "http://127.0.0.1:$apache_port/cgi-bin/stream.sh"
get apache-chunked "http://127.0.0.1:$apache_port/cgi-bin/stream.sh" "$work/stream-expected.bin"

# A script reading netpull-get's output sees each event when it happens, not at the end.
python3 - "$getter" "http://127.0.0.1:$nginx_port/hundred.bin" "$out/watched" <<'PY' || fail "events are not printed as they happen"
import subprocess, sys
process = subprocess.Popen(sys.argv[1:], stdout=subprocess.PIPE, text=True)
first = process.stdout.readline()
running = process.poll() is None
process.terminate()
process.wait()
sys.exit(0 if first.startswith("FoundServer") and running else 1)
PY
rm -f "$out/watched"

if [ "$large" = --no-large ]; then
    echo "skipped 3 GiB: run by the plain build only"
elif [ "$(df --output=avail -B1G "$work" | tail -1)" -lt 8 ]; then
    echo "skipped 3 GiB: less than 8 GiB free on $(df --output=target "$work" | tail -1)"
else
    truncate -s 3G "$root/large.bin"
    get nginx-3GiB "http://127.0.0.1:$nginx_port/large.bin" "$root/large.bin"
    rm -f "$root/large.bin"
fi

report "all real-server downloads passed"
