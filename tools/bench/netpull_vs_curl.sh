#!/usr/bin/env bash
# Downloads one 1 GiB file from nginx on loopback with netpull-get and with curl, alternated
# five times in one run to the same disk (which goes first alternates too), and reports each pair's throughputs, the median of
# the ratios, and netpull-get's peak memory beside its idle size (a download of an empty file).
# Usage: netpull_vs_curl.sh PATH/TO/netpull-get [SIZE_MIB]
set -euo pipefail
getter=$1
size_mib=${2:-1024}
work=$(mktemp -d)
source "$(dirname "$0")/../servers/loopback_servers.sh"
mkdir -p "$work/root"
out=${NETPULL_BENCH_OUT:-$work/out}  # where both save the file; the same disk for both
mkdir -p "$out"
head -c $((size_mib * 1048576)) /dev/urandom > "$work/root/big.bin"
: > "$work/root/empty.bin"
start_nginx "$work/root"
url=http://127.0.0.1:$nginx_port
measure() {  # prints "seconds peak_kib"; each run starts with no dirty pages of the last one
    sync
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2>&1
    cat "$work/time"
}
read -r _ idle < <(measure "$getter" "$url/empty.bin" "$out/empty")
runs=()
for run in 1 2 3 4 5; do
    # Which of the two goes first changes from run to run.
    if [ $((run % 2)) -eq 1 ]; then
        read -r curl_s _ < <(measure curl -s -o "$out/curl.bin" "$url/big.bin")
        read -r netpull_s kib < <(measure "$getter" "$url/big.bin" "$out/netpull.bin")
    else
        read -r netpull_s kib < <(measure "$getter" "$url/big.bin" "$out/netpull.bin")
        read -r curl_s _ < <(measure curl -s -o "$out/curl.bin" "$url/big.bin")
    fi
    runs+=("$curl_s $netpull_s $kib")
    rm -f "$out/"*.bin
done
python3 - "$size_mib" "$idle" "${runs[@]}" <<'PY'
import statistics, sys
size, idle = float(sys.argv[1]), int(sys.argv[2])
ratios, peaks = [], []
for i, run in enumerate(sys.argv[3:], 1):
    curl, netpull, peak = (float(x) for x in run.split())
    ratios.append(curl / max(netpull, 1e-3))
    peaks.append(peak)
    print(f"run {i}: curl {size / max(curl, 1e-3):6.0f} MiB/s, netpull-get {size / max(netpull, 1e-3):6.0f} MiB/s, "
          f"ratio {ratios[-1]:.2f}")
print(f"median ratio netpull-get / curl: {statistics.median(ratios):.2f}")
print(f"netpull-get peak RSS: {max(peaks) / 1024:.1f} MiB, idle {idle / 1024:.1f} MiB, "
      f"above idle {(max(peaks) - idle) / 1024:.1f} MiB")
PY
