#!/usr/bin/env python3
"""End-to-end tests of Quorvane.exe as a user meets it: the real program
under Wine on a private X server, read and driven from outside.

    gui_tests.py prepare --make-prefix SCRIPT --base-prefix DIR COMMON...
    gui_tests.py GROUP COMMON...

COMMON: --exe --probe --logger --work --gui-prefix [--screenshots].
Each group runs in its own copy of the prepared prefix on its own display;
its cases run in order and share one program where they can.
"""

import argparse
import shutil
import signal
import sys
import time
import traceback
from pathlib import Path

# Nothing written into the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

import oracle  # noqa: E402
from harness import (DRIVE_FIXED, DRIVE_REMOVABLE, EM_GETSEL, LOGGER_DOS, SC_CLOSE, TOOLS_DIR,  # noqa: E402
                     WM_CLOSE, WM_SYSCOMMAND, WS_EX_ACCEPTFILES, WS_EX_TOPMOST, Session, TestFailure, check,
                     check_equal, dos_path, prepare_gui_prefix, wait_for)

MAIN_CLASS = "QUOR"
DIALOG_CLASS = "#32770"
READY_TEXT = "Drag file into window!"
TAB_ORDER = [1016, 1000, 1001, 3002, 3003, 3004, 3005, 3006, 1017, 1002, 1003, 1004, 3007, 3008, 3009, 3010]

NOTICE_TITLE = "Quorvane 1.0"
NOTICE_LINES = ["This is a early Beta of Quorvane", "If you like it and wish to support it the best thing",
                "to do is send an EMail expressing your interest", "and / or ideas. Thanks - Teodric"]
NOTICE_CONTINUE = 1

ABOUT_TITLE = "About Quorvane"
ABOUT_MAIL = 850
ABOUT_SITE = 851
ABOUT_MAIL_BUTTON = 1000
ABOUT_SITE_BUTTON = 1002
ABOUT_PAGES = 1003
ABOUT_PAGE_TEXT = 1015
ABOUT_ACTION = 3
ABOUT_OK = 1
SUPPORT_MAIL = "support@ormacle.example"
SUPPORT_SITE = "https://www.ormacle.example/"
TIP_DIRS = ("Opens the directory where the program was installed as well as the directory where the program "
            "data is stored.")
TIP_COPY = "Copies the system description and the diagnostic log to the clipboard."

SAMPLE_TEXT = (b"Quorvane reads files.  It counts words, e.g. these ones: 12 apples, 3.14 pies!\r\n"
               b"Tabs\tand caf\xe9 bytes are not letters (nor is ~). End.\n"
               b"\n"
               b" A line that starts with a space... and (brackets) end it")


# --- sample files -----------------------------------------------------------

class Samples:
    """Files the tests analyse, made fresh for each group."""

    def __init__(self, folder):
        folder.mkdir(parents=True, exist_ok=True)
        self.folder = folder
        self.text = self._write("sample.txt", SAMPLE_TEXT)
        self.html = self._write("page.htm", b"<HTML>\r\n<body>Hello, web. Two sentences.</body>\r\n</html>\r\n")
        self.pdf = self._write("paper.pdf", b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<< >>\nendobj\n")
        self.empty = self._write("empty.txt", b"")
        self.held = self._write("held.txt", b"Somebody else has this one open.\n")
        self.spaced = self._write("dir with spaces/my file.txt", b"Spaces in the path. Not in the words\n")
        self.big = self._write("big.txt", self._big_content())
        self.subfolder = folder / "a folder"
        self.subfolder.mkdir(exist_ok=True)
        # Deep enough that the whole path passes 599 characters.
        deep = folder
        while len(dos_path(deep)) < 620:
            deep = deep / ("d" * 60)
        self.long = self._write(str(deep.relative_to(folder) / "long.txt"), b"too long a name\n")
        check(len(dos_path(self.long)) > 599, "the long path is not long enough")

    def _write(self, name, data):
        path = self.folder / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return path

    @staticmethod
    def _big_content():
        """A file of several statistics chunks whose head has a zero byte: the
        preview stops there, the statistics run on, and a word straddles
        the first chunk boundary."""
        line = b"Line %07d holds 3 words. And 1.5 numbers; ok?\r\n"
        data = bytearray(b"<html>\r\n<p>Head before the zero byte.</p>\0after the zero\r\n")
        n = 0
        while len(data) < 1_234_567:
            data += line % n
            n += 1
        del data[1_234_567:]
        data[999_999] = ord(" ")
        data[1_000_000] = ord("w")
        return bytes(data)


# --- the program ------------------------------------------------------------

class Context:
    def __init__(self, session, args):
        self.session = session
        self.args = args
        self.probe = session.start_probe()
        self.samples = Samples(session.work / "files")
        self.process = None
        self.main = None

    # Starting and stopping.

    def start(self, args=(), exe=None):
        """Starts the program and waits until it has passed start-up: field
        1000 is filled right before the command-line file is analysed and no
        message is handled in between, so once a read finds it filled, the
        analysis is over."""
        probe = self.probe
        wait_for(lambda: not probe.find(MAIN_CLASS), 10, "the previous main window to go")
        process = self.session.start(args, exe)
        self.process = process

        def main_window():
            if not process.running():
                raise TestFailure(f"the program ended at start with status {process.exit_code(1)}")
            return probe.find(MAIN_CLASS)

        self.main = wait_for(main_window, 60, "the main window")

        def filled():
            try:
                return probe.text(self.main, oracle.FIELD_PATH)
            except TestFailure:
                return None

        wait_for(filled, 20, "field 1000 to be filled")
        return self.main

    def ensure_started(self):
        """The running program with no dialog open, started afresh if an
        earlier case left it otherwise."""
        if self.process is not None and self.process.running() and self.main and not self.dialogs():
            return self.main
        self.stop()
        return self.start()

    def close(self, message=WM_CLOSE, wparam=0):
        """Closes the main window and returns the process's exit status."""
        self.probe.post(self.main, message, wparam)
        status = self.process.exit_code(20)
        self.process = None
        return status

    def stop(self):
        if self.process is not None:
            self.process.kill()
            self.process = None

    # Reading.

    def fields(self):
        return {i: self.probe.text_bytes(self.main, i) for i in oracle.VALUE_FIELDS}

    def check_fields(self, expected, what):
        actual = self.fields()
        for field, value in expected.items():
            if actual[field] != value:
                raise TestFailure(f"{what}: field {field} shows {_short(actual[field])}, expected {_short(value)}")

    def check_analysed(self, path, type_description, what):
        expected = oracle.main_fields(dos_path(path), path.read_bytes(), type_description)
        wait_for(lambda: self.probe.text_bytes(self.main, oracle.FIELD_PATH) == expected[oracle.FIELD_PATH], 20,
                 f"{what}: the path in field 1000")
        self.check_fields(expected, what)

    def check_unchanged(self, before, what):
        # Whatever the program was sent before now has been handled.
        self.probe.barrier(self.main, oracle.FIELD_PATH)
        self.check_fields(before, what)

    def dialogs(self):
        return [w for w in self.probe.owned(self.main) if w[1] == DIALOG_CLASS]

    def open_dialog(self, button, title):
        """Presses a main-window button and waits for the one dialog it opens."""
        self.probe.click(self.main, button)
        found = wait_for(lambda: [w for w in self.dialogs() if w[3]], 20, f"the dialog {title!r}")
        check_equal([(w[1], w[2]) for w in found], [(DIALOG_CLASS, title)], "dialogs owned by the main window")
        return found[0][0]

    def wait_closed(self, dialog, what):
        wait_for(lambda: not self.probe.exists(dialog), 10, what)
        check(not self.dialogs(), "a dialog is still open")
        wait_for(lambda: self.probe.info(self.main)["enabled"], 10, "the main window to be enabled again")

    def focus_id(self, window):
        return self.probe.focus(window)[1]

    def press(self, window, key, then_focus=None):
        """Types a key; with then_focus, waits until that control has the focus."""
        self.probe.key(window, key)
        if then_focus is not None:
            wait_for(lambda: self.focus_id(window) == then_focus, 10, f"the focus on {then_focus} after {key}")

    def tab_to(self, window, control_id):
        """Moves the focus with Tab until control_id has it."""
        for _ in range(32):
            focus = self.focus_id(window)
            if focus == control_id:
                return
            self.probe.key(window, "tab")
            wait_for(lambda: self.focus_id(window) != focus, 10, "Tab to move the focus")
        raise TestFailure(f"Tab never reached control {control_id}")

    def screenshot(self, name, rect=None):
        """Leaves a picture of the screen (or of rect) for people to look at."""
        shots = Path(self.args.screenshots)
        shots.mkdir(parents=True, exist_ok=True)
        self.session.display.screenshot(shots / name, rect)

    # Drops.

    def x_window(self):
        return wait_for(lambda: self.session.x.find_window("Quorvane"), 10, "the main window's X window")

    def drop(self, *paths):
        rect = self.probe.info(self.main)["rect"]
        # Near the top-left corner: over the main window, clear of the
        # dialogs that open centred above it.
        self.session.x.drop(self.x_window(), paths, (rect[0] + 15, rect[1] + 40))

    # Shell requests.

    def shell_log(self):
        return self.session.prefix / "drive_c" / TOOLS_DIR / "shell_logger.log"

    def shell_requests(self, count):
        """The first count command lines the handlers logged, in start order."""
        log = self.shell_log()

        def lines():
            if not log.exists():
                return None
            found = [line.split("\t", 1) for line in log.read_bytes().decode("cp1252").splitlines()]
            return found if len(found) >= count else None

        found = wait_for(lines, 20, f"{count} shell request(s)")
        check_equal(len(found), count, "number of shell requests")
        return [text for _, text in sorted(found, key=lambda entry: int(entry[0]))]

    def clear_shell_log(self):
        self.shell_log().unlink(missing_ok=True)


def _short(data):
    return repr(data if len(data) < 120 else data[:100] + b"..." + data[-10:])


def handler_command(target):
    """The command line the shell gives the logging handler for target."""
    return f'"{LOGGER_DOS}" "{target}"'


# --- cases ------------------------------------------------------------------

GROUPS = {}


def case(group):
    def register(function):
        GROUPS.setdefault(group, []).append(function)
        return function
    return register


def expected_empty_fields():
    fields = {i: b"" for i in oracle.VALUE_FIELDS}
    fields[oracle.FIELD_PATH] = READY_TEXT.encode()
    return fields


# Start-up and exit.

@case("startup")
def start_without_arguments(ctx):
    main = ctx.start()
    ctx.check_fields(expected_empty_fields(), "start without arguments")
    info = ctx.probe.info(main)
    check_equal(info["title"], "Quorvane", "main window caption")
    check(info["exstyle"] & WS_EX_ACCEPTFILES, "the main window does not accept dropped files")
    check_equal(ctx.probe.text(main, 1017), "Feedback", "caption of button 1017")
    check_equal(ctx.probe.text(main, 1016), "About", "caption of button 1016")
    check_equal(ctx.close(WM_CLOSE), 0, "exit status after WM_CLOSE")


@case("startup")
def start_with_a_file(ctx):
    ctx.start([dos_path(ctx.samples.text)])
    ctx.check_analysed(ctx.samples.text, "Unknown", "file argument")
    ctx.screenshot("main.png", ctx.probe.info(ctx.main)["rect"])
    check_equal(ctx.close(WM_SYSCOMMAND, SC_CLOSE), 0, "exit status after the close box (SC_CLOSE)")


@case("startup")
def start_with_a_large_file(ctx):
    ctx.start([dos_path(ctx.samples.big)])
    ctx.check_analysed(ctx.samples.big, "HTML Web Page", "multi-chunk file argument")
    check_equal(ctx.close(), 0, "exit status")


@case("startup")
def start_with_a_missing_file(ctx):
    ctx.start([dos_path(ctx.samples.folder / "no such file.txt")])
    ctx.check_fields(expected_empty_fields(), "missing file argument")
    check_equal(ctx.close(), 0, "exit status")


@case("startup")
def start_with_a_quoted_path_holding_spaces(ctx):
    # Wine quotes an argument with spaces when it builds the command line,
    # as the shell does.
    ctx.start([dos_path(ctx.samples.spaced)])
    ctx.check_analysed(ctx.samples.spaced, "Unknown", "quoted file argument")
    check_equal(ctx.close(), 0, "exit status")


@case("startup")
def start_with_an_overlong_argument(ctx):
    argument = dos_path(ctx.samples.text) + "\\" + "x" * 600
    ctx.start([argument])
    ctx.check_fields(expected_empty_fields(), "argument of more than 599 characters")
    check_equal(ctx.close(), 0, "exit status")


@case("startup")
def start_without_its_main_template(ctx):
    # A copy whose main dialog template cannot be found: creating the main
    # window fails and the program ends with status 1 instead of running on
    # without a window.
    exe = ctx.session.work / "broken" / "Quorvane.exe"
    exe.parent.mkdir(exist_ok=True)
    image = Path(ctx.args.exe).read_bytes()
    name = "MAINDIALOG".encode("utf-16-le")
    check(image.count(name) == 1, "the template name MAINDIALOG is not in the executable's resources")
    exe.write_bytes(image.replace(name, "MAINDIALOX".encode("utf-16-le")))
    process = ctx.session.start([], exe=exe, name="broken")
    check_equal(process.exit_code(30), 1, "exit status without a main window")


# Drops.

@case("drops")
def drop_one_file(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.text)
    ctx.check_analysed(ctx.samples.text, "Unknown", "dropped text file")


@case("drops")
def drop_three_files_analyses_the_first(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.html, ctx.samples.text, ctx.samples.pdf)
    ctx.check_analysed(ctx.samples.html, "HTML Web Page", "first of three dropped files")


@case("drops")
def drop_a_large_file(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.big)
    ctx.check_analysed(ctx.samples.big, "HTML Web Page", "dropped multi-chunk file")


@case("drops")
def drop_a_file_of_more_than_4_gib(ctx):
    # Sparse: its size is what matters, and its low 32 bits alone would read
    # as a negative number.
    huge = ctx.samples.folder / "huge.bin"
    with open(huge, "wb") as f:
        f.truncate(6_979_321_856)
    ctx.ensure_started()
    ctx.drop(huge)
    wait_for(lambda: ctx.probe.text(ctx.main, oracle.FIELD_PATH) == dos_path(huge), 30, "the huge file's path")
    check_equal(ctx.probe.text(ctx.main, oracle.FIELD_SIZE), "6.979.321.856", "size of a 6.5 GiB file")
    huge.unlink()


@case("drops")
def drop_a_folder_changes_nothing(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.pdf)
    ctx.check_analysed(ctx.samples.pdf, "Portable Document Format", "dropped PDF")
    before = ctx.fields()
    ctx.drop(ctx.samples.subfolder)
    ctx.check_unchanged(before, "after dropping a folder")


@case("drops")
def drop_a_file_held_open_elsewhere_changes_nothing(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.text)
    ctx.check_analysed(ctx.samples.text, "Unknown", "dropped text file")
    before = ctx.fields()
    ctx.probe.hold(dos_path(ctx.samples.held))
    try:
        ctx.drop(ctx.samples.held)
        ctx.check_unchanged(before, "after dropping a file another program holds open")
    finally:
        ctx.probe.release()
    ctx.drop(ctx.samples.held)
    ctx.check_analysed(ctx.samples.held, "Unknown", "the same file once released")


@case("drops")
def drop_an_empty_file_clears_the_preview(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.text)
    ctx.check_analysed(ctx.samples.text, "Unknown", "dropped text file")
    ctx.drop(ctx.samples.empty)
    ctx.check_analysed(ctx.samples.empty, "Unknown", "dropped empty file")
    check_equal(ctx.probe.text(ctx.main, oracle.FIELD_PREVIEW), "", "preview after an empty file")
    check_equal(ctx.probe.text(ctx.main, oracle.STATISTIC_FIELDS["lines"]), "1", "lines of an empty file")
    check_equal(ctx.probe.text(ctx.main, oracle.STATISTIC_FIELDS["words"]), "1", "words of an empty file")


@case("drops")
def drop_a_path_with_spaces(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.spaced)
    ctx.check_analysed(ctx.samples.spaced, "Unknown", "dropped file with spaces in its path")


@case("drops")
def drop_an_overlong_path_changes_nothing(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.html)
    ctx.check_analysed(ctx.samples.html, "HTML Web Page", "dropped page")
    before = ctx.fields()
    ctx.drop(ctx.samples.long)
    ctx.check_unchanged(before, "after dropping a path of more than 599 characters")


@case("drops")
def drop_while_a_dialog_is_open_changes_nothing(ctx):
    ctx.ensure_started()
    ctx.drop(ctx.samples.html)
    ctx.check_analysed(ctx.samples.html, "HTML Web Page", "dropped page")
    before = ctx.fields()
    for button, title, close in ((1017, NOTICE_TITLE, NOTICE_CONTINUE), (1016, ABOUT_TITLE, ABOUT_OK)):
        dialog = ctx.open_dialog(button, title)
        check(not ctx.probe.info(ctx.main)["enabled"], f"the main window is enabled under {title!r}")
        ctx.drop(ctx.samples.text)
        ctx.check_unchanged(before, f"after a drop while {title!r} is open")
        ctx.probe.click(dialog, close)
        ctx.wait_closed(dialog, f"{title!r} to close")
    ctx.drop(ctx.samples.text)
    ctx.check_analysed(ctx.samples.text, "Unknown", "the same drop with no dialog open")


# Keyboard and the feedback notice.

@case("keyboard")
def tab_order_of_the_main_window(ctx):
    main = ctx.ensure_started()
    seen = []
    for _ in range(len(TAB_ORDER)):
        before = ctx.focus_id(main)
        ctx.probe.key(main, "tab")
        seen.append(wait_for(lambda: (lambda f: f if f != before else None)(ctx.focus_id(main)), 10,
                             "the focus to move on Tab"))
    start = TAB_ORDER.index(seen[0]) if seen[0] in TAB_ORDER else 0
    check_equal(seen, TAB_ORDER[start:] + TAB_ORDER[:start], "focus after each Tab")
    backwards = []
    for _ in range(3):
        before = ctx.focus_id(main)
        ctx.probe.key(main, "shift+tab")
        backwards.append(wait_for(lambda: (lambda f: f if f != before else None)(ctx.focus_id(main)), 10,
                                  "the focus to move on Shift+Tab"))
    position = TAB_ORDER.index(seen[-1])
    check_equal(backwards, [TAB_ORDER[(position - k) % len(TAB_ORDER)] for k in (1, 2, 3)],
                "focus after each Shift+Tab")


@case("keyboard")
def enter_and_escape_do_nothing_in_the_main_window(ctx):
    main = ctx.ensure_started()
    ctx.probe.mouse_click(main, oracle.FIELD_PATH)
    wait_for(lambda: ctx.focus_id(main) == oracle.FIELD_PATH, 10, "the focus on field 1000")
    before = ctx.fields()
    field = ctx.probe.item(main, oracle.FIELD_PATH)
    end = len(before[oracle.FIELD_PATH])
    check(ctx.probe.send(field, EM_GETSEL) != (end << 16) | end, "the caret is already at the end of field 1000")
    ctx.press(main, "return")
    ctx.press(main, "escape")
    # Keys are handled in order: once End has moved the caret, Enter and
    # Escape have been handled too.
    ctx.press(main, "end")
    wait_for(lambda: ctx.probe.send(field, EM_GETSEL) == (end << 16) | end, 10, "End to move the caret")
    check(ctx.process.running(), "the program ended on Enter or Escape")
    check_equal(ctx.dialogs(), [], "dialogs after Enter and Escape")
    ctx.check_fields(before, "fields after Enter and Escape")


@case("keyboard")
def notice_shows_four_lines_on_top_and_focuses_continue(ctx):
    # Move the focus to line 1 the moment the notice exists; about a tenth of
    # a second after opening, "Continue" takes it back. A click that came
    # later than that proves nothing, so such a try is repeated.
    for attempt in range(3):
        ctx.ensure_started()
        notice, late = ctx.probe.open_and_click(ctx.main, 1017, 850)
        changes = ctx.probe.watch_focus(notice, 700)
        if late < 50:
            break
        ctx.probe.click(notice, NOTICE_CONTINUE)
        ctx.wait_closed(notice, "the notice to close")
    else:
        raise TestFailure("the probe could not click the notice within 50 ms of its opening")
    check_equal([(w[0], w[2]) for w in ctx.dialogs()], [(notice, NOTICE_TITLE)], "dialogs of the main window")
    ids = [control for _, control in changes]
    check(850 in ids, f"the click on line 1 did not take the focus: {changes}")
    check_equal(ids[-1], NOTICE_CONTINUE, f"focus at the end of the notice's first 0.7 s ({changes})")
    for i, line in enumerate(NOTICE_LINES):
        check_equal(ctx.probe.text(notice, 850 + i), line, f"notice line {i + 1}")
    check_equal(ctx.probe.text(notice, NOTICE_CONTINUE), "Continue", "notice button caption")
    check(ctx.probe.info(notice)["exstyle"] & WS_EX_TOPMOST, "the notice is not topmost")
    check(not ctx.probe.info(ctx.main)["enabled"], "the main window is enabled while the notice is open")
    ctx.screenshot("notice.png")
    # The timer fires once: a later focus change stays.
    ctx.probe.mouse_click(notice, 851)
    later = ctx.probe.watch_focus(notice, 400)
    check_equal(later[-1][1], 851, "focus 0.4 s after a later click on line 2")


@case("keyboard")
def notice_second_press_does_nothing(ctx):
    notice = [w for w in ctx.dialogs() if w[2] == NOTICE_TITLE]
    if not notice:
        ctx.ensure_started()
        notice = [(ctx.open_dialog(1017, NOTICE_TITLE),)]
    # A handler that opened a second modal notice would not return.
    check(ctx.probe.click_and_return(ctx.main, 1017), "a second press of the notice button did not return")
    check_equal(len(ctx.dialogs()), 1, "dialogs after a second press of the notice button")


@case("keyboard")
def notice_closes_with_enter_and_reopens_with_the_same_lines(ctx):
    for notice, _, title, _ in ctx.dialogs():
        check_equal(title, NOTICE_TITLE, "the open dialog")
        ctx.probe.click(notice, NOTICE_CONTINUE)
        ctx.wait_closed(notice, "the notice to close on Continue")
    ctx.ensure_started()
    notice = ctx.open_dialog(1017, NOTICE_TITLE)
    wait_for(lambda: ctx.focus_id(notice) == NOTICE_CONTINUE, 10, "the focus on Continue")
    ctx.press(notice, "return")
    ctx.wait_closed(notice, "the notice to close on Enter")
    notice = ctx.open_dialog(1017, NOTICE_TITLE)
    for i, line in enumerate(NOTICE_LINES):
        check_equal(ctx.probe.text(notice, 850 + i), line, f"notice line {i + 1}, second time")
    wait_for(lambda: ctx.focus_id(notice) == NOTICE_CONTINUE, 10, "the focus on Continue")
    ctx.press(notice, "escape")
    ctx.wait_closed(notice, "the notice to close on Escape")
    notice = ctx.open_dialog(1017, NOTICE_TITLE)
    ctx.probe.post(notice, WM_CLOSE)
    ctx.wait_closed(notice, "the notice to close on the close command")


@case("keyboard")
def close_box_ends_the_program(ctx):
    ctx.ensure_started()
    check_equal(ctx.close(WM_SYSCOMMAND, SC_CLOSE), 0, "exit status after the close box")


# The About dialog and the shell requests.

def open_about(ctx):
    ctx.ensure_started()
    return ctx.open_dialog(1016, ABOUT_TITLE)


def about_dialog(ctx):
    found = [w[0] for w in ctx.dialogs() if w[2] == ABOUT_TITLE] if ctx.process else []
    return found[0] if found else open_about(ctx)


def program_directory(ctx):
    return dos_path(ctx.args.exe).rsplit("\\", 1)[0] + "\\"


def choose_page(ctx, about, page):
    """Chooses a page from the list with the keyboard, as a user would."""
    ctx.tab_to(about, ABOUT_PAGES)
    selected, _ = ctx.probe.combo(about, ABOUT_PAGES)
    key = "down" if page > selected else "up"
    for _ in range(abs(page - selected)):
        ctx.probe.key(about, key)
    wait_for(lambda: ctx.probe.combo(about, ABOUT_PAGES)[0] == page, 10, f"page {page} to be selected")


def directories_page(ctx):
    return (f"Location of program:\r\n{program_directory(ctx)}\r\n\r\n"
            f"Where program stores user data:\r\n{ctx.probe.appdata()}\\Ormacle\\Quorvane\\")


def check_action_tip(ctx, about, tip):
    """The action button's tip, as its tooltip holds it and as it shows
    when the mouse rests on the button."""
    check_equal(ctx.probe.tip(about, ABOUT_ACTION)[2], tip, "the action button's tool text")
    ctx.probe.hover(about, ABOUT_OK)
    ctx.probe.hover(about, ABOUT_ACTION)
    wait_for(lambda: ctx.probe.tip(about, ABOUT_ACTION)[1] == tip, 10, f"the tip {tip!r} to show on hovering")


@case("about")
def about_opens_on_the_directories(ctx):
    about = open_about(ctx)
    check_equal(ctx.focus_id(about), ABOUT_MAIL_BUTTON, "focused control when About opens")
    check(not ctx.probe.info(ctx.main)["enabled"], "the main window is enabled while About is open")
    check_equal(ctx.probe.text(about, ABOUT_MAIL), SUPPORT_MAIL, "support e-mail field")
    check_equal(ctx.probe.text(about, ABOUT_SITE), SUPPORT_SITE, "web site field")
    check_equal(ctx.probe.combo(about, ABOUT_PAGES), (0, ["Prog Dirs", "Diagnostics"]), "page list")
    page = ctx.probe.text(about, ABOUT_PAGE_TEXT)
    check_equal(page, directories_page(ctx), "Prog Dirs page")
    check(page.endswith("Ormacle\\Quorvane\\"), "the data directory does not end in Ormacle\\Quorvane\\")
    # Both levels exist on disk after start-up.
    appdata = ctx.probe.appdata()
    check(appdata[:3].upper() == "C:\\", f"unexpected application data folder {appdata}")
    on_disk = ctx.session.prefix / "drive_c" / appdata[3:].replace("\\", "/") / "Ormacle" / "Quorvane"
    check(on_disk.is_dir(), f"{on_disk} was not created")
    check_equal(ctx.probe.text(about, ABOUT_ACTION), "Open Dirs", "action button on Prog Dirs")
    check_action_tip(ctx, about, TIP_DIRS)
    ctx.screenshot("about.png")


@case("about")
def about_stays_on_top(ctx):
    # The template's system-modal style makes it topmost on Windows; Wine
    # needs it said outright.
    check(ctx.probe.info(about_dialog(ctx))["exstyle"] & WS_EX_TOPMOST, "About is not topmost")


@case("about")
def about_second_press_does_nothing(ctx):
    about_dialog(ctx)
    check(ctx.probe.click_and_return(ctx.main, 1016), "a second press of About did not return")
    check_equal(len(ctx.dialogs()), 1, "dialogs after a second press of About")


@case("about")
def escape_does_not_close_about(ctx):
    about = about_dialog(ctx)
    wait_for(lambda: ctx.focus_id(about) == ABOUT_MAIL_BUTTON, 10, "the focus on EMail Us")
    ctx.press(about, "escape")
    # Keys are handled in order: once Tab has moved the focus, Escape has
    # been handled too.
    ctx.press(about, "tab", then_focus=ABOUT_SITE_BUTTON)
    check(ctx.probe.exists(about), "Escape closed the About dialog")
    check_equal(len(ctx.dialogs()), 1, "dialogs after Escape")


@case("about")
def diagnostics_page_describes_the_system(ctx):
    about = about_dialog(ctx)
    choose_page(ctx, about, 1)
    description = oracle.describe_system(ctx.probe.version())
    wait_for(lambda: ctx.probe.text(about, ABOUT_PAGE_TEXT) == description + "\r\n\r\n", 10,
             f"the Diagnostics page to read {description!r}, an empty line and the empty log")
    check_equal(ctx.probe.text(about, ABOUT_ACTION), "Copy", "action button on Diagnostics")
    check_action_tip(ctx, about, TIP_COPY)
    ctx.probe.empty_clipboard()
    ctx.probe.click(about, ABOUT_ACTION)
    wait_for(lambda: _clipboard(ctx) == description + "\r\n\r\n", 10, "the page text on the clipboard")
    check_equal(ctx.probe.combo(about, ABOUT_PAGES)[0], 1, "page after Copy")
    check_equal(ctx.probe.text(about, ABOUT_PAGE_TEXT), description + "\r\n\r\n", "Diagnostics page after Copy")
    choose_page(ctx, about, 0)
    wait_for(lambda: ctx.probe.text(about, ABOUT_PAGE_TEXT) == directories_page(ctx), 10, "the Prog Dirs page")
    check_equal(ctx.probe.text(about, ABOUT_ACTION), "Open Dirs", "action button back on Prog Dirs")
    check_action_tip(ctx, about, TIP_DIRS)


def _clipboard(ctx):
    try:
        return ctx.probe.clipboard()
    except TestFailure:
        return None


@case("about")
def email_us_opens_the_support_mail(ctx):
    about = about_dialog(ctx)
    ctx.clear_shell_log()
    ctx.probe.click(about, ABOUT_MAIL_BUTTON)
    description = oracle.describe_system(ctx.probe.version())
    mail = f"mailto:{SUPPORT_MAIL}?subject=Quorvane&body=v1000 {description} "
    check_equal(ctx.shell_requests(1), [handler_command(mail)], "shell request of EMail Us")


@case("about")
def go_to_site_opens_the_web_site(ctx):
    about = about_dialog(ctx)
    ctx.clear_shell_log()
    ctx.probe.click(about, ABOUT_SITE_BUTTON)
    check_equal(ctx.shell_requests(1), [handler_command(SUPPORT_SITE)], "shell request of Go to Site")


@case("about")
def open_dirs_opens_both_folders(ctx):
    about = about_dialog(ctx)
    check_equal(ctx.probe.combo(about, ABOUT_PAGES)[0], 0, "page before Open Dirs")
    ctx.clear_shell_log()
    ctx.probe.click(about, ABOUT_ACTION)
    data = ctx.probe.appdata() + "\\Ormacle\\Quorvane\\"
    check_equal(ctx.shell_requests(2), [handler_command(program_directory(ctx)), handler_command(data)],
                "shell requests of Open Dirs")
    check_equal(ctx.probe.combo(about, ABOUT_PAGES)[0], 0, "page after Open Dirs")
    check_equal(ctx.probe.text(about, ABOUT_PAGE_TEXT), directories_page(ctx), "Prog Dirs page after Open Dirs")


@case("about")
def ok_closes_about(ctx):
    about = about_dialog(ctx)
    ctx.probe.click(about, ABOUT_OK)
    ctx.wait_closed(about, "About to close on OK")
    check_equal(ctx.close(), 0, "exit status")


# The system description under other Windows versions.

def set_windows_version(ctx, version):
    """Sets the version Wine reports to the processes started after it."""
    if version is None:
        args = ["delete", "HKCU\\Software\\Wine", "/v", "Version", "/f"]
    else:
        args = ["add", "HKCU\\Software\\Wine", "/v", "Version", "/d", version, "/f"]
    status = ctx.session.start(args, exe="reg", name="reg").exit_code(60)
    # Deleting a value that is not there fails, and that is fine.
    check(version is None or status == 0, f"reg add Version={version} failed with status {status}")


EXPECTED_NAMES = {None: "Windows Vista", "winxp": "Windows XP", "win2k": "Windows 2000", "vista": "Windows Vista"}


def check_version(ctx, version):
    set_windows_version(ctx, version)
    ctx.stop()
    ctx.probe = ctx.session.restart_probe()
    reported = ctx.probe.version()
    description = oracle.describe_system(reported)
    print(f"    Version={version or '(default)'}: {reported['major']}.{reported['minor']} "
          f"{reported['csd']!r}, product type {reported['product']}: {description!r}", flush=True)
    check(description.startswith(EXPECTED_NAMES[version]),
          f"Version={version} reports {reported}, described as {description!r}")
    about = open_about(ctx)
    choose_page(ctx, about, 1)
    wait_for(lambda: ctx.probe.text(about, ABOUT_PAGE_TEXT) == description + "\r\n\r\n", 10,
             f"the Diagnostics page to read {description!r}")
    ctx.clear_shell_log()
    ctx.probe.click(about, ABOUT_MAIL_BUTTON)
    mail = f"mailto:{SUPPORT_MAIL}?subject=Quorvane&body=v1000 {description} "
    check_equal(ctx.shell_requests(1), [handler_command(mail)], f"mail text under Version={version}")
    ctx.probe.click(about, ABOUT_OK)
    ctx.wait_closed(about, "About to close")
    check_equal(ctx.close(), 0, "exit status")


@case("versions")
def description_of_the_default_version(ctx):
    check_version(ctx, None)


@case("versions")
def description_of_windows_xp(ctx):
    check_version(ctx, "winxp")


@case("versions")
def description_of_windows_2000(ctx):
    check_version(ctx, "win2k")


@case("versions")
def description_of_windows_vista(ctx):
    check_version(ctx, "vista")


# A removable drive.

@case("removable")
def data_directory_is_the_program_directory_on_a_removable_drive(ctx):
    drive = ctx.session.work / "removable"
    (drive / "app").mkdir(parents=True)
    shutil.copy2(ctx.args.exe, drive / "app" / "Quorvane.exe")
    link = ctx.session.prefix / "dosdevices" / "r:"
    link.unlink(missing_ok=True)
    link.symlink_to(drive)
    ctx.probe.close()
    runner = ctx.session.start(["add", "HKLM\\Software\\Wine\\Drives", "/v", "r:", "/d", "floppy", "/f"],
                               exe="reg", name="reg-drive")
    check_equal(runner.exit_code(60), 0, "status of reg add for drive r:")
    # The drive table is read when the prefix's services start.
    ctx.session.stop_wineserver()
    ctx.probe = ctx.session.restart_probe()
    check_equal(ctx.probe.drive_type("R:\\"), DRIVE_REMOVABLE, "type of drive R:")
    check_equal(ctx.probe.drive_type("C:\\"), DRIVE_FIXED, "type of drive C:")
    ctx.start([], exe="R:\\app\\Quorvane.exe")
    about = ctx.open_dialog(1016, ABOUT_TITLE)
    page = ctx.probe.text(about, ABOUT_PAGE_TEXT)
    lines = page.split("\r\n")
    check_equal(len(lines), 5, f"lines of the Prog Dirs page {page!r}")
    program, data = lines[1], lines[4]
    check(program.upper() == "R:\\APP\\", f"program directory on the removable drive is {program!r}")
    check_equal(data, program, "data directory on a removable drive")
    appdata = ctx.probe.appdata()
    made = ctx.session.prefix / "drive_c" / appdata[3:].replace("\\", "/") / "Ormacle"
    check(not made.exists(), f"{made} was created for a program on a removable drive")
    ctx.probe.click(about, ABOUT_OK)
    ctx.wait_closed(about, "About to close")
    check_equal(ctx.close(), 0, "exit status")


# --- running ----------------------------------------------------------------

def run_group(name, args):
    cases = GROUPS[name]
    started = time.monotonic()
    session = Session(name, args)
    failures = []
    try:
        ctx = Context(session, args)
        for function in cases:
            label = f"{name}.{function.__name__}"
            print(f"[ RUN      ] {label}", flush=True)
            t0 = time.monotonic()
            try:
                function(ctx)
                print(f"[       OK ] {label} ({time.monotonic() - t0:.1f} s)", flush=True)
            except TestFailure as failure:
                failures.append(label)
                print(f"[  FAILED  ] {label}: {failure}", flush=True)
            except Exception:  # a broken harness: report it and carry on
                failures.append(label)
                print(f"[  FAILED  ] {label}:\n{traceback.format_exc()}", flush=True)
    finally:
        session.close()
    passed = len(cases) - len(failures)
    print(f"{name}: {passed} passed, {len(failures)} failed ({time.monotonic() - started:.1f} s)")
    for label in failures:
        print(f"  failed: {label}")
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("group", choices=["prepare"] + sorted(GROUPS))
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--logger", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--gui-prefix", required=True)
    parser.add_argument("--screenshots", default=None)
    parser.add_argument("--make-prefix")
    parser.add_argument("--base-prefix")
    args = parser.parse_args()
    # Stopped from outside (a test time-out): still stop what we started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    if args.group == "prepare":
        if not args.make_prefix or not args.base_prefix:
            parser.error("prepare needs --make-prefix and --base-prefix")
        prepare_gui_prefix(args.make_prefix, args.base_prefix, args.gui_prefix, args.logger)
        print("GUI test prefix ready")
        return 0
    if args.screenshots is None:
        args.screenshots = str(Path(args.work) / "screenshots")
    return run_group(args.group, args)


if __name__ == "__main__":
    sys.exit(main())
