#!/usr/bin/env python3
"""Checks that a built VtServices.dll exports nothing that only the tests attach to the host
library: no probe, call journal or planned fault (their names, mangled or not, carry Probe,
Journal or Fault). The shipped build passes; the probed one fails.   usage: check_host_exports.py DLL"""
import re

import plugin_file


def test_only_exports(pe):
    """The export names of pe that belong to the tests' probes, sorted."""
    symbols = getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", [])
    names = [symbol.name.decode("ascii", "replace") for symbol in symbols if symbol.name]
    return sorted(name for name in names if re.search(r"probe|journal|fault", name, re.IGNORECASE))


def check(path):
    report = plugin_file.Report("host exports")
    pe = plugin_file.load(path, "IMAGE_DIRECTORY_ENTRY_EXPORT")
    if report.expect(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None) is not None, "no export directory"):
        for name in test_only_exports(pe):
            report.expect(False, f"exports {name}, which only the tests use")
    return report


if __name__ == "__main__":
    plugin_file.run(check)
