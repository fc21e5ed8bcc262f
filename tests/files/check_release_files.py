#!/usr/bin/env python3
"""Checks the files of an unpacked release folder, tribes-vtplugin-VERSION-winNN, without running
them: each imports only DLLs that Windows carries or the release holds (one of the cross-compiler's,
libstdc++-6.dll and the like, is on no user's machine); VtServices.dll and the programs carry the
version, the product name, their own file name and a description in their file properties, the
plugin none of ours (its resources are the host's to read); VtServices.dll exports nothing of the
tests' probes, journal or faults; the programs' manifests and headers are as check_programs.py
wants them. Prints each file's properties.

usage: check_release_files.py RELEASE_FOLDER
"""
import pathlib
import re

import check_host_exports
import check_programs
import plugin_file
import pefile

# In the system folder of every Windows from 7 on: a program may import them and still run
# where nothing else was installed.
WINDOWS_DLLS = set("""advapi32 bcrypt comctl32 comdlg32 crypt32 dbghelp dwmapi gdi32 imm32 iphlpapi
    kernel32 msvcrt mswsock ntdll ole32 oleaut32 psapi rpcrt4 secur32 setupapi shell32 shlwapi user32
    userenv uxtheme version winmm ws2_32 wsock32""".split())
DESCRIBED = ["VtServices.dll", "vtquery.exe", "vtbrowse.exe", "tribes-emu.exe"]


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


def check(path):
    report = plugin_file.Report("release files")
    folder = pathlib.Path(path).resolve()
    named = re.fullmatch(r"tribes-vtplugin-(\d+\.\d+\.\d+)-win(32|64)", folder.name)
    if not report.expect(named, f"{folder.name} is not named tribes-vtplugin-VERSION-winNN"):
        return report
    version = named.group(1)
    files = {path.name: path for path in folder.iterdir() if path.suffix.lower() in (".exe", ".dll", ".vtplugin")}
    for name in DESCRIBED + ["Tribes.vtplugin"]:
        report.expect(name in files, f"{name} is missing")
    for name, path in sorted(files.items()):
        pe = pefile.PE(str(path))
        imports = getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
        for dll in sorted({entry.dll.decode("ascii", "replace").lower() for entry in imports}):
            report.expect(dll.removesuffix(".dll") in WINDOWS_DLLS or dll in map(str.lower, files),
                          f"{name} imports {dll}, which is neither part of Windows nor in the release")
        if name == "VtServices.dll":
            for symbol in check_host_exports.test_only_exports(pe):
                report.expect(False, f"{name} exports {symbol}, which only the tests use")
        if name in check_programs.SHOWS_WINDOWS:
            for problem in check_programs.problems(name, path.read_bytes()):
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
    plugin_file.run(check)
