#!/usr/bin/env python3
"""Checks what Windows reads of a program's file before it runs it, without running it: a manifest
that asks to run as whoever starts the program (asInvoker, so no installer detection and no
virtualized files), names Windows 7, 8, 8.1 and 10/11 as supported (else Windows runs it as a
Vista program) and, for a program that shows windows, asks for common controls 6; and a header
that makes the program large-address-aware.

usage: check_programs.py PROGRAM...       vtbrowse.exe, vtquery.exe and tribes-emu.exe, as built
       check_programs.py --canary PROGRAM  takes each piece out of a copy of PROGRAM (in memory)
                                           and fails unless the check names exactly that piece
"""
import sys
from pathlib import Path
from xml.etree import ElementTree

import plugin_file
import pefile

RT_MANIFEST = 24
LARGE_ADDRESS_AWARE = 0x20
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11"}
COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"
# Whether each program shows windows: vtbrowse its own, vtquery the plugin's message box.
SHOWS_WINDOWS = {"vtbrowse.exe": True, "vtquery.exe": True, "tribes-emu.exe": False}


def elements(root, name):
    """Every element of the manifest called name, in whichever namespace."""
    return [element for element in root.iter() if element.tag.rsplit("}", 1)[-1] == name]


def problems(name, data):
    """What the program file `name` (its bytes: data) lacks, one text each."""
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    found = []
    if not pe.FILE_HEADER.Characteristics & LARGE_ADDRESS_AWARE:
        found.append("not large-address-aware")
    manifests = [data for (kind, number, _), data in plugin_file.resources(pe).items()
                 if kind == RT_MANIFEST and number == 1]
    if not manifests:
        return found + ["no manifest"]
    root = ElementTree.fromstring(manifests[0])
    levels = [element.get("level") for element in elements(root, "requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        found.append(f"requestedExecutionLevel {levels}, not asInvoker")
    ids = {element.get("Id", "").lower() for element in elements(root, "supportedOS")}
    found += [f"no supportedOS for {windows}" for id, windows in SUPPORTED_OS.items() if id not in ids]
    controls = [element for element in elements(root, "assemblyIdentity")
                if element.get("name") == COMMON_CONTROLS and element.get("version", "").startswith("6.")]
    if SHOWS_WINDOWS[name] and not controls:
        found.append("no common controls 6")
    return found


def without_large_address_awareness(data):
    pe = pefile.PE(data=data, fast_load=True)
    offset = pe.FILE_HEADER.get_field_absolute_offset("Characteristics")
    value = int.from_bytes(data[offset:offset + 2], "little") & ~LARGE_ADDRESS_AWARE
    return data[:offset] + value.to_bytes(2, "little") + data[offset + 2:]


def replaced(old, new):
    """A mutation that renames old to new (as long) in the file: the manifest's piece is gone."""
    assert len(old) == len(new)
    return lambda data: data.replace(old, new, 1) if old in data else sys.exit(f"{old!r} is not in the file")


def without_manifest(data):
    """The manifest's resource under another type: Windows would not find it."""
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    entry = next(entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries if entry.id == RT_MANIFEST)
    offset = entry.struct.get_field_absolute_offset("Name")
    return data[:offset] + (RT_MANIFEST + 1).to_bytes(4, "little") + data[offset + 4:]


# Each piece taken out, and what the check must say of it alone.
PIECES = [(without_large_address_awareness, "not large-address-aware"),
          (without_manifest, "no manifest"),
          (replaced(b"<requestedExecutionLevel ", b"<requestedExecutionLeve_ "),
           "requestedExecutionLevel [], not asInvoker"),
          (replaced(COMMON_CONTROLS.encode(), COMMON_CONTROLS.encode()[:-1] + b"_"), "no common controls 6")] + [
          (replaced(id.encode(), b"{" + b"0" * (len(id) - 2) + b"}"), f"no supportedOS for {windows}")
          for id, windows in SUPPORTED_OS.items()]


def canary(path):
    report = plugin_file.Report(f"{Path(path).name} with a piece taken out")
    data = Path(path).read_bytes()
    report.expect(problems(Path(path).name, data) == [], "the file itself does not pass")
    for mutation, expected in PIECES:
        said = problems(Path(path).name, mutation(data))
        report.expect(said == [expected], f"without it: {said}, not [{expected!r}]")
    return report


def check(paths):
    report = plugin_file.Report("programs")
    for path in paths:
        for problem in problems(Path(path).name, Path(path).read_bytes()):
            report.expect(False, f"{Path(path).name}: {problem}")
    return report


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--canary":
        sys.exit(canary(sys.argv[2]).finish())
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(__doc__)
    sys.exit(check(sys.argv[1:]).finish())
