"""The Windows version record and program icon: the configured resource script compiled with MinGW's windres,
then the compiled resources read back the way Windows reads them.

Environment:
    TALVEX_RC       the configured resource script (build folder)
    TALVEX_ICO      the icon file it names
    TALVEX_WINDRES  the resource compiler (x86_64-w64-mingw32-windres)
"""

from __future__ import annotations

import os
import struct
import subprocess
import tempfile
import unittest
from dataclasses import dataclass, field
from pathlib import Path

RT_ICON = 3
RT_VERSION = 16
RT_GROUP_ICON = 14
LANG_ZH_CN = 0x0804
CODE_PAGE_UNICODE = 1200


def align4(offset: int) -> int:
    return (offset + 3) & ~3


def read_id(data: bytes, offset: int) -> tuple[int | str, int]:
    """A resource type or name: 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string."""
    (first,) = struct.unpack_from("<H", data, offset)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    end = offset
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


@dataclass
class Resource:
    type: int | str
    name: int | str
    language: int
    data: bytes


def read_res(data: bytes) -> list[Resource]:
    """The entries of a .res file; the leading empty entry that marks the format is left out."""
    resources = []
    offset = 0
    while offset < len(data):
        data_size, header_size = struct.unpack_from("<II", data, offset)
        rtype, after = read_id(data, offset + 8)
        name, after = read_id(data, after)
        after = align4(after)
        _data_version, _flags, language = struct.unpack_from("<IHH", data, after)
        body = data[offset + header_size:offset + header_size + data_size]
        if not (rtype == 0 and data_size == 0):
            resources.append(Resource(rtype, name, language, body))
        offset = align4(offset + header_size + data_size)
    return resources


@dataclass
class Node:
    """One block of a version record: a key, its value and the blocks inside it."""
    key: str
    is_text: bool
    value: bytes
    children: list["Node"] = field(default_factory=list)

    def child(self, key: str) -> "Node":
        matches = [c for c in self.children if c.key == key]
        if len(matches) != 1:
            raise AssertionError(f"{len(matches)} blocks {key!r} in {self.key!r}: {[c.key for c in self.children]}")
        return matches[0]

    def text(self) -> str:
        return self.value.decode("utf-16-le").rstrip("\0")


def read_node(data: bytes, offset: int) -> tuple[Node, int]:
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while struct.unpack_from("<H", data, key_end)[0] != 0:
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    position = align4(key_end + 2)
    # A text value's length counts UTF-16 units, a binary one's bytes.
    value_bytes = value_length * 2 if value_type == 1 else value_length
    node = Node(key, value_type == 1, data[position:position + value_bytes])
    position = align4(position + value_bytes)
    while position < end:
        child, position = read_node(data, position)
        node.children.append(child)
        position = align4(position)
    return node, end


def read_ico(data: bytes) -> list[tuple[int, int, bytes]]:
    """(width, height, image data) of each picture in an .ico file."""
    _reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert kind == 1, "not an icon file"
    pictures = []
    for i in range(count):
        width, height, _colours, _reserved, _planes, _bits, size, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        pictures.append((width or 256, height or 256, data[offset:offset + size]))
    return pictures


class WindowsResourcesTest(unittest.TestCase):
    resources: list[Resource]

    @classmethod
    def setUpClass(cls) -> None:
        windres = os.environ.get("TALVEX_WINDRES") or "x86_64-w64-mingw32-windres"
        rc = os.environ["TALVEX_RC"]
        with tempfile.TemporaryDirectory(prefix="talvex-rc-") as tmp:
            out = Path(tmp) / "talvex.res"
            # The host's C preprocessor: the script needs no Windows headers.
            result = subprocess.run([windres, "--preprocessor=cpp", "-i", rc, "-O", "res", "-o", str(out)],
                                    capture_output=True, text=True, timeout=60)
            if result.returncode != 0:
                raise AssertionError(f"windres failed ({result.returncode}): {result.stderr}")
            cls.resources = read_res(out.read_bytes())

    def of_type(self, rtype: int) -> list[Resource]:
        return [r for r in self.resources if r.type == rtype]

    def test_every_resource_is_chinese_prc(self) -> None:
        self.assertTrue(self.resources)
        self.assertEqual({hex(r.language) for r in self.resources}, {hex(LANG_ZH_CN)})

    def test_version_record(self) -> None:
        (record,) = self.of_type(RT_VERSION)
        self.assertEqual(record.name, 1)
        root, _ = read_node(record.data, 0)
        self.assertEqual(root.key, "VS_VERSION_INFO")

        (signature, _struct_version, file_ms, file_ls, product_ms, product_ls, _flags_mask, flags, os_,
         file_type, _subtype, _date_ms, _date_ls) = struct.unpack("<13I", root.value)
        self.assertEqual(signature, 0xFEEF04BD)
        self.assertEqual((file_ms >> 16, file_ms & 0xFFFF, file_ls), (2022, 601, 0))
        self.assertEqual((product_ms >> 16, product_ms & 0xFFFF, product_ls), (2022, 601, 0))
        self.assertEqual(flags, 0, "neither a debug nor a pre-release build")
        self.assertEqual(os_, 0x40004, "VOS_NT_WINDOWS32")
        self.assertEqual(file_type, 1, "VFT_APP")

        table = root.child("StringFileInfo").child(f"{LANG_ZH_CN:04x}{CODE_PAGE_UNICODE:04x}")
        strings = {c.key: c.text() for c in table.children}
        for key, value in {"FileVersion": "2022.601", "ProductVersion": "2022.601",
                           "ProductName": "Talvex", "OriginalFilename": "talvex.exe"}.items():
            self.assertEqual(strings.get(key), value, key)

        translation = root.child("VarFileInfo").child("Translation")
        self.assertFalse(translation.is_text)
        self.assertEqual(struct.unpack("<HH", translation.value), (LANG_ZH_CN, CODE_PAGE_UNICODE))

    def test_program_icon_is_the_panel_icon(self) -> None:
        ico = read_ico(Path(os.environ["TALVEX_ICO"]).read_bytes())
        (group,) = self.of_type(RT_GROUP_ICON)
        _reserved, kind, count = struct.unpack_from("<HHH", group.data, 0)
        self.assertEqual((kind, count), (1, len(ico)))
        icons = {r.name: r.data for r in self.of_type(RT_ICON)}
        for i, (width, height, picture) in enumerate(ico):
            w, h, _c, _r, _planes, _bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group.data, 6 + 14 * i)
            self.assertEqual((w or 256, h or 256, size), (width, height, len(picture)))
            self.assertEqual(icons[icon_id], picture, f"icon picture {i} differs from the .ico file")
        self.assertIn((48, 48), [(w, h) for w, h, _ in ico])


if __name__ == "__main__":
    unittest.main()
