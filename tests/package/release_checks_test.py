#!/usr/bin/env python3
"""The release checks (check_release_files.py) on a zip that cpack packs from this build, which must
pass, and on copies of it with one fault each, which must fail for that fault alone: among them
each piece of what Windows reads of vtbrowse.exe taken out in turn.
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
from check_release_files import COMMON_CONTROLS, LARGE_ADDRESS_AWARE, RT_MANIFEST, SUPPORTED_OS, parsed


def changed(name, change):  # the zip's file name, its bytes changed
    def fault(entries, top):
        entries[top + name][1] = change(entries[top + name][1])
    return fault


def without_large_address_awareness(data):
    pe = parsed(data)
    pe.FILE_HEADER.Characteristics &= ~LARGE_ADDRESS_AWARE
    return bytes(pe.write())


def without_manifest(data):  # its resource under another type: Windows does not find it
    pe = parsed(data)
    next(entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries if entry.id == RT_MANIFEST).struct.Name += 1
    return bytes(pe.write())


def renamed(old):  # the piece of the manifest renamed, as long as it was
    return lambda data: data.replace(old, old[:-2] + b"_" + old[-1:], 1)


# Each piece of vtbrowse.exe taken out, and what the checks must say of it alone.
PIECES = [(without_large_address_awareness, "not large-address-aware"), (without_manifest, "no manifest"),
          (renamed(b"<requestedExecutionLevel "), "requestedExecutionLevel [], not asInvoker"),
          (renamed(COMMON_CONTROLS), "no common controls 6")] + [
          (renamed(id.encode()), f"no supportedOS for {windows}") for id, windows in SUPPORTED_OS.items()]


OWNER = struct.pack("<HHBBIBI", 0x7875, 11, 1, 4, 1000, 4, 1000)  # Info-ZIP's ux field: ids 1000
# Each fault, made in the zip's entries ({name: [info, bytes]}), and what the checks must say of it.
FAULTS = {
    "an extra file": (lambda e, top: e.update({top + "NOTES.txt": [top + "NOTES.txt", b"notes"]}),
                      "NOTES.txt is not one of the release's files"),
    "no README.txt": (lambda e, top: e.pop(top + "README.txt"), "README.txt is missing"),
    "no LICENSE.txt": (lambda e, top: e.pop(top + "LICENSE.txt"), "LICENSE.txt is missing"),
    "a foreign import": (changed("vtquery.exe",
                                 lambda data: re.sub(rb"(?i)msvcrt\.dll", b"libgcc.dll", data, count=1)),
                         "vtquery.exe imports libgcc.dll, which is neither part of Windows nor in the release"),
    "an owner's id": (lambda e, top: setattr(e[top + "README.txt"][0], "extra", OWNER), "README.txt: "),
    # An export named as the tests' probes are.
    "a probe's export": (changed("VtServices.dll", lambda data: data.replace(b"KRNetUtil", b"ProbeUtil")),
                         "VtServices.dll exports _ZN9ProbeUtil"),
}
FAULTS.update({f"vtbrowse.exe {said}": (changed("vtbrowse.exe", take_out), f"vtbrowse.exe: {said}")
               for take_out, said in PIECES})


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
