#!/usr/bin/env bash
# Downloads one 1 GiB file from nginx on loopback with netpull-get and with curl, in the same
# run to the same disk, and reports both throughputs, their ratio and netpull-get's peak memory
# beside its idle size (a download of an empty file).
# Usage: netpull_vs_curl.sh PATH/TO/netpull-get [SIZE_MIB]
set -euo pipefail
getter=$1
size_mib=${2:-1024}
work=$(mktemp -d)
source "$(dirname "$0")/serve_with_nginx.sh"
mkdir -p "$work/out"
head -c $((size_mib * 1048576)) /dev/urandom > "$work/root/big.bin"
: > "$work/root/empty.bin"
url=http://127.0.0.1:$port
measure() {  # prints "seconds peak_kib"
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2>&1
    cat "$work/time"
}
idle=$(measure "$getter" "$url/empty.bin" "$work/out/empty")
best_curl=999999; best_netpull=999999; peak=0
for run in 1 2 3 4 5; do
    read -r seconds _ < <(measure curl -s -o "$work/out/curl.bin" "$url/big.bin")
    best_curl=$(python3 -c "print(min($best_curl, $seconds))")
    read -r seconds kib < <(measure "$getter" "$url/big.bin" "$work/out/netpull.bin")
    best_netpull=$(python3 -c "print(min($best_netpull, $seconds))")
    peak=$(( kib > peak ? kib : peak ))
    rm -f "$work/out/"*.bin
done
python3 - "$size_mib" "$best_curl" "$best_netpull" "${idle#* }" "$peak" <<'PY'
import sys
size, curl, netpull, idle, peak = float(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
print(f"curl:        {size / max(curl, 1e-3):8.0f} MiB/s ({curl:.2f} s for {size:.0f} MiB, best of 5)")
print(f"netpull-get: {size / max(netpull, 1e-3):8.0f} MiB/s ({netpull:.2f} s, best of 5)")
print(f"ratio netpull-get / curl: {curl / max(netpull, 1e-3):.2f}")
print(f"netpull-get peak RSS: {peak / 1024:.1f} MiB, idle {idle / 1024:.1f} MiB, above idle {(peak - idle) / 1024:.1f} MiB")
PY
