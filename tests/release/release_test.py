#!/usr/bin/env python3
"""Checks what scripts/release.sh made: both zips with their four entries,
the checksums, and inside each executable the architecture, the version
block with the build's one version, no link time and no build folder; then
runs both programs of each zip exactly as they lie in it, under Wine (the
32-bit ones under WoW64), with the probe of the test build of their
architecture (scripts/test.sh builds those first).

usage: release_test.py RELEASE_DIR (build/release)
"""
import hashlib
import json
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
sys.dont_write_bytecode = True
sys.path.insert(0, str(ROOT / "scripts" / "wine"))
from wine_gui import Wine, copy_prefix, dos, expected, root_of, shown, start_xvfb  # noqa: E402
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
        # One console analysis and one window flow per zip: started on a
        # file, the window shows what the console program says, and closes.
        work = RELEASE / "run"
        shutil.rmtree(work, ignore_errors=True)
        sample = work / "notes.txt"
        work.mkdir()
        sample.write_bytes(b"Shipped as it is.\r\nCaf\xe9 1.0 works.\n")
        xvfb, display = start_xvfb()
        try:
            for arch in ("x64", "x86"):
                with self.subTest(arch):
                    check = subprocess.run([ROOT / "scripts" / "wine" / "wow64.sh", "check"], capture_output=True,
                                           text=True)
                    if arch == "x86" and check.returncode != 0:
                        self.skipTest(f"the 32-bit programs are not run: {check.stdout.strip()}")
                    self.run_shipped(arch, work, sample, display)
        finally:
            xvfb.terminate()
            xvfb.wait()

    def run_shipped(self, arch, work, sample, display):
        programs = work / arch
        with zipfile.ZipFile(RELEASE / f"Quorvane-{VERSION}-{arch}.zip") as archive:
            archive.extractall(programs)
        root, build = root_of(programs / "Quorvane.exe"), ROOT / "build" / f"windows-{arch}"
        copy_prefix(build / "wineprefix", work / f"prefix-{arch}", root, '[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n')
        wine = Wine(work / f"prefix-{arch}", display, build / "scripts" / "wine" / "quorvane_gui_probe.exe", work, root)
        try:
            result = json.loads(wine.run(programs / "quorvane-cli.exe", "--json", dos(sample)))
            self.assertEqual((result["size"], result["words"], result["sentences"]), (35, 5, 2))
            program = wine.start(programs / "Quorvane.exe", dos(sample))
            window = wine.main_window(program)
            self.assertEqual(shown(window), expected(result))
            wine.probe("post", "Quorvane", 0, 0x10, 0)  # WM_CLOSE
            self.assertEqual(program.wait(20), 0)
        finally:
            wine.stop()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
