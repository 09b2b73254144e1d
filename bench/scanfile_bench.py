#!/usr/bin/env python3
"""Scan files: nubrix-scan --export against ncdu -o and gdu -o on one tree (warm cache, every tool
in every round in turn, medians of wall time and peak memory), then nubrix-scan --import of our
export against a scan of the same tree from the disk (time, memory, and the entries read).

usage: scanfile_bench.py NUBRIX_SCAN TREE [--rounds N]"""
import argparse
import collections
import os
import statistics
import subprocess
import tempfile
import time


def timed(command):
    with tempfile.NamedTemporaryFile("r") as report:
        started = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        seconds = time.perf_counter() - started
        if result.returncode != 0:
            raise SystemExit(f"{' '.join(command)} failed with {result.returncode}")
        return seconds, int(report.read().split()[-1])


def table(title, runs, rounds, base):
    times, memory = collections.defaultdict(list), collections.defaultdict(list)
    for _ in range(rounds):
        for name, command in runs.items():
            seconds, kib = timed(command)
            times[name].append(seconds)
            memory[name].append(kib)
    print(title)
    print(f"{'what':34} {'wall (median)':>13} {'peak MiB':>9} {'ratio':>7}")
    reference = base(times)
    for name in runs:
        t = statistics.median(times[name])
        print(f"{name:34} {t:13.3f} {statistics.median(memory[name]) / 1024:9.1f} "
              f"{t / reference:7.2f}")
    return times, memory


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scan")
    parser.add_argument("tree")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    out = tempfile.mkdtemp(dir="/var/tmp")
    ours = os.path.join(out, "ours.json")
    exports = {
        "nubrix-scan --export": [args.scan, "--export", ours, args.tree],
        "ncdu -x -o": ["ncdu", "-x", "-o", os.path.join(out, "ncdu.json"), args.tree],
        "gdu -n -o": ["gdu", "-n", "-o", os.path.join(out, "gdu.json"), args.tree],
    }
    for command in exports.values():  # a warm cache
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    table("export (ratio: to the faster of ncdu and gdu)", exports, args.rounds,
          lambda t: min(statistics.median(t["ncdu -x -o"]), statistics.median(t["gdu -n -o"])))
    with open(ours, "rb") as text:
        entries = text.read().count(b'"name":')
    print(f"\nour export: {entries} entries, {os.path.getsize(ours) / 2**20:.1f} MiB")
    imports = {
        "nubrix-scan --top 0 TREE": [args.scan, "--top", "0", args.tree],
        "nubrix-scan --import FILE --top 0": [args.scan, "--import", ours, "--top", "0"],
    }
    table("import (ratio: to the scan of the disk)", imports, args.rounds,
          lambda t: statistics.median(t["nubrix-scan --top 0 TREE"]))


if __name__ == "__main__":
    main()
