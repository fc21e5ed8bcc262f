#!/usr/bin/env python3
"""Reads the PE files of an unpacked release (never runs them):
- every program and DLL imports only DLLs that Windows carries itself or that the release holds
  (a DLL of the cross-compiler's, libstdc++-6.dll and the like, is on no user's machine);
- VtServices.dll and the programs carry the release's version, product name, their own file
  name and a description in their file properties; the plugin carries none of ours (its
  resources are the host's to read).
Prints each file's properties; exits 1 with every difference found.

usage: check_release_files.py FOLDER VERSION
"""
import pathlib
import sys

try:
    import pefile
except ImportError:  # pragma: no cover - depends on the machine
    sys.exit("python3-pefile is missing (scripts/lib.sh installs it)")

# DLLs in the system folder of every Windows from 7 on: what a program may import and still
# run on a machine where nothing else was installed.
WINDOWS_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dbghelp.dll",
    "dwmapi.dll", "gdi32.dll", "imm32.dll", "iphlpapi.dll", "kernel32.dll", "msvcrt.dll",
    "mswsock.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll",
    "secur32.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "userenv.dll",
    "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll", "wsock32.dll",
}
PE_SUFFIXES = {".exe", ".dll", ".vtplugin"}
DESCRIBED = ["VtServices.dll", "vtquery.exe", "vtbrowse.exe", "tribes-emu.exe"]
PLUGIN = "Tribes.vtplugin"
PRODUCT_NAME = "Tribes.vtplugin"


def imported_dlls(pe):
    """Names of the DLLs pe imports, at load time or delayed, in lower case."""
    entries = getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])
    return sorted({entry.dll.decode("ascii", "replace").lower() for entry in entries})


def file_properties(pe):
    """(the fixed file version as text, {string name: value}) of pe's VERSIONINFO, or None."""
    if not getattr(pe, "VS_FIXEDFILEINFO", None):
        return None
    fixed = pe.VS_FIXEDFILEINFO[0]
    version = ".".join(str(part) for part in (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                              fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF))
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({key.decode(): value.decode() for key, value in table.entries.items()})
    return version, strings


def check(folder, version):
    problems = []
    files = {path.name: path for path in folder.iterdir() if path.suffix.lower() in PE_SUFFIXES}
    held = {name.lower() for name in files}
    for name in DESCRIBED + [PLUGIN]:
        if name not in files:
            problems.append(f"{name} is missing from the release")
    for name, path in sorted(files.items()):
        pe = pefile.PE(str(path))
        for dll in imported_dlls(pe):
            if dll not in WINDOWS_DLLS and dll not in held:
                problems.append(f"{name} imports {dll}, which is neither part of Windows nor in the release")
        properties = file_properties(pe)
        if name == PLUGIN:
            if properties is not None:
                problems.append(f"{name} has file properties: its resources are to stay as they are")
            continue
        if properties is None:
            problems.append(f"{name} has no file properties")
            continue
        fixed_version, strings = properties
        print(f"{name}: {strings.get('ProductName')} {strings.get('ProductVersion')}, "
              f"file version {fixed_version} ({strings.get('FileVersion')}), "
              f"\"{strings.get('FileDescription')}\", {strings.get('LegalCopyright')}")
        expected = {"ProductName": PRODUCT_NAME, "ProductVersion": version, "FileVersion": version,
                    "OriginalFilename": name}
        for key, value in expected.items():
            if strings.get(key) != value:
                problems.append(f"{name}: {key} is {strings.get(key)!r}, expected {value!r}")
        if fixed_version != version + ".0":
            problems.append(f"{name}: fixed file version {fixed_version}, expected {version}.0")
        if not strings.get("FileDescription"):
            problems.append(f"{name}: no description")
    return problems


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    problems = check(pathlib.Path(sys.argv[1]), sys.argv[2])
    for problem in problems:
        print(f"release files: {problem}")
    print(f"release files: {len(problems)} difference(s)" if problems else "release files: as expected")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
