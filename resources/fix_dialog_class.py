#!/usr/bin/env python3
"""Gives a dialog template in a compiled .res file back its class name as written.

    fix_dialog_class.py FILE.res DIALOG CLASS

windres upper-cases the CLASS of a dialog template ("Quor" becomes "QUOR").
Windows compares class names without regard to case, so either works, but
the template should carry the spelling of the resource script.  The name
keeps its length, so the file is patched in place; it fails when the
template is missing or its class is not CLASS in some case.
"""

import struct
import sys


def read_id(data, at):
    """(ordinal or text, next offset) of a type or name in a resource header."""
    if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le"), end + 2


def resources(data):
    """(type, name, data offset, data size) of every resource in a .res file."""
    at = 0
    while at + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, at)
        kind, after = read_id(data, at + 8)
        name, _ = read_id(data, after)
        yield kind, name, at + header_size, size
        at = (at + header_size + size + 3) & ~3


def class_offset(data, start):
    """Offset and text of the class name in a dialog template, or None for an ordinal."""
    extended = struct.unpack_from("<HH", data, start) == (1, 0xFFFF)
    at = start + (26 if extended else 18)
    _, at = read_id(data, at)  # menu
    if struct.unpack_from("<H", data, at)[0] in (0, 0xFFFF):
        return at, None
    text, _ = read_id(data, at)
    return at, text


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    path, dialog, wanted = argv[1], argv[2].upper(), argv[3]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    for kind, name, start, _ in resources(data):
        if kind == 5 and name == dialog:
            at, current = class_offset(data, start)
            if current is None or current.upper() != wanted.upper():
                print("%s: dialog %s has class %r, not %r" % (path, dialog, current, wanted), file=sys.stderr)
                return 1
            data[at:at + 2 * len(wanted)] = wanted.encode("utf-16-le")
            with open(path, "wb") as f:
                f.write(data)
            return 0
    print("%s: no dialog %s" % (path, dialog), file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
