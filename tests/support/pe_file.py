"""Reading a built Windows file for the checks that read files without running them
(tests/plugin/resources/, tests/package/): each reports every difference it finds.
"""
import re
import sys

try:
    import pefile
except ImportError:  # pragma: no cover - depends on the machine
    sys.exit("python3-pefile is missing (scripts/lib.sh installs it)")

RT_ICON = 3
RT_DIALOG = 5
RT_STRING = 6
RT_GROUP_ICON = 14


class Report:
    """Collects differences, so one run shows all of them rather than the first."""

    def __init__(self, title):
        self.title, self.problems = title, []

    def expect(self, condition, message):
        if not condition:
            self.problems.append(message)
        return condition

    def finish(self):
        for problem in self.problems:
            print(f"{self.title}: {problem}")
        print(f"{self.title}: {len(self.problems)} difference(s)" if self.problems else f"{self.title}: as expected")
        return 1 if self.problems else 0


def resources(pe):
    """Every resource of the file as {(type id, name id, language id): data bytes}.
    Named (non-numeric) types and names appear under their text."""
    found = {}
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return found
    for type_entry in root.entries:
        type_key = type_entry.id if type_entry.name is None else str(type_entry.name)
        for name_entry in type_entry.directory.entries:
            name_key = name_entry.id if name_entry.name is None else str(name_entry.name)
            for language_entry in name_entry.directory.entries:
                data = language_entry.data.struct
                found[(type_key, name_key, language_entry.id)] = pe.get_data(
                    data.OffsetToData, data.Size)
    return found


def probe_exports(pe):
    """The export names of pe that belong to the tests' probes (a probe, call journal or planned
    fault: their names, mangled or not, carry Probe, Journal or Fault), sorted."""
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_EXPORT"]])
    symbols = getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", [])
    names = [symbol.name.decode("ascii", "replace") for symbol in symbols if symbol.name]
    return sorted(name for name in names if re.search(r"probe|journal|fault", name, re.IGNORECASE))


def run(check):
    """Entry point of a check script: check(path) returns a Report."""
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} FILE")
    sys.exit(check(sys.argv[1]).finish())
