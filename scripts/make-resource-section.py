#!/usr/bin/env python3
"""Writes the bytes of a module's resource section (.quendel.rsrc) from files.

    make-resource-section.py --output OUT --version 3.5.0.301 [--product-version 3.5.0.301]
        [--file-type app|dll] [--language 0x0409] [--codepage 1252]
        [--string Name=Value ...] [--icon NAME=file.ico ...] [--bitmap NAME=file.bmp ...]
        [--cursor NAME=file.cur ...]

The layout is the one platform/resources/resource_section.h and version_block.h read.
A resource name is "#123" or a number for an integer id, else 1 to 255 printable ASCII
characters, stored upper-cased (lookups ignore letter case). Values are UTF-8.
"""

import argparse
import struct
import sys

RT_BITMAP, RT_GROUP_CURSOR, RT_GROUP_ICON, RT_VERSION = 2, 12, 14, 16
FIXED_SIGNATURE = 0xFEEF04BD
FIXED_STRUC_VERSION = 0x00010000
VS_FFI_FILEFLAGSMASK = 0x3F
VOS_NT_WINDOWS32 = 0x00040004
VFT_APP, VFT_DLL = 1, 2
VERSION_ID = 1


def fail(message):
    sys.exit("make-resource-section: " + message)


def numeric_version(text):
    parts = text.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isdigit() and int(p) <= 0xFFFF for p in parts):
        fail(f"bad version {text!r}: up to four numbers 0..65535 joined by points")
    parts = [int(p) for p in parts] + [0] * (4 - len(parts))
    return (parts[0] << 16 | parts[1], parts[2] << 16 | parts[3])


def resource_name(text):
    """(id, name) for a name argument."""
    digits = text[1:] if text.startswith("#") else text
    if digits.isdigit():
        number = int(digits)
        if not 1 <= number <= 0xFFFF:
            fail(f"resource id {text!r} outside 1..65535")
        return number, b""
    if not 1 <= len(text) <= 255 or not all(" " <= c < "\x7f" for c in text):
        fail(f"resource name {text!r}: 1 to 255 printable ASCII characters")
    return 0, text.upper().encode("ascii")


def check_picture(kind, path, data):
    if kind == RT_BITMAP and data[:2] != b"BM":
        fail(f"{path}: not a BMP file")
    if kind in (RT_GROUP_ICON, RT_GROUP_CURSOR):
        wanted = 1 if kind == RT_GROUP_ICON else 2
        if len(data) < 6 or struct.unpack_from("<HH", data) != (0, wanted):
            fail(f"{path}: not an {'ICO' if wanted == 1 else 'CUR'} file")


def version_block(args):
    file_ms, file_ls = numeric_version(args.version)
    product_ms, product_ls = numeric_version(args.product_version or args.version)
    file_type = VFT_DLL if args.file_type == "dll" else VFT_APP
    fixed = struct.pack("<13I", FIXED_SIGNATURE, FIXED_STRUC_VERSION, file_ms, file_ls, product_ms, product_ls,
                        VS_FFI_FILEFLAGSMASK, 0, VOS_NT_WINDOWS32, file_type, 0, 0, 0)
    language, codepage = int(args.language, 0), int(args.codepage, 0)
    body = fixed + struct.pack("<IHH", 1, language, codepage)
    strings = []
    for item in args.string:
        name, sep, value = item.partition("=")
        if not sep or not name or not name.isascii():
            fail(f"bad string {item!r}: Name=Value with an ASCII name")
        strings.append((name.encode("ascii"), value.encode("utf-8")))
    body += struct.pack("<I", 1) + f"{language:04X}{codepage:04X}".encode("ascii") + struct.pack("<I", len(strings))
    for name, value in strings:
        body += struct.pack("<H", len(name)) + name + struct.pack("<I", len(value)) + value + b"\0"
    total = 16 + len(body)
    return b"QVER" + struct.pack("<III", 1, total, 0) + body


def section(entries):
    header_size = 16 + 24 * len(entries)
    table, blobs = b"", b""
    for kind, (number, name), data in entries:
        name_offset = header_size + len(blobs) if name else 0
        blobs += name
        while len(blobs) % 8:
            blobs += b"\0"
        data_offset = header_size + len(blobs)
        blobs += data
        while len(blobs) % 8:
            blobs += b"\0"
        table += struct.pack("<6I", kind, number, name_offset, len(name), data_offset, len(data))
    return b"QRSC" + struct.pack("<III", 1, len(entries), 0) + table + blobs


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--output", required=True)
    p.add_argument("--version", required=True)
    p.add_argument("--product-version")
    p.add_argument("--file-type", choices=["app", "dll"], default="app")
    p.add_argument("--language", default="0x0409")
    p.add_argument("--codepage", default="1252")
    p.add_argument("--string", action="append", default=[])
    for kind in ("icon", "bitmap", "cursor"):
        p.add_argument("--" + kind, action="append", default=[])
    args = p.parse_args()

    entries = [(RT_VERSION, (VERSION_ID, b""), version_block(args))]
    seen = set()
    for kind, items in ((RT_GROUP_ICON, args.icon), (RT_BITMAP, args.bitmap), (RT_GROUP_CURSOR, args.cursor)):
        for item in items:
            name, sep, path = item.partition("=")
            if not sep:
                fail(f"bad resource {item!r}: NAME=file")
            key = (kind, resource_name(name))
            if key in seen:
                fail(f"resource {name!r} given twice")
            seen.add(key)
            with open(path, "rb") as f:
                data = f.read()
            check_picture(kind, path, data)
            entries.append((kind, key[1], data))
    with open(args.output, "wb") as f:
        f.write(section(entries))


if __name__ == "__main__":
    main()
