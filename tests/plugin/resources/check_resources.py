#!/usr/bin/env python3
"""Checks what plugin/resources/ puts into a built Tribes.vtplugin: the whole string table (ids 0
to 95, each present with its exact text or absent), icon 120 as one 32x32 16-colour image, the two
network message dialog templates 152 and 153; and the exports table's work: exactly
initVantor_Protocol_3_5 as ordinal 1 and pingVantor_Protocol_3_5 as ordinal 2, under these plain
names (no i686 decoration such as a leading underscore or an @N suffix), and nothing else.

usage: check_resources.py PLUGIN_FILE
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "support"))
import pe_file  # noqa: E402
from pe_file import RT_DIALOG, RT_GROUP_ICON, RT_ICON, RT_STRING, ByteReader  # noqa: E402

EXPORTS = {1: "initVantor_Protocol_3_5", 2: "pingVantor_Protocol_3_5"}
US_ENGLISH = 0x0409
LAST_STRING_ID = 95

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

WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
WS_GROUP = 0x00020000
SS_LEFT = 0x00000000
DS_SETFONT = 0x00000040
STATIC_CLASS = 0x0082  # the predefined "Static" window class as an ordinal

EXPECTED_DIALOG = {
    "style": WS_CHILD | DS_SETFONT, "extended style": 0, "rectangle": (0, 0, 50, 41),
    "menu": "", "class": "", "title": "", "font": (8, "MS Sans Serif"),
    "controls": [{
        "style": WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, "extended style": 0, "rectangle": (7, 7, 36, 27),
        "id": 0xFFFF, "class": STATIC_CLASS, "text": "Network Message Window", "extra bytes": 0,
    }],
}


def read_strings(report, blocks):
    """{id: text} of every present string; block n holds ids 16 * (n - 1) to 16 * n - 1."""
    strings = {}
    for block, (language, data) in sorted(blocks.items()):
        report.expect(language == US_ENGLISH, f"string block {block} has language {language:#06x}")
        reader = ByteReader(data)
        for slot in range(16):
            length = reader.take("<H")
            units = [reader.take("<H") for _ in range(length)]
            if length:
                strings[16 * (block - 1) + slot] = "".join(map(chr, units))
    return strings


def check_strings(report, found):
    blocks = {name: (language, data) for (kind, name, language), data in found.items() if kind == RT_STRING}
    languages = [language for (kind, name, language) in found if kind == RT_STRING]
    report.expect(len(languages) == len(set(blocks)), "a string block exists in several languages")
    strings = read_strings(report, blocks)
    for string_id in range(LAST_STRING_ID + 1):
        expected = EXPECTED_STRINGS.get(string_id)
        actual = strings.get(string_id)
        if expected is None:
            report.expect(actual is None, f"string {string_id} should be absent, is {actual!r}")
        else:
            report.expect(actual == expected, f"string {string_id}: expected {expected!r}, got {actual!r}")
    extra = sorted(i for i in strings if i > LAST_STRING_ID)
    report.expect(not extra, f"strings beyond {LAST_STRING_ID}: {extra}")


def check_icon(report, found, icon_id):
    group = found.get((RT_GROUP_ICON, icon_id, US_ENGLISH))
    if not report.expect(group is not None, f"icon group {icon_id} (US English) is missing"):
        return
    reader = ByteReader(group)
    reserved, kind, count = reader.take("<HHH")
    report.expect((reserved, kind) == (0, 1), f"icon group {icon_id} header is {(reserved, kind)}")
    if not report.expect(count == 1, f"icon {icon_id} holds {count} images, expected one"):
        return
    width, height, colours, _, planes, bits, size, image_id = reader.take("<BBBBHHIH")
    report.expect((width, height) == (32, 32), f"icon {icon_id} is {width}x{height}")
    report.expect((colours, planes, bits) == (16, 1, 4),
                  f"icon {icon_id}: {colours} colours, {planes} plane(s), {bits} bits per pixel")
    image = found.get((RT_ICON, image_id, US_ENGLISH))
    if not report.expect(image is not None, f"icon image {image_id} of group {icon_id} is missing"):
        return
    report.expect(len(image) == size, f"icon image {image_id} is {len(image)} bytes, group says {size}")
    header_size, bitmap_width, bitmap_height, _, bitmap_bits = ByteReader(image).take("<IiiHH")
    # An icon bitmap is twice as high as the icon: colour rows, then the transparency mask.
    report.expect((header_size, bitmap_width, bitmap_height, bitmap_bits) == (40, 32, 64, 4),
                  f"icon image {image_id} bitmap header {(header_size, bitmap_width, bitmap_height, bitmap_bits)}")


def read_dialog(data):
    """A classic (not extended) dialog template as a dict shaped like EXPECTED_DIALOG."""
    reader = ByteReader(data)
    style, extended, count, x, y, cx, cy = reader.take("<IIHhhhh")
    dialog = {
        "style": style,
        "extended style": extended,
        "rectangle": (x, y, cx, cy),
        "menu": reader.text_or_ordinal(),
        "class": reader.text_or_ordinal(),
        "title": reader.text(),
        "font": (reader.take("<H"), reader.text()) if style & DS_SETFONT else None,
        "controls": [],
    }
    for _ in range(count):
        reader.align(4)
        style, extended, x, y, cx, cy, control_id = reader.take("<IIhhhhH")
        control = {
            "style": style,
            "extended style": extended,
            "rectangle": (x, y, cx, cy),
            "id": control_id,
            "class": reader.text_or_ordinal(),
            "text": reader.text_or_ordinal(),
            "extra bytes": reader.take("<H"),
        }
        reader.offset += control["extra bytes"]
        dialog["controls"].append(control)
    return dialog


def check_dialog(report, found, dialog_id):
    data = found.get((RT_DIALOG, dialog_id, US_ENGLISH))
    if not report.expect(data is not None, f"dialog {dialog_id} (US English) is missing"):
        return
    if not report.expect(data[2:4] != b"\xff\xff", f"dialog {dialog_id} is an extended template"):
        return
    try:
        dialog = read_dialog(data)
    except ValueError as error:
        report.expect(False, f"dialog {dialog_id} is cut short: {error}")
        return
    for field, expected in EXPECTED_DIALOG.items():
        report.expect(dialog[field] == expected,
                      f"dialog {dialog_id} {field}: expected {expected!r}, got {dialog[field]!r}")


def check_exports(report, pe):
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    if not report.expect(directory is not None, "no export directory"):
        return
    found = {}
    for symbol in directory.symbols:
        name = symbol.name.decode("ascii", "replace") if symbol.name else None
        report.expect(symbol.ordinal not in found, f"ordinal {symbol.ordinal} exported twice")
        found[symbol.ordinal] = name
    for ordinal, name in sorted(EXPORTS.items()):
        report.expect(found.get(ordinal) == name,
                      f"ordinal {ordinal}: expected {name}, found {found.get(ordinal, 'nothing')}")
    for ordinal, name in sorted(found.items()):
        report.expect(ordinal in EXPORTS, f"unexpected export: ordinal {ordinal} ({name})")


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
