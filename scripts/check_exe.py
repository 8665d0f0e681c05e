#!/usr/bin/env python3
"""Checks a built Windows executable before it ships.

    check_exe.py --kind gui|console [--dump] FILE.exe

Every executable must import system DLLs only (a MinGW runtime DLL left
dynamic makes the program fail to start on a clean machine), be marked for
ASLR and DEP, carry a version block and a manifest whose processor
architecture matches the file's machine type (Windows refuses to start it
otherwise).  The window program (--kind gui) must also hold its dialog
templates, its two icons with every image size, and name version 6 of the
common controls for the same architecture.

Exit status: 0 when every check passes, 1 when one fails, 2 when the file
cannot be read as a PE file.  Only the standard library is used.
"""

import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 5, 14, 16, 24
RESOURCE_TYPE_NAMES = {1: "cursor", 2: "bitmap", 3: "icon", 4: "menu", 5: "dialog", 6: "string table",
                       12: "cursor group", 14: "icon group", 16: "version", 24: "manifest"}

# Windows' own DLLs, which every supported system has.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "ucrtbase.dll", "user32.dll", "uxtheme.dll",
    "version.dll",
}
SYSTEM_DLL_PREFIXES = ("api-ms-win-",)

MACHINES = {0x014C: "x86", 0x8664: "amd64", 0xAA64: "arm64"}
SUBSYSTEMS = {"gui": 2, "console": 3}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100

# What the window program cannot start or show itself without.
GUI_DIALOGS = ("MAINDIALOG", 1005, 1025)
GUI_ICON_GROUPS = (500, 501)
ICON_SIZES = {16, 32, 48}
COMMON_CONTROLS = "microsoft.windows.common-controls"


class PeError(Exception):
    pass


# --- PE reading --------------------------------------------------------------------


class Pe:
    """The parts of a PE image the checks need, read from its bytes."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        self.machine, section_count = struct.unpack_from("<HH", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic == 0x10B:
            self.bits, directories = 32, optional + 96
        elif magic == 0x20B:
            self.bits, directories = 64, optional + 112
        else:
            raise PeError("unknown optional header magic 0x%x" % magic)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directory_count = self.u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            name, virtual_size, address, raw_size, raw_pointer = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), address,
                                  max(virtual_size, raw_size), raw_pointer, raw_size))

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for _, address, size, raw_pointer, raw_size in self.sections:
            if address <= rva < address + size:
                if rva - address >= raw_size:
                    raise PeError("RVA 0x%x lies in uninitialised data" % rva)
                return raw_pointer + rva - address
        raise PeError("RVA 0x%x outside every section" % rva)

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def c_string(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii", "replace")

    def imports(self):
        """Names of the DLLs in the import and delay-import tables."""
        names = []
        rva, size = self.directory(1)
        if rva and size:
            at = self.offset(rva)
            while True:
                lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
                if not (lookup or name or thunks):
                    break
                names.append(self.c_string(name))
                at += 20
        rva, size = self.directory(13)
        if rva and size:
            at = self.offset(rva)
            while True:
                attributes, name = struct.unpack_from("<II", self.data, at)
                if not name:
                    break
                if not attributes & 1:  # old images store a virtual address, not an RVA
                    name -= self.image_base()
                names.append(self.c_string(name))
                at += 32
        return names

    def image_base(self):
        pe = self.u32(0x3C)
        if self.bits == 64:
            return struct.unpack_from("<Q", self.data, pe + 24 + 24)[0]
        return self.u32(pe + 24 + 28)

    def resources(self):
        """{type: {name: bytes}}; types and names are ints or upper-case texts."""
        rva, size = self.directory(2)
        if not (rva and size):
            return {}
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, root + directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, root + directory + 16 + 8 * i)
                if key & 0x80000000:
                    at = root + (key & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le").upper()
                yield key, target

        result = {}
        for kind, types in entries(0):
            if not types & 0x80000000:
                raise PeError("resource type without a directory")
            for name, names in entries(types & 0x7FFFFFFF):
                if not names & 0x80000000:
                    raise PeError("resource name without a directory")
                for _, leaf in entries(names & 0x7FFFFFFF):  # first language is enough
                    data_rva, data_size = struct.unpack_from("<II", self.data, root + leaf)
                    start = self.offset(data_rva)
                    result.setdefault(kind, {})[name] = self.data[start:start + data_size]
                    break
        return result


# --- resource contents ------------------------------------------------------------


def icon_group_sizes(group):
    """Widths of the images an icon group lists (0 in the file means 256)."""
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    if reserved != 0 or kind != 1:
        raise PeError("malformed icon group")
    return {group[6 + 14 * i] or 256 for i in range(count)}


def version_strings(block):
    """(fixed-info flags, {key: value}) from a VS_VERSIONINFO block."""

    def node(at):
        length, value_length, is_text = struct.unpack_from("<HHH", block, at)
        key_end = at + 6
        while block[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = block[at + 6:key_end].decode("utf-16-le")
        value_at = (key_end + 2 + 3) & ~3
        return key, length, value_length, is_text, value_at

    key, length, value_length, _, value_at = node(0)
    if key != "VS_VERSION_INFO" or value_length < 52:
        raise PeError("malformed version block")
    signature, _, _, _, _, _, flags_mask, flags = struct.unpack_from("<8I", block, value_at)
    if signature != 0xFEEF04BD:
        raise PeError("version block without fixed file info")
    strings = {}

    def walk(at, end, depth):
        while at < end:
            key, length, value_length, is_text, value_at = node(at)
            if length == 0:
                break
            if depth == 2 and is_text:
                raw = block[value_at:value_at + 2 * value_length]
                strings[key] = raw.decode("utf-16-le").rstrip("\0")
            elif depth < 2:
                walk(value_at if value_length == 0 else (value_at + value_length + 3) & ~3, at + length, depth + 1)
            at = (at + length + 3) & ~3

    string_file_info = (value_at + value_length + 3) & ~3
    while string_file_info < length:
        key, child_length, _, _, child_value = node(string_file_info)
        if child_length == 0:
            break
        if key == "StringFileInfo":
            walk(child_value, string_file_info + child_length, 1)
        string_file_info = (string_file_info + child_length + 3) & ~3
    return flags & flags_mask, strings


def manifest_architectures(text):
    """(identity architecture, {dependency name: architecture}), lower case."""
    root = ElementTree.fromstring(text)

    def local(tag):
        return tag.rsplit("}", 1)[-1]

    identity = None
    dependencies = {}
    for element in root:
        if local(element.tag) == "assemblyIdentity":
            identity = element.get("processorArchitecture", "").lower()
        elif local(element.tag) == "dependency":
            for item in element.iter():
                if local(item.tag) == "assemblyIdentity":
                    dependencies[item.get("name", "").lower()] = item.get("processorArchitecture", "").lower()
    return identity, dependencies


# --- checks -------------------------------------------------------------------------


def describe(name):
    return "%r" % name if isinstance(name, str) else str(name)


def check(pe, kind):
    """Problems found, as sentences; empty when the file passes."""
    problems = []
    machine = MACHINES.get(pe.machine)
    if machine is None:
        problems.append("unknown machine type 0x%04x" % pe.machine)

    if pe.subsystem != SUBSYSTEMS[kind]:
        problems.append("subsystem %d, expected %d (%s)" % (pe.subsystem, SUBSYSTEMS[kind], kind))
    wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if pe.bits == 64 else 0)
    if pe.dll_characteristics & wanted != wanted:
        problems.append("not marked for ASLR/DEP (DllCharacteristics 0x%04x)" % pe.dll_characteristics)

    for dll in pe.imports():
        lower = dll.lower()
        if lower not in SYSTEM_DLLS and not lower.startswith(SYSTEM_DLL_PREFIXES):
            problems.append("imports %s, which is not part of Windows" % dll)

    resources = pe.resources()
    if kind == "gui":
        dialogs = resources.get(RT_DIALOG, {})
        for name in GUI_DIALOGS:
            if name not in dialogs:
                problems.append("dialog template %s missing" % describe(name))
        groups = resources.get(RT_GROUP_ICON, {})
        for name in GUI_ICON_GROUPS:
            if name not in groups:
                problems.append("icon %s missing" % describe(name))
                continue
            sizes = icon_group_sizes(groups[name])
            if not ICON_SIZES <= sizes:
                problems.append("icon %s lacks sizes %s" % (name, sorted(ICON_SIZES - sizes)))

    versions = resources.get(RT_VERSION, {})
    if 1 not in versions:
        problems.append("version block missing")
    else:
        _, strings = version_strings(versions[1])
        if not strings.get("FileDescription"):
            problems.append("version block without a FileDescription")

    manifests = resources.get(RT_MANIFEST, {})
    if 1 not in manifests:
        problems.append("manifest missing")
    elif machine is not None:
        try:
            identity, dependencies = manifest_architectures(manifests[1])
        except ElementTree.ParseError as error:
            problems.append("manifest is not well-formed XML: %s" % error)
        else:
            if identity != machine:
                problems.append("manifest identity is for %r, the file is %s" % (identity, machine))
            controls = dependencies.get(COMMON_CONTROLS)
            if controls is None:
                if kind == "gui":
                    problems.append("manifest does not ask for the common controls")
            elif controls not in (machine, "*"):
                problems.append("manifest asks for %r common controls, the file is %s" % (controls, machine))
    return problems


def dump(pe):
    print("machine   %s, %d-bit, subsystem %d, DllCharacteristics 0x%04x"
          % (MACHINES.get(pe.machine, hex(pe.machine)), pe.bits, pe.subsystem, pe.dll_characteristics))
    print("imports   %s" % ", ".join(pe.imports()))
    resources = pe.resources()
    for kind in sorted(resources, key=str):
        names = ", ".join(describe(name) for name in sorted(resources[kind], key=str))
        print("resource  %s: %s" % (RESOURCE_TYPE_NAMES.get(kind, describe(kind)), names))
    if 1 in resources.get(RT_VERSION, {}):
        flags, strings = version_strings(resources[RT_VERSION][1])
        print("version   flags 0x%x" % flags)
        for key, value in strings.items():
            print("          %s = %s" % (key, value))
    if 1 in resources.get(RT_MANIFEST, {}):
        print(resources[RT_MANIFEST][1].decode("utf-8", "replace"))


def main(argv=None):
    parser = argparse.ArgumentParser(description="Check a Windows executable's imports and resources.")
    parser.add_argument("--kind", choices=sorted(SUBSYSTEMS), required=True,
                        help="gui: the window program with its dialogs and icons; console: a console tool")
    parser.add_argument("--dump", action="store_true", help="print what was found")
    parser.add_argument("file")
    args = parser.parse_args(argv)

    try:
        with open(args.file, "rb") as f:
            pe = Pe(f.read())
        if args.dump:
            dump(pe)
        problems = check(pe, args.kind)
    except (OSError, PeError, struct.error, ValueError, UnicodeDecodeError) as error:
        print("%s: cannot read: %s" % (args.file, error), file=sys.stderr)
        return 2
    for problem in problems:
        print("%s: %s" % (args.file, problem), file=sys.stderr)
    if problems:
        return 1
    print("%s: ok" % args.file)
    return 0


if __name__ == "__main__":
    sys.exit(main())
