"""The text rules of the program restated for the tests, worked out from the
bytes without the program's code: statistics, grouped numbers and the
Windows-1252 decoding of previews."""

# Counting rules, restated over whole byte strings rather than byte by byte:
# the classes that matter for words and sentences are kept in a reduced copy of
# the text (letters as "a", digits as "0", spaces, full stops, line feeds), in
# which a word is " a" and a sentence is "a.".

LETTERS = bytes(range(0x41, 0x5B)) + bytes(range(0x61, 0x7B))
DIGITS = bytes(range(0x30, 0x3A))
SYMBOLS = bytes(b for b in range(0x21, 0x7F) if b not in LETTERS and b not in DIGITS)
CLASS_BYTES = LETTERS + DIGITS + b" .\n"
REDUCE_TABLE = bytes.maketrans(LETTERS + DIGITS, b"a" * len(LETTERS) + b"0" * len(DIGITS))
REDUCE_DROP = bytes(b for b in range(256) if b not in CLASS_BYTES)


def count_of(data, alphabet):
    return len(data) - len(data.translate(None, alphabet))


def reference_counts(data):
    reduced = data.translate(REDUCE_TABLE, REDUCE_DROP)
    counts = {
        "letters": count_of(data, LETTERS),
        "words": 1 + reduced.count(b" a"),
        "lines": 1 + data.count(b"\n"),
        "sentences": reduced.count(b"a."),
        "digits": count_of(data, DIGITS),
        "spaces": data.count(b" "),
        "symbols": count_of(data, SYMBOLS),
    }
    counts["characters"] = counts["letters"] + counts["digits"] + counts["spaces"] + counts["symbols"]
    counts["average_word"] = counts["letters"] // counts["words"] if counts["words"] else 0
    counts["average_sentence"] = counts["words"] // counts["sentences"] if counts["sentences"] else 0
    return counts


def decode_1252(data):
    """Windows-1252 as Windows decodes it: its five undefined bytes become the
    C1 controls of the same value."""
    return "".join(bytes([b]).decode("cp1252", errors="ignore") or chr(b) for b in data)


def grouped(number):
    return f"{number:,}".replace(",", ".")
