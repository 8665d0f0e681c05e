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
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent / "wine"))
from wine_gui import WINE, Wine, copy_prefix, dos, start_xvfb, wait  # noqa: E402

# Field identifiers and labels, in the window's reading order.
FIELDS = [(1000, "File Name"), (1002, "Size (Bytes)"), (1004, "Type"), (3008, "Characters"), (3002, "Words"),
          (1001, "Letters"), (3003, "Lines"), (3005, "Numbers"), (3004, "Sentences"), (3006, "Spaces"),
          (3009, "Avg Wd"), (3007, "Symbols"), (3010, "Avg Sent")]


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build, target = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    exe = build / "shell" / "Quorvane.exe"
    headless = not os.environ.get("DISPLAY")
    prefix = build / "run-prefix"
    # Headless there is no window manager to draw captions: Wine draws them.
    copy_prefix(build / "wineprefix", prefix, '[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n' if headless else "")
    if not headless:
        env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all")
        return subprocess.run([WINE, str(exe), dos(target)], env=env, stdin=subprocess.DEVNULL).returncode
    xvfb, display = start_xvfb()
    (build / "run").mkdir(exist_ok=True)
    wine = Wine(prefix, display, build / "scripts" / "wine" / "quorvane_gui_probe.exe", build / "run")
    program = wine.start(exe, dos(target))
    try:
        # The file named at start is analysed before the window answers a message.
        window = wait("the main window", lambda: program.poll() is not None or wine.read("Quorvane"), 60)
        if window is True:
            print(f"quorvane: the program ended with status {program.returncode}", file=sys.stderr)
            return 1
        if window.text[1000] == "Drag file into window!":
            print(f"quorvane: {target} cannot be opened; the window shows nothing for it", file=sys.stderr)
            return 1
        for field, label in FIELDS:
            print(f"{label:<13} {window.text[field]}")
        print("Preview\n" + window.text[1003])
        picture = build / "screenshots" / "run.png"
        picture.parent.mkdir(exist_ok=True)
        wine.grab(picture, window.rect)
        print(f"\nScreenshot of the window: {picture}")
        return 0
    finally:
        program.kill()
        wine.stop()
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    sys.exit(main())
