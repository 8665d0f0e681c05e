#!/usr/bin/env python3
"""Points a linked Windows program's load-configuration directory at its
_load_config_used structure, which GNU ld leaves unset, and sets the header
checksum anew when the link set one. The same files give the same bytes.

    set_load_config.py PROGRAM.exe PROGRAM.map   (the link's -Map)
"""
import re
import struct
import sys
from array import array

LOAD_CONFIG = 10  # the data directory's entry


def checksum(data, at):
    """The PE header checksum of data, whose checksum field is at `at`."""
    words = array("H", bytes(data[:at]) + b"\0\0\0\0" + bytes(data[at + 4:]) + b"\0" * (len(data) % 2))
    total = sum(words)
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return total + len(data)


def main():
    exe, link_map = sys.argv[1:3]
    data = bytearray(open(exe, "rb").read())
    header = struct.unpack_from("<I", data, 0x3C)[0]
    optional = header + 24
    wide = struct.unpack_from("<H", data, optional)[0] == 0x20B
    image_base = struct.unpack_from("<Q" if wide else "<I", data, optional + (24 if wide else 28))[0]
    found = re.search(r"^\s+0x([0-9a-f]+)\s+_?_load_config_used$", open(link_map).read(), re.M)
    if not found:
        sys.exit(f"{exe}: no _load_config_used in {link_map}")
    rva = int(found.group(1), 16) - image_base
    # The structure's first field is its size, in the section that holds it.
    sections = optional + struct.unpack_from("<H", data, header + 20)[0]
    for at in range(sections, sections + 40 * struct.unpack_from("<H", data, header + 6)[0], 40):
        size, start, _, raw = struct.unpack_from("<4I", data, at + 8)
        if start <= rva < start + size:
            struct.pack_into("<2I", data, optional + (112 if wide else 96) + 8 * LOAD_CONFIG, rva,
                             struct.unpack_from("<I", data, raw + rva - start)[0])
            if struct.unpack_from("<I", data, optional + 64)[0]:
                struct.pack_into("<I", data, optional + 64, checksum(data, optional + 64))
            open(exe, "wb").write(data)
            return
    sys.exit(f"{exe}: _load_config_used lies in no section")


if __name__ == "__main__":
    main()
