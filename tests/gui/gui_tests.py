#!/usr/bin/env python3
# End-to-end tests of the real Quorvane.exe under Wine, one pass per user
# flow, on one private X server with one prefix copy for the whole module.
#
#   gui_tests.py BUILD_DIR [unittest options]
#
# The programs are the build's, or, with QUORVANE_PROGRAMS naming a folder,
# the Quorvane.exe and quorvane-cli.exe in it (a release zip's, unpacked).
import getpass
import json
import os
import shutil
import sys
import time
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
sys.path[:0] = [str(Path(__file__).resolve().parent), str(Path(__file__).resolve().parents[2] / "scripts" / "wine")]
from wine_gui import IDS, MAIN_FIELDS, Wine, copy_prefix, dos, expected, reg_string, reports, root_of, shown, start_xvfb, wait  # noqa: E402
from x11 import Bells, drop  # noqa: E402

BUILD = Path(sys.argv.pop(1) if __name__ == "__main__" else ".").resolve()
WORK = BUILD / "tests" / "gui" / "work"
SHOTS = BUILD / "screenshots"
PROGRAMS = os.environ.get("QUORVANE_PROGRAMS")
EXE = Path(PROGRAMS) / "Quorvane.exe" if PROGRAMS else BUILD / "shell" / "Quorvane.exe"
CLI = Path(PROGRAMS) / "quorvane-cli.exe" if PROGRAMS else BUILD / "cli" / "quorvane-cli.exe"
PROBE = BUILD / "scripts" / "wine" / "quorvane_gui_probe.exe"
PLANTED = BUILD / "tests" / "gui" / "planted.dll"
# The controls the flows name, by their identifiers in resources/resource_ids.h.
PATH, SIZE, PREVIEW, ABOUT, FEEDBACK = (IDS["IDC_MAIN_" + n] for n in ("PATH", "SIZE", "PREVIEW", "ABOUT", "FEEDBACK"))
LINES, CONTINUE = [IDS[f"IDC_MESSAGE_LINE{n}"] for n in range(1, 5)], IDS["IDC_MESSAGE_CONTINUE"]
MAIL, MAIL_BUTTON, SITE, SITE_BUTTON, PAGES, PAGE_TEXT, ACTION, OK = (IDS["IDC_ABOUT_" + n] for n in (
    "EMAIL", "MAIL_BUTTON", "SITE", "SITE_BUTTON", "PAGES", "PAGE_TEXT", "ACTION", "OK"))
TAB_ORDER = [IDS["IDC_MAIN_" + n] for n in ("ABOUT", "PATH", "LETTERS", "WORDS", "LINES", "SENTENCES", "DIGITS", "SPACES",
                                            "FEEDBACK", "SIZE", "PREVIEW", "TYPE", "SYMBOLS", "CHARACTERS",
                                            "AVERAGE_WORD", "AVERAGE_SENTENCE")]
NOTICE = ["This is a early Beta of Quorvane", "If you like it and wish to support it the best thing",
          "to do is send an EMail expressing your interest", "and / or ideas. Thanks - Teodric"]
SYSTEM = "Windows Vista Server, Service Pack 1"  # what Debian's Wine says as "win7"
# A roaming profile the code page cannot hold, beside the look-alike folder an
# ANSI call would turn it into.
ROAMING = f"C:\\users\\{getpass.getuser()}\\\u03a9ppdata\\"
PIPE = r"\\.\pipe\quorvane_test"
BLANK = {i: "Drag file into window!" if i == PATH else "" for i, _, _ in MAIN_FIELDS}
WM_CLOSE, WM_SYSCOMMAND, SC_CLOSE, BM_CLICK = 0x10, 0x112, 0xF060, 0xF5
TAB, RETURN, ESCAPE, UP, DOWN, ALT_F4 = 9, 13, 27, 0x26, 0x28, 0x173
NOTES = ("Caf\u00e9 cr\u00e8me br\u00fbl\u00e9e co\u00fbte 4,50 \u20ac. Stra\u00dfe, \u00dcberma\u00df und Gr\u00f6\u00dfe.\r\n"
         "\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5. "
         "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440.\r\n").encode()
SAMPLE = (b"Quorvane reads files.  It counts words, e.g. these: 12 apples, 3.14 pies!\r\n"
          b"Caf\xe9 cr\xe8me \x93quoted\x94 costs \x80 9; tabs\tand (brackets) end it... Done?\n") * 30


def setUpModule():
    global wine, xvfb, files
    shutil.rmtree(WORK, ignore_errors=True)
    (WORK / "shell").mkdir(parents=True)
    (WORK / "drive r" / "app").mkdir(parents=True)
    shutil.copy2(EXE, WORK / "drive r" / "app")
    # Each file by its name here: where it lies and what it holds (the sparse one holes).
    made = {"sample": ("with spaces/it's a 'sample'.txt", SAMPLE), "big": ("big.txt", SAMPLE * 400), "sparse": ("sparse.bin", b""),
            "omega": ("\u03a9mega.txt", b"Greek first."), "latin": ("Omega.txt", b"Latin."),
            "cjk": ("\u65e5\u672c\u8a9e.txt", b"Three signs."), "emoji": ("\U0001F600 notes.txt", b"A smile"),
            "long": ("l" * 150 + "/" + "m" * 150 + ".txt", SAMPLE), "bytes": ("every byte.bin", bytes(range(1, 256))),
            "utf8": ("utf-8.txt", NOTES + "\u65e5\u672c\u8a9e \U0001F600".encode()),
            "utf16": ("utf-16.txt", b"\xff\xfe" + (NOTES.decode() + "\U0001F600").encode("utf-16-le")),
            "dotted": ("td.txt.", b"One dot more."), "undotted": ("td.txt", b"No dot.")}
    files = {name: WORK / where for name, (where, _) in made.items()}
    for name, (_, text) in made.items():
        files[name].parent.mkdir(exist_ok=True)
        files[name].write_bytes(text)
    os.truncate(files["sparse"], 6 << 30)  # no disk: holes
    handler = reg_string(f'"{dos(PROBE)}" log "{dos(WORK / "shell")}" "%1"')
    system_keys = "".join(f"[Software\\\\Classes\\\\{kind}\\\\shell\\\\open\\\\command]\n@={handler}\n\n"
                          for kind in ("mailto", "http", "https", "Folder"))
    # Drive types are read as the prefix's services start: before any program.
    system_keys += '[Software\\\\Wine\\\\Drives]\n"r:"="floppy"\n'
    user_keys = '[Software\\\\Wine]\n"Version"="win7"\n\n[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n'
    # The registry file spells characters past Latin-1 as \x and their code.
    roaming = reg_string(ROAMING[:-1]).replace("\u03a9", "\\x3a9")
    user_keys += f'\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders]\n"AppData"={roaming}\n'
    prefix, root = WORK / "prefix", root_of(EXE)
    copy_prefix(BUILD / "wineprefix", prefix, root, user_keys, system_keys)
    (prefix / "dosdevices" / "r:").symlink_to(WORK / "drive r")
    for folder in (ROAMING, ROAMING.replace("\u03a9", "O")):
        (prefix / "drive_c" / folder[3:].replace("\\", "/")).mkdir(parents=True)
    xvfb, display = start_xvfb()
    wine = Wine(prefix, display, PROBE, WORK, root)
    # One engine, two front ends: what the window shows is what the console program says.
    names = list(map(dos, files.values()))
    files["json"] = [json.loads(line) for line in wine.run(CLI, "--json", *names).splitlines()]
    files["report"] = reports(wine.run(CLI, *names))


def tearDownModule():
    wine.stop()
    xvfb.terminate()
    xvfb.wait()  # its exit removes its socket, which a next server may reuse


started = []


def json_of(name):
    return files["json"][list(files).index(name)]


def expected_of(name, **changed):
    return expected(dict(json_of(name), **changed), files["report"][list(files).index(name)])


def start(*args, exe=EXE, lang="C.UTF-8"):
    process = wine.start(exe, *args, lang=lang)
    started.append(process)
    window = wine.main_window(process)
    if window is None:
        raise AssertionError(f"Quorvane ended with status {process.returncode} at start")
    return process, window


def click(title, control):
    wine.probe("post", title, control, BM_CLICK, 0)


def keys(title, *codes):
    return [int(focus) for focus in wine.probe("keys", title, *map(str, codes)).split()]


def gone(title):
    wait(f"{title!r} to close", lambda: wine.read(title) is None)


def shell_requests(count):
    folder = WORK / "shell"
    found = wait(f"{count} shell requests", lambda: len(done := sorted(folder.glob("*.txt"))) >= count and done)
    prefix = f'"{dos(PROBE)}" log "{dos(folder)}" '
    requests = [path.read_text(encoding="utf-8").removeprefix(prefix) for path in found]
    for path in found:
        path.rename(path.with_suffix(".seen"))
    return requests


class QuorvaneWindow(unittest.TestCase):
    def close(self, process, message=WM_CLOSE, parameter=0):
        wine.probe("post", "Quorvane", 0, message, parameter)
        self.assertEqual(process.wait(60), 0)

    def tearDown(self):
        # A failed flow leaves nothing behind for the next.
        while started:
            started[-1].kill()
            started.pop().wait()

    def test_1_start_up_without_a_file(self):
        process, window = start()
        self.assertEqual(shown(window), BLANK)
        # Made by the wide calls, so that on Windows its fields keep any name
        # as it is (Wine's fields do either way).
        self.assertTrue(window.unicode)
        self.close(process)

    def test_2_open_by_argument(self):
        # Wine quotes a path with spaces on the command line, as a shell does.
        process, window = start(dos(files["sample"]))
        self.assertEqual(shown(window), expected_of("sample"))
        self.close(process)
        # The README's pictures: a text of the user's own, in UTF-8 and in UTF-16.
        documents = wine.prefix / "drive_c" / "users" / getpass.getuser() / "Documents"
        if documents.is_symlink():  # Wine's link to the home folder, which is not ours to write in
            documents.unlink()
        documents.mkdir(parents=True, exist_ok=True)
        SHOTS.mkdir(exist_ok=True)
        for shot, name, codec in (("main", "Reisenotizen.txt", "utf-8"), ("utf-16", "Reisenotizen (UTF-16).txt", "utf-16")):
            (documents / name).write_bytes(NOTES.decode().encode(codec))  # Python's UTF-16 starts with the mark
            process, window = start(f"C:\\users\\{getpass.getuser()}\\Documents\\{name}")
            self.assertEqual(window.text[PREVIEW], NOTES.decode())
            wine.grab(SHOTS / f"{shot}.png", window.rect)
            self.close(process)

    def test_3_feedback_notice(self):
        process, _ = start()
        for key in (RETURN, ESCAPE):
            click("Quorvane", FEEDBACK)
            notice = wait("the notice", lambda: wine.read("Quorvane 1.0"))
            self.assertEqual([notice.text[i] for i in LINES], NOTICE)
            self.assertEqual((notice.owner, notice.unicode), ("Quorvane", True))
            self.assertTrue(notice.exstyle & 0x8, "not topmost")
            self.assertFalse(wine.read("Quorvane").enabled)
            wait("the focus on Continue", lambda: wine.read("Quorvane 1.0").focus == CONTINUE)
            if key == RETURN:
                wine.grab(SHOTS / "notice.png", notice.rect)
            keys("Quorvane 1.0", key)
            gone("Quorvane 1.0")
            self.assertTrue(wine.read("Quorvane").enabled)
        self.close(process)

    def test_4_about(self):
        process, _ = start()
        click("Quorvane", ABOUT)
        # Found as it is made, the dialog takes the focus from the button once it is set up.
        about = wait("About", lambda: (a := wine.read("About Quorvane")) and a.focus != ABOUT and a)
        self.assertEqual((about.focus, about.unicode, about.text[MAIL], about.text[SITE], about.text[PAGES]),
                         (MAIL_BUTTON, True, "support@ormacle.example", "https://www.ormacle.example/", "Prog Dirs"))
        program, data = dos(EXE.parent) + "\\", ROAMING + "Ormacle\\Quorvane\\"
        pages = f"Location of program:\r\n{program}\r\n\r\nWhere program stores user data:\r\n{data}"
        self.assertEqual(about.text[PAGE_TEXT], pages)
        self.assertTrue((wine.prefix / "drive_c" / data[3:].replace("\\", "/")).is_dir())
        wine.grab(SHOTS / "about.png", about.rect)
        keys("About Quorvane", TAB, TAB, DOWN, DOWN)
        about = wine.read("About Quorvane")
        self.assertEqual((about.text[PAGES], about.text[PAGE_TEXT]), ("Diagnostics", SYSTEM + "\r\n\r\n"))
        keys("About Quorvane", UP)
        click("About Quorvane", MAIL_BUTTON)
        self.assertEqual(shell_requests(1), [f'"mailto:support@ormacle.example?subject=Quorvane&body=v1000 {SYSTEM} "'])
        click("About Quorvane", SITE_BUTTON)
        self.assertEqual(shell_requests(1), ['"https://www.ormacle.example/"'])
        click("About Quorvane", ACTION)
        self.assertEqual(shell_requests(2), [f'"{program}"', f'"{data}"'])
        # Clicking moved the focus to the action button; Tab shows Escape was handled.
        self.assertEqual(keys("About Quorvane", ESCAPE, TAB), [ACTION, OK])
        click("About Quorvane", OK)
        gone("About Quorvane")
        self.close(process)

    def test_5_removable_drive(self):
        # On a removable drive the data stays beside the program, and nothing
        # is made. Folders are shown whole, at 599 characters of Greek too, or
        # said to be too long, never cut; Open Dirs opens what it can and
        # sounds the warning for what it cannot.
        made = wine.prefix / "drive_c" / ROAMING[3:].replace("\\", "/") / "Ormacle"
        shutil.rmtree(made, ignore_errors=True)
        greek = "R:\\" + "\\".join(["\u03a9" * 118] * 4 + ["\u03a9" * 119]) + "\\"  # 599 characters
        too_long = greek[:-1] + "\u03a9\\"
        for folder in (WORK / "drive r" / name[3:].replace("\\", "/") for name in (greek, too_long)):
            folder.mkdir(parents=True, exist_ok=True)
            shutil.copy2(EXE, folder)
        shown_as = {greek: greek, "R:\\app\\": "R:\\app\\"}
        folders = ["R:\\app\\", greek, too_long]
        if wine.root:
            print("\n  not run from folders of 599 and 600 characters: Wine's 32-bit loader cannot start a program "
                  "from a path past 260 characters", file=sys.stderr)
            folders = folders[:1]
        for folder in folders:
            bells = Bells(wine.display)
            process, _ = start(exe=folder + "Quorvane.exe")
            click("Quorvane", ABOUT)
            about = wait("About", lambda: wine.read("About Quorvane"))
            shows = shown_as.get(folder, "(a folder whose name is too long to show here)")
            self.assertEqual(about.text[PAGE_TEXT], f"Location of program:\r\n{shows}\r\n\r\nWhere program stores user data:\r\n{shows}")
            click("About Quorvane", ACTION)
            if folder in shown_as:
                # A long name may be handed on in its short form: the same folder.
                named = [json.loads(wine.probe("long", request.strip('"'))) for request in shell_requests(2)]
                self.assertEqual(named, [folder, folder])
            else:
                wait("the warning sound, twice", lambda: bells.count == 2)
            bells.close()
            self.assertFalse(made.exists())
            click("About Quorvane", OK)
            gone("About Quorvane")
            self.close(process)

    def test_6_escape_and_closing(self):
        process, _ = start()
        # Escape with the focus in each control in turn, Tab between; the
        # first Tab also puts the focus into a control if it is not in one yet.
        order = TAB_ORDER * 2
        first = order.index(keys("Quorvane", TAB)[0])
        self.assertEqual(keys("Quorvane", *[ESCAPE, TAB] * 16)[1::2], order[first + 1:first + 17])
        self.assertIsNone(process.poll())
        self.assertEqual([wine.read("Quorvane 1.0"), wine.read("About Quorvane")], [None, None])
        self.close(process, WM_SYSCOMMAND, SC_CLOSE)
        process, _ = start()
        keys("Quorvane", ALT_F4)
        self.assertEqual(process.wait(60), 0)

    def test_7_hostile_inputs(self):
        # Each row: a name and what the window shows for it, the console
        # program's result or, for None, what it showed before (blank at
        # start). The window takes paths of up to 599 characters.
        held, vanished, folder = WORK / "held.txt", WORK / "vanished.txt", WORK / "long" / ("d" * 180) / ("d" * 180)
        folder.mkdir(parents=True, exist_ok=True)
        long = [folder / ("f" * (length - 1 - len(dos(folder)))) for length in (599, 600)]
        for path in [held, *long]:  # the vanished file is named, and dropped, once it is gone
            path.write_bytes(SAMPLE)
        started.append(holder := wine.start(PROBE, "hold", dos(held), PIPE))
        wait("the hold", holder.out.read_bytes)
        # Wine refuses a command line of 32,767 characters or more.
        rows = [(vanished, None), (held, None), (WORK / "with spaces", None), ("NUL", None), ("CON", None),
                (PIPE, None), (r"\\.\pipe\no such pipe", None), (files["sparse"], expected_of("sparse")),
                (long[0], expected_of("sample", path=dos(long[0]))), (long[1], None), (files["sample"], expected_of("sample")), ("x" * 32000, None)]
        bells = Bells(wine.display)
        for name, result in rows:
            process, window = start(dos(name) if isinstance(name, Path) else name)
            self.assertEqual(shown(window), result or BLANK, str(name)[-50:])
            self.close(process)
        # Each one refused, too long for the window or not, with the warning sound.
        wait("the warning sounds", lambda: bells.count == sum(result is None for _, result in rows))
        bells.close()
        # The same files dropped, from a window that shows a file: one that
        # is refused leaves the window as it was, and the warning sounds.
        process, window = start(dos(files["big"]))
        before, bells, refused = shown(window), Bells(wine.display), 0
        try:
            for name, result in (row for row in rows if isinstance(row[0], Path)):
                self.assertTrue(drop(wine.display, "Quorvane", [name], (window.rect[0] + 15, window.rect[1] + 40)))
                now = shown(wine.read("Quorvane", sync=True))
                self.assertEqual(now, result or before, str(name)[-50:])
                before, refused = now, refused + (result is None)
                wait(f"the warning sound for {str(name)[-50:]}", lambda: bells.count == refused)
            time.sleep(0.5)
            self.assertEqual(bells.count, refused)
        finally:
            bells.close()
        self.close(process)

    def test_8_nothing_lost(self):
        # Drops and the About dialog's actions write only the data folder in
        # the prefix, and leave the files they read as they were.
        def state():
            drive = wine.prefix / "drive_c"
            tree = {Path(top, name).relative_to(drive).as_posix(): (s.st_size, s.st_mtime_ns) for top, folders, names in
                    os.walk(drive) for name in folders + names if (s := os.lstat(Path(top, name)))}
            return tree | {str(files[k]): (files[k].read_bytes(), files[k].stat().st_mtime_ns) for k in ("sample", "big")}

        before = state()
        process, window = start()
        self.assertTrue(drop(wine.display, "Quorvane", [files["big"]], (window.rect[0] + 15, window.rect[1] + 40)))
        self.assertEqual(shown(wine.read("Quorvane", sync=True)), expected_of("big"))
        self.close(process)
        self.test_4_about()
        after = state()
        data = ROAMING[3:].replace("\\", "/") + "Ormacle"
        changed = {path for path in before.keys() | after.keys() if before.get(path) != after.get(path)}
        # Making the data folder changes the time of the folder it is made in.
        made = {str(Path(data).parent)} if data not in before else set()
        self.assertEqual({path for path in changed if not (path + "/").startswith(data + "/")} - made, set())


    def test_9_code_pages(self):
        # Both front ends read a text in the system's code page, one past the
        # head cut inside a character (the lead byte at 49,999) without it.
        for lang, code_page, text in (("el_GR.UTF-8", 1253, "\u0394\u03b5\u03cd\u03c4\u03b5\u03c1\u03b7 "),
                                      ("ja_JP.UTF-8", 932, "\u4e8c\u884c\u76ee")):
            path = WORK / f"{code_page}.txt"
            path.write_bytes(b"A" + text.encode(f"cp{code_page}") * 20_000)
            result = json.loads(wine.run(CLI, "--json", dos(path), lang=lang))
            self.assertEqual((result["code_page"], result["preview"]),
                             (code_page, path.read_bytes()[:50_000].decode(f"cp{code_page}", errors="ignore")))
            process, window = start(dos(path), lang=lang)
            self.assertEqual(window.text[PREVIEW], result["preview"], lang)
            self.close(process)

    def test_9_names_and_keyboard(self):
        # Names the code page cannot hold, a path past MAX_PATH, UTF-8 and
        # UTF-16 texts and a name ending in a dot, by argument and by drop:
        # each the console program's result for the same name, the name and
        # the preview shown as they are; \u03a9mega.txt and td.txt., never
        # the look-alike beside them.
        names = ["omega", "latin", "cjk", "emoji", "long", "bytes", "utf8", "utf16", "dotted"]
        self.assertEqual([json_of(name)["size"] for name in names], [files[name].stat().st_size for name in names])
        for name in names:
            process, window = start(dos(files[name]))
            self.assertEqual(shown(window), expected_of(name), name)
            self.close(process)
        # Of several files dropped at once, the first is analysed.
        process, window = start()
        for name in names[:-1]:  # Wine drops its trailing dot when it turns a dropped file's name into Windows'
            self.assertTrue(drop(wine.display, "Quorvane", [files[name], files["big"]], (window.rect[0] + 15, window.rect[1] + 40)))
            self.assertEqual(shown(wine.read("Quorvane", sync=True)), expected_of(name), name)
        # Ctrl+O opens a file as a drop does; Ctrl+C copies the fields, the preview last.
        wine.probe("chord", "Quorvane", ord("O"))
        wait("the Open dialog", lambda: wine.read("Open"))
        wine.probe("set", "Open", 1148, dos(files["sample"]))  # the common dialog's name box
        click("Open", 1)  # the common dialog's own button
        gone("Open")
        window = wine.read("Quorvane", sync=True)
        self.assertEqual(shown(window), expected_of("sample"))
        wine.probe("chord", "Quorvane", ord("C"))
        copied = "\r\n".join(f"{label}\t{window.text[i]}" for i, label, _ in MAIN_FIELDS)
        wait("the copy", lambda: wine.clipboard("Quorvane") == copied)
        self.close(process)

    def test_planted_dlls(self):
        # DLLs named as those system DLLs load by bare name, beside both
        # programs and taken first, as Windows would: none may be loaded.
        # (Taken first only where they lie, so the names stay so.)
        folder, names = WORK / "planted", ["uxtheme", "dwmapi", "propsys", "cryptbase", "profapi", "textshaping", "winmm",
                                           "msimg32", "oleacc", "windowscodecs", "comctl32", "winspool.drv"]
        folder.mkdir(exist_ok=True)
        for path in [EXE, CLI] + [folder / (n if "." in n else n + ".dll") for n in names]:
            shutil.copy2(path if path.parent != folder else PLANTED, folder / path.name)
        wine.env["WINEDLLOVERRIDES"] += "".join(f";{n}=n,b" for n in names)
        try:
            self.assertEqual(json.loads(wine.run(folder / CLI.name, "--json", dos(files["big"]))), json_of("big"))
            start(dos(files["big"]), exe=folder / EXE.name)
            wine.probe("chord", "Quorvane", ord("O"))
            wait("the Open dialog", lambda: wine.read("Open"))
            click("Open", 2)
            gone("Open")
            click("Quorvane", ABOUT)
            wait("About", lambda: wine.read("About Quorvane"))
            click("About Quorvane", ACTION)
            shell_requests(2)
        finally:  # what was loaded, however far it went
            self.assertEqual(sorted(mark.stem for mark in folder.glob("*.loaded")), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
