#!/usr/bin/env bash
# Downloads files of 0 B, 1 B, 1 MiB and 100 MiB with netpull-get from an nginx started here on
# a loopback port, and compares their sha256 with the served files. Skips (exit 77 is not used by
# CTest, so it passes with a note) when nginx is not installed.
set -euo pipefail
getter=$1
nginx=$(command -v nginx || echo /usr/sbin/nginx)
if [ ! -x "$nginx" ]; then
    echo "nginx is not installed: skipped"
    exit 0
fi
work=$(mktemp -d)
cleanup() {
    [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/root" "$work/logs"
# nginx serves as an unprivileged user: the folders must be readable by anyone.
chmod 755 "$work" "$work/root"
head -c 0 /dev/urandom > "$work/root/empty.bin"
head -c 1 /dev/urandom > "$work/root/one.bin"
head -c 1048576 /dev/urandom > "$work/root/mib.bin"
head -c 104857600 /dev/urandom > "$work/root/hundred.bin"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/nginx.conf" <<CONF
daemon on;
pid $work/nginx.pid;
error_log $work/logs/error.log;
events {}
http {
    access_log off;
    client_body_temp_path $work/logs;
    proxy_temp_path $work/logs;
    fastcgi_temp_path $work/logs;
    uwsgi_temp_path $work/logs;
    scgi_temp_path $work/logs;
    server {
        listen 127.0.0.1:$port;
        root $work/root;
    }
}
CONF
"$nginx" -c "$work/nginx.conf" -p "$work"
for _ in $(seq 50); do [ -f "$work/nginx.pid" ] && break; sleep 0.1; done
for name in empty one mib hundred; do
    if ! timeout 120 "$getter" "http://127.0.0.1:$port/$name.bin" "$work/$name.out" > "$work/$name.log" 2>&1; then
        echo "$name.bin: netpull-get failed"; cat "$work/$name.log"; exit 1
    fi
    want=$(sha256sum < "$work/root/$name.bin")
    got=$(sha256sum < "$work/$name.out")
    if [ "$want" != "$got" ]; then
        echo "$name.bin: sha256 differs"; tail -3 "$work/$name.log"; exit 1
    fi
    echo "$name.bin: $(stat -c %s "$work/$name.out") bytes, sha256 matches"
done
