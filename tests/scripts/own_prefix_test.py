#!/usr/bin/env python3
"""The scripts act only in Wine prefixes they made: a user's prefix (a saved game, registry files,
a running Wine server) named by WINEPREFIX or TRIBES_WINEPREFIX is left byte for byte as it was."""
import pathlib
import tempfile
import unittest

from checkout import Checkout

# Each script with its arguments, and what it prints on stdout (None: checked apart).
SCRIPTS = [("vtquery --json 127.0.0.1:28001", '{"ran": "vtquery.exe"}\n'), ("wine-prefix", ""),
           ("wine-run game.exe", '{"ran": "game.exe"}\n'), ("demo", '{"ran": "vtquery.exe"}\n'), ("test --plan", None)]


def files(folder):
    return {str(path.relative_to(folder)): path.is_file() and path.read_bytes() for path in folder.rglob("*")}


class OwnPrefixes(unittest.TestCase):
    def checkout(self, name):
        checkout = Checkout(self.work / name)
        self.addCleanup(checkout.end)
        return checkout

    def setUp(self):
        work = tempfile.TemporaryDirectory()
        self.addCleanup(work.cleanup)
        self.work = pathlib.Path(work.name)

    def test_a_users_prefix_is_left_as_it_was(self):
        for number, (script, stdout) in enumerate(SCRIPTS):
            for variable in ("WINEPREFIX", "TRIBES_WINEPREFIX"):
                with self.subTest(script=script, named_by=variable):
                    # In a folder of its own: nothing may appear beside it either.
                    users, checkout = self.work / f"{number} {variable}", self.checkout(f"{number} {variable} run")
                    prefix = users / "games-prefix"
                    (prefix / "drive_c/Games").mkdir(parents=True)
                    (prefix / "drive_c/Games/save.txt").write_text("mission 7, 3 lives\n")
                    (prefix / "system.reg").write_text("WINE REGISTRY Version 2\n[Software\\\\Wine]\n")
                    before, server = files(users), checkout.wine_server(prefix)
                    done = checkout.run(script, TRIBES_I386_NATIVE="1", **{variable: str(prefix)})
                    self.assertEqual(files(users), before, done.stderr)
                    self.assertIsNone(server.poll(), "the user's Wine server was stopped")
                    self.assertNotIn(f" {prefix} ", checkout.log.read_text(), "a program ran in it")
                    if variable == "TRIBES_WINEPREFIX":
                        self.assertNotEqual(done.returncode, 0)
                        self.assertRegex(done.stderr, f"{prefix} is not a Wine prefix this project made.*TRIBES_WINEPREFIX")
                        continue
                    self.assertEqual(done.returncode, 0, done.stderr)
                    # What the scripts say goes to stderr: stdout is the program's alone, from the
                    # run that makes the prefix on.
                    if stdout is None:
                        self.assertIn(f"Wine prefix ({checkout.root}/build/wineprefix, both halves)", done.stderr)
                    else:
                        self.assertEqual(done.stdout, stdout)

    def test_the_projects_prefix_is_made_again_for_its_real_cause(self):
        # (files it has, what they hold, its 32-bit half there, what wine-prefix says)
        cases = [
            ("made 64-bit only, before .tribes-owned", [".tribes-ready", "old"], "64\n", False,
             "was made without its 32-bit half"),
            ("its 32-bit half gone", [".tribes-owned", ".tribes-ready", "old"], "", False, "lacks its 32-bit half"),
            ("its making cut short", [".tribes-owned", "old"], "", True, "was left unfinished"),
            ("an empty folder", [], "", False, None),
        ]
        checkout = self.checkout("run")
        kernel32 = "drive_c/windows/syswow64/kernel32.dll"
        for kind, names, text, half, said in cases:
            with self.subTest(kind):
                prefix = self.work / kind
                prefix.mkdir()
                for name in names + [kernel32] * half:
                    (prefix / name).parent.mkdir(parents=True, exist_ok=True)
                    (prefix / name).write_text(text)
                server = checkout.wine_server(prefix)
                done = checkout.run("wine-prefix", TRIBES_I386_NATIVE="1", TRIBES_WINEPREFIX=str(prefix))
                self.assertEqual((done.returncode, done.stdout), (0, ""), done.stderr)
                if said:
                    self.assertIn(f"Wine prefix {prefix} {said}", done.stderr)
                    self.assertEqual(server.wait(5), -15, "its Wine server was not stopped first")
                else:
                    self.assertNotIn("making it again", done.stderr)
                    self.assertIsNone(server.poll())
                self.assertEqual(sorted(name for name in files(prefix) if "/" not in name),
                                 [".tribes-owned", ".tribes-ready", "drive_c", "system.reg"])
                self.assertEqual((prefix / ".tribes-ready").read_text() + (prefix / kernel32).read_text(), "")

    def test_only_what_is_ours_is_removed_or_stopped(self):
        # A user's prefix put in build/, one of ours beside it, a file outside the checkout.
        checkout = self.checkout("run")
        users, ours, outside = checkout.root / "build/home/games", checkout.root / "build/wineprefix", self.work / "x"
        for prefix, mark in ((users, "system.reg"), (ours, ".tribes-owned")):
            (prefix / "dosdevices").mkdir(parents=True)
            (prefix / "dosdevices/z:").symlink_to("/")
            (prefix / mark).touch()
        outside.touch()
        servers = [checkout.wine_server(users), checkout.wine_server(ours)]
        # (what only_ours is asked, whether it does it)
        cases = [(f"remove {outside}", False), ("remove build/home", False), ("remove build/home/games/dosdevices", False),
                 ("stop-wine build/home/games", False), ("drop-drive build/home/games z:", False),
                 ("drop-drive build/wineprefix z:", True), ("stop-wine build/wineprefix", True),
                 ("remove build/wineprefix/dosdevices build/wineprefix", True), ("stop-wine build/none", True)]
        for asked, done in cases:
            with self.subTest(asked):
                result = checkout.run(["bash", "-c", f"cd '{checkout.root}' && . scripts/lib.sh && only_ours {asked}"])
                self.assertEqual(result.returncode == 0, done, result.stderr)
        self.assertEqual([outside.exists(), (users / "dosdevices/z:").exists(), servers[0].poll(), ours.exists(),
                          servers[1].wait(5)], [True, True, None, False, -15])


if __name__ == "__main__":
    unittest.main()
