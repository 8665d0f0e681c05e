#!/usr/bin/env python3
"""Checks a built Windows executable before it ships.

    check_exe.py --kind gui|console --version X.Y.Z FILE.exe

Every executable must import only functions of Windows 7's own DLLs, as
windows7_imports.txt lists them (a MinGW runtime DLL left dynamic makes the
program fail to start on a clean machine, a function newer than Windows 7 on
Windows 7), be marked for
ASLR (with the relocations that let it move) and DEP, have no section both
writable and executable, carry a version block and a manifest of the build's version
whose processor architecture matches the file's machine type (Windows refuses
to start it otherwise), and have the DLLs that system DLLs import looked for
in the system folder alone (DependentLoadFlags of its load configuration,
which Windows 10 1607 and later follow). The window program (--kind gui)
must also hold its dialog templates, its two icons with every image size,
and name version 6 of the common controls for the same architecture.

Exit status: 0 when every check passes, 1 when one fails, 2 when the file
cannot be read as a PE file.
"""

import argparse
import struct
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pefile

RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 5, 14, 16, 24
WINDOWS7 = {tuple(line.split()) for line in (Path(__file__).parent / "windows7_imports.txt").read_text().splitlines()
            if line and not line.startswith("#")}
MACHINES = {0x014C: "x86", 0x8664: "amd64"}
SUBSYSTEMS = {"gui": 2, "console": 3}
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x0040, 0x0020, 0x0100
MEM_EXECUTE, MEM_WRITE = 0x20000000, 0x80000000
BASE_RELOCATIONS, LOAD_CONFIG = 5, 10  # entries of the data directory
DEPENDENT_LOAD_FLAGS = {"x86": 54, "amd64": 78}  # where the load configuration holds them
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800
GUI_DIALOGS = ("MAINDIALOG", 1005, 1025)
GUI_ICONS = (500, 501)
ICON_SIZES = {16, 20, 24, 32, 40, 48, 64, 256}


def resources(pe):
    """{type: {name: bytes}}, names as ids or upper-case strings."""
    found = {}
    for kind in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None) and pe.DIRECTORY_ENTRY_RESOURCE.entries or []:
        for entry in kind.directory.entries:
            name = entry.id if entry.name is None else str(entry.name).upper()
            data = entry.directory.entries[0].data.struct
            found.setdefault(kind.id, {})[name] = pe.get_data(data.OffsetToData, data.Size)
    return found


def icon_sizes(group):
    count = struct.unpack_from("<H", group, 4)[0]
    return {group[6 + 14 * i] or 256 for i in range(count)}


def manifest(text):
    """(identity version, identity architecture, {dependency name: architecture})."""
    def local(tag):
        return tag.rsplit("}", 1)[-1]
    root = ElementTree.fromstring(text)
    identity = next(e for e in root if local(e.tag) == "assemblyIdentity")
    dependencies = {e.get("name", "").lower(): e.get("processorArchitecture", "").lower()
                    for e in root.iter() if local(e.tag) == "assemblyIdentity" and e is not identity}
    return identity.get("version"), identity.get("processorArchitecture", "").lower(), dependencies


def check(pe, kind, version):
    problems = []
    machine = MACHINES.get(pe.FILE_HEADER.Machine, "unknown machine 0x%04x" % pe.FILE_HEADER.Machine)
    header = pe.OPTIONAL_HEADER
    if header.Subsystem != SUBSYSTEMS[kind]:
        problems.append("subsystem %d, expected %d (%s)" % (header.Subsystem, SUBSYSTEMS[kind], kind))
    wanted = DYNAMIC_BASE | NX_COMPAT | (HIGH_ENTROPY_VA if machine == "amd64" else 0)
    if header.DllCharacteristics & wanted != wanted:
        problems.append("not marked for ASLR/DEP (DllCharacteristics 0x%04x)" % header.DllCharacteristics)
    if header.DATA_DIRECTORY[BASE_RELOCATIONS].Size == 0:
        problems.append("no base relocations: the loader cannot move it")
    config = header.DATA_DIRECTORY[LOAD_CONFIG]
    flags = DEPENDENT_LOAD_FLAGS.get(machine, 0)
    if (config.Size < flags + 2 or pe.get_dword_at_rva(config.VirtualAddress) != config.Size
            or pe.get_word_at_rva(config.VirtualAddress + flags) != LOAD_LIBRARY_SEARCH_SYSTEM32):
        problems.append("the DLLs system DLLs import may come from its own folder (no DependentLoadFlags of "
                        "LOAD_LIBRARY_SEARCH_SYSTEM32 in a load configuration of its size)")
    for section in pe.sections:
        if section.Characteristics & (MEM_EXECUTE | MEM_WRITE) == MEM_EXECUTE | MEM_WRITE:
            problems.append("section %s is writable and executable" % section.Name.rstrip(b"\0").decode())
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        dll = entry.dll.decode().lower()
        if not any(known == dll for known, _ in WINDOWS7):
            problems.append("imports %s, which is not part of Windows" % dll)
            continue
        for function in entry.imports:
            name = function.name.decode() if function.name else "#%d" % function.ordinal
            if (dll, name) not in WINDOWS7:
                problems.append("imports %s from %s, which windows7_imports.txt does not list: check that "
                                "Windows 7 has it and list it, or look it up at run time" % (name, dll))

    found = resources(pe)
    if kind == "gui":
        problems += ["dialog template %s missing" % name for name in GUI_DIALOGS if name not in found.get(RT_DIALOG, {})]
        for name in GUI_ICONS:
            group = found.get(RT_GROUP_ICON, {}).get(name)
            if group is None or not ICON_SIZES <= icon_sizes(group):
                problems.append("icon %d missing or without the sizes %s" % (name, sorted(ICON_SIZES)))

    quad = tuple(int(part) for part in (version + ".0.0.0").split(".")[:4])
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    if fixed is None:
        problems.append("version block missing")
    elif (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
          fixed.FileVersionLS & 0xFFFF) != quad:
        problems.append("file version is not %s" % version)

    text = found.get(RT_MANIFEST, {}).get(1)
    if text is None:
        return problems + ["manifest missing"]
    identity_version, identity_machine, dependencies = manifest(text)
    if identity_version != ".".join(map(str, quad)):
        problems.append("manifest identity is version %s, not %s" % (identity_version, version))
    if identity_machine != machine:
        problems.append("manifest identity is for %r, the file is %s" % (identity_machine, machine))
    controls = dependencies.get("microsoft.windows.common-controls")
    if controls is None and kind == "gui":
        problems.append("manifest does not ask for the common controls")
    elif controls is not None and controls not in (machine, "*"):
        problems.append("manifest asks for %r common controls, the file is %s" % (controls, machine))
    return problems


def main():
    parser = argparse.ArgumentParser(description="Check a Windows executable's imports and resources.")
    parser.add_argument("--kind", choices=sorted(SUBSYSTEMS), required=True)
    parser.add_argument("--version", required=True, help="the build's version, e.g. 1.0.0")
    parser.add_argument("file")
    args = parser.parse_args()
    try:
        problems = check(pefile.PE(args.file), args.kind, args.version)
    except (OSError, pefile.PEFormatError, ElementTree.ParseError, StopIteration) as error:
        print("%s: cannot read: %s" % (args.file, error), file=sys.stderr)
        return 2
    for problem in problems:
        print("%s: %s" % (args.file, problem), file=sys.stderr)
    print("%s: %s" % (args.file, "ok" if not problems else "%d problem(s)" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
