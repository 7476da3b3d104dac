#!/usr/bin/env bash
# Builds the lookup program and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j "$(nproc)" --target tarvel
exec "$top/build/lookup/ui/tarvel"
