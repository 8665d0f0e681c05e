#!/usr/bin/env python3
"""End-to-end tests of quorvane-cli: real files in, text and JSON out.

usage: cli_test.py --exe PATH [--runner "CMD ARGS"] [--tmpdir DIR] [unittest arguments, e.g. Analysis]

--runner prefixes every run of the program (for example a Wine loader for the
Windows build); --tmpdir is where the generated files go (some are large or
sparse, so it should be on a real disk, not a RAM-backed /tmp).
"""

import argparse
import json
import os
import random
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

# Nothing written into the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

from text_rules import decode_1252, grouped, reference_counts  # noqa: E402

HEAD_LIMIT = 50_000
STATISTICS_LIMIT = 50_000_000
CHUNK_SIZE = 1_000_000

OPTIONS = None  # parsed command line, set in main()
WORK_DIR = None  # this run's own folder inside --tmpdir

def english_like(rng, length):
    words = ["the", "Quick", "brown", "fox", "jumps", "over", "a", "lazy", "dog", "e.g.", "3.14", "(see", "below)",
             "end!", "caf\xe9", "na\xefve", "\u20ac5", "x-ray", "it's", "\t", "1999"]
    gaps = [" ", " ", " ", ". ", ", ", "\n", "\r\n", "  ", ".\n"]
    parts = []
    size = 0
    while size < length:
        part = (rng.choice(words) + rng.choice(gaps)).encode("cp1252")
        parts.append(part)
        size += len(part)
    return b"".join(parts)[:length]


# ---------------------------------------------------------------------------


def make_file(name, data=b""):
    path = os.path.join(WORK_DIR, name)
    with open(path, "wb") as f:
        f.write(data)
    return path


def run_cli(*args):
    command = OPTIONS.runner + [OPTIONS.exe, *args]
    return subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, timeout=120, check=False)


def stdout_text(completed):
    """Standard output after a strict UTF-8 decode. A Windows build writes its
    line ends as CR LF; the program itself never writes a bare CR (previews
    drop them, JSON escapes them), so folding CR LF loses nothing."""
    return completed.stdout.decode("utf-8").replace("\r\n", "\n")


def json_results(completed):
    """Each stdout line parsed on its own."""
    return [json.loads(line) for line in stdout_text(completed).splitlines()]


class CliTestCase(unittest.TestCase):
    maxDiff = None

    def analyse_json(self, *paths):
        completed = run_cli("--json", *paths)
        self.assertEqual(0, completed.returncode, completed.stderr)
        self.assertEqual(b"", completed.stderr)
        results = json_results(completed)
        self.assertEqual(len(paths), len(results))
        return results

    def assert_statistics(self, expected_data, result):
        expected = reference_counts(expected_data)
        actual = {key: result[key] for key in expected}
        self.assertEqual(expected, actual)


class Analysis(CliTestCase):
    def test_empty_file(self):
        path = make_file("empty.txt")
        (r,) = self.analyse_json(path)
        self.assertEqual(path, r["path"])
        self.assertEqual(0, r["size"])
        self.assertFalse(r["content_read"])
        self.assertEqual("", r["preview"])
        self.assertEqual("Unknown", r["type"])
        self.assertEqual(1, r["words"])
        self.assertEqual(1, r["lines"])
        self.assert_statistics(b"", r)

    def test_head_is_capped_but_statistics_cover_every_byte(self):
        data = bytearray(b"GIF89a " + english_like(random.Random(1), HEAD_LIMIT - 7))
        data[HEAD_LIMIT - 1:HEAD_LIMIT] = b" "
        data += b"w"  # byte 50,000 is a word only if it is scanned
        (r,) = self.analyse_json(make_file("head.gif", bytes(data)))
        self.assertEqual(HEAD_LIMIT + 1, r["size"])
        self.assertEqual("Graphic Interchange Format", r["type"])
        self.assertEqual(decode_1252(data[:HEAD_LIMIT]), r["preview"])
        self.assert_statistics(bytes(data), r)
        self.assertEqual(reference_counts(bytes(data[:HEAD_LIMIT]))["words"] + 1, r["words"])

    def test_zero_byte_ends_preview_not_statistics(self):
        data = b"Ten bytes.\x00 Then more words. And a line\n"
        (r,) = self.analyse_json(make_file("zero.txt", data))
        self.assertEqual("Ten bytes.", r["preview"])
        self.assert_statistics(data.replace(b"\x00", b""), r)

    def test_chunk_boundary_between_letter_and_full_stop(self):
        data = bytearray(english_like(random.Random(2), 2 * CHUNK_SIZE + 5))
        data[CHUNK_SIZE - 1:CHUNK_SIZE + 1] = b"z."
        data[2 * CHUNK_SIZE - 1:2 * CHUNK_SIZE + 1] = b" q"
        data = bytes(data)
        (r,) = self.analyse_json(make_file("chunks.txt", data))
        self.assert_statistics(data, r)
        # The reference sees the boundary sentence; the program must too.
        broken = data[:CHUNK_SIZE] + b"\n" + data[CHUNK_SIZE:]
        self.assertEqual(reference_counts(broken)["sentences"] + 1, r["sentences"])

    def test_statistics_stop_after_fifty_million_bytes(self):
        block = english_like(random.Random(3), 999_983)  # repeats off the chunk grid
        body = (block * (STATISTICS_LIMIT // len(block) + 1))[:STATISTICS_LIMIT - 1] + b" "
        tail = b"abc. Def ghi.\n"
        path = make_file("big.txt", body + tail)
        try:
            (r,) = self.analyse_json(path)
            self.assertEqual(STATISTICS_LIMIT + len(tail), r["size"])
            self.assert_statistics(body, r)
        finally:
            os.remove(path)

    def test_file_of_more_than_4_gib(self):
        size = (1 << 32) + 1000  # its low 32 bits alone would say 1,000 bytes
        head = b"%PDF-1.4 Sparse head. Some words\r\n"
        across = b"ab cd ef. gh ij. kl"  # the limit falls after "ef. "
        path = make_file("sparse.pdf")
        try:
            with open(path, "r+b") as f:
                f.write(head)
                f.seek(STATISTICS_LIMIT - 10)
                f.write(across)
                f.seek((1 << 32) + 10)
                f.write(b"Never counted.")
            os.truncate(path, size)
            with open(path, "rb") as f:
                scanned = f.read(STATISTICS_LIMIT)
            (r,) = self.analyse_json(path)
            self.assertEqual(size, r["size"])
            self.assertTrue(r["content_read"])
            self.assertEqual("Portable Document Format", r["type"])
            self.assertEqual(decode_1252(head), r["preview"])
            self.assert_statistics(scanned, r)
            self.assertEqual(reference_counts(head + b"ab cd ef. ")["words"], r["words"])
        finally:
            os.remove(path)

    def test_one_byte_file_right_after_a_wav_file(self):
        wav = b"RIFF\x2c\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00" + b"sample data " * 4
        first, second = self.analyse_json(make_file("sound.wav", wav), make_file("a.txt", b"a"))
        self.assertEqual("Windows PCM Audio", first["type"])
        self.assertEqual("Unknown", second["type"])
        self.assertEqual(1, second["size"])
        self.assertEqual("a", second["preview"])
        self.assert_statistics(b"a", second)

    def test_windows_1252_preview_and_utf8_path(self):
        data = bytes(range(1, 256))
        path = make_file("caf\u00e9 \u20ac.bin", data)
        (r,) = self.analyse_json(path)
        self.assertEqual(path, r["path"])
        self.assertEqual(decode_1252(data), r["preview"])
        self.assertIn("\u20ac\x81\u201a\u0192", r["preview"])  # bytes 0x80 to 0x83
        self.assert_statistics(data, r)


class TextOutput(CliTestCase):
    LABELS = ["File Name", "Size (Bytes)", "Type", "Characters", "Words", "Letters", "Lines", "Numbers",
              "Sentences", "Spaces", "Avg Wd", "Symbols", "Avg Sent"]

    def parse(self, block):
        """Label lines up to "Preview", then the preview text."""
        lines = block.split("\n")
        fields = {}
        for index, line in enumerate(lines):
            if line == "Preview":
                return fields, "\n".join(lines[index + 1:])
            match = re.fullmatch(r"(.{13}) (.*)", line)
            self.assertIsNotNone(match, line)
            fields[match.group(1).rstrip()] = match.group(2)
        self.fail("no Preview line")

    def test_labels_grouped_numbers_and_decoded_preview(self):
        data = b"Caf\xe9 \x93quoted\x94 text. " * 1000 + b"\x80 end\r\nlast line."
        path = make_file("text.txt", data)
        completed = run_cli(path)
        self.assertEqual(0, completed.returncode, completed.stderr)
        fields, preview = self.parse(stdout_text(completed))
        self.assertEqual(self.LABELS, list(fields))
        expected = reference_counts(data)
        self.assertEqual(path, fields["File Name"])
        self.assertEqual(grouped(len(data)), fields["Size (Bytes)"])
        self.assertEqual("Unknown", fields["Type"])
        for label, key in [("Characters", "characters"), ("Words", "words"), ("Letters", "letters"),
                           ("Lines", "lines"), ("Numbers", "digits"), ("Sentences", "sentences"),
                           ("Spaces", "spaces"), ("Avg Wd", "average_word"), ("Symbols", "symbols"),
                           ("Avg Sent", "average_sentence")]:
            self.assertEqual(grouped(expected[key]), fields[label], label)
        self.assertIn(".", fields["Characters"])  # large enough to be grouped
        self.assertTrue(preview.startswith("Caf\u00e9 \u201cquoted\u201d text. "), preview[:40])
        self.assertTrue(preview.endswith("\u20ac end\nlast line.\n"), preview[-40:])

    def test_several_files_are_separated_by_a_blank_line(self):
        completed = run_cli(make_file("one.txt", b"One."), make_file("two.txt", b"Two words."))
        self.assertEqual(0, completed.returncode, completed.stderr)
        blocks = stdout_text(completed).split("\n\n")
        self.assertEqual(2, len(blocks))
        self.assertEqual("2", self.parse(blocks[1])[0]["Words"])

    def test_control_bytes_cannot_reach_the_terminal(self):
        completed = run_cli(make_file("escape.txt", b"A\x1b[2J\x07B"))
        self.assertEqual(0, completed.returncode, completed.stderr)
        _, preview = self.parse(stdout_text(completed))
        self.assertEqual("A\ufffd[2J\ufffdB\n", preview)


class Failures(CliTestCase):
    def test_unopenable_files_among_good_ones(self):
        good = [make_file(f"good{i}.txt", b"Good %d." % i) for i in range(3)]
        missing = os.path.join(WORK_DIR, "missing.txt")
        folder = os.path.join(WORK_DIR, "a folder")
        os.makedirs(folder, exist_ok=True)
        for mode in (["--json"], []):
            completed = run_cli(*mode, good[0], missing, good[1], folder, good[2])
            self.assertEqual(1, completed.returncode)
            errors = completed.stderr.decode("utf-8").splitlines()
            self.assertEqual(2, len(errors), errors)
            self.assertIn(missing, errors[0])
            self.assertIn(folder, errors[1])
            stdout = stdout_text(completed)
            if mode:
                self.assertEqual(good, [r["path"] for r in json_results(completed)])
            else:
                self.assertEqual(good, re.findall(r"^File Name +(.*)$", stdout, re.MULTILINE))

    def test_text_output_starts_with_the_first_report(self):
        # Blank lines separate reports; a file that failed before any report
        # must not leave one at the top.
        completed = run_cli(os.path.join(WORK_DIR, "missing first.txt"), make_file("after.txt", b"After."))
        self.assertEqual(1, completed.returncode)
        self.assertTrue(stdout_text(completed).startswith("File Name "), stdout_text(completed)[:40])


class CommandLine(CliTestCase):
    def test_help_and_version(self):
        for option in ("--help", "-h"):
            completed = run_cli(option)
            self.assertEqual(0, completed.returncode)
            self.assertIn(b"usage:", completed.stdout)
            self.assertIn(b"--json", completed.stdout)
        completed = run_cli("--version")
        self.assertEqual(0, completed.returncode)
        self.assertRegex(stdout_text(completed), r"^quorvane-cli 1\.0\.0\n$")

    def test_usage_errors(self):
        for args in ([], ["--json"], ["--bogus", make_file("x.txt", b"x")], ["--"]):
            completed = run_cli(*args)
            self.assertEqual(2, completed.returncode, args)
            self.assertEqual(b"", completed.stdout, args)
            self.assertIn(b"usage:", completed.stderr, args)

    def test_double_dash_ends_the_options(self):
        make_file("--json", b"Dash.")
        completed = run_cli("--json", "--", "--json")
        self.assertEqual(0, completed.returncode, completed.stderr)
        (r,) = json_results(completed)
        self.assertEqual("--json", r["path"])
        self.assertEqual(5, r["size"])


def main():
    global OPTIONS, WORK_DIR
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--exe", required=True, help="the quorvane-cli program")
    parser.add_argument("--runner", default="", help="command that runs the program, e.g. a Wine loader")
    parser.add_argument("--tmpdir", default=None, help="folder for the generated files")
    OPTIONS, rest = parser.parse_known_args()
    OPTIONS.runner = shlex.split(OPTIONS.runner)
    OPTIONS.exe = os.path.abspath(OPTIONS.exe)
    if OPTIONS.tmpdir:
        os.makedirs(OPTIONS.tmpdir, exist_ok=True)
    WORK_DIR = os.path.abspath(tempfile.mkdtemp(prefix="cli_test_", dir=OPTIONS.tmpdir))
    # Relative names (the "--" test) are resolved against the work folder.
    start_dir = os.getcwd()
    os.chdir(WORK_DIR)
    try:
        program = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2)
    finally:
        os.chdir(start_dir)
        shutil.rmtree(WORK_DIR, ignore_errors=True)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
