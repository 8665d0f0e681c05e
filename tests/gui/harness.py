"""Runs the real Quorvane.exe under Wine on a private X server and reads and
drives it from outside: through the probe program (Win32 calls made from
another process of the same Wine prefix) and through the X display (file
drops as a desktop delivers them).

Nothing here reads a Wine process's output through a pipe: Wine's background
processes inherit pipes and keep them open, so every output goes to a file.
"""

import ctypes
import os
import select
import shutil
import signal
import socket
import subprocess
import time
from pathlib import Path

WINE = os.environ.get("QUORVANE_WINE", "/usr/lib/wine/wine64")
WINESERVER = os.environ.get("QUORVANE_WINESERVER", "/usr/lib/wine/wineserver")

# Win32 constants the tests use.
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
WS_EX_TOPMOST = 0x00000008
WS_EX_ACCEPTFILES = 0x00000010
EM_GETSEL = 0x00B0
EM_SETSEL = 0x00B1
DRIVE_REMOVABLE = 2
DRIVE_FIXED = 3


_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_us():
    """Runs in each child before it starts: whatever we start ends when we
    do, even when we are killed without a chance to clean up."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class TestFailure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def check_equal(actual, expected, what):
    if actual != expected:
        raise TestFailure(f"{what}: expected {expected!r}, got {actual!r}")


def wait_for(condition, timeout, what, interval=0.02):
    """Polls condition() until it returns something true; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def dos_path(path):
    """The Windows name of a host path, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# --- prefix ---------------------------------------------------------------

# Files that Wine only ever reads once the prefix is made: shared between
# copies by hard links. Everything else (registry, ini files) is copied.
_LINKED_SUFFIXES = {".dll", ".exe", ".sys", ".drv", ".ocx", ".cpl", ".acm", ".ax", ".tlb", ".nls", ".ttf",
                    ".fon", ".ttc", ".ds", ".msstyles", ".mui", ".com", ".vxd", ".dll16", ".exe16", ".drv16"}


def copy_prefix(source, target):
    """A private copy of a prepared prefix, cheap enough for each test group."""
    target = Path(target)
    if target.exists():
        shutil.rmtree(target)

    def copy(src, dst):
        if Path(src).suffix.lower() in _LINKED_SUFFIXES:
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(source, target, symlinks=True, copy_function=copy)


def wine_env(prefix, display=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("WAYLAND_DISPLAY",)}
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8")
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = display
    return env


def stop_wineserver(prefix):
    subprocess.run([WINESERVER, "-k"], env=wine_env(prefix), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=30)
    subprocess.run([WINESERVER, "-w"], env=wine_env(prefix), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False, timeout=30)


# --- X server -------------------------------------------------------------

class Xvfb:
    """A private X server on a free display number."""

    def __init__(self, log_path, size="1024x768x24"):
        read_end, write_end = os.pipe()
        self._log = open(log_path, "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=self._log, stderr=self._log,
            preexec_fn=_die_with_us)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                os.close(read_end)
                self.stop()
                raise TestFailure("Xvfb did not report its display")
            chunk = os.read(read_end, 16)
            if not chunk:
                os.close(read_end)
                self.stop()
                raise TestFailure("Xvfb exited at start")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._log.close()

    def _grab(self, rect):
        args = ["import", "-display", self.name, "-window", "root"]
        if rect is not None:
            left, top, right, bottom = rect
            args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        return subprocess.run(args + ["png:-"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, check=True, timeout=30).stdout

    def screenshot(self, path, rect=None, settle=5.0):
        """Saves the screen, or a rectangle (left, top, right, bottom) of it, as
        PNG, once two grabs a moment apart agree: windows paint their controls
        a little after they answer messages."""
        picture = self._grab(rect)
        deadline = time.monotonic() + settle
        while time.monotonic() < deadline:
            time.sleep(0.25)
            again = self._grab(rect)
            if again == picture:
                break
            picture = again
        Path(path).write_bytes(picture)


# --- processes in the prefix ----------------------------------------------

class WineProcess:
    """A Windows program started with wine64; its exit code is the program's."""

    def __init__(self, session, exe, args, name):
        self.log_path = session.work / f"{name}.log"
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen([WINE, str(exe)] + [str(a) for a in args], env=session.env,
                                        cwd=session.work, stdin=subprocess.DEVNULL, stdout=self._log,
                                        stderr=self._log, preexec_fn=_die_with_us)

    def exit_code(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"process did not end within {timeout} s") from None

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self._log.close()


def _hex(text):
    if isinstance(text, str):
        text = text.encode("cp1252")
    return text.hex() if text else "-"


def _unhex(token):
    return b"" if token == "-" else bytes.fromhex(token)


class Probe:
    """The probe program, serving commands over a loopback connection."""

    def __init__(self, session):
        port_file = session.work / "probe.port"
        port_file.unlink(missing_ok=True)
        self.process = WineProcess(session, session.probe_exe, ["serve", dos_path(port_file)], "probe")
        wait_for(lambda: port_file.exists() or not self.process.running(), 60, "the probe to listen")
        check(self.process.running(), f"the probe ended at start; see {self.process.log_path}")
        port = int(port_file.read_text().strip())
        self.socket = socket.create_connection(("127.0.0.1", port), timeout=30)
        self._pending = b""

    def call(self, *tokens):
        """Sends one command; returns the reply's tokens after "ok"."""
        line = " ".join(str(t) for t in tokens) + "\n"
        self.socket.sendall(line.encode())
        while b"\n" not in self._pending:
            chunk = self.socket.recv(1 << 20)
            if not chunk:
                raise TestFailure("the probe closed the connection")
            self._pending += chunk
        reply, self._pending = self._pending.split(b"\n", 1)
        parts = reply.decode().split(" ")
        if parts[0] != "ok":
            raise TestFailure(f"probe command {tokens[0]} failed: {' '.join(parts[1:])}")
        return parts[1:]

    def close(self):
        try:
            self.call("quit")
            self.process.exit_code(10)
        except (OSError, TestFailure):
            pass
        self.socket.close()
        self.process.kill()

    # Reading windows.

    def find(self, class_name, title=None):
        return int(self.call("find", _hex(class_name), _hex(title) if title is not None else "-")[0])

    def text_bytes(self, window, control_id=0):
        return _unhex(self.call("text", window, control_id)[0])

    def text(self, window, control_id=0):
        return self.text_bytes(window, control_id).decode("cp1252")

    def info(self, window):
        t = self.call("info", window)
        return {"style": int(t[0]), "exstyle": int(t[1]), "enabled": t[2] == "1", "visible": t[3] == "1",
                "pid": int(t[4]), "rect": tuple(int(v) for v in t[5:9]),
                "class": _unhex(t[9]).decode("cp1252"), "title": _unhex(t[10]).decode("cp1252")}

    def exists(self, window):
        try:
            self.call("info", window)
            return True
        except TestFailure:
            return False

    def focus(self, window):
        """The focused control of window's thread: (hwnd, id, parent, active, foreground)."""
        t = self.call("focus", window)
        return int(t[0]), int(t[1]), int(t[2]), int(t[3]), int(t[4])

    def owned(self, window):
        """Top-level windows owned by window: [(hwnd, class, title, visible)]."""
        t = self.call("owned", window)
        return [(int(t[i]), _unhex(t[i + 1]).decode("cp1252"), _unhex(t[i + 2]).decode("cp1252"), t[i + 3] == "1")
                for i in range(0, len(t), 4)]

    def item(self, window, control_id):
        return int(self.call("item", window, control_id)[0])

    def combo(self, window, control_id):
        """(selected index, [items])."""
        t = self.call("combo", window, control_id)
        return int(t[0]), [_unhex(x).decode("utf-8") for x in t[1:]]

    def tip(self, dialog, control_id):
        """(tooltip hwnd, text last shown, tool text of the control)."""
        t = self.call("tip", dialog, control_id)
        return int(t[0]), _unhex(t[1]).decode("cp1252"), _unhex(t[2]).decode("utf-8")

    def clipboard(self):
        return _unhex(self.call("clipboard")[0]).decode("cp1252")

    def version(self):
        t = self.call("version")
        return {"platform": int(t[0]), "major": int(t[1]), "minor": int(t[2]), "build": int(t[3]),
                "csd": _unhex(t[4]).decode("cp1252"), "product": int(t[5]), "suite": int(t[6]),
                "tablet": int(t[7]), "media": int(t[8])}

    def appdata(self):
        return _unhex(self.call("appdata")[0]).decode("cp1252")

    def drive_type(self, root):
        return int(self.call("drivetype", _hex(root))[0])

    def watch_focus(self, window, milliseconds):
        """[(ms, control id)] at each change of the focus during the period."""
        t = self.call("watchfocus", window, milliseconds)
        return [(int(t[i]), int(t[i + 1])) for i in range(0, len(t), 2)]

    # Driving windows.

    def post(self, window, message, wparam=0, lparam=0):
        self.call("post", window, message, wparam, lparam)

    def send(self, window, message, wparam=0, lparam=0, timeout_ms=5000):
        """The result, or None when the window did not answer in time."""
        t = self.call("send", window, message, wparam, lparam, timeout_ms)
        return int(t[1]) if t[0] == "done" else None

    def click(self, window, control_id):
        """Presses a button (BM_CLICK) without waiting for what it starts."""
        self.call("click", window, control_id)

    def click_and_return(self, window, control_id, timeout_ms=3000):
        """Presses a button and waits for the press to be handled; False when the
        handler did not return in time (it opened something modal)."""
        return self.call("clicksync", window, control_id, timeout_ms)[0] == "done"

    def open_and_click(self, window, button, control_id, timeout_ms=20000):
        """Presses a button that opens a dialog and clicks a control of that
        dialog as soon as it exists: (dialog, milliseconds between)."""
        t = self.call("openclick", window, button, control_id, timeout_ms)
        return int(t[0]), int(t[1])

    def hover(self, window, control_id):
        """Moves the mouse pointer onto a control."""
        self.call("hover", window, control_id)

    def mouse_click(self, window, control_id):
        self.call("mouseclick", window, control_id)

    def key(self, window, name):
        """Types one key ("tab", "shift+tab", "return", "escape", "down") into
        window's thread after bringing window to the foreground."""
        self.call("key", window, name)

    def hold(self, path):
        self.call("hold", _hex(path))

    def release(self):
        self.call("release")

    def empty_clipboard(self):
        self.call("emptyclipboard")

    def barrier(self, window, control_id):
        """Returns once window's thread has handled every message posted to it
        before now: posts a new selection to an edit field and waits until the
        field reports it (posted messages are handled in order)."""
        field = self.item(window, control_id)
        current = self.send(field, EM_GETSEL)
        check(current is not None, "the window does not answer")
        end = 2 if (current >> 16) == 1 else 1
        self.post(field, EM_SETSEL, 0, end)
        wait_for(lambda: self.send(field, EM_GETSEL) == (end << 16), 10, "the posted-message barrier")


# --- a test group's world -------------------------------------------------

class Session:
    """One test group: a private copy of the prepared prefix, a private X
    server and the probe. Everything it starts is stopped by close()."""

    def __init__(self, name, args):
        self.name = name
        self.work = Path(args.work) / name
        if (self.work / "prefix").exists():
            stop_wineserver(self.work / "prefix")  # left by a run that was cut short
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.exe = Path(args.exe).resolve()
        self.probe_exe = Path(args.probe).resolve()
        self.prefix = self.work / "prefix"
        copy_prefix(args.gui_prefix, self.prefix)
        self.display = Xvfb(self.work / "xvfb.log")
        self.env = wine_env(self.prefix, self.display.name)
        self.processes = []
        self.probe = None
        self._x = None

    def start_probe(self):
        self.probe = Probe(self)
        return self.probe

    def restart_probe(self):
        if self.probe is not None:
            self.probe.close()
        return self.start_probe()

    def start(self, args=(), exe=None, name="quorvane"):
        process = WineProcess(self, exe or self.exe, list(args), f"{name}-{len(self.processes)}")
        self.processes.append(process)
        return process

    def stop_wineserver(self):
        stop_wineserver(self.prefix)

    @property
    def x(self):
        if self._x is None:
            from xdnd import XdndSource
            self._x = XdndSource(self.display.name)
        return self._x

    def close(self):
        if self._x is not None:
            self._x.close()
        if self.probe is not None:
            self.probe.close()
        for process in self.processes:
            process.kill()
        stop_wineserver(self.prefix)
        self.display.stop()


# --- the prepared prefix ----------------------------------------------------

TOOLS_DIR = "quorvane-test"  # under drive_c: the shell handler and its log
LOGGER_DOS = "C:\\quorvane-test\\shell_logger.exe"

_SETTINGS = r'''REGEDIT4

; Windows as top-level X windows (drops need the program's own X window),
; and not handed to a window manager: there is none on the test display.
[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"=-

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
'''


def _handler_settings():
    command = '\\"' + LOGGER_DOS.replace("\\", "\\\\") + '\\" \\"%1\\"'
    lines = []
    for kind in ("mailto", "http", "https", "Folder"):
        lines += [f"[-HKEY_CLASSES_ROOT\\{kind}\\shell\\open\\ddeexec]", "",
                  f"[HKEY_CLASSES_ROOT\\{kind}\\shell\\open\\command]", f'@="{command}"', ""]
    return "\n; The shell's handlers for mail, web and folders log what they are given.\n" + "\n".join(lines)


def prepare_gui_prefix(make_prefix, base, gui, logger_exe):
    """Builds the base prefix once (make_prefix.sh keeps it) and derives the
    prefix every test group copies: own windows instead of a virtual desktop,
    and logging handlers for the shell requests."""
    subprocess.run([str(make_prefix), str(base)], stdin=subprocess.DEVNULL, check=True, timeout=600)
    copy_prefix(base, gui)
    tools = Path(gui) / "drive_c" / TOOLS_DIR
    tools.mkdir()
    shutil.copy2(logger_exe, tools / "shell_logger.exe")
    settings = Path(gui) / "quorvane-gui-settings.reg"
    settings.write_text(_SETTINGS + _handler_settings(), encoding="ascii")
    with open(Path(gui).parent / "gui-prefix.log", "wb") as log:
        subprocess.run([WINE, "regedit", "/S", dos_path(settings)], env=wine_env(gui), stdin=subprocess.DEVNULL,
                       stdout=log, stderr=log, check=True, timeout=300)
    subprocess.run([WINESERVER, "-w"], env=wine_env(gui), stdin=subprocess.DEVNULL, check=False, timeout=60)
