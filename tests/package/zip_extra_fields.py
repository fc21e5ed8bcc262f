#!/usr/bin/env python3
"""Fails on a zip entry whose extra fields, in its local header or the central directory, record
a user or group id (Info-ZIP's Unix fields ux, Ux and UX, PKWARE's Unix field): a package that
carries the builder's ids differs between builders.   usage: zip_extra_fields.py ZIP"""
import struct
import sys
import zipfile

OWNER_FIELDS = {0x7875, 0x7855, 0x5855, 0x000D}


def owner_fields(extra):
    """The ids of extra's fields that record an owner."""
    found, at = [], 0
    while at + 4 <= len(extra):
        field, size = struct.unpack_from("<HH", extra, at)
        found += [field] if field in OWNER_FIELDS else []
        at += 4 + size
    return found


def problems(path):
    said = []
    with open(path, "rb") as raw, zipfile.ZipFile(path) as packed:
        for entry in packed.infolist():
            raw.seek(entry.header_offset + 26)
            name_length, extra_length = struct.unpack("<HH", raw.read(4))
            raw.seek(name_length, 1)
            for where, extra in (("local header", raw.read(extra_length)), ("central directory", entry.extra)):
                said += [f"{entry.filename}: {where} has field 0x{field:04x}" for field in owner_fields(extra)]
    return said


if __name__ == "__main__":
    found = problems(sys.argv[1])
    print("\n".join(found) or f"{sys.argv[1]}: no entry records an owner")
    sys.exit(1 if found else 0)
