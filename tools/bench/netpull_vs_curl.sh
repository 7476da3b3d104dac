#!/usr/bin/env bash
# Downloads one 1 GiB file from nginx on loopback with netpull-get, with curl and, when given,
# with netpull-get.exe under Wine, alternated five times in one run to the same disk (which
# goes first rotates too), and reports each run's throughputs, the median of the ratios to
# curl, and netpull-get's peak memory beside its idle size (a download of an empty file).
# Usage: netpull_vs_curl.sh PATH/TO/netpull-get [SIZE_MIB [PATH/TO/netpull-get.sh]]
# With NETPULL_BENCH_HTTPS=1, over https:// with a test authority that all three trust; with
# NETPULL_BENCH_PROXY=1, all three through tinyproxy on loopback, named by http_proxy and
# https_proxy. NETPULL_BENCH_REDIRECT=1 measures instead what one redirect adds to a download
# of an empty file, beside the time of one connection and request as curl reports it.
set -euo pipefail
getter=$1
size_mib=${2:-1024}
windows_getter=${3:-}
work=$(mktemp -d)
source "$(dirname "$0")/../servers/loopback_servers.sh"
mkdir -p "$work/root"
out=${NETPULL_BENCH_OUT:-$work/out}  # where all save the file; the same disk for all
mkdir -p "$out"
head -c $((size_mib * 1048576)) /dev/urandom > "$work/root/big.bin"
: > "$work/root/empty.bin"
if [ "${NETPULL_BENCH_HTTPS:-}" = 1 ]; then
    start_nginx_tls "$work/root"
    url=https://localhost:$nginx_tls_port
    export NETPULL_TEST_AUTHORITY=$test_authority CURL_CA_BUNDLE=$test_authority
    # netpull-get.exe reads the file by its Windows path; curl and netpull-get ignore this.
    [ -n "$windows_getter" ] && export WINEPATH_AUTHORITY="Z:${test_authority//\//\\}"
else
    start_nginx "$work/root" "location = /hop { return 302 /empty.bin; }"
    url=http://127.0.0.1:$nginx_port
fi
if [ "${NETPULL_BENCH_PROXY:-}" = 1 ]; then
    start_tinyproxy proxy "LogLevel Critical"
    export http_proxy=127.0.0.1:$proxy_port https_proxy=127.0.0.1:$proxy_port
fi
if [ "${NETPULL_BENCH_REDIRECT:-}" = 1 ]; then
    # Milliseconds of each download, direct and through /hop, alternated.
    for _ in $(seq 30); do
        for path in empty.bin hop; do
            start=$(date +%s%N)
            "$getter" "$url/$path" "$out/empty" > /dev/null 2>&1
            echo "$path $((($(date +%s%N) - start) / 1000))"
        done
    done > "$work/redirects"
    connection=$(for _ in $(seq 30); do curl -s -o /dev/null -w '%{time_starttransfer}\n' "$url/empty.bin"; done)
    python3 - "$work/redirects" $connection <<'PY'
import statistics, sys
times = {"empty.bin": [], "hop": []}
for line in open(sys.argv[1]):
    path, microseconds = line.split()
    times[path].append(int(microseconds) / 1000)
direct, redirected = statistics.median(times["empty.bin"]), statistics.median(times["hop"])
connection = statistics.median(float(s) * 1000 for s in sys.argv[2:])
print(f"empty file direct: median {direct:.2f} ms; through one redirect: {redirected:.2f} ms; "
      f"the redirect adds {redirected - direct:.2f} ms; one connection and request (curl): "
      f"{connection:.2f} ms")
PY
    exit 0
fi
measure() {  # prints "seconds peak_kib"; each run starts with no dirty pages of the last one
    sync
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" > /dev/null 2>&1
    cat "$work/time"
}
read -r _ idle < <(measure "$getter" "$url/empty.bin" "$out/empty")
runs=()
tools=(curl netpull)
[ -n "$windows_getter" ] && tools+=(windows)
for run in 1 2 3 4 5; do
    declare -A seconds=([windows]=0)
    # Which one goes first changes from run to run.
    for i in "${!tools[@]}"; do
        tool=${tools[$(((i + run) % ${#tools[@]}))]}
        case $tool in
            curl) read -r seconds[curl] _ < <(measure curl -s -o "$out/curl.bin" "$url/big.bin") ;;
            netpull) read -r seconds[netpull] kib < <(measure "$getter" "$url/big.bin" "$out/netpull.bin") ;;
            windows) read -r seconds[windows] _ < <(NETPULL_TEST_AUTHORITY=${WINEPATH_AUTHORITY:-} \
                measure "$windows_getter" "$url/big.bin" "$out/windows.bin") ;;
        esac
    done
    runs+=("${seconds[curl]} ${seconds[netpull]} $kib ${seconds[windows]}")
    rm -f "$out/"*.bin
done
python3 - "$size_mib" "$idle" "${runs[@]}" <<'PY'
import statistics, sys
size, idle = float(sys.argv[1]), int(sys.argv[2])
ratios, windows_ratios, peaks = [], [], []
speed = lambda seconds: size / max(seconds, 1e-3)
for i, run in enumerate(sys.argv[3:], 1):
    curl, netpull, peak, windows = (float(x) for x in run.split())
    ratios.append(curl / max(netpull, 1e-3))
    peaks.append(peak)
    line = (f"run {i}: curl {speed(curl):6.0f} MiB/s, netpull-get {speed(netpull):6.0f} MiB/s, "
            f"ratio {ratios[-1]:.2f}")
    if windows > 0:
        windows_ratios.append(curl / windows)
        line += f"; netpull-get.exe under Wine {speed(windows):6.0f} MiB/s, ratio {windows_ratios[-1]:.2f}"
    print(line)
print(f"median ratio netpull-get / curl: {statistics.median(ratios):.2f}")
if windows_ratios:
    print(f"median ratio netpull-get.exe under Wine / curl: {statistics.median(windows_ratios):.2f}")
print(f"netpull-get peak RSS: {max(peaks) / 1024:.1f} MiB, idle {idle / 1024:.1f} MiB, "
      f"above idle {(max(peaks) - idle) / 1024:.1f} MiB")
PY
