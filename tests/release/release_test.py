#!/usr/bin/env python3
"""Checks what scripts/release.sh made: both zips with their four entries,
the checksums, and inside each executable the architecture, the version
block with the build's one version, no link time and no build folder.

usage: release_test.py RELEASE_DIR (build/release)
"""
import hashlib
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


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]], verbosity=2)
