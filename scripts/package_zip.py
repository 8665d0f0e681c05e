#!/usr/bin/env python3
"""Packs the files of a folder into a zip that depends on nothing but their
names and bytes: entries sorted by name, every time SOURCE_DATE_EPOCH, the
same attributes for all, no extra fields. (Zips written through libarchive,
as CPack's are, carry each file's access and change times and list files in
the order the file system gives them.)

    SOURCE_DATE_EPOCH=SECONDS package_zip.py FOLDER ZIP
"""
import os
import sys
import time
import zipfile


def main():
    folder, target = sys.argv[1:]
    # A zip cannot say a time before 1980.
    stamp = max(time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6], (1980, 1, 1, 0, 0, 0))
    with zipfile.ZipFile(target + ".tmp", "w") as archive:
        for name in sorted(os.listdir(folder)):
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            with open(os.path.join(folder, name), "rb") as file:
                archive.writestr(entry, file.read(), compresslevel=9)
    os.replace(target + ".tmp", target)
    return 0


if __name__ == "__main__":
    sys.exit(main())
