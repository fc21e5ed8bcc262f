#!/usr/bin/env python3
"""Checks what plugin/resources/ puts into a built Tribes.vtplugin: the whole string table (each
string listed here with its exact text, no other), icon 120 as one 32x32 16-colour image, the two
network message dialog templates 152 and 153 byte for byte; and the exports table's work: exactly
initVantor_Protocol_3_5 as ordinal 1 and pingVantor_Protocol_3_5 as ordinal 2, under these plain
names (no i686 decoration such as a leading underscore or an @N suffix), and nothing else.

usage: check_resources.py PLUGIN_FILE
"""
import pathlib
import struct
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "support"))
import pe_file  # noqa: E402
from pe_file import RT_DIALOG, RT_GROUP_ICON, RT_ICON, RT_STRING  # noqa: E402

EXPORTS = {1: "initVantor_Protocol_3_5", 2: "pingVantor_Protocol_3_5"}
US_ENGLISH = 0x0409

EXPECTED_STRINGS = {
    1: "Tribes", 2: "3.0", 3: "5E2B7D14-90AC-4F3E-8B61-2D7C0A9E4F53", 4: "28001", 5: "TRUE", 6: "3.0",
    7: "http://www.tribes-query.example.com/updates/tribes-plugin.txt",
    8: "http://www.tribes-query.example.com/vantor/",
    9: "Copyright (C) 2024-2026 Tribes Query Plugin Team. All rights reserved.",
    15: "TRUE", 16: "Players", 17: "TRUE", 18: "Rules", 19: "TRUE", 20: "Map", 21: "TRUE", 22: "TRUE", 23: "TRUE",
    24: "You can add any parameters you want.\r\nIf you specifiy <address> Vantor\r\n"
        "will replace <address> with the address \r\nand port in the form xxx.xxx.xxx.xxx:xxxx",
    25: "TRUE", 26: "TRUE", 40: "http://www.tribes-query.example.com/", 41: "Tribes Query Plugin Team",
    42: "plugins@tribes-query.example.com", 43: "Tribes Query Plugin Team", 50: "0", 75: "0", 76: "Admin",
    86: "rSettings",
}
EXPECTED_STRINGS.update({i: "NULL" for i in range(51, 56)})
EXPECTED_STRINGS.update({i: "NULL" for i in range(77, 86)})
EXPECTED_STRINGS.update({i: "NULL" for i in range(87, 96)})

WS_CHILD, WS_VISIBLE, WS_GROUP, SS_LEFT, DS_SETFONT = 0x40000000, 0x10000000, 0x00020000, 0, 0x40


def utf16(text):
    return (text + "\0").encode("utf-16-le")


# Dialogs 152 and 153 as the template's bytes: a hidden child with its font (no menu, class or
# title), then one static text ("Static" as ordinal 0x82), id -1, no extra bytes.
DIALOG = struct.pack("<IIHhhhh", WS_CHILD | DS_SETFONT, 0, 1, 0, 0, 50, 41) + utf16("") * 3 + \
    struct.pack("<H", 8) + utf16("MS Sans Serif")
DIALOG += bytes(-len(DIALOG) % 4) + struct.pack("<IIhhhhHHH", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 0, 7, 7, 36,
                                                27, 0xFFFF, 0xFFFF, 0x82) + utf16("Network Message Window") + bytes(2)


def check_strings(report, found):
    """Block n holds ids 16 * (n - 1) to 16 * n - 1, each a count of UTF-16 units, then the units."""
    blocks = [(name, language, data) for (kind, name, language), data in found.items() if kind == RT_STRING]
    report.expect(len(blocks) == len({name for name, _, _ in blocks}), "a string block exists in several languages")
    strings = {}
    for block, language, data in sorted(blocks):
        report.expect(language == US_ENGLISH, f"string block {block} has language {language:#06x}")
        offset = 0
        for slot in range(16):
            length = struct.unpack_from("<H", data, offset)[0]
            if length:
                strings[16 * (block - 1) + slot] = data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le")
            offset += 2 + 2 * length
    for string_id in sorted(set(strings) | set(EXPECTED_STRINGS)):
        expected, actual = EXPECTED_STRINGS.get(string_id), strings.get(string_id)
        report.expect(actual == expected, f"string {string_id}: expected {expected!r}, got {actual!r}")


def check_icon(report, found, icon_id):
    """One 32x32 16-colour image; its bitmap twice as high as the icon (colour rows, then the mask)."""
    group = found.get((RT_GROUP_ICON, icon_id, US_ENGLISH), b"").ljust(20, b"\0")
    image_id = struct.unpack_from("<H", group, 18)[0]
    image = found.get((RT_ICON, image_id, US_ENGLISH), b"")
    expected = struct.pack("<HHHBBBBHHIH", 0, 1, 1, 32, 32, 16, 0, 1, 4, len(image), image_id)
    report.expect(group == expected, f"icon group {icon_id} (US English): expected {expected.hex()}, got {group.hex()}")
    header = struct.unpack_from("<IiiHH", image.ljust(16, b"\0"))
    report.expect(header[:3] + header[4:] == (40, 32, 64, 4), f"icon image {image_id} bitmap header {header}")


def check_dialog(report, found, dialog_id):
    data = found.get((RT_DIALOG, dialog_id, US_ENGLISH), b"")
    report.expect(data == DIALOG, f"dialog {dialog_id} (US English): expected {DIALOG.hex()}, got {data.hex()}")


def check_exports(report, pe):
    symbols = getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", [])
    found = [(symbol.ordinal, symbol.name and symbol.name.decode("ascii", "replace")) for symbol in symbols]
    report.expect(found == sorted(EXPORTS.items()), f"exports: expected {sorted(EXPORTS.items())}, found {found}")


def check(path):
    report = pe_file.Report("plugin file")
    pe = pe_file.pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pe_file.pefile.DIRECTORY_ENTRY[f"IMAGE_DIRECTORY_ENTRY_{name}"]
                                           for name in ("RESOURCE", "EXPORT")])
    found = pe_file.resources(pe)
    check_strings(report, found)
    check_icon(report, found, 120)
    for dialog_id in (152, 153):
        check_dialog(report, found, dialog_id)
    check_exports(report, pe)
    return report


if __name__ == "__main__":
    pe_file.run(check)
