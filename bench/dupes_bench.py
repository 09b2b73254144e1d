#!/usr/bin/env python3
"""The duplicate search against rmlint, jdupes -r, fdupes -r and rdfind -dryrun true on one
tree: every tool in every round, in turn (warm cache after a first unmeasured round), medians
of the wall time and the peak resident memory; with --cold the page cache is dropped before
every run (as root). The groups each tool found are compared as sets of files (a file: its
device and inode, so tools that show hard links differently still agree).

usage: dupes_bench.py NUBRIX_CLEAN TREE [--rounds N] [--cold]"""
import argparse
import collections
import os
import statistics
import subprocess
import tempfile
import time


def timed(command, cold):
    if cold:
        subprocess.run(["sync"], check=True)
        with open("/proc/sys/vm/drop_caches", "w") as caches:
            caches.write("3\n")
    with tempfile.NamedTemporaryFile("r") as report:
        started = time.perf_counter()
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report.name, *command],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        seconds = time.perf_counter() - started
        return seconds, int(report.read().split()[-1])


def blank_line_groups(path):
    groups, group = [], []
    with open(path, "rb") as text:
        for line in text.read().split(b"\n"):
            if line:
                group.append(line)
            elif group:
                groups.append(group)
                group = []
    if group:
        groups.append(group)
    return groups


def rdfind_groups(path):
    groups = collections.defaultdict(list)
    with open(path, "rb") as text:
        for line in text:
            if line.startswith(b"#"):
                continue
            fields = line.rstrip(b"\n").split(b" ", 7)
            groups[abs(int(fields[1]))].append(fields[7])
    return list(groups.values())


def file_sets(groups):
    """Each group as the set of files it holds; groups of one file (hard links only) left out."""
    result = set()
    for group in groups:
        files = set()
        for path in group:
            info = os.lstat(path)
            files.add((info.st_dev, info.st_ino))
        if len(files) > 1:
            result.add(frozenset(files))
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("clean")
    parser.add_argument("tree")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--cold", action="store_true")
    args = parser.parse_args()
    out = tempfile.mkdtemp()
    o = lambda name: os.path.join(out, name)
    tools = {
        "nubrix-clean duplicates": ([args.clean, "duplicates", args.tree], "nubrix.txt", "nubrix.txt"),
        "rmlint": (["rmlint", "-o", "fdupes:" + o("rmlint.txt"), "-T", "df", args.tree], None,
                   "rmlint.txt"),
        "jdupes -r": (["jdupes", "-r", "-q", args.tree], "jdupes.txt", "jdupes.txt"),
        "fdupes -r": (["fdupes", "-r", "-q", args.tree], "fdupes.txt", "fdupes.txt"),
        "rdfind -dryrun true": (["rdfind", "-dryrun", "true", "-outputname", o("rdfind.txt"),
                                 args.tree], None, "rdfind.txt"),
    }
    for name, (command, stdout, _) in tools.items():  # the groups, and a warm cache
        with open(o(stdout or "ignored"), "w") as sink:
            subprocess.run(command, stdout=sink, stderr=subprocess.DEVNULL, check=False)
    found = {}
    for name, (_, _, result) in tools.items():
        parse = rdfind_groups if name.startswith("rdfind") else blank_line_groups
        found[name] = file_sets(parse(o(result)))
    ours = found["nubrix-clean duplicates"]
    times = collections.defaultdict(list)
    memory = collections.defaultdict(list)
    for _ in range(args.rounds):
        for name, (command, _, _) in tools.items():
            seconds, kib = timed(command, args.cold)
            times[name].append(seconds)
            memory[name].append(kib)
    empty = tempfile.mkdtemp()
    baseline = statistics.median(timed([args.clean, "duplicates", empty], False)[1]
                                 for _ in range(args.rounds))
    fastest_peer = min(statistics.median(times[n]) for n in tools if not n.startswith("nubrix"))
    files = sum(len(names) for _, _, names in os.walk(args.tree))
    print(f"{files} names below {args.tree}; {'cold' if args.cold else 'warm'} cache, "
          f"medians of {args.rounds} rounds")
    print(f"{'tool':26} {'seconds':>8} {'x fastest peer':>15} {'peak MiB':>9} {'groups':>7}  same groups")
    for name in tools:
        t = statistics.median(times[name])
        same = "yes" if found[name] == ours else (
            f"{len(found[name] - ours)} only theirs, {len(ours - found[name])} only ours")
        print(f"{name:26} {t:8.3f} {t / fastest_peer:15.2f} "
              f"{statistics.median(memory[name]) / 1024:9.1f} {len(found[name]):7}  {same}")
    grown = statistics.median(memory["nubrix-clean duplicates"]) - baseline
    print(f"nubrix-clean: {grown * 1024 / files:.0f} bytes per file over its run on an empty "
          f"folder ({baseline / 1024:.1f} MiB), buffers included")


if __name__ == "__main__":
    main()
