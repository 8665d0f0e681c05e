# Windows programs under Wine on a private X server, read and driven by the
# probe: what the window tests, the release test and scripts/show_window.py
# share.
import json
import os
import re
import shutil
import struct
import subprocess
import time
from pathlib import Path
from types import SimpleNamespace

HERE = Path(__file__).resolve().parent
WINE = "/usr/lib/wine/wine64"
QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


# The identifiers the resources and the code share.
IDS = {name: int(value) for name, value in
       re.findall(r"^#define (\w+) (\d+)", (HERE.parents[1] / "resources" / "resource_ids.h").read_text(), re.M)}
# The main window's fields in reading order, the preview last, as Ctrl+C
# copies them: identifier, label and the key of the console program's JSON;
# the figures as the program's own table of them has them.
FIGURES = re.findall(r'\{(IDC_MAIN_\w+), "([^"]+)", "(\w+)"', (HERE.parents[1] / "analysis" / "result_fields.cpp").read_text())
MAIN_FIELDS = [(IDS[name], label, key) for name, label, key in [
    ("IDC_MAIN_PATH", "File Name", "path"), ("IDC_MAIN_SIZE", "Size (Bytes)", "size"), ("IDC_MAIN_TYPE", "Type", "type"),
    *FIGURES, ("IDC_MAIN_PREVIEW", "Preview", "preview")]]


def shown(window):
    """The text of each field of the main window."""
    return {i: window.text[i] for i, _, _ in MAIN_FIELDS}


def reports(text):
    """Each file's fields as quorvane-cli's text report shows them, by label, the preview left out."""
    return [{line[:13].rstrip(): line[14:] for line in block.splitlines()[:len(MAIN_FIELDS) - 1]}
            for block in re.split(r"\n\n(?=File Name )", text.replace("\r\n", "\n"))]


def expected(result, report):
    """What the main window shows for a file: the name and preview of quorvane-cli --json's result, every
    other field as the text report shows it, which formats each figure as the window does."""
    return {i: result[k] if k in ("path", "preview") else report[label] for i, label, k in MAIN_FIELDS}


def is_x86(exe):
    """Whether a Windows program is a 32-bit one, by its PE header."""
    data = Path(exe).read_bytes()
    return struct.unpack_from("<H", data, struct.unpack_from("<I", data, 0x3C)[0] + 4)[0] == 0x14C


def root_of(exe):
    """What Wine's programs run under for exe's architecture: 32-bit programs
    under WoW64 in the Debian root of wow64.sh (natively or emulated, as it
    decides), 64-bit ones on this machine."""
    return [str(HERE / "wow64.sh"), "run"] if is_x86(exe) else []


def dos(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


# Limits on waits, which only a failure reaches: generous, as 32-bit programs
# emulated by qemu-i386 (wow64.sh) start and run several times slower.
def wait(what, condition, timeout=60):
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


def stop_server(prefix, root):
    for option in ("-k", "-w"):
        subprocess.run([*root, "/usr/lib/wine/wineserver", option], env=dict(os.environ, WINEPREFIX=str(prefix)),
                       **QUIET)


def copy_prefix(base, prefix, root, user_keys="", system_keys=""):
    # The base is made once and kept; a copy shares its files by hard links,
    # all but the registry, which Wine rewrites. Keys are appended to the
    # registry files while no server runs on the copy.
    subprocess.run([HERE / "make_prefix.sh", base, "x86" if root else "x64"], check=True, stdin=subprocess.DEVNULL)
    # A server left by an earlier run must be gone before its files are.
    stop_server(prefix, root)
    shutil.rmtree(prefix, ignore_errors=True)
    shutil.copytree(base, prefix, symlinks=True,
                    copy_function=lambda a, b: shutil.copy2(a, b) if a.endswith(".reg") else os.link(a, b))
    for name, keys in (("user.reg", user_keys), ("system.reg", system_keys)):
        text = (prefix / name).read_text(encoding="latin-1")
        # Own top-level windows, never a virtual desktop: drops need the program's X window.
        text = text.replace('"Desktop"="Default"\n', "")
        (prefix / name).write_text(text + "\n" + keys, encoding="latin-1")


class Wine:
    """A prefix on a display, its programs run under root (root_of), read and
    driven by the probe, which has their architecture."""

    def __init__(self, prefix, display, probe, work, root):
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        LANG="C.UTF-8", DISPLAY=display)
        self.prefix, self.display, self.probe_exe, self.work, self.root = prefix, display, probe, work, root
        self.count = 0
        # One server for the whole session, until stop(): a server that ended
        # between two programs starts the system's services again with the
        # next one, which then may ask them (a drive's type) before they are up.
        subprocess.run([*root, "/usr/lib/wine/wineserver", "-p"], env=self.env, **QUIET)

    def start(self, *args, lang="C.UTF-8"):
        # Output into a file: Wine's background processes keep a pipe open.
        # Wine takes the ANSI code page from the locale.
        self.count += 1
        with open(self.work / f"run{self.count}.out", "wb") as out, open(self.work / f"run{self.count}.err", "wb") as err:
            process = subprocess.Popen([*self.root, WINE, *map(str, args)], env=dict(self.env, LANG=lang), cwd=self.work,
                                       stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        process.out = self.work / f"run{self.count}.out"
        return process

    def run(self, *args, lang="C.UTF-8"):
        process = self.start(*args, lang=lang)
        return process.out.read_bytes().decode() if process.wait(120) == 0 else None

    def probe(self, *args):
        return self.run(self.probe_exe, *args)

    def read(self, title, sync=False):
        # A window is taken for gone only when a second look, a moment later,
        # agrees: under load a look now and then finds nothing where a window
        # stands (seen about once in a few hundred).
        out = self.probe("read", title, *(["sync"] if sync else []))
        if out is None:
            time.sleep(0.2)
            out = self.probe("read", title, *(["sync"] if sync else []))
        if out is None:
            return None
        window = json.loads(out)
        controls = window.pop("controls")
        return SimpleNamespace(**dict(window, enabled=window["enabled"] == 1, unicode=window["unicode"] == 1,
                                      rect=tuple(window["rect"]), text={c[0]: c[2] for c in controls},
                                      rect_of={c[0]: tuple(c[1]) for c in controls}))

    def clipboard(self, title):
        out = self.probe("clip", title)
        return None if out is None else json.loads(out)

    def main_window(self, process):
        """The main window of a program just started, once it has analysed the
        file it was started on; None when the program ended first."""
        # While its controls are being made a window has no File Name yet.
        ready = wait("the main window", lambda: process.poll() is not None or
                     ((w := self.read("Quorvane")) is not None and w.text.get(IDS["IDC_MAIN_PATH"]) and w), 120)
        return None if ready is True else self.read("Quorvane", sync=True)

    def stop(self):
        stop_server(self.prefix, self.root)

    def grab(self, picture="gray:-", rect=None):
        # Raw grey bytes of the whole screen, or a PNG of a rectangle of it.
        crop = ["-crop", f"{rect[2] - rect[0]}x{rect[3] - rect[1]}+{rect[0]}+{rect[1]}", "+repage"] if rect else []
        return subprocess.run(["import", "-display", self.display, "-window", "root", *crop, "-depth", "8", str(picture)],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, check=True).stdout
