#!/usr/bin/env python3
"""What keeping and comparing scans costs: nubrix-scan plain, with --record and with --compare
on the same tree, alternating in every round (warm cache), medians of the rounds; then the
database's growth per kept scan.

usage: record_bench.py NUBRIX_SCAN TREE [--rounds N]"""
import argparse
import os
import re
import statistics
import subprocess
import tempfile
import time


def timed(command):
    started = time.perf_counter()
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - started, result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("scan")
    parser.add_argument("tree")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        db = os.path.join(work, "scans.db")
        plain = [args.scan, "--top", "0", args.tree]
        record = [args.scan, "--record", "--database", db, "--top", "0", args.tree]
        compare = [args.scan, "--compare", "--database", db, args.tree]
        _, first = timed(record)  # warms the cache and keeps the first scan
        folders = int(re.search(rb"(\d+) folders", first.stdout).group(1))
        first_size = os.path.getsize(db)
        times = {"scan": [], "scan --record": [], "scan --compare": []}
        for _ in range(args.rounds):
            for name, command in (("scan", plain), ("scan --record", record),
                                  ("scan --compare", compare)):
                seconds, result = timed(command)
                if result.returncode != 0:
                    raise SystemExit(f"{name} failed with {result.returncode}")
                times[name].append(seconds)
        medians = {name: statistics.median(values) for name, values in times.items()}
        scan = medians["scan"]
        print(f"folders: {folders}, rounds: {args.rounds} (medians)")
        for name, seconds in medians.items():
            print(f"  {name:16} {seconds:7.3f} s  {seconds / scan:5.3f} of a scan")
        print(f"recording adds {(medians['scan --record'] - scan) / scan * 100:.1f} % to a scan")
        print(f"comparing adds {(medians['scan --compare'] - medians['scan --record']) / scan * 100:.1f}"
              " % of a scan on top of recording")
        kept = min(10, 1 + 2 * args.rounds)
        size = os.path.getsize(db)
        print(f"database: {first_size} bytes after the first scan, {size} bytes with {kept} kept:"
              f" {(size - first_size) / (kept - 1) / folders:.1f} bytes per folder per kept scan")


if __name__ == "__main__":
    main()
