#!/usr/bin/env python3
"""The scan at growing sizes: trees of F * 100,000 folders with ten entries a folder, generated
once each, scanned warm by nubrix-scan; wall time and peak memory, and the memory per folder
held, so that a reader sees both grow linearly.

usage: scale_bench.py NUBRIX_SCAN [--factors 0.1,1,3] [--rounds N] [--dir /var/tmp]"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def scan(nubrix, tree):
    with tempfile.NamedTemporaryFile("r") as report:
        started = time.perf_counter()
        out = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, nubrix, "--top", "0", tree],
                             capture_output=True, check=True).stdout.decode()
        wall = time.perf_counter() - started
        kib = int(report.read().split()[-1])
    folders = int(re.search(r"^(\d+) folders", out, re.M).group(1)) + 1  # and the root
    return wall, kib * 1024, folders


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("nubrix")
    parser.add_argument("--factors", default="0.1,1,3")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--dir", default="/var/tmp")
    args = parser.parse_args()
    rows = []
    for factor in (float(f) for f in args.factors.split(",")):
        tree = os.path.join(args.dir, f"nubrix-scale-{factor:g}")
        subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), tree, "--factor", str(factor)], check=True)
        scan(args.nubrix, tree)  # warm the cache
        samples = [scan(args.nubrix, tree) for _ in range(args.rounds)]
        wall = statistics.median(s[0] for s in samples)
        peak = statistics.median(s[1] for s in samples)
        rows.append((samples[0][2], wall, peak))
    print(f"| folders | wall (median of {args.rounds}) | peak RSS | bytes per folder held | "
          f"bytes per added folder |")
    print("|---|---|---|---|---|")
    previous = None
    for folders, wall, peak in rows:
        added = f"{(peak - previous[1]) / (folders - previous[0]):.0f}" if previous else "-"
        print(f"| {folders:,} | {wall:.3f} s | {peak / 2**20:.1f} MiB | {peak / folders:.0f} | {added} |")
        previous = (folders, peak)


if __name__ == "__main__":
    main()
