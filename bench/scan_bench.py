#!/usr/bin/env python3
"""Times nubrix-scan against du, ncdu and gdu on the same trees in one run, warm or cold.

Each round runs every tool once, in turn, so drift of the shared machine hits all alike; the
table gives medians of the rounds, wall time and peak resident memory, and ratios to the
fastest peer. --cold drops the page cache before every run (root only; skipped otherwise).
--threads-sweep times nubrix-scan alone with each number of worker threads given.

usage: scan_bench.py NUBRIX_SCAN TREE [TREE ...] [--rounds N] [--cold] [--threads-sweep 1,2,4]"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def tools(nubrix, tree):
    return {
        "nubrix-scan": [nubrix, "--top", "0", tree],
        "nubrix-scan 1 thread": [nubrix, "--threads", "1", "--top", "0", tree],
        "du -sxl --apparent-size": ["du", "-sxl", "--apparent-size", tree],
        "ncdu -x -0 -o /dev/null": ["ncdu", "-x", "-0", "-o", "/dev/null", tree],
        "gdu -x -n -p -a": ["gdu", "-x", "-n", "-p", "-a", tree],
    }


DROP_CACHES = "/proc/sys/vm/drop_caches"


def can_drop_caches():
    return os.access(DROP_CACHES, os.W_OK)


def drop_caches():
    os.sync()
    with open(DROP_CACHES, "w") as control:
        control.write("3\n")


def run_once(command, cold=False):
    """Wall seconds and peak RSS in MiB of one run. GNU time measures the memory: a child forked
    from Python would carry Python's own resident set into its peak."""
    if cold:
        drop_caches()
    with tempfile.NamedTemporaryFile("r") as report:
        started = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name] + command,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - started
        if result.returncode != 0:
            sys.exit(f"failed: {' '.join(command)}")
        return wall, int(report.read().split()[-1]) / 1024.0


def measure(commands, rounds, cold):
    if not cold:
        for command in commands.values():  # warm the cache
            run_once(command)
    samples = {name: [] for name in commands}
    for _ in range(rounds):
        for name, command in commands.items():
            samples[name].append(run_once(command, cold))
    return {name: (statistics.median(w for w, _ in s), statistics.median(m for _, m in s))
            for name, s in samples.items()}


def print_table(title, results):
    peers = {n: r for n, r in results.items() if not n.startswith("nubrix")}
    fastest = min(peers.values(), key=lambda r: r[0])[0] if peers else None
    print(f"\n{title}")
    print(f"| tool | wall (median) | peak RSS | wall / fastest peer |")
    print(f"|---|---|---|---|")
    for name, (wall, rss) in results.items():
        ratio = f"{wall / fastest:.2f}" if fastest else "-"
        print(f"| `{name}` | {wall:.3f} s | {rss:.1f} MiB | {ratio} |")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("nubrix")
    parser.add_argument("trees", nargs="+")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--cold", action="store_true")
    parser.add_argument("--threads-sweep")
    args = parser.parse_args()
    if args.cold and not can_drop_caches():
        print("cold runs need root to drop the page cache: skipped")
        return
    nubrix = os.path.abspath(args.nubrix)
    state = "cold" if args.cold else "warm"
    for tree in args.trees:
        if args.threads_sweep:
            commands = {f"nubrix-scan --threads {n}": [nubrix, "--threads", n, "--top", "0", tree]
                        for n in args.threads_sweep.split(",")}
        else:
            commands = {name: cmd for name, cmd in tools(nubrix, tree).items() if shutil.which(cmd[0])}
        print_table(f"{tree} ({state}, medians of {args.rounds})", measure(commands, args.rounds, args.cold))


if __name__ == "__main__":
    main()
