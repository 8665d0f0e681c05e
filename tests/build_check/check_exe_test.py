#!/usr/bin/env python3
"""Breaks copies of real executables and expects check_exe.py to notice.

    check_exe_test.py CHECK_EXE.py PROGRAM.exe...

Each program must pass as built; each damaged copy must fail with a message
naming the damage.  The kind of program (window or console) is read from its
PE header.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

CHECKER = None
PROGRAMS = []


def subsystem(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, pe + 24 + 68)[0]


def kind_of(path):
    return "gui" if subsystem(path) == 2 else "console"


def run_checker(path, kind):
    result = subprocess.run([sys.executable, CHECKER, "--kind", kind, path], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


class DamagedCopies(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="check_exe_test.")

    def tearDown(self):
        shutil.rmtree(self.folder)

    def damaged(self, program, old, new, count=1):
        """A copy with the first count occurrences of old replaced."""
        self.assertEqual(len(old), len(new))
        with open(program, "rb") as f:
            data = f.read()
        self.assertIn(old, data, "%s holds no %r to damage" % (program, old))
        data = data.replace(old, new, count)
        path = os.path.join(self.folder, os.path.basename(program))
        with open(path, "wb") as f:
            f.write(data)
        return path

    def expect_failure(self, path, kind, message):
        status, output = run_checker(path, kind)
        self.assertEqual(status, 1, output)
        self.assertIn(message, output)

    def test_programs_pass_as_built(self):
        for program in PROGRAMS:
            with self.subTest(program=program):
                status, output = run_checker(program, kind_of(program))
                self.assertEqual(status, 0, output)

    def test_foreign_dll_is_refused(self):
        for program in PROGRAMS:
            with self.subTest(program=program):
                path = self.damaged(program, b"KERNEL32.dll\0", b"QUORVAN3.dll\0")
                self.expect_failure(path, kind_of(program), "imports QUORVAN3.dll")

    def test_manifest_for_another_architecture_is_refused(self):
        # Same length, so the resource sizes stay right.
        swaps = {b'"amd64"': b'"arm64"', b'"X86"': b'"ARM"'}
        for program in PROGRAMS:
            with open(program, "rb") as f:
                data = f.read()
            old = next(name for name in swaps if b"processorArchitecture=" + name in data)
            new = swaps[old]
            with self.subTest(program=program, part="identity"):
                path = self.damaged(program, b"processorArchitecture=" + old, b"processorArchitecture=" + new)
                self.expect_failure(path, kind_of(program), "manifest identity is for")
            if kind_of(program) == "gui":
                with self.subTest(program=program, part="common controls"):
                    # Both occurrences swapped: the identity then matches
                    # nothing either, but the dependency must be named too.
                    path = self.damaged(program, b"processorArchitecture=" + old, b"processorArchitecture=" + new, 2)
                    self.expect_failure(path, "gui", "common controls")

    def test_missing_dialog_is_refused(self):
        for program in [p for p in PROGRAMS if kind_of(p) == "gui"]:
            with self.subTest(program=program):
                path = self.damaged(program, "MAINDIALOG".encode("utf-16-le"), "MAINDIALOX".encode("utf-16-le"))
                self.expect_failure(path, "gui", "dialog template 'MAINDIALOG' missing")

    def test_console_program_is_not_taken_for_the_window_program(self):
        for program in [p for p in PROGRAMS if kind_of(p) == "console"]:
            with self.subTest(program=program):
                status, output = run_checker(program, "gui")
                self.assertEqual(status, 1, output)
                self.assertIn("subsystem 3", output)
                self.assertIn("dialog template 1005 missing", output)

    def test_unreadable_file_is_an_error_not_a_pass(self):
        path = os.path.join(self.folder, "cut.exe")
        with open(PROGRAMS[0], "rb") as f:
            head = f.read(0x200)
        with open(path, "wb") as f:
            f.write(head)
        status, output = run_checker(path, "console")
        self.assertEqual(status, 2, output)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: check_exe_test.py CHECK_EXE.py PROGRAM.exe...")
    CHECKER = sys.argv[1]
    PROGRAMS = sys.argv[2:]
    unittest.main(argv=sys.argv[:1])
