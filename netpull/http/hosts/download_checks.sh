# Sourced by the real-server tests: downloads with $getter into $out, logs in $work, and the
# count of failures. Each check prints one "ok" or "FAIL" line.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# get NAME URL EXPECTED_FILE: ends in Downloaded with the file's sha256.
get() {
    local name=$1 url=$2 expected=$3 saved=$out/$1
    if ! timeout 300 "$getter" "$url" "$saved" > "$work/$name.log" 2>&1; then
        fail "$name: netpull-get did not end with Downloaded: $(tail -1 "$work/$name.log")"
    elif [ "$(sha256sum < "$expected")" != "$(sha256sum < "$saved")" ]; then
        fail "$name: sha256 differs"
    else
        echo "ok   $name: $(stat -c %s "$saved") bytes, sha256 matches"
    fi
    rm -f "$saved"
}

# refused NAME URL "ERROR LINE START": ends in one Error whose line starts so, with the file
# already at the save path intact and nothing left beside it.
refused() {
    local name=$1 url=$2 expected=$3 saved=$out/$1 error
    echo "old content" > "$saved"
    if timeout 60 "$getter" "$url" "$saved" > "$work/$name.log" 2>&1; then
        fail "$name: reported as a success"
        rm -f "$saved"
        return
    fi
    error=$(grep '^Error ' "$work/$name.log" || true)
    if [ "$(grep -c '^Error ' "$work/$name.log")" != 1 ] || [[ "$error" != "$expected"* ]]; then
        fail "$name: expected '$expected', got: $error"
    elif [ "$(cat "$saved")" != "old content" ]; then
        fail "$name: the existing file was changed"
    elif [ "$(ls -A "$out")" != "$name" ]; then
        fail "$name: files left beside the save path: $(ls -A "$out")"
    else
        echo "ok   $name: $error, existing file intact"
    fi
    rm -f "$saved"
}

# Ends the test: 0 when every check passed.
report() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures failed"
        exit 1
    fi
    echo "$1"
}
