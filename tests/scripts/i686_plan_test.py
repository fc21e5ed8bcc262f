#!/usr/bin/env python3
"""scripts/test's plan for the shipping (i686) build on each kind of machine, and the check
that tells the kinds apart.

The native check's answer is forced (TRIBES_I386_NATIVE) or comes from a stand-in loader
(TRIBES_I386_LOADER), and binfmt_misc is a folder of the test's, so every kind is tried on any
machine; `scripts/test --plan` prints the steps it would run and runs none.
"""
import os
import pathlib
import shutil
import subprocess
import tempfile
import unittest

from checkout import REPO, Checkout

CMAKE = shutil.which("cmake")
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
                "check the i686 files (win32)",
                "64-bit only)", "test win64", "test native-asan"]
EMULATED_STEP = "the shipping build under emulation"


def may_register():
    return os.geteuid() == 0 or subprocess.run(["sudo", "-n", "true"], capture_output=True).returncode == 0


class Plan(unittest.TestCase):
    def run_in(self, work, command, **variables):
        done = Checkout(pathlib.Path(work)).run(command, **variables)
        return done.returncode, done.stdout + done.stderr

    def test_each_kind_of_machine(self):
        # (kind, binfmt entries, native check, allow none, exit, steps present, steps absent, said)
        kinds = [
            ("native", {}, "1", False, 0, NATIVE_STEPS, STATIC_STEPS[:3] + [EMULATED_STEP],
             "natively: "),
            ("native beside another format's emulator", {"qemu-arm": ARM_EMULATOR}, "1", False, 0,
             NATIVE_STEPS, [EMULATED_STEP], "under emulation: none"),
            # With an entry of ours that a killed run left, which goes first: then the machine decides.
            ("no 32-bit programs, emulation possible", {"register": "", "tribes-i386": OWN_EMULATOR}, "0",
             False, 0, STATIC_STEPS + [EMULATED_STEP, "forced to fail"], NATIVE_STEPS + ["held by a run"],
             "under emulation: 1 test program"),
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
                variables = dict(TRIBES_I386_NATIVE=native or "", TRIBES_ALLOW_NO_I686="1" if allow_none else "")
                code, out = self.run_in(work, "test --plan", **variables)
                self.assertEqual(code, status, out)
                for text in present:
                    self.assertIn(text, out)
                for text in absent:
                    self.assertNotIn(text, out)
                self.assertIn(said, out)
                self.assertFalse((binfmt / "tribes-i386").exists())

    def test_the_32bit_loader_tells_whether_32bit_programs_run(self):
        # The answer of scripts/lib.sh's detect_i386, then the discovery mode of CMake's probe.
        loaders = [
            ("native", "#!/bin/sh\nexit 0\n", "native \n", ""),
            ("missing", None, "loader LOADER is missing", "PRE_TEST"),
            ("a kernel without 32-bit programs", "\x00\x01 no program of this machine's", "Exec format error)",
             "PRE_TEST"),
            ("another failure", "#!/bin/sh\nexit 3\n", "(LOADER --version: exit 3)", "PRE_TEST"),
        ]
        for kind, program, said, discovery in loaders:
            with self.subTest(kind), tempfile.TemporaryDirectory() as work:
                loader = pathlib.Path(work) / "ld-linux.so.2"
                if program is not None:
                    loader.write_text(program)
                    loader.chmod(0o755)
                _, out = self.run_in(work, ["bash", "-c", f"source {REPO}/scripts/lib.sh && detect_i386 && "
                                               'echo "$i386_mode $i386_why"'], TRIBES_I386_LOADER=str(loader))
                self.assertIn(said.replace("LOADER", str(loader)), out)
                out = subprocess.run([CMAKE, f"-DTRIBES_I386_LOADER={loader}", "-P", str(REPO / "cmake/i386_programs.cmake")],
                                     capture_output=True, text=True, timeout=60).stderr
                self.assertIn(f"discovery: {discovery}\n", out)


if __name__ == "__main__":
    unittest.main()
