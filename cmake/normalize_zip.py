#!/usr/bin/env python3
"""Writes a zip again in place with only what its entries' contents need: each entry's name, time,
file mode and deflated bytes, and no extra field. The packer records the builder's user and group
ids in every entry; without them, another user's package of the same commit is the same bytes.

usage: normalize_zip.py ZIP
"""
import os
import sys
import zipfile

UNIX = 3  # the system an entry's mode bits belong to


def normalize(path):
    written = path + ".normalized"
    with zipfile.ZipFile(path) as packed, zipfile.ZipFile(written, "w") as plain:
        for entry in packed.infolist():
            fresh = zipfile.ZipInfo(entry.filename, date_time=entry.date_time)
            fresh.create_system = UNIX
            fresh.external_attr = entry.external_attr
            method = zipfile.ZIP_STORED if entry.is_dir() else zipfile.ZIP_DEFLATED
            plain.writestr(fresh, packed.read(entry), compress_type=method, compresslevel=9)
    os.replace(written, path)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    normalize(sys.argv[1])
