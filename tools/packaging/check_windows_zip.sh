#!/usr/bin/env bash
# Makes the ZIP of Netpull for Windows from the 64-bit build folder (configured with the 32-bit
# one as NETPULL_OTHER_WINDOWS_BUILD) and checks what it holds: Netpull.ocx and netpull-get.exe
# for each architecture, each a Windows program of its machine type, the control library with
# its four exports.
# Usage: check_windows_zip.sh BUILD_WIN64
set -euo pipefail
build=$(cd "${1:?usage: check_windows_zip.sh BUILD_WIN64}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack --config CPackConfig.cmake -B "$work" > "$work/cpack.log") ||
    { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
zip=$(ls "$work"/netpull-*-windows.zip)
python3 - "$zip" <<'PY'
import struct, sys, zipfile

archive = zipfile.ZipFile(sys.argv[1])
names = {name.split("/", 1)[1]: name for name in archive.namelist() if not name.endswith("/")}
expected = {"x64": 0x8664, "x86": 0x14C}
wanted = {f"{arch}/{program}" for arch in expected for program in ("Netpull.ocx", "netpull-get.exe")}
if set(names) != wanted:
    sys.exit(f"FAILED: the ZIP holds {sorted(names)}, expected {sorted(wanted)}")
for path, name in sorted(names.items()):
    data = archive.read(name)
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[header:header + 4] != b"PE\0\0":
        sys.exit(f"FAILED: {path} is not a Windows program")
    machine = struct.unpack_from("<H", data, header + 4)[0]
    if machine != expected[path.split("/")[0]]:
        sys.exit(f"FAILED: {path} is for machine {machine:#x}")
    if path.endswith(".ocx"):
        for export in (b"DllCanUnloadNow", b"DllGetClassObject", b"DllRegisterServer", b"DllUnregisterServer"):
            if export + b"\0" not in data:
                sys.exit(f"FAILED: {path} does not export {export.decode()}")
    print(f"ok   {path}: {len(data)} bytes, machine {machine:#x}")
PY
echo "ZIP: $(basename "$zip")"
