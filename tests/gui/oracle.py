"""What the program should show, worked out here from the file's bytes and
the system's version record, without the program's code."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

from text_rules import grouped, reference_counts  # noqa: E402

HEAD_LIMIT = 50_000
STATISTICS_LIMIT = 50_000_000


# Control identifiers of the main window's value fields.
FIELD_PATH = 1000
FIELD_SIZE = 1002
FIELD_TYPE = 1004
FIELD_PREVIEW = 1003
STATISTIC_FIELDS = {"characters": 3008, "words": 3002, "letters": 1001, "lines": 3003, "digits": 3005,
                    "sentences": 3004, "spaces": 3006, "average_word": 3009, "symbols": 3007,
                    "average_sentence": 3010}
VALUE_FIELDS = [FIELD_PATH, FIELD_SIZE, FIELD_TYPE, FIELD_PREVIEW] + list(STATISTIC_FIELDS.values())


def main_fields(path, data, type_description):
    """Every value field's text for an analysed file; texts as cp1252 bytes.

    path is the Windows path as the program was given it; type_description
    is named by the test for its sample (the signature table is the unit
    tests' business)."""
    head = data[:HEAD_LIMIT]
    fields = {FIELD_PATH: path.encode("cp1252"), FIELD_SIZE: grouped(len(data)).encode(),
              FIELD_TYPE: type_description.encode(), FIELD_PREVIEW: head.split(b"\0", 1)[0]}
    for name, value in reference_counts(data[:STATISTICS_LIMIT]).items():
        fields[STATISTIC_FIELDS[name]] = grouped(value).encode()
    return fields


# The system description: the version record's fields to the name the
# program gives them.
def describe_system(v):
    platform, major, minor, csd = v["platform"], v["major"], v["minor"], v["csd"]
    if platform == 2:
        if major == 5:
            if minor == 0:
                text = "Windows 2000"
            elif minor == 1:
                text = ("Windows XP Tablet PC Edition" if v["tablet"] else
                        "Windows XP Media Center Edition" if v["media"] else "Windows XP")
            elif minor == 2:
                text = "Windows Server 2003 family"
            else:
                text = "Unknown Window 2000"
        elif major == 6:
            text = "Windows Vista"
        elif (major, minor) == (4, 0):
            text = "Windows NT 4.0"
        elif (major, minor) in ((3, 1), (3, 50), (3, 51)):
            text = {1: "Windows NT 3.1", 50: "Windows NT 3.5", 51: "Windows NT 3.51"}[minor]
        else:
            text = "Unknown NT OS"
        if v.get("extended", True):
            product = v["product"]
            if product == 1:
                text += (" Workstation 4.0" if major == 4 else
                         " Home Edition" if v["suite"] & 0x200 else " Professional")
            elif product == 3:
                text += " Server"
        if csd:
            text += ", " + csd
        return text
    if platform == 1:
        text = {(4, 90): "Windows Me", (4, 10): "Windows 98", (4, 0): "Windows 95"}.get((major, minor),
                                                                                      "Unknown 9x OS")
        if csd:
            mark = csd[1:2]
            text += " SE" if mark == "A" else " OSR2" if mark == "C" else csd
        return text
    return "Unknown OS"
