#!/usr/bin/env python3
"""The release checks (check_release_files.py) on a zip that cpack packs from this build, which must
pass, and on copies of it with one fault each, which must fail for that fault alone.
usage: release_checks_test.py CPACK CPACK_CONFIG"""
import hashlib
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

import check_release_files


def probe_export(entries, top):  # an export named as the tests' probes are
    entry = entries[top + "VtServices.dll"]
    entry[1] = entry[1].replace(b"KRNetUtil", b"ProbeUtil")


def foreign_import(entries, top):
    entry = entries[top + "vtquery.exe"]
    entry[1] = re.sub(rb"(?i)msvcrt\.dll", b"libgcc.dll", entry[1], count=1)


OWNER = struct.pack("<HHBBIBI", 0x7875, 11, 1, 4, 1000, 4, 1000)  # Info-ZIP's ux field: ids 1000
# Each fault, made in the zip's entries ({name: [info, bytes]}), and what the checks must say of it.
FAULTS = {
    "an extra file": (lambda e, top: e.update({top + "NOTES.txt": [top + "NOTES.txt", b"notes"]}),
                      "NOTES.txt is not one of the release's files"),
    "no README.txt": (lambda e, top: e.pop(top + "README.txt"), "README.txt is missing"),
    "no LICENSE.txt": (lambda e, top: e.pop(top + "LICENSE.txt"), "LICENSE.txt is missing"),
    "a foreign import": (foreign_import,
                         "vtquery.exe imports libgcc.dll, which is neither part of Windows nor in the release"),
    "an owner's id": (lambda e, top: setattr(e[top + "README.txt"][0], "extra", OWNER), "README.txt: "),
    "a probe's export": (probe_export, "VtServices.dll exports _ZN9ProbeUtil"),
}


def packed_again(good, folder, change):
    """good written again into folder once change(entries, top folder) made its fault, with a
    SHA256SUMS beside it that names it."""
    with zipfile.ZipFile(good) as source:
        entries = {info.filename: [info, source.read(info)] for info in source.infolist()}
    change(entries, good.stem + "/")
    folder.mkdir()
    made = folder / good.name
    with zipfile.ZipFile(made, "w", zipfile.ZIP_DEFLATED) as copied:
        for info, data in entries.values():
            copied.writestr(info, data)
    (folder / "SHA256SUMS").write_text(f"{hashlib.sha256(made.read_bytes()).hexdigest()}  {made.name}\n")
    return made


def main(cpack, config):
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        subprocess.run([cpack, "--config", config, "-B", str(work)], check=True, stdout=subprocess.DEVNULL)
        good = next(work.glob("tribes-vtplugin-*.zip"))
        found = {"the zip as packed": (check_release_files.check(good).problems, None)}
        for number, (fault, (change, expected)) in enumerate(FAULTS.items()):
            found[fault] = (check_release_files.check(packed_again(good, work / str(number), change)).problems,
                            expected)
        (work / "SHA256SUMS").write_text("")
        found["no SHA256SUMS line"] = (check_release_files.check(good).problems, "SHA256SUMS has no line")
    failures = []
    for fault, (problems, expected) in found.items():
        print(f"{fault}: {problems}")
        if bool(problems) != bool(expected) or any(expected not in problem for problem in problems):
            failures.append(f"{fault}: expected {expected or 'nothing'}, found {problems}")
    print("\n".join(failures) or "each fault found alone, and the zip as packed passes")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
