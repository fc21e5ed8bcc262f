#!/usr/bin/env python3
"""Checks what Windows reads of a program before it runs it, from the file: a manifest that runs it
as whoever starts it (asInvoker: no installer detection, no virtualized files), names Windows 7, 8,
8.1 and 10/11 as supported (else Windows treats it as a Vista program) and, where it shows windows,
asks for common controls 6; and a header that makes it large-address-aware.

check_release_files.py checks the programs of a release zip so. With each piece taken out of a
copy of PROGRAM in turn, this check must name exactly that piece:
usage: check_programs.py --canary PROGRAM
"""
import sys
from pathlib import Path
from xml.etree import ElementTree

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
import pe_file  # noqa: E402
from pe_file import pefile  # noqa: E402

RT_MANIFEST = 24
LARGE_ADDRESS_AWARE = 0x20
SUPPORTED_OS = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
                "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11"}
COMMON_CONTROLS = b"Microsoft.Windows.Common-Controls"
# Whether each program shows windows: vtbrowse its own, vtquery the plugin's message box.
SHOWS_WINDOWS = {"vtbrowse.exe": True, "vtquery.exe": True, "tribes-emu.exe": False}


def parsed(data):
    pe = pefile.PE(data=data, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    return pe


def problems(name, data):
    """What the program file called name, whose bytes are data, lacks: one text each."""
    pe = parsed(data)
    found = [] if pe.FILE_HEADER.Characteristics & LARGE_ADDRESS_AWARE else ["not large-address-aware"]
    manifests = [data for (kind, number, _), data in pe_file.resources(pe).items()
                 if (kind, number) == (RT_MANIFEST, 1)]
    if not manifests:
        return found + ["no manifest"]
    named = {}  # each element by its name without its namespace
    for element in ElementTree.fromstring(manifests[0]).iter():
        named.setdefault(element.tag.rsplit("}", 1)[-1], []).append(element)
    levels = [element.get("level") for element in named.get("requestedExecutionLevel", [])]
    if levels != ["asInvoker"]:
        found.append(f"requestedExecutionLevel {levels}, not asInvoker")
    ids = {element.get("Id", "").lower() for element in named.get("supportedOS", [])}
    found += [f"no supportedOS for {windows}" for id, windows in SUPPORTED_OS.items() if id not in ids]
    if SHOWS_WINDOWS[name] and not [element for element in named["assemblyIdentity"] if element.get("name") ==
                                    COMMON_CONTROLS.decode() and element.get("version", "").startswith("6.")]:
        found.append("no common controls 6")
    return found


def without_large_address_awareness(data):
    pe = parsed(data)
    pe.FILE_HEADER.Characteristics &= ~LARGE_ADDRESS_AWARE
    return bytes(pe.write())


def without_manifest(data):  # its resource under another type: Windows does not find it
    pe = parsed(data)
    next(entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries if entry.id == RT_MANIFEST).struct.Name += 1
    return bytes(pe.write())


def renamed(old):  # the piece of the manifest renamed, as long as it was
    return lambda data: data.replace(old, old[:-2] + b"_" + old[-1:], 1) if old in data else b""


# Each piece taken out, and what the check must say of it alone.
PIECES = [(without_large_address_awareness, "not large-address-aware"), (without_manifest, "no manifest"),
          (renamed(b"<requestedExecutionLevel "), "requestedExecutionLevel [], not asInvoker"),
          (renamed(COMMON_CONTROLS), "no common controls 6")] + [
          (renamed(id.encode()), f"no supportedOS for {windows}") for id, windows in SUPPORTED_OS.items()]


def canary(path):
    report = pe_file.Report(f"{Path(path).name} with a piece taken out")
    data = Path(path).read_bytes()
    report.expect(problems(Path(path).name, data) == [], "the file itself fails")
    for take_out, expected in PIECES:
        said = problems(Path(path).name, take_out(data)) if take_out(data) else "the piece is not in the file"
        report.expect(said == [expected], f"without it: {said}, not [{expected!r}]")
    return report


if __name__ == "__main__":
    sys.exit(canary(sys.argv[2]).finish() if sys.argv[1:2] == ["--canary"] and len(sys.argv) == 3 else __doc__)
