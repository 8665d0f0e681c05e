#!/usr/bin/env python3
"""End-to-end tests of quorvane-cli: real files in, reports, streams and exit
statuses out. The counting rules themselves are the unit tests' business.

usage: cli_test.py --exe PATH --tmpdir DIR [--runner "CMD ARGS"] [unittest arguments]
"""
import argparse
import json
import os
import shlex
import subprocess
import sys
import unittest
from pathlib import Path

# Worked out by hand: 19 letters, 1 digit, 5 spaces, 3 symbols; words before
# "costs", "Two" and "words" plus one; "End." the one sentence.
SAMPLE = b"Caf\xe9 costs \x80 5. Two words!\r\nEnd."
SAMPLE_RESULT = {"size": 32, "content_read": True, "type": "Unknown", "preview": "Caf\u00e9 costs \u20ac 5. Two words!\r\nEnd.",
                 "letters": 19, "words": 4, "lines": 2, "sentences": 1, "digits": 1, "spaces": 5, "symbols": 3,
                 "characters": 28, "average_word": 4, "average_sentence": 4}
LABELS = ["File Name", "Size (Bytes)", "Type", "Characters", "Words", "Letters", "Lines", "Numbers", "Sentences",
          "Spaces", "Avg Wd", "Symbols", "Avg Sent", "Preview"]


PARSER = argparse.ArgumentParser()
PARSER.add_argument("--exe", required=True)
PARSER.add_argument("--tmpdir", required=True)
PARSER.add_argument("--runner", default="")
OPTIONS, REST = PARSER.parse_known_args()
EXE, RUNNER, WORK = Path(OPTIONS.exe).resolve(), shlex.split(OPTIONS.runner), Path(OPTIONS.tmpdir)


def run(*args, scanner=None):
    env = dict(os.environ, QUORVANE_SCANNER=scanner) if scanner else None
    done = subprocess.run([*RUNNER, EXE, *map(str, args)], cwd=WORK, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120, env=env)
    # A Windows build ends its lines with CR LF; the program never writes a bare CR.
    return done.returncode, done.stdout.decode().replace("\r\n", "\n"), done.stderr.decode().splitlines()


def make(name, data):
    path = WORK / name
    path.write_bytes(data)
    return str(path)


class Cli(unittest.TestCase):
    def test_json_one_line_per_file(self):
        sample, gif = make("caf\u00e9 s.txt", SAMPLE), make("a.gif", b"GIF89a" + b"x" * 1494)
        status, out, errors = run("--json", sample, gif)
        self.assertEqual((status, errors), (0, []))
        first, second = map(json.loads, out.splitlines())
        self.assertEqual(first, dict(SAMPLE_RESULT, path=sample))
        self.assertEqual((second["path"], second["type"], second["size"]), (gif, "Graphic Interchange Format", 1500))

    def test_every_scanner_gives_the_same_figures(self):
        # Each forced in turn; one this processor lacks falls back to the fastest it has.
        path = make("long.txt", SAMPLE * 100 + bytes(range(256)))
        results = {name: run("--json", path, scanner=name)[:2] for name in ("portable", "sse2", "avx2", "avx512", "bogus")}
        self.assertEqual(set(results.values()), {run("--json", path)[:2]})
        self.assertIn('"letters":1952,', results["portable"][1])

    def test_text_reports_grouped_and_separated(self):
        status, out, errors = run(make("s.txt", SAMPLE), make("big.txt", b"y" * 1500))
        self.assertEqual((status, errors), (0, []))
        first, second = out.split("\n\n")
        lines = first.split("\n")
        self.assertEqual([line[:13].rstrip() for line in lines[:14]], LABELS)
        self.assertEqual([line[14:] for line in lines[1:13]], ["32", "Unknown", "28", "4", "19", "2", "1", "1", "5",
                                                              "4", "3", "4"])
        # Line ends in the preview become the terminal's own.
        self.assertEqual(lines[14:], ["Caf\u00e9 costs \u20ac 5. Two words!", "End."])
        self.assertIn("Letters       1.500\n", second)

    def test_usage_and_version(self):
        for args in ([], ["--bogus", "x"], ["--json"]):
            status, out, errors = run(*args)
            self.assertEqual((status, out, errors[-1]), (2, "", "usage: quorvane-cli [--json] FILE..."), args)
        self.assertEqual(run("--version")[:2], (0, "quorvane-cli 1.0.0\n"))
        for option in ("--help", "-h"):
            status, out, _ = run(option)
            self.assertEqual((status, out.splitlines()[0]), (0, "usage: quorvane-cli [--json] FILE..."))
        # "-" alone is a file name, and so is every argument after "--".
        self.assertEqual(run("-")[0::2], (1, ["quorvane-cli: -: no such file"]))
        make("-dashed.txt", SAMPLE)
        status, out, _ = run("--json", "--", "-dashed.txt")
        self.assertEqual((status, json.loads(out)["path"]), (0, "-dashed.txt"))

    @unittest.skipIf(RUNNER, "the host's devices, pipes and names")
    def test_hostile_inputs(self):
        # Run as a user whom permissions bind, so that the locked file is locked.
        user = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
        fifo, sparse, locked = WORK / "fifo", make("sparse", b""), make("locked.txt", b"x")
        fifo.exists() or os.mkfifo(fifo)
        os.truncate(sparse, 6 << 30)
        os.chmod(locked, 0)
        (WORK / ("d" * 250) / ("e" * 250)).mkdir(parents=True, exist_ok=True)
        deep = f"{'d' * 250}/{'e' * 250}/{'f' * 97}"  # 599 characters, the most the window takes
        make(deep, b"Deep."), make(deep + "f", b"Deep.")
        names = ["it's \"quoted\" .txt", "\u03a9mega \U0001F600.txt", "bad\udcff\udcfe", "bad\xff\xfe",
                 "esc\x1b]0;title\x07\nType Portable Document Format"]
        # Each row: what is named, then the size reported or why it is refused.
        rows = [(WORK / "gone.txt", "no such file"), (locked, "access denied"), (WORK, "not a regular file"),
                ("/dev/zero", "not a regular file"), (fifo, "not a regular file"), ("/proc/self/mem", "not a regular file"),
                (sparse, 6 << 30), (deep, 5), (deep + "f", 5),
                ("x" * 100_000, "path too long"), *[(make(name, b"Odd."), 4) for name in names]]
        with open(make("held.txt", b"Held."), "rb"):  # natively nothing keeps others out
            rows.append(("held.txt", 5))
            done = subprocess.run([*user, EXE, "--json", *(str(name) for name, _ in rows)], cwd=WORK, timeout=60,
                                  capture_output=True)
        reports = [json.loads(line) for line in done.stdout.splitlines()]
        errors = done.stderr.decode(errors="surrogateescape").splitlines()
        self.assertEqual(done.returncode, 1)
        # Every undecodable byte of a name is escaped on its own: the JSON path is the name's bytes.
        self.assertEqual([(os.fsencode(r["path"]), r["size"]) for r in reports],
                         [(os.fsencode(name), size) for name, size in rows if isinstance(size, int)])
        self.assertEqual([line.rsplit(": ", 1)[1] for line in errors], [why for _, why in rows if isinstance(why, str)])
        # In the text report the name can drive nothing and forge no line.
        out = run(names[4])[1]
        self.assertEqual(out.splitlines()[:2], ["File Name     esc\\x1b]0;title\\x07\\x0aType Portable Document Format",
                                                "Size (Bytes)  4"])

    @unittest.skipIf(RUNNER, "a full device is the host's")
    def test_output_that_cannot_be_written_fails(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([EXE, make("long.txt", SAMPLE * 2000)], stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual((done.returncode, done.stderr), (1, b"quorvane-cli: cannot write the output\n"))


if __name__ == "__main__":
    WORK.mkdir(parents=True, exist_ok=True)
    unittest.main(argv=[sys.argv[0], *REST], verbosity=2)
