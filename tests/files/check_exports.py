#!/usr/bin/env python3
"""Checks the exports of a built Tribes.vtplugin: exactly initVantor_Protocol_3_5 as ordinal 1
and pingVantor_Protocol_3_5 as ordinal 2, under these plain names (no i686 decoration such as
a leading underscore or an @N suffix), and nothing else.

usage: check_exports.py PLUGIN_FILE
"""
import plugin_file

EXPECTED = {1: "initVantor_Protocol_3_5", 2: "pingVantor_Protocol_3_5"}


def check(path):
    report = plugin_file.Report("exports")
    pe = plugin_file.load(path, "IMAGE_DIRECTORY_ENTRY_EXPORT")
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    if not report.expect(directory is not None, "no export directory"):
        return report
    found = {}
    for symbol in directory.symbols:
        name = symbol.name.decode("ascii", "replace") if symbol.name else None
        report.expect(symbol.ordinal not in found, f"ordinal {symbol.ordinal} exported twice")
        found[symbol.ordinal] = name
    for ordinal, name in sorted(EXPECTED.items()):
        report.expect(found.get(ordinal) == name,
                      f"ordinal {ordinal}: expected {name}, found {found.get(ordinal, 'nothing')}")
    for ordinal, name in sorted(found.items()):
        report.expect(ordinal in EXPECTED, f"unexpected export: ordinal {ordinal} ({name})")
    return report


if __name__ == "__main__":
    plugin_file.run(check)
