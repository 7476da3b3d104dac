"""Packs the control library's resources into the blob that the library carries in a section
of its own: the type library, the two interface GUIDs, the toolbox bitmap and the version block.

Usage: make_resources.py TYPELIB OUTPUT MAJOR MINOR
       make_resources.py --files TYPELIB FOLDER MAJOR MINOR

The interface GUIDs are read from the type library, the version is the project's. With --files,
the pieces a Windows resource script compiles are written to FOLDER instead: iid_http.bin,
srciid_http.bin, toolbox.bmp (a bitmap file) and version.bin (the version resource).

Blob: "NPRS", a 32-bit count, then per resource its type name (16-bit length and ASCII),
32-bit id, 16-bit language, 32-bit offset and 32-bit size; the data follow, 4-byte aligned.
"""
import os
import struct
import sys
import uuid

from typelib import TypeLib

FRENCH = 0x040C
NEUTRAL = 0


def interface_resource(guid: uuid.UUID) -> bytes:
    return struct.pack("<I", 16) + guid.bytes_le


def toolbox_bitmap() -> bytes:
    """16 x 15, 24 bits, bottom-up: a grey network box with a green light, wired to a line below,
    on white."""
    white, grey, dark, green, wire = (255, 255, 255), (160, 160, 160), (64, 64, 64), (0, 200, 0), (0, 0, 0)
    rows = []  # top to bottom
    for y in range(15):
        row = []
        for x in range(16):
            colour = white
            if 2 <= y <= 8 and 2 <= x <= 13:
                colour = dark if y in (2, 8) or x in (2, 13) else grey
                if y in (4, 5) and x in (10, 11):
                    colour = green
            elif 9 <= y <= 11 and x == 7:
                colour = wire
            elif y == 12 and 1 <= x <= 14:
                colour = wire
            row.append(colour)
        rows.append(row)
    header = struct.pack("<IiiHHIIiiII", 40, 16, 15, 1, 24, 0, 720, 2835, 2835, 0, 0)
    pixels = b"".join(bytes(c for r, g, b in row for c in (b, g, r)) for row in reversed(rows))
    assert len(pixels) == 720
    return header + pixels


def utf16z(text: str) -> bytes:
    return text.encode("utf-16-le") + b"\0\0"


def pad4(data: bytes) -> bytes:
    return data + b"\0" * (-len(data) % 4)


def version_node(key: str, value: bytes = b"", children: bytes = b"", text: bool = False) -> bytes:
    """One node of the version-resource tree: length, value length, type, key, value, children."""
    head = pad4(struct.pack("<HHH", 0, 0, 0) + utf16z(key))
    body = pad4(value) + children
    value_length = len(value) // 2 if text else len(value)
    node = struct.pack("<HHH", len(head) + len(body), value_length, 1 if text else 0) + head[6:] + body
    return pad4(node)


def version_block(major: int, minor: int) -> bytes:
    """Version 1.0 is written 1.00, as the start-up window of the lookup program shows its own."""
    number = (major << 16) | minor
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000, number, 0, number, 0, 0x3F, 0, 0x00040004,
                        2, 0, 0, 0)
    text = f"{major}.{minor:02d}"
    strings = [("CompanyName", "Tarvel et Netpull"), ("FileVersion", text), ("InternalName", "Netpull"),
               ("OLESelfRegister", ""), ("OriginalFilename", "Netpull.ocx"), ("ProductName", "Netpull"),
               ("ProductVersion", text)]
    table = b"".join(version_node(k, utf16z(v), text=True) for k, v in strings)
    string_info = version_node("StringFileInfo", children=version_node("040C04B0", children=table), text=True)
    var_info = version_node("VarFileInfo", children=version_node("Translation", struct.pack("<HH", FRENCH, 1200)),
                            text=True)
    return version_node("VS_VERSION_INFO", fixed, string_info + var_info)


def pack(resources: list) -> bytes:
    index = b"".join(struct.pack("<H", len(t)) + t.encode("ascii") + struct.pack("<IHII", i, lang, 0, 0)
                     for t, i, lang, _ in resources)
    at = len(pad4(b"NPRS" + struct.pack("<I", len(resources)) + index))
    entries, data = b"", b""
    for type_name, ident, language, payload in resources:
        entries += struct.pack("<H", len(type_name)) + type_name.encode("ascii")
        entries += struct.pack("<IHII", ident, language, at + len(data), len(payload))
        data += pad4(payload)
    return pad4(b"NPRS" + struct.pack("<I", len(resources)) + entries) + data


def interface_guid(typelib: TypeLib, name: str) -> uuid.UUID:
    for info in typelib.typeinfos():
        if info["name"] == name:
            return info["guid"]
    sys.exit(f"make_resources.py: the type library has no {name}")


def resources(typelib: bytes, major: int, minor: int) -> list:
    library = TypeLib(typelib)
    return [("TYPELIB", 1, NEUTRAL, typelib),
            ("_IID_HTTP", 1, NEUTRAL, interface_resource(interface_guid(library, "_HTTP"))),
            ("_SRCIID_HTTP", 1, NEUTRAL, interface_resource(interface_guid(library, "__HTTP"))),
            ("BITMAP", 30000, NEUTRAL, toolbox_bitmap()),
            ("VERSION", 1, FRENCH, version_block(major, minor))]


def bitmap_file(dib: bytes) -> bytes:
    """A device-independent bitmap with the file header a resource compiler reads."""
    return struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, 14 + 40) + dib


def write_files(pieces: list, folder: str) -> None:
    names = {"_IID_HTTP": "iid_http.bin", "_SRCIID_HTTP": "srciid_http.bin", "VERSION": "version.bin"}
    for type_name, _, _, payload in pieces:
        if type_name == "BITMAP":
            with open(os.path.join(folder, "toolbox.bmp"), "wb") as f:
                f.write(bitmap_file(payload))
        elif type_name in names:
            with open(os.path.join(folder, names[type_name]), "wb") as f:
                f.write(payload)


def main() -> None:
    arguments = sys.argv[1:]
    files = arguments[:1] == ["--files"]
    if files:
        arguments = arguments[1:]
    if len(arguments) != 4:
        sys.exit("usage: make_resources.py [--files] TYPELIB OUTPUT MAJOR MINOR")
    with open(arguments[0], "rb") as f:
        pieces = resources(f.read(), int(arguments[2]), int(arguments[3]))
    if files:
        os.makedirs(arguments[1], exist_ok=True)
        write_files(pieces, arguments[1])
        return
    with open(arguments[1], "wb") as f:
        f.write(pack(pieces))


if __name__ == "__main__":
    main()
