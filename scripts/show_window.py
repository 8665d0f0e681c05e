#!/usr/bin/env python3
"""Runs the built Quorvane.exe on a file under Wine.

    show_window.py BUILD_DIR FILE

With DISPLAY set, the window opens on that display and this waits until the
user closes it. Without one, the program runs on a private X server: this
prints the fields the window shows, saves a screenshot of the window and
closes it.
"""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "gui"))

from harness import WINE, Probe, TestFailure, Xvfb, dos_path, stop_wineserver, wait_for, wine_env  # noqa: E402

# Field identifiers and labels, in the window's reading order.
FIELDS = [(1000, "File Name"), (1002, "Size (Bytes)"), (1004, "Type"), (3008, "Characters"), (3002, "Words"),
          (1001, "Letters"), (3003, "Lines"), (3005, "Numbers"), (3004, "Sentences"), (3006, "Spaces"),
          (3009, "Avg Wd"), (3007, "Symbols"), (3010, "Avg Sent")]
PREVIEW = 1003
READY_TEXT = "Drag file into window!"


def prepare_prefix(build, prefix, headless):
    """A prefix of the build's own, whose windows are ordinary top-level
    windows instead of living in a virtual desktop. Headless, with no window
    manager to draw captions, Wine draws them itself."""
    subprocess.run([str(Path(__file__).resolve().parent.parent / "tests" / "wine" / "make_prefix.sh"), str(prefix)],
                   stdin=subprocess.DEVNULL, check=True, timeout=600)
    stamp = prefix / ".quorvane-own-windows"
    if stamp.exists():
        return
    commands = [["reg", "delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f"]]
    if headless:
        commands.append(["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f"])
    with open(build / "run-prefix.log", "ab") as log:
        for command in commands:
            subprocess.run([WINE] + command, env=wine_env(prefix), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                           check=False)
    # A server started without a display would keep windows from opening.
    stop_wineserver(prefix)
    stamp.touch()


class Headless:
    """What the probe needs of a test session."""

    def __init__(self, work, probe_exe, env):
        self.work, self.probe_exe, self.env = work, probe_exe, env


def show_headless(build, exe, target, prefix):
    work = build / "run"
    work.mkdir(exist_ok=True)
    display = Xvfb(work / "xvfb.log")
    env = wine_env(prefix, display.name)
    log = open(work / "quorvane.log", "wb")
    program = subprocess.Popen([WINE, str(exe), dos_path(target)], env=env, cwd=work, stdin=subprocess.DEVNULL,
                               stdout=log, stderr=log)
    probe = None
    try:
        probe = Probe(Headless(work, build / "tests" / "gui" / "quorvane_gui_probe.exe", env))
        main = wait_for(lambda: probe.find("QUOR") if program.poll() is None else -1, 60, "the main window")
        if main == -1:
            raise TestFailure(f"the program ended with status {program.returncode}")
        # The start-up analysis runs before the window handles messages: once
        # it answers one, the fields are final.
        wait_for(lambda: probe.send(main, 0) is not None, 60, "the window to answer")
        if probe.text(main, 1000) == READY_TEXT:
            print(f"quorvane: {target} cannot be opened; the window shows nothing for it", file=sys.stderr)
            probe.post(main, 0x0010)  # WM_CLOSE
            program.wait(20)
            return 1
        for field, label in FIELDS:
            print(f"{label:<13} {probe.text(main, field)}")
        print("Preview")
        print(probe.text(main, PREVIEW))
        shots = build / "screenshots"
        shots.mkdir(exist_ok=True)
        picture = shots / "run.png"
        display.screenshot(picture, probe.info(main)["rect"])
        print(f"\nScreenshot of the window: {picture}")
        probe.post(main, 0x0010)  # WM_CLOSE
        program.wait(20)
        return 0
    except TestFailure as failure:
        print(f"quorvane: {failure}", file=sys.stderr)
        return 1
    finally:
        if probe is not None:
            probe.close()
        if program.poll() is None:
            program.kill()
        log.close()
        stop_wineserver(prefix)
        display.stop()


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build = Path(sys.argv[1]).resolve()
    target = Path(sys.argv[2]).resolve()
    exe = build / "shell" / "Quorvane.exe"
    headless = not os.environ.get("DISPLAY")
    prefix = build / ("run-prefix-headless" if headless else "run-prefix")
    prepare_prefix(build, prefix, headless)
    if not headless:
        return subprocess.run([WINE, str(exe), dos_path(target)], env=wine_env(prefix, os.environ["DISPLAY"]),
                              stdin=subprocess.DEVNULL).returncode
    return show_headless(build, exe, target, prefix)


if __name__ == "__main__":
    sys.exit(main())
