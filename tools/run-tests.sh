#!/usr/bin/env bash
# Builds everything twice, once with warnings as errors and once with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test of both builds (the module boundaries among them),
# builds Netpull for Windows and runs its tests under Wine, runs each fuzz target for a short
# while, and tries the Debian packages of the plain build and the ZIP of the Windows builds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/install-deps.sh"

echo "== Format"
"$top/tools/check-format.sh"

jobs=$(nproc)
build() {  # build FOLDER CMAKE_OPTIONS...
    local folder=$1; shift
    cmake -S "$top" -B "$top/$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$top/$folder" -j "$jobs"
}
build build-sanitize -DPROJECT_WERROR=ON -DPROJECT_SANITIZE=ON
build build -DPROJECT_WERROR=ON
echo "== Windows builds (64-bit tested under Wine, 32-bit compiled and linked)"
build build-win64 -DPROJECT_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/x86_64-w64-mingw32.cmake" \
    -DNETPULL_OTHER_WINDOWS_BUILD="$top/build-win32"
build build-win32 -DPROJECT_WERROR=ON -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchains/i686-w64-mingw32.cmake"

export QT_QPA_PLATFORM=offscreen
# The tests choose their proxies themselves: a proxy of the machine's would take their loopback
# downloads (nothing is bypassed by default, as with curl).
unset http_proxy https_proxy HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
status=0
echo "== Tests with AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$top/tools/lsan-suppressions.txt ctest --test-dir "$top/build-sanitize" -j "$jobs" --output-on-failure || status=1
echo "== Tests"
ctest --test-dir "$top/build" -j "$jobs" --output-on-failure || status=1
echo "== Tests of the Windows build under Wine"
ctest --test-dir "$top/build-win64" -j "$jobs" --output-on-failure || status=1
"$top/build-win64/wine-run.sh" --stop
echo "== Fuzz targets, ${FUZZ_SECONDS:-20} s each from their seeds"
"$top/tools/fuzz.sh" "${FUZZ_SECONDS:-20}" || status=1
echo "== Debian packages, unpacked and tried"
"$top/tools/packaging/check_packages.sh" "$top/build" || status=1
echo "== The ZIP of Netpull for Windows"
"$top/tools/packaging/check_windows_zip.sh" "$top/build-win64" || status=1
exit $status
