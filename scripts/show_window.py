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
from wine_gui import IDS, MAIN_FIELDS, WINE, Wine, copy_prefix, dos, root_of, start_xvfb  # noqa: E402


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    build, target = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    exe = build / "shell" / "Quorvane.exe"
    headless = not os.environ.get("DISPLAY")
    prefix, root = build / "run-prefix", root_of(exe)
    # Headless there is no window manager to draw captions: Wine draws them.
    copy_prefix(build / "wineprefix", prefix, root, '[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n' if headless else "")
    if not headless:
        env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all")
        return subprocess.run([*root, WINE, str(exe), dos(target)], env=env, stdin=subprocess.DEVNULL).returncode
    xvfb, display = start_xvfb()
    (build / "run").mkdir(exist_ok=True)
    wine = Wine(prefix, display, build / "scripts" / "wine" / "quorvane_gui_probe.exe", build / "run", root)
    program = wine.start(exe, dos(target))
    try:
        window = wine.main_window(program)
        if window is None:
            print(f"quorvane: the program ended with status {program.returncode}", file=sys.stderr)
            return 1
        if window.text[IDS["IDC_MAIN_PATH"]] == "Drag file into window!":
            print(f"quorvane: {target} cannot be opened; the window shows nothing for it", file=sys.stderr)
            return 1
        for field, label, _ in MAIN_FIELDS[:-1]:
            print(f"{label:<13} {window.text[field]}")
        print("Preview\n" + window.text[IDS["IDC_MAIN_PREVIEW"]])
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
