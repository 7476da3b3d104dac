"""Writes a 24-bit bottom-up bitmap file as a PNG file, with the standard library only.

Usage: bitmap_to_png.py INPUT.bmp OUTPUT.png
"""
import struct
import sys
import zlib


def main() -> None:
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        sys.exit("bitmap_to_png.py: only 24-bit bitmaps")
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        row = data[offset + source * row_size:offset + source * row_size + width * 3]
        rows.append(b"\0" + bytes(c for x in range(width) for c in row[3 * x:3 * x + 3][::-1]))

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(sys.argv[2], "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
