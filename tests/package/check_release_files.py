#!/usr/bin/env python3
"""Checks a release zip beside its SHA256SUMS, running nothing: its checksum line; one folder named
as the zip, holding the release's files and no other; no entry recording who packed it (Unix
extra fields); only DLLs of Windows or of the release imported; the version, product, file name
and description in VtServices.dll's and the programs' file properties, none in the plugin's (its
resources are the host's); no probe exported by VtServices.dll; and what Windows reads of a
program before it runs it: a manifest that runs it as whoever starts it (asInvoker: no installer
detection, no virtualized files), names Windows 7, 8, 8.1 and 10/11 as supported (else Windows
treats it as a Vista program) and, where it shows windows, asks for common controls 6; and a header
that makes it large-address-aware. Prints each file's properties.

usage: check_release_files.py tribes-vtplugin-VERSION-winNN.zip
"""
import hashlib
import pathlib
import re
import struct
import sys
import zipfile
from xml.etree import ElementTree

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
import pe_file  # noqa: E402
from pe_file import pefile  # noqa: E402

# In the system folder of every Windows from 7 on: a program may import them and still run
# where nothing else was installed.
WINDOWS_DLLS = set("""advapi32 bcrypt comctl32 comdlg32 crypt32 dbghelp dwmapi gdi32 imm32 iphlpapi
    kernel32 msvcrt mswsock ntdll ole32 oleaut32 psapi rpcrt4 secur32 setupapi shell32 shlwapi user32
    userenv uxtheme version winmm ws2_32 wsock32""".split())
DESCRIBED = ["VtServices.dll", "vtquery.exe", "vtbrowse.exe", "tribes-emu.exe"]
RELEASE = set(DESCRIBED + ["Tribes.vtplugin", "README.txt", "LICENSE.txt"])
OWNER_FIELDS = {0x7875, 0x7855, 0x5855, 0x000D}
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


def program_problems(name, data):
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


def file_properties(pe):
    """{name: value} of pe's VERSIONINFO strings, with the fixed file version as "Fixed"; or None."""
    if not getattr(pe, "VS_FIXEDFILEINFO", None):
        return None
    fixed = pe.VS_FIXEDFILEINFO[0]
    properties = {"Fixed": "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                            fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)}
    for info in getattr(pe, "FileInfo", []):
        for table in (table for entry in info for table in getattr(entry, "StringTable", [])):
            properties.update({key.decode(): value.decode() for key, value in table.entries.items()})
    return properties


def owner_fields(extra):
    """The ids of extra's fields that record an owner."""
    found, at = [], 0
    while at + 4 <= len(extra):
        field, size = struct.unpack_from("<HH", extra, at)
        found += [field] if field in OWNER_FIELDS else []
        at += 4 + size
    return found


def read_zip(report, zip_path):
    """{name: bytes} of the files in the zip's one folder; what else the zip holds is reported."""
    files = {}
    with open(zip_path, "rb") as raw, zipfile.ZipFile(zip_path) as packed:
        for entry in packed.infolist():
            raw.seek(entry.header_offset + 26)
            name_length, extra_length = struct.unpack("<HH", raw.read(4))
            raw.seek(name_length, 1)
            for where, extra in (("local header", raw.read(extra_length)), ("central directory", entry.extra)):
                for field in owner_fields(extra):
                    report.expect(False, f"{entry.filename}: {where} has field 0x{field:04x}")
            folder, _, name = entry.filename.rstrip("/").partition("/")
            inside = folder == zip_path.stem and "/" not in name
            if report.expect(inside, f"{entry.filename} lies outside {zip_path.stem}/") and name:
                files[name] = packed.read(entry)
    return files


def check(path):
    report = pe_file.Report("release files")
    zip_path = pathlib.Path(path).resolve()
    named = re.fullmatch(r"tribes-vtplugin-(\d+\.\d+\.\d+)-win(32|64)\.zip", zip_path.name)
    if not report.expect(named, f"{zip_path.name} is not named tribes-vtplugin-VERSION-winNN.zip"):
        return report
    version = named.group(1)
    sums = zip_path.with_name("SHA256SUMS")
    line = f"{hashlib.sha256(zip_path.read_bytes()).hexdigest()}  {zip_path.name}"
    report.expect(sums.exists() and line in sums.read_text().splitlines(), f"SHA256SUMS has no line '{line}'")
    contents = read_zip(report, zip_path)
    for name in sorted(RELEASE - set(contents)):
        report.expect(False, f"{name} is missing")
    for name in sorted(set(contents) - RELEASE):
        report.expect(False, f"{name} is not one of the release's files")
    files = {name: data for name, data in contents.items() if name.lower().endswith((".exe", ".dll", ".vtplugin"))}
    for name, data in sorted(files.items()):
        pe = pefile.PE(data=data)
        imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
        for dll in sorted({entry.dll.decode("ascii", "replace").lower() for entry in imports}):
            report.expect(dll.removesuffix(".dll") in WINDOWS_DLLS or dll in map(str.lower, files),
                          f"{name} imports {dll}, which is neither part of Windows nor in the release")
        if name == "VtServices.dll":
            for symbol in pe_file.probe_exports(pe):
                report.expect(False, f"{name} exports {symbol}, which only the tests use")
        if name in SHOWS_WINDOWS:
            for problem in program_problems(name, data):
                report.expect(False, f"{name}: {problem}")
        properties = file_properties(pe)
        if not report.expect((properties is None) == (name not in DESCRIBED),
                             f"{name} {'has' if properties else 'lacks'} file properties") or properties is None:
            continue
        print(f"{name}: " + ", ".join(f"{key} {value!r}" for key, value in properties.items()))
        expected = {"ProductName": "Tribes.vtplugin", "ProductVersion": version, "FileVersion": version,
                    "OriginalFilename": name, "Fixed": version + ".0"}
        for key, value in expected.items():
            report.expect(properties.get(key) == value, f"{name}: {key} is {properties.get(key)!r}, not {value!r}")
        report.expect(properties.get("FileDescription"), f"{name}: no description")
    return report


if __name__ == "__main__":
    pe_file.run(check)
