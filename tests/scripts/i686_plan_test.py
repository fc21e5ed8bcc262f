#!/usr/bin/env python3
"""scripts/test's plan for the shipping (i686) build on each kind of machine.

The native check's answer is forced (TRIBES_I386_NATIVE) and binfmt_misc is a folder of the
test's (TRIBES_BINFMT_DIR), so every kind is tried on any machine; `scripts/test --plan` prints
the steps it would run and runs none.
"""
import os
import pathlib
import subprocess
import tempfile
import unittest

REPO = pathlib.Path(__file__).resolve().parents[2]
# The magic and mask lines binfmt_misc shows for an i386 emulator (Debian's qemu-user-binfmt).
OWN_EMULATOR = (
    "enabled\ninterpreter /usr/libexec/qemu-binfmt/i386-binfmt-P\nflags: POCF\noffset 0\n"
    "magic 7f454c4601010100000000000000000002000300\n"
    "mask fffffffffffefe00fffffffffffffffffeffffff\n"
)
# Another format's entry, which must not count as an i386 emulator.
ARM_EMULATOR = OWN_EMULATOR.replace("02000300", "02002800")

NATIVE_STEPS = ["test win32", "test win32: vtbrowse's window under Xvfb",
                "configure win32 (its test programs listed as they are built)",
                "release package: unpacked and run in a new Wine prefix", "both halves)"]
STATIC_STEPS = ["configure win32 (its test programs not run while building)",
                "check the i686 files (win32)", "release package: its files' imports and properties",
                "64-bit only)", "test win64", "test native-asan"]
EMULATED_STEP = "the shipping build under emulation"


def may_register():
    return os.geteuid() == 0 or subprocess.run(["sudo", "-n", "true"], capture_output=True).returncode == 0


class Plan(unittest.TestCase):
    def plan(self, binfmt, native=None, allow_none=False):
        env = dict(os.environ, TRIBES_BINFMT_DIR=str(binfmt), WINEPREFIX=str(binfmt.parent / "prefix"),
                   TRIBES_I386_LOCK=str(binfmt.parent / "i386.lock"))
        for name in ("TRIBES_I386_NATIVE", "TRIBES_ALLOW_NO_I686"):
            env.pop(name, None)
        if native is not None:
            env["TRIBES_I386_NATIVE"] = native
        if allow_none:
            env["TRIBES_ALLOW_NO_I686"] = "1"
        done = subprocess.run([str(REPO / "scripts/test"), "--plan"], env=env, capture_output=True,
                              text=True, timeout=60, stdin=subprocess.DEVNULL)
        return done.returncode, done.stdout + done.stderr

    def test_each_kind_of_machine(self):
        # (kind, binfmt entries, native check, allow none, exit, steps present, steps absent, said)
        kinds = [
            ("native", {}, "1", False, 0, NATIVE_STEPS, STATIC_STEPS[:3] + [EMULATED_STEP],
             "natively: "),
            ("native beside another format's emulator", {"qemu-arm": ARM_EMULATOR}, "1", False, 0,
             NATIVE_STEPS, [EMULATED_STEP], "under emulation: none"),
            # With an entry of ours that a killed run left, which goes first.
            ("no 32-bit programs, emulation possible", {"register": "", "tribes-i386": OWN_EMULATOR}, "0",
             False, 0, STATIC_STEPS + [EMULATED_STEP], NATIVE_STEPS, "under emulation: 1 test program"),
            ("the machine's own emulator", {"register": "", "qemu-i386": OWN_EMULATOR}, None, False, 0,
             STATIC_STEPS + [EMULATED_STEP], NATIVE_STEPS, "its own emulator (binfmt_misc entry qemu-i386)"),
            ("no 32-bit programs, no binfmt_misc", None, "0", False, 1,
             STATIC_STEPS, NATIVE_STEPS + [EMULATED_STEP], "not run: all"),
            ("the same, allowed", None, "0", True, 0, STATIC_STEPS, [EMULATED_STEP], "not run: all"),
        ]
        for kind, entries, native, allow_none, status, present, absent, said in kinds:
            with self.subTest(kind), tempfile.TemporaryDirectory() as work:
                if "register" in (entries or {}) and "qemu-i386" not in entries and not may_register():
                    self.skipTest("registering an emulator needs root")
                binfmt = pathlib.Path(work) / "binfmt_misc"
                if entries is not None:
                    binfmt.mkdir()
                    for name, text in entries.items():
                        (binfmt / name).write_text(text)
                code, out = self.plan(binfmt, native, allow_none)
                self.assertEqual(code, status, out)
                for text in present:
                    self.assertIn(text, out)
                for text in absent:
                    self.assertNotIn(text, out)
                self.assertIn(said, out)
                if "tribes-i386" in (entries or {}):
                    # binfmt_misc removes an entry on "-1"; the test's folder keeps what was written.
                    self.assertEqual((binfmt / "tribes-i386").read_text().strip(), "-1")


if __name__ == "__main__":
    unittest.main()
