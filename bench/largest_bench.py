#!/usr/bin/env python3
"""What the extra outputs cost a scan: nubrix-scan --top 0 against nubrix-scan --largest N,
--types and --treemap (1280x1024 SVG) on the same tree, alternating in every round (warm cache),
medians of the rounds for the wall time and the peak resident memory.

usage: largest_bench.py NUBRIX_SCAN TREE [--rounds N] [--largest N]"""
import argparse
import os
import statistics
import subprocess
import tempfile
import time


def timed(command):
    """Wall seconds and peak resident KiB of one run, measured by /usr/bin/time."""
    with tempfile.NamedTemporaryFile("r") as report:
        started = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        seconds = time.perf_counter() - started
        if result.returncode != 0:
            raise SystemExit(f"{' '.join(command)} failed with {result.returncode}")
        return seconds, int(report.read().split()[-1])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scan")
    parser.add_argument("tree")
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--largest", type=int, default=1000)
    args = parser.parse_args()
    svg = os.path.join(tempfile.mkdtemp(), "map.svg")
    runs = {
        "scan --top 0": [args.scan, "--top", "0", args.tree],
        f"scan --largest {args.largest}": [args.scan, "--largest", str(args.largest), args.tree],
        "scan --types": [args.scan, "--types", args.tree],
        "scan --treemap": [args.scan, "--treemap", svg, args.tree],
    }
    timed(runs["scan --top 0"])  # warms the cache
    seconds = {name: [] for name in runs}
    kib = {name: [] for name in runs}
    for _ in range(args.rounds):
        for name, command in runs.items():
            wall, peak = timed(command)
            seconds[name].append(wall)
            kib[name].append(peak)
    base = statistics.median(seconds["scan --top 0"])
    base_kib = statistics.median(kib["scan --top 0"])
    print(f"{os.path.abspath(args.tree)}, {args.rounds} rounds (medians)")
    for name in runs:
        wall = statistics.median(seconds[name])
        peak = statistics.median(kib[name])
        print(f"| {name:20} | {wall:.3f} s | {peak / 1024:.1f} MiB | {wall / base:.3f} |"
              f" {(peak - base_kib) / 1024:+.2f} MiB |")


if __name__ == "__main__":
    main()
