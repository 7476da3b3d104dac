"""Reads the fields of a type library in the MSFT format that widl writes, and fixes the two
attributes widl cannot express for a dispinterface (its version and the non-extensible flag).

Usage: typelib.py fix INPUT OUTPUT
"""
import struct
import sys
import uuid

HEADER = struct.Struct("<4s20i")  # magic, then the header's 20 numbers
TYPEINFO_SIZE = 100
TKIND = {0: "enum", 1: "record", 2: "module", 3: "interface", 4: "dispatch", 5: "coclass", 6: "alias", 7: "union"}
TYPEFLAG_FNONEXTENSIBLE = 0x80
HEADER_FIELDS = ["magic2", "posguid", "lcid", "lcid2", "varflags", "version", "flags", "nrtypeinfos", "helpstring",
                 "helpstringcontext", "helpcontext", "nametablecount", "nametablechars", "NameOffset", "helpfile",
                 "CustomDataOffset", "res44", "res48", "dispatchpos", "nimpinfos"]
TYPEINFO_FIELDS = ["typekind", "memoffset", "res2", "res3", "res4", "res5", "cElement", "res7", "res8", "res9",
                   "resA", "posguid", "flags", "NameOffset", "version", "docstringoffs", "helpstringcontext",
                   "helpcontext", "oCustData"]
SEGMENTS = ["typeinfo", "impinfo", "importfiles", "reftab", "guidhash", "guid", "namehash", "name", "string",
            "typdesc", "arraydesc", "custdata", "cdguids", "res0e", "res0f"]


class TypeLib:
    def __init__(self, data: bytes):
        self.data = bytearray(data)
        magic, *numbers = HEADER.unpack_from(self.data, 0)
        if magic != b"MSFT":
            raise ValueError("not an MSFT type library")
        self.header = dict(zip(HEADER_FIELDS, numbers))
        at = HEADER.size + (4 if self.header["varflags"] & 0x100 else 0)
        count = self.header["nrtypeinfos"]
        at += 4 * count
        self.segments = {}
        for name in SEGMENTS:
            offset, length, _, _ = struct.unpack_from("<4i", self.data, at)
            self.segments[name] = (offset, length)
            at += 16

    def guid(self, offset: int) -> uuid.UUID:
        base = self.segments["guid"][0]
        return uuid.UUID(bytes_le=bytes(self.data[base + offset:base + offset + 16]))

    def name(self, offset: int) -> str:
        base = self.segments["name"][0] + offset
        length = struct.unpack_from("<i", self.data, base + 8)[0] & 0xFF
        return self.data[base + 12:base + 12 + length].decode("latin-1")

    def string(self, offset: int) -> str:
        if offset < 0:
            return ""
        base = self.segments["string"][0] + offset
        length = struct.unpack_from("<h", self.data, base)[0]
        return self.data[base + 2:base + 2 + length].decode("latin-1")

    def typeinfo_offset(self, index: int) -> int:
        return self.segments["typeinfo"][0] + index * TYPEINFO_SIZE

    def typeinfo(self, index: int) -> dict:
        at = self.typeinfo_offset(index)
        info = dict(zip(TYPEINFO_FIELDS, struct.unpack_from("<19i", self.data, at)))
        info["cImplTypes"], info["cbSizeVft"] = struct.unpack_from("<hh", self.data, at + 76)
        info["kind"] = TKIND.get(info["typekind"] & 0xF, "?")
        info["name"] = self.name(info["NameOffset"])
        info["guid"] = self.guid(info["posguid"]) if info["posguid"] >= 0 else None
        info["major"], info["minor"] = info["version"] & 0xFFFF, (info["version"] >> 16) & 0xFFFF
        return info

    def typeinfos(self) -> list:
        return [self.typeinfo(i) for i in range(self.header["nrtypeinfos"])]

    def members(self, index: int) -> list:
        """(dispatch id, name, parameter count, invoke kind) of each function of a typeinfo."""
        info = self.typeinfo(index)
        functions = info["cElement"] & 0xFFFF
        if functions == 0:
            return []
        at = info["memoffset"]
        records = struct.unpack_from("<i", self.data, at)[0]
        walk, kinds, counts = at + 4, [], []
        for _ in range(functions):
            size = struct.unpack_from("<i", self.data, walk)[0] & 0xFFFF
            fkccic = struct.unpack_from("<i", self.data, walk + 16)[0]
            counts.append(struct.unpack_from("<h", self.data, walk + 20)[0])
            kinds.append((fkccic >> 3) & 0xF)
            walk += size
        ids = struct.unpack_from(f"<{functions}i", self.data, at + 4 + records)
        names = struct.unpack_from(f"<{functions}i", self.data, at + 4 + records + 4 * functions)
        return [(ids[i] & 0xFFFFFFFF, self.name(names[i]), counts[i], kinds[i]) for i in range(functions)]

    def set_typeinfo_field(self, index: int, field: str, value: int) -> None:
        struct.pack_into("<i", self.data, self.typeinfo_offset(index) + 4 * TYPEINFO_FIELDS.index(field), value)

    def import_files(self) -> list:
        offset, length = self.segments["importfiles"]
        names, at = [], offset
        while at < offset + length:
            size = struct.unpack_from("<h", self.data, at + 12)[0] >> 2
            names.append(self.data[at + 14:at + 14 + size].decode("latin-1"))
            at += (14 + size + 3) & ~3
        return names


def fix(data: bytes) -> bytes:
    """Gives every dispinterface version 1.0 and the non-extensible flag."""
    lib = TypeLib(data)
    for index, info in enumerate(lib.typeinfos()):
        if info["kind"] == "dispatch":
            lib.set_typeinfo_field(index, "version", 1)
            lib.set_typeinfo_field(index, "flags", info["flags"] | TYPEFLAG_FNONEXTENSIBLE)
    return bytes(lib.data)


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] != "fix":
        sys.exit("usage: typelib.py fix INPUT OUTPUT")
    with open(sys.argv[2], "rb") as source:
        fixed = fix(source.read())
    with open(sys.argv[3], "wb") as target:
        target.write(fixed)
