#!/usr/bin/env bash
# Builds every fuzz target with clang's libFuzzer and runs each for the given number of
# seconds from its seed corpus. What a run finds stays in build-fuzz/, not in the seeds.
# Usage: tools/fuzz.sh SECONDS
set -euo pipefail
seconds=${1:?usage: tools/fuzz.sh SECONDS}
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"

CXX=clang++-14 CC=clang-14 cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPROJECT_FUZZ=ON -DBUILD_TESTING=OFF > /dev/null
mapfile -t targets < "$build/fuzz_targets.txt"
names=()
for line in "${targets[@]}"; do names+=("${line%% *}"); done
cmake --build "$build" -j "$(nproc)" --target "${names[@]}"

status=0
for line in "${targets[@]}"; do
    read -r name program seeds <<< "$line"
    work="$build/corpus/$name"
    mkdir -p "$work" "$build/findings/$name"
    echo "== $name: $seconds s from $(find "$seeds" -type f | wc -l) seeds"
    if ! "$program" "$work" "$seeds" -max_total_time="$seconds" -print_final_stats=1 \
            -artifact_prefix="$build/findings/$name/" > "$build/$name.log" 2>&1; then
        status=1
        echo "FAILED: $name, input in $build/findings/$name/"
    fi
    grep -E '^#[0-9]+.*DONE' "$build/$name.log" || tail -n 5 "$build/$name.log"
done
exit $status
