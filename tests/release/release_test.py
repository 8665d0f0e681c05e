#!/usr/bin/env python3
"""Checks what scripts/release.sh made: both zips with their four entries,
the checksums, and inside each executable the architecture, the version
block with the build's one version, no link time and no build folder; then
runs both programs of each zip exactly as they lie in it through a window
test, under Wine (the 32-bit ones under WoW64), with the prefix and probe of
the test build of their architecture (scripts/test.sh builds those first).

usage: release_test.py RELEASE_DIR (build/release)
"""
import hashlib
import os
import shutil
import subprocess
import sys
import unittest
import zipfile
from pathlib import Path

import pefile

RELEASE = Path(sys.argv.pop(1) if __name__ == "__main__" else "build/release").resolve()
ROOT = Path(__file__).resolve().parents[2]
VERSION = next(line.split("=", 1)[1] for line in (RELEASE / "x86" / "CMakeCache.txt").read_text().splitlines()
               if line.startswith("CMAKE_PROJECT_VERSION:"))
MACHINES = {"x86": 0x014C, "x64": 0x8664}
KEYS = {b"CompanyName", b"FileDescription", b"FileVersion", b"InternalName", b"LegalCopyright", b"OriginalFilename",
        b"ProductName", b"ProductVersion"}


class Release(unittest.TestCase):
    def test_zips_and_checksums(self):
        sums = dict(reversed(line.split("  ")) for line in (RELEASE / "SHA256SUMS").read_text().splitlines())
        self.assertEqual(sorted(sums), [f"Quorvane-{VERSION}-{arch}.zip" for arch in ("x64", "x86")])
        for name, digest in sums.items():
            self.assertEqual(hashlib.sha256((RELEASE / name).read_bytes()).hexdigest(), digest, name)
            arch = name[:-4].rsplit("-", 1)[1]
            with zipfile.ZipFile(RELEASE / name) as archive:
                entries = archive.infolist()
                self.assertEqual([e.filename for e in entries], ["GUIDE.txt", "LICENSE.txt", "Quorvane.exe", "quorvane-cli.exe"])
                self.assertEqual(len({e.date_time for e in entries}), 1, "one time for every entry")
                self.assertIn(f"Quorvane {VERSION}".encode(), archive.read("GUIDE.txt"))
                for exe in ("Quorvane.exe", "quorvane-cli.exe"):
                    data = archive.read(exe)
                    pe = pefile.PE(data=data)
                    self.assertEqual((pe.FILE_HEADER.Machine, pe.FILE_HEADER.TimeDateStamp), (MACHINES[arch], 0), exe)
                    strings = {k: v for info in pe.FileInfo[0] if hasattr(info, "StringTable")
                               for table in info.StringTable for k, v in table.entries.items()}
                    self.assertLessEqual(KEYS, set(strings), exe)
                    self.assertEqual(strings[b"FileVersion"].decode(), ".".join(VERSION.split(".")[:2]), exe)
                    self.assertNotIn(str(ROOT).encode(), data, f"{exe} holds the build folder")

    def test_outside_a_checkout(self):
        # From a source archive there is no commit to take the time from: the
        # script says what to set, before it builds anything.
        tree = RELEASE / "archive"
        shutil.rmtree(tree, ignore_errors=True)
        (tree / "scripts").mkdir(parents=True)
        shutil.copy2(ROOT / "scripts" / "release.sh", tree / "scripts")
        env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
        done = subprocess.run([tree / "scripts" / "release.sh"], env=env, capture_output=True, text=True, timeout=60)
        self.assertEqual((done.returncode, done.stderr), (1, "release: not a git checkout; set SOURCE_DATE_EPOCH to "
                                                             "the time the release should carry (seconds since 1970)\n"))

    def test_programs_as_shipped(self):
        # Both programs of each zip as they lie in it: the window started on
        # a file shows what the console program says of it, and closes. The
        # 32-bit ones natively or emulated, as wow64.sh finds, and said which.
        check = subprocess.run([ROOT / "scripts" / "wine" / "wow64.sh", "check"], capture_output=True, text=True)
        print(f"\n  x86: {check.stdout.strip()}", file=sys.stderr)
        for arch in ("x64", "x86"):
            with self.subTest(arch):
                if arch == "x86" and check.returncode != 0:
                    self.skipTest("the 32-bit programs are not run")
                programs = RELEASE / "run" / arch
                shutil.rmtree(programs, ignore_errors=True)
                with zipfile.ZipFile(RELEASE / f"Quorvane-{VERSION}-{arch}.zip") as archive:
                    archive.extractall(programs)
                done = subprocess.run([sys.executable, ROOT / "tests" / "gui" / "gui_tests.py", ROOT / "build" / f"windows-{arch}",
                                       "QuorvaneWindow.test_2_open_by_argument"], capture_output=True, text=True,
                                      env=dict(os.environ, QUORVANE_PROGRAMS=str(programs)), timeout=300)
                self.assertEqual(done.returncode, 0, done.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
