"""Reads the control library's compiled type library back field by field, and checks the
resource blob's index."""
import os
import re
import struct
import unittest
import uuid

import make_resources
import typelib

IDL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "netpull", "http", "component",
                   "idl", "netpull.idl")
TLB = os.environ.get("NETPULL_TLB", "Netpull.tlb")
BLOB = os.environ.get("NETPULL_RESOURCES", "resources.bin")
DISPATCHABLE, DUAL, HIDDEN, NONEXTENSIBLE, OLEAUTOMATION, CONTROL, CANCREATE = 0x1000, 0x40, 0x10, 0x80, 0x100, 0x20, 0x2


class CompiledTypeLibrary(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(TLB, "rb") as f:
            cls.lib = typelib.TypeLib(f.read())

    def test_library_attributes(self):
        header = self.lib.header
        self.assertEqual(self.lib.name(header["NameOffset"]), "Netpull")
        self.assertEqual(self.lib.string(header["helpstring"]), "Netpull")
        self.assertEqual(self.lib.guid(header["posguid"]), uuid.UUID("43FE1C03-96DB-459C-9779-E8264BF182D5"))
        self.assertEqual(header["version"], 1)  # 1.0
        self.assertEqual(header["lcid"], 0)
        self.assertEqual(header["varflags"] & 0xF, 1)  # 32-bit Windows
        self.assertEqual(header["flags"], 2)  # control
        self.assertEqual(self.lib.import_files(), ["stdole2.tlb"])

    def test_three_type_descriptions_in_order(self):
        infos = self.lib.typeinfos()
        self.assertEqual([(i["name"], i["kind"]) for i in infos],
                         [("_HTTP", "dispatch"), ("__HTTP", "dispatch"), ("HTTP", "coclass")])
        guids = [i["guid"] for i in infos]
        self.assertEqual(guids, [uuid.UUID("1D8BA6EF-4C2E-4B17-8A5B-E26E396D9961"),
                                 uuid.UUID("814A05A3-2A5C-402E-A96B-939238AEE801"),
                                 uuid.UUID("DAD1CBF0-2D28-4208-8F4F-621BA375EB15")])
        self.assertEqual([(i["major"], i["minor"]) for i in infos], [(1, 0)] * 3)
        self.assertEqual(infos[0]["flags"], DISPATCHABLE | OLEAUTOMATION | NONEXTENSIBLE | DUAL | HIDDEN)
        self.assertEqual(infos[1]["flags"], DISPATCHABLE | NONEXTENSIBLE | HIDDEN)
        self.assertEqual(infos[2]["flags"], CONTROL)
        self.assertFalse(infos[2]["flags"] & CANCREATE)
        self.assertEqual(infos[2]["cImplTypes"], 2)
        # The six members right after IDispatch's seven slots, on a 32-bit target.
        self.assertEqual(infos[0]["cbSizeVft"], (7 + 6) * 4)

    def test_members_and_dispatch_ids(self):
        get, method = 2, 1
        self.assertEqual(self.lib.members(0), [
            (0x68030004, "URL", 1, get), (0x68030003, "SaveAs", 1, get), (0x68030002, "BytesPerSecond", 1, get),
            (0x68030001, "TotalBytes", 1, get), (0x68030000, "DownloadedBytes", 1, get),
            (0x60030005, "Download", 2, method)])
        self.assertEqual(self.lib.members(1), [(1, "FoundServer", 0, method), (2, "Progress", 2, method),
                                               (3, "Downloaded", 0, method), (4, "Error", 2, method)])

    def test_fix_is_idempotent(self):
        self.assertEqual(typelib.fix(bytes(self.lib.data)), bytes(self.lib.data))


class ResourceBlob(unittest.TestCase):
    def test_index_names_every_resource(self):
        with open(BLOB, "rb") as f:
            blob = f.read()
        self.assertEqual(blob[:4], b"NPRS")
        count, at, found = struct.unpack_from("<I", blob, 4)[0], 8, []
        for _ in range(count):
            length = struct.unpack_from("<H", blob, at)[0]
            name = blob[at + 2:at + 2 + length].decode()
            ident, language, offset, size = struct.unpack_from("<IHII", blob, at + 2 + length)
            found.append((name, ident, language, size))
            at += 2 + length + 14
        self.assertEqual([f[:3] for f in found], [("TYPELIB", 1, 0), ("_IID_HTTP", 1, 0), ("_SRCIID_HTTP", 1, 0),
                                                  ("BITMAP", 30000, 0), ("VERSION", 1, 0x040C)])
        self.assertEqual(found[1][3], 20)
        self.assertEqual(found[3][3], 760)

    def test_interface_resources_carry_the_guids_of_the_idl(self):
        with open(IDL, encoding="ascii") as f:
            idl = f.read()
        declared = {name: uuid.UUID(guid) for guid, name in
                    re.findall(r"uuid\(([0-9A-Fa-f-]{36})\)[^\]]*\]\s*(?:dispinterface|interface)\s+(\w+)", idl)}
        with open(BLOB, "rb") as f:
            blob = f.read()
        for resource, interface in (("_IID_HTTP", "_HTTP"), ("_SRCIID_HTTP", "__HTTP")):
            at = blob.index(struct.pack("<H", len(resource)) + resource.encode())
            offset, size = struct.unpack_from("<II", blob, at + 2 + len(resource) + 6)
            self.assertEqual(size, 20)
            self.assertEqual(uuid.UUID(bytes_le=blob[offset + 4:offset + 20]), declared[interface])

    def test_version_block_shows_the_version_given(self):
        block = make_resources.version_block(2, 5)
        self.assertIn("2.05".encode("utf-16-le"), block)
        self.assertEqual(struct.unpack_from("<I", block, block.index(struct.pack("<I", 0xFEEF04BD)) + 8)[0],
                         (2 << 16) | 5)

    def test_bitmap_shows_a_green_light_on_white(self):
        bitmap = make_resources.toolbox_bitmap()
        pixels = bitmap[40:]
        top_left = pixels[14 * 48:14 * 48 + 3]  # bottom-up: the last row is the top one
        self.assertEqual(top_left, b"\xff\xff\xff")
        self.assertIn(bytes((0, 200, 0)), pixels)


if __name__ == "__main__":
    unittest.main()
