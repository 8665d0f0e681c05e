#!/usr/bin/env python3
"""Times the whole console analysis of cached 50,000,000-byte files against
`cat FILE > /dev/null` and `wc -w FILE` (LC_ALL=C), interleaved, and prints
medians and ratios.

    scripts/bench_cli.py [QUORVANE_CLI...] [ROUNDS]

QUORVANE_CLI defaults to build/linux/cli/quorvane-cli (cmake --preset linux
&& cmake --build --preset linux makes it); name several, an older build
beside this one for instance, to time them in the same rounds. The files are
made once in build/bench/.
"""
import os
import random
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SIZE = 50_000_000


def make_inputs(folder):
    rng = random.Random(1)
    english = [b"the ", b"of ", b"and ", b"a ", b"to ", b"in ", b"is ", b"that ", b"it ", b"was ", b"for ",
               b"on ", b"1999 ", b"e.g. ", b"(see) ", b"it's ", b"end. ", b"said, ", b"time.\r\n"]
    greek = ["καλημέρα ", "κόσμε. ", "τι ", "κάνεις;\n"]
    kinds = {
        "english": lambda: b"".join(rng.choice(english) for _ in range(250_000)),
        "utf8 (Greek)": lambda: "".join(rng.choice(greek) for _ in range(100_000)).encode(),
        "random": lambda: os.urandom(1 << 20),
        "zeros": lambda: bytes(1 << 20),
    }
    folder.mkdir(parents=True, exist_ok=True)
    paths = {}
    for kind, make in kinds.items():
        path = folder / (kind.split()[0] + ".bin")
        if not path.exists() or path.stat().st_size != SIZE:
            block = make()
            path.write_bytes((block * (SIZE // len(block) + 1))[:SIZE])
        paths[kind] = path
    return paths


def seconds(command):
    start = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True, env=dict(os.environ, LC_ALL="C"))
    return time.perf_counter() - start


def main():
    args = sys.argv[1:]
    rounds = int(args.pop()) if args and args[-1].isdigit() else 11
    clis = [Path(arg) for arg in args] or [ROOT / "build" / "linux" / "cli" / "quorvane-cli"]
    if not all(cli.exists() for cli in clis):
        print(__doc__, file=sys.stderr)
        return 2
    names = [f"cli{i + 1}" if len(clis) > 1 else "cli" for i in range(len(clis))]
    for name, cli in zip(names, clis):
        print(f"{name}: {cli}")
    print(f"{'input':<14}" + "".join(f"{name:>10}{name + '/cat':>10}{'wc/' + name:>10}" for name in names) +
          f"{'cat':>10}{'wc -w':>10}")
    for kind, path in make_inputs(ROOT / "build" / "bench").items():
        commands = {name: [cli, "--json", path] for name, cli in zip(names, clis)}
        commands.update(cat=["cat", path], wc=["wc", "-w", path])
        for command in commands.values():
            seconds(command)  # into the page cache
        times = {name: [] for name in commands}
        for _ in range(rounds):
            for name, command in commands.items():
                times[name].append(seconds(command))
        median = {name: statistics.median(values) for name, values in times.items()}
        print(f"{kind:<14}" + "".join(f"{median[name] * 1000:>8.1f}ms{median[name] / median['cat']:>10.2f}"
                                      f"{median['wc'] / median[name]:>10.1f}" for name in names) +
              f"{median['cat'] * 1000:>8.1f}ms{median['wc'] * 1000:>8.1f}ms")
    return 0


if __name__ == "__main__":
    sys.exit(main())
