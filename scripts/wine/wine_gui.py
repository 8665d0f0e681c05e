# Windows programs under Wine on a private X server, read and driven by the
# probe: what the window tests and scripts/show_window.py share.
import os
import shutil
import subprocess
import time
from pathlib import Path
from types import SimpleNamespace

WINE = "/usr/lib/wine/wine64"
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def dos(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def wait(what, condition, timeout=20):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)
    return value


def start_xvfb():
    # Xvfb writes its display number once it accepts clients, and fails if it
    # cannot: the pipe stays open for as long as the server runs.
    ready, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                              pass_fds=(write,), **QUIET)
    os.close(write)
    number = b""
    while not number.endswith(b"\n") and (chunk := os.read(ready, 16)):
        number += chunk
    server.display_pipe = ready
    return server, ":" + number.decode().strip()


def stop_server(prefix):
    for option in ("-k", "-w"):
        subprocess.run(["/usr/lib/wine/wineserver", option], env=dict(os.environ, WINEPREFIX=str(prefix)), **QUIET)


def copy_prefix(base, prefix, user_keys="", system_keys=""):
    # The base is made once and kept; a copy shares its files by hard links,
    # all but the registry, which Wine rewrites. Keys are appended to the
    # registry files while no server runs on the copy.
    subprocess.run([Path(__file__).resolve().parent / "make_prefix.sh", base], check=True, stdin=subprocess.DEVNULL)
    # A server left by an earlier run must be gone before its files are.
    stop_server(prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.copytree(base, prefix, symlinks=True,
                    copy_function=lambda a, b: shutil.copy2(a, b) if a.endswith(".reg") else os.link(a, b))
    for name, keys in (("user.reg", user_keys), ("system.reg", system_keys)):
        text = (prefix / name).read_text(encoding="latin-1")
        # Own top-level windows, never a virtual desktop: drops need the program's X window.
        text = text.replace('"Desktop"="Default"\n', "")
        (prefix / name).write_text(text + "\n" + keys, encoding="latin-1")


class Wine:
    def __init__(self, prefix, display, probe, work):
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LANG="C.UTF-8", DISPLAY=display)
        self.prefix, self.display, self.probe_exe, self.work = prefix, display, probe, work
        self.count = 0

    def start(self, *args):
        # Output into a file: Wine's background processes keep a pipe open.
        self.count += 1
        with open(self.work / f"run{self.count}.out", "wb") as out, open(self.work / f"run{self.count}.err", "wb") as err:
            process = subprocess.Popen([WINE, *map(str, args)], env=self.env, cwd=self.work,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        process.out = self.work / f"run{self.count}.out"
        return process

    def run(self, *args):
        process = self.start(*args)
        return process.out.read_bytes().decode() if process.wait(60) == 0 else None

    def probe(self, *args):
        return self.run(self.probe_exe, *args)

    def read(self, title, sync=False):
        out = self.probe("read", title, *(["sync"] if sync else []))
        if out is None:
            return None
        head, *controls = [record.split("\x1f") for record in out.split("\x1e")[:-1]]
        return SimpleNamespace(enabled=head[0] == "1", exstyle=int(head[1]), focus=int(head[2]),
                               rect=tuple(map(int, head[3:7])), owner=head[7],
                               text={int(c[0]): c[5] for c in controls},
                               rect_of={int(c[0]): tuple(map(int, c[1:5])) for c in controls})

    def stop(self):
        stop_server(self.prefix)

    def grab(self, picture="gray:-", rect=None):
        # Raw grey bytes of the whole screen, or a PNG of a rectangle of it.
        crop = ["-crop", f"{rect[2] - rect[0]}x{rect[3] - rect[1]}+{rect[0]}+{rect[1]}", "+repage"] if rect else []
        return subprocess.run(["import", "-display", self.display, "-window", "root", *crop, "-depth", "8", str(picture)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, check=True).stdout
