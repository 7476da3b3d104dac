#!/usr/bin/env bash
# Netpull.ocx in three Windows hosts under Wine, against a loopback nginx: registered with
# regsvr32 (every entry read back with reg query), our own container (netpull_container_test,
# over http:// and over https:// with a test authority), a host in Wine's ATL container (whose
# window is saved as SCREENSHOT), both downloading from nginx with their events (the ATL host
# also through a redirect and through tinyproxy), and a script
# for Wine's script host (which connects no events); then regsvr32 /u, after which the registry
# is as it was before.
# Usage: activex_hosts_test.sh WINE_RUN FOLDER_OF_NETPULL_OCX SCREENSHOT.png
set -euo pipefail
run=$1
folder=$2
screenshot=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
source "$here/../../../../tools/servers/loopback_servers.sh"
mkdir -p "$work/root" "$work/out"
head -c 3000000 /dev/urandom > "$work/root/source.bin"
chmod -R a+rX "$work/root"
start_nginx "$work/root" "location = /hop { return 302 /source.bin; }"
start_nginx_tls "$work/root"
start_tinyproxy proxy
base="http://127.0.0.1:$nginx_port"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
ocx=$(windows_path "$folder/Netpull.ocx")
clsid='{DAD1CBF0-2D28-4208-8F4F-621BA375EB15}'
libid='{43FE1C03-96DB-459C-9779-E8264BF182D5}'

# value KEY [NAME]: the registry value's data as reg query prints it, or nothing.
value() {
    local option=(/ve)
    [ $# -gt 1 ] && option=(/v "$2")
    timeout 60 "$run" reg query "$1" "${option[@]}" 2> /dev/null |
        sed -n 's/^ *[^ ].*REG_[A-Z_]* *//p' | head -1 || true
}
expect_value() {
    local got
    got=$(value "${@:2}")
    if [ "$got" = "$1" ]; then ok "${*:2}: $got"; else fail "${*:2}: '$got', expected '$1'"; fi
}
# What registration writes, read back.
entries=("HKCR\\Netpull.HTTP\\CLSID" "HKCR\\CLSID\\$clsid\\ProgID" "HKCR\\CLSID\\$clsid\\InprocServer32"
    "HKCR\\CLSID\\$clsid\\ToolboxBitmap32" "HKCR\\CLSID\\$clsid\\MiscStatus\\1"
    "HKCR\\CLSID\\$clsid\\TypeLib" "HKCR\\CLSID\\$clsid\\Version" "HKCR\\TypeLib\\$libid\\1.0\\0\\win64")

# A registration left by an interrupted run goes first, so that "before" is without it.
timeout 60 "$run" regsvr32 /s /u "$ocx" > /dev/null 2>&1 || true
# The script host registers its own type library at its first run: that run comes first.
echo 'WScript.Echo "ready"' > "$work/ready.vbs"
timeout 60 "$run" cscript //nologo "$(windows_path "$work/ready.vbs")" > /dev/null 2>&1 || true
timeout 60 "$run" reg export HKCR "$(windows_path "$work/before.reg")" /y > /dev/null
timeout 60 "$run" regsvr32 /s "$ocx" || fail "regsvr32 failed"
expect_value "$clsid" "HKCR\\Netpull.HTTP\\CLSID"
expect_value "Netpull.HTTP" "HKCR\\CLSID\\$clsid\\ProgID"
expect_value "$ocx" "HKCR\\CLSID\\$clsid\\InprocServer32"
expect_value "Apartment" "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel
expect_value "$ocx, 30000" "HKCR\\CLSID\\$clsid\\ToolboxBitmap32"
expect_value "131473" "HKCR\\CLSID\\$clsid\\MiscStatus\\1"
expect_value "$libid" "HKCR\\CLSID\\$clsid\\TypeLib"
expect_value "1.0" "HKCR\\CLSID\\$clsid\\Version"
expect_value "$ocx" "HKCR\\TypeLib\\$libid\\1.0\\0\\win64"
expect_value "_HTTP" "HKCR\\Interface\\{1D8BA6EF-4C2E-4B17-8A5B-E26E396D9961}"
expect_value "__HTTP" "HKCR\\Interface\\{814A05A3-2A5C-402E-A96B-939238AEE801}"
timeout 60 "$run" reg query "HKCR\\CLSID\\$clsid\\Control" > /dev/null 2>&1 && ok "Control" ||
    fail "no Control key"

# Our own container, over http:// and https://.
for container_base in "$base" "https://localhost:$nginx_tls_port"; do
    if NETPULL_TEST_URL=$container_base NETPULL_TEST_SOURCE=$(windows_path "$work/root/source.bin") \
        NETPULL_TEST_OUTPUT=$(windows_path "$work/out/container.bin") \
        NETPULL_TEST_AUTHORITY=$(windows_path "$test_authority") \
        timeout 300 "$run" "$folder/netpull_container_test.exe" > "$work/container.log" 2>&1; then
        ok "container, ${container_base%%:*}://: $(grep -c '^\[       OK \]' "$work/container.log") tests passed"
    else
        cat "$work/container.log"
        fail "the container's tests failed over ${container_base%%:*}://"
    fi
done

# Wine's ATL container.
if timeout 120 "$run" "$folder/netpull_atl_host.exe" "$base/source.bin" \
    "$(windows_path "$work/out/atl.bin")" "$(windows_path "$work/out/atl.bmp")" > "$work/atl.log" 2>&1 &&
    [ "$(sha256sum < "$work/out/atl.bin")" = "$(sha256sum < "$work/root/source.bin")" ]; then
    ok "ATL container: $(head -1 "$work/atl.log"), $(tail -1 "$work/atl.log"), sha256 matches"
    python3 "$here/bitmap_to_png.py" "$work/out/atl.bmp" "$screenshot" && ok "screenshot: $screenshot" ||
        fail "the screenshot could not be written"
else
    cat "$work/atl.log"
    fail "the host in the ATL container did not download the file"
fi

# The same host through one redirect, and through a proxy that the environment names.
for route in redirect proxy; do
    url=$base/source.bin proxy=""
    [ "$route" = redirect ] && url=$base/hop
    [ "$route" = proxy ] && proxy=127.0.0.1:$proxy_port
    rm -f "$work/out/atl.bin"
    if http_proxy=$proxy timeout 120 "$run" "$folder/netpull_atl_host.exe" "$url" \
        "$(windows_path "$work/out/atl.bin")" "$(windows_path "$work/out/atl-$route.bmp")" \
        > "$work/atl.log" 2>&1 &&
        [ "$(sha256sum < "$work/out/atl.bin")" = "$(sha256sum < "$work/root/source.bin")" ]; then
        ok "ATL container through a $route: sha256 matches"
    else
        cat "$work/atl.log"
        fail "the host in the ATL container did not download through a $route"
    fi
done
grep -q "GET http://127.0.0.1:$nginx_port/source.bin" "$work/logs/proxy.log" ||
    fail "the ATL container's download did not go through the proxy"

# Wine's script host, with the helper that clicks OK in the script's message box once the file
# is saved.
timeout 120 "$run" "$folder/netpull_close_when_saved.exe" "Netpull download" \
    "$(windows_path "$work/out/script.bin")" 60 > /dev/null 2>&1 &
closer=$!
timeout 120 "$run" cscript //nologo "$(windows_path "$here/script_host_test.vbs")" "HTTP${base#http}/source.bin" \
    "$(windows_path "$work/out/script.bin")" > "$work/script.log" 2>&1 || true
wait "$closer" || true
if ! grep -qx "script ended" "$work/script.log"; then
    cat "$work/script.log"
    fail "the script did not end (the script host stops silently at a script error)"
elif ! grep -qx "URL before Download: error 91" "$work/script.log"; then
    fail "script: a property read before Download: $(head -1 "$work/script.log")"
elif ! grep -qx "Download: error 0" "$work/script.log"; then
    fail "script: $(grep '^Download:' "$work/script.log")"
elif ! grep -qx "URL: $base/source.bin" "$work/script.log"; then
    fail "script: the URL did not come back rewritten: $(grep '^URL:' "$work/script.log")"
elif ! grep -qx "DownloadedBytes: 3000000" "$work/script.log" ||
    [ "$(sha256sum < "$work/out/script.bin")" != "$(sha256sum < "$work/root/source.bin")" ]; then
    fail "script: the file was not downloaded whole: $(grep '^DownloadedBytes:' "$work/script.log")"
else
    ok "script host: error 91 before Download, rewritten URL, 3000000 bytes, sha256 matches"
fi

# regsvr32 /u takes back every entry, and only those.
timeout 60 "$run" regsvr32 /s /u "$ocx" || fail "regsvr32 /u failed"
for entry in "${entries[@]}"; do
    [ -z "$(value "$entry")" ] || fail "left after regsvr32 /u: $entry"
done
timeout 60 "$run" reg export HKCR "$(windows_path "$work/after.reg")" /y > /dev/null
if cmp -s "$work/before.reg" "$work/after.reg"; then
    ok "regsvr32 /u: HKEY_CLASSES_ROOT is as it was"
else
    fail "regsvr32 /u: HKEY_CLASSES_ROOT differs: $(diff <(iconv -f UTF-16 -t UTF-8 "$work/before.reg") \
        <(iconv -f UTF-16 -t UTF-8 "$work/after.reg") | head -20)"
fi
[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all hosts passed"
