"""A copy of scripts/ in a checkout of its own, with tests/scripts/stand-in in place of what they
start (Wine, CMake, dpkg, the build's programs, and `tee`, which keeps a folder as a kernel keeps
binfmt_misc), so that a test runs them in seconds on any machine."""
import os
import pathlib
import shutil
import subprocess

REPO = pathlib.Path(__file__).resolve().parents[2]
LINKS = ["bin/" + name for name in ("wine", "wine64", "wineserver", "cmake", "dpkg-query", "tee")] + [
    "repo/build/native/bin/tribes-emu", "repo/build/win32/bin/vtquery.exe"]


class Checkout:
    def __init__(self, work):
        self.root, self.log, self.processes = work / "repo", work / "calls.log", work / "processes"
        shutil.copytree(REPO / "scripts", self.root / "scripts")
        for link in LINKS:
            (work / link).parent.mkdir(parents=True, exist_ok=True)
            (work / link).symlink_to(REPO / "tests/scripts/stand-in")
        self.log.touch()
        self.processes.touch()
        self.env = {name: value for name, value in os.environ.items() if not name.startswith(("TRIBES_", "WINE"))}
        self.env.update(PATH=f"{work / 'bin'}:{os.environ['PATH']}", STAND_IN_LOG=str(self.log),
                        STAND_IN_PROCESSES=str(self.processes), TRIBES_WINE64_LOADER=str(work / "bin/wine64"),
                        TRIBES_BINFMT_DIR=str(work / "binfmt_misc"), TRIBES_I386_LOCK=str(work / "i386.lock"))

    def wine_server(self, prefix):
        """A process standing for the Wine server of PREFIX, ended with the prefix's programs."""
        server = subprocess.Popen(["wineserver", "60"], executable="/bin/sleep", env={"WINEPREFIX": str(prefix)})
        with self.processes.open("a") as listed:
            listed.write(f"{prefix} {server.pid}\n")
        return server

    def run(self, command, **variables):
        """A script of the copy with its arguments ("demo --arch i686"), or a command as a list."""
        if isinstance(command, str):
            command = [str(self.root / "scripts" / command.split()[0]), *command.split()[1:]]
        return subprocess.run(command, env=dict(self.env, **variables), capture_output=True, text=True,
                              timeout=60, stdin=subprocess.DEVNULL)

    def end(self):
        """Ends every process of a prefix that is still running."""
        for line in self.processes.read_text().splitlines():
            subprocess.run(["kill", "-9", line.split()[-1]], capture_output=True)
