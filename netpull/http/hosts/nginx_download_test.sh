#!/usr/bin/env bash
# Downloads files of 0 B, 1 B, 1 MiB and 100 MiB with netpull-get from an nginx started here on
# a loopback port, and compares their sha256 with the served files. Passes with a note when
# nginx is not installed (tools/install-deps.sh installs it).
set -euo pipefail
getter=$1
nginx=$(command -v nginx || echo /usr/sbin/nginx)
if [ ! -x "$nginx" ]; then
    echo "nginx is not installed: skipped"
    exit 0
fi
work=$(mktemp -d)
source "$(dirname "$0")/../../../tools/bench/serve_with_nginx.sh"
head -c 0 /dev/urandom > "$work/root/empty.bin"
head -c 1 /dev/urandom > "$work/root/one.bin"
head -c 1048576 /dev/urandom > "$work/root/mib.bin"
head -c 104857600 /dev/urandom > "$work/root/hundred.bin"
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
