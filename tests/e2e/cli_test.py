#!/usr/bin/env python3
"""End-to-end tests of quorvane-cli: real files in, reports, streams and exit
statuses out. The counting rules themselves are the unit tests' business.

usage: cli_test.py --exe PATH --version X.Y.Z --tmpdir DIR [--runner "CMD ARGS"] [unittest arguments]
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
                 "preview_encoding": "ansi", "code_page": 1252, "counted_bytes": 32,
                 "letters": 19, "words": 4, "lines": 2, "sentences": 1, "digits": 1, "spaces": 5, "symbols": 3,
                 "characters": 28, "average_word": 4, "average_sentence": 4}
LABELS = ["File Name", "Size (Bytes)", "Type", "Characters", "Words", "Letters", "Lines", "Numbers", "Sentences",
          "Spaces", "Avg Wd", "Symbols", "Avg Sent", "Preview"]


PARSER = argparse.ArgumentParser()
PARSER.add_argument("--exe", required=True)
PARSER.add_argument("--version", required=True)
PARSER.add_argument("--tmpdir", required=True)
PARSER.add_argument("--runner", default="")
PARSER.add_argument("--read-fails", default="", help="a library whose read() fails past byte QUORVANE_READ_FAILS_AFTER of a file")
OPTIONS, REST = PARSER.parse_known_args()
EXE, RUNNER, WORK = Path(OPTIONS.exe).resolve(), shlex.split(OPTIONS.runner), Path(OPTIONS.tmpdir)
HELP = (Path(__file__).resolve().parents[2] / "cli" / "help.txt").read_text()


def run(*args, scanner=None):
    env = dict(os.environ, QUORVANE_SCANNER=scanner) if scanner else None
    done = subprocess.run([*RUNNER, EXE, *map(str, args)], cwd=WORK, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=120, env=env)
    # A Windows build ends its lines with CR LF; the program never writes a bare CR.
    return done.returncode, done.stdout.decode().replace("\r\n", "\n"), done.stderr.decode().splitlines()


def dos(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def make(name, data):
    path = WORK / name
    path.write_bytes(data)
    return str(path)


class Cli(unittest.TestCase):
    def test_json_one_line_per_file(self):
        # The second: a UTF-16 text, which names its encoding, past the head;
        # the statistics cover its bytes as ever.
        unicode = b"\xfe\xff" + ("\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \U0001F600\r\n" * 3000).encode("utf-16-be")
        sample, utf16 = make("caf\u00e9 s.txt", SAMPLE), make("u.txt", unicode)
        status, out, errors = run("--json", sample, utf16)
        self.assertEqual((status, errors), (0, []))
        first, second = map(json.loads, out.splitlines())
        self.assertEqual(first, dict(SAMPLE_RESULT, path=sample))
        self.assertEqual((second["preview"], second["preview_encoding"], second["counted_bytes"], second["lines"]),
                         (unicode[2:50_000].decode("utf-16-be", errors="replace"), "utf-16be", len(unicode), 3001))

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
        for args in ([], ["--bogus", "--help"], ["--json"]):
            status, out, errors = run(*args)
            self.assertEqual((status, out, errors[-1]), (2, "", HELP.splitlines()[0]), args)
        self.assertEqual(run("--version")[:2], (0, f"quorvane-cli {OPTIONS.version}\n"))
        for option in ("--help", "-h"):
            self.assertEqual(run(option, "--bogus")[:2], (0, HELP))
        # "-" alone is a file name, an empty one names none, and every argument after "--" is one;
        # options stand anywhere before it.
        for name in ("-", ""):
            self.assertEqual(run(name)[0::2], (1, [f"quorvane-cli: {name}: no such file"]))
        sample = make("s.txt", SAMPLE)
        make("-dashed.txt", SAMPLE)
        status, out, errors = run(sample, "--json", "--", "-dashed.txt", "--json")
        self.assertEqual((status, [json.loads(line)["path"] for line in out.splitlines()], errors),
                         (1, [sample, "-dashed.txt"], ["quorvane-cli: --json: no such file"]))

    def test_names_taken_exactly(self):
        # Windows drops a name's trailing dots and spaces unless asked not to:
        # each name gives its own file, never its look-alike.
        folder = WORK / "exact"
        folder.mkdir(exist_ok=True)
        for name, text in [("td.txt", b"plain"), ("td.txt.", b"one dot"), ("td.txt ", b"a space after")]:
            (folder / name).write_bytes(text)
        names = [folder / "td.txt", folder / "td.txt.", folder / "td.txt "]
        if RUNNER:
            # Named in the extended forms already, at a length past the old limit of 260.
            deep = folder / ("x" * 200) / ("y" * 200)
            deep.mkdir(parents=True, exist_ok=True)
            (deep / "td.txt.").write_bytes(b"deep down")
            names.append("\\\\?\\" + dos(deep / "td.txt."))
        status, out, errors = run("--json", *map(str, names))
        self.assertEqual((status, errors), (0, []))
        self.assertEqual([json.loads(line)["preview"] for line in out.splitlines()],
                         ["plain", "one dot", "a space after", "deep down"][:len(names)])

    @unittest.skipUnless(RUNNER, "Windows programs expand their own wildcards")
    def test_wildcards(self):
        # In order of name, ignoring case where that tells them apart; what a
        # pattern matches is a file, whatever it looks like, and never a folder.
        folder = WORK / "wild"
        (folder / "folder.txt").mkdir(parents=True, exist_ok=True)
        for name in ("b.txt", "a.txt", "A.txt", "c.dat", "ab.txt", "-b.txt", "--help", "--"):
            (folder / name).write_bytes(name.encode())
        status, out, errors = run("--json", dos(folder / "*"), dos(folder / "?.dat"), dos(folder / "*.none"))
        self.assertEqual([json.loads(line)["preview"] for line in out.splitlines()],
                         ["--", "--help", "-b.txt", "A.txt", "a.txt", "ab.txt", "b.txt", "c.dat", "c.dat"])
        self.assertEqual((status, errors), (1, [f"quorvane-cli: {dos(folder / '*.none')}: no such file"]))

    @unittest.skipUnless(RUNNER, "the Windows system folder")
    def test_system_folder_as_named(self):
        # Windows shows a 32-bit program SysWOW64 under the name System32:
        # each name must still give the file it names, on either build.
        windows = Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows"
        (windows / "syswow64").mkdir(exist_ok=True)
        for name, text in [("system32/quorvane-64.txt", b"Only here."), ("system32/quorvane-both.txt", b"The 64-bit one."),
                           ("syswow64/quorvane-both.txt", b"The 32-bit copy.")]:
            (windows / name).write_bytes(text)
        status, out, _ = run("--json", r"C:\windows\system32\quorvane-64.txt", r"C:\Windows\System32\quorvane-both.txt")
        self.assertEqual((status, [json.loads(line)["preview"] for line in out.splitlines()]),
                         (0, ["Only here.", "The 64-bit one."]))

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

    @unittest.skipUnless(OPTIONS.read_fails, "no failing read() in this build: the sanitizers' or Windows' own")
    def test_read_errors(self):
        # A read that fails part-way is told apart from a file that changed,
        # and nothing of the file is printed.
        path = make("failing.txt", SAMPLE * 100_000)
        for after in (0, 1_000, 3_000_000):
            env = dict(os.environ, LD_PRELOAD=OPTIONS.read_fails, QUORVANE_READ_FAILS_AFTER=str(after))
            done = subprocess.run([EXE, "--json", path], env=env, capture_output=True, timeout=60)
            self.assertEqual((done.returncode, done.stdout, done.stderr.decode()),
                             (1, b"", f"quorvane-cli: {path}: could not be read (Input/output error)\n"), after)

    @unittest.skipIf(RUNNER, "a full device is the host's")
    def test_output_that_cannot_be_written_fails(self):
        with open("/dev/full", "wb") as full:
            done = subprocess.run([EXE, make("long.txt", SAMPLE * 2000)], stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual((done.returncode, done.stderr), (1, b"quorvane-cli: cannot write the output\n"))


if __name__ == "__main__":
    WORK.mkdir(parents=True, exist_ok=True)
    unittest.main(argv=[sys.argv[0], *REST], verbosity=2)
