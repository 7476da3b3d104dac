#!/usr/bin/env bash
# Builds the two Debian packages from a build folder and tries them as installed: unpacked
# into an empty folder, Tarvel's menu entry and software-centre file are validated and the
# unpacked program runs in an X session until its main window is up; the unpacked netpull-get
# and a Qt host built against the unpacked CMake package each download from a loopback nginx.
# Usage: check_packages.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "${1:?usage: check_packages.sh BUILD_FOLDER}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
chmod 755 "$work"
source "$here/../servers/loopback_servers.sh"
trap 'servers_stop; rm -rf "$work"' EXIT

fail() { echo "FAILED: $*"; exit 1; }

echo "== Packages"
(cd "$build" && cpack -G DEB -B "$work/packages" > "$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for package in tarvel netpull; do
    deb="$work/packages/${package}_${version}_amd64.deb"
    [ -f "$deb" ] || fail "no $deb"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "$package: $depends"
    case "$depends" in *libqt6widgets6*) ;; *) fail "$package does not depend on Qt's widgets" ;; esac
    mkdir -p "$work/$package"
    dpkg-deb -x "$deb" "$work/$package"
done
case "$(dpkg-deb -f "$work/packages/netpull_${version}_amd64.deb" Depends)" in
    *libc-ares2*) ;; *) fail "netpull does not depend on c-ares" ;;
esac
case "$(dpkg-deb -f "$work/packages/netpull_${version}_amd64.deb" Depends)" in
    *libssl3*) ;; *) fail "netpull does not depend on OpenSSL" ;;
esac

echo "== Tarvel as unpacked"
usr="$work/tarvel/usr"
desktop-file-validate "$usr/share/applications/tarvel.desktop"
appstreamcli validate --no-net "$usr/share/metainfo/fr.tarvel.Tarvel.metainfo.xml"
[ -f "$usr/lib/tarvel/Licenceds.rtf" ] || fail "the notice is not beside the program"
[ -f "$usr/share/icons/hicolor/scalable/apps/tarvel.svg" ] || fail "no icon"
# The main window appears after the start-up window's fixed waits, about a second.
mkdir -m 700 "$work/runtime"
XDG_RUNTIME_DIR=$work/runtime HOME=$work xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    QT_QPA_PLATFORM=xcb "$1" & program=$!
    for _ in $(seq 100); do
        if xwininfo -root -tree | grep -q "RECHERCHER - Tarvel et communes de France"; then
            kill $program; exit 0
        fi
        kill -0 $program 2> /dev/null || exit 1
        sleep 0.2
    done
    kill $program; exit 1' _ "$usr/bin/tarvel" || fail "the unpacked tarvel showed no main window"
echo "the unpacked tarvel showed its main window"

echo "== Netpull as unpacked"
usr="$work/netpull/usr"
[ -f "$usr/lib/netpull/Netpull.ocx" ] || fail "no Netpull.ocx"
mkdir -p "$work/root"
head -c 1048576 /dev/urandom > "$work/root/one.bin"
chmod -R a+rX "$work/root"
start_nginx "$work/root"
url="http://127.0.0.1:$nginx_port/one.bin"
"$usr/bin/netpull-get" "$url" "$work/got.bin" > "$work/get.log" || { cat "$work/get.log"; fail "netpull-get"; }
cmp -s "$work/root/one.bin" "$work/got.bin" || fail "netpull-get saved other bytes"
echo "the unpacked netpull-get downloaded 1 MiB"

cmake -S "$here/outside_host" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$usr" > "$work/host.log" ||
    { cat "$work/host.log"; fail "configuring a host against the package"; }
cmake --build "$work/host" > "$work/host.log" || { cat "$work/host.log"; fail "building the host"; }
QT_QPA_PLATFORM=offscreen "$work/host/outside_host" "$url" "$work/host.bin" || fail "the outside host"
cmp -s "$work/root/one.bin" "$work/host.bin" || fail "the outside host saved other bytes"
echo "a host built against the unpacked package downloaded 1 MiB"
