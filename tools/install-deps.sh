#!/usr/bin/env bash
# Installs, with apt-get, the Debian 12 packages that the build, the tests and the programs
# need, skipping those already present. Safe to run again.
set -euo pipefail

packages=(
    build-essential cmake ninja-build python3 clang-format-14 clang-14 libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-svg-dev libgl-dev libc-ares-dev libssl-dev openssl mingw-w64-tools curl time
    nginx-light apache2 lighttpd tinyproxy-bin qt6-translations-l10n xvfb xauth openbox x11-utils
    xdotool x11-xkb-utils at-spi2-core python3-pyatspi dbus-daemon
    dpkg-dev desktop-file-utils appstream
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 googletest
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
