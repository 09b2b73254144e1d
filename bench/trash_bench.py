#!/usr/bin/env python3
"""Moving many small files to the trash and putting them back: `nubrix-clean temp-files --trash`
then `nubrix-clean undo`, for each program given (say, the build before a change and after it),
alternating in every round; medians of the rounds. Each run has a fresh folder, trash and
database of its own in a scratch folder on the same file system.

usage: trash_bench.py NAME=NUBRIX_CLEAN [NAME=NUBRIX_CLEAN ...] [--files N] [--rounds N]"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def timed(command, env):
    started = time.perf_counter()
    result = subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                            check=False)
    if result.returncode != 0:
        raise SystemExit(f"{command[0]} failed: {result.stderr.decode(errors='replace')}")
    return time.perf_counter() - started


def one_round(program, files, scratch):
    work = tempfile.mkdtemp(dir=scratch)
    folder = os.path.join(work, "junk")
    os.makedirs(folder)
    for i in range(files):
        with open(os.path.join(folder, f"f{i:05}.tmp"), "wb") as out:
            out.write(b"x" * 100)
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"),
               XDG_CONFIG_HOME=os.path.join(work, "config"), HOME=work)
    if os.path.isdir(os.path.join(os.path.dirname(program), "AppData")):
        raise SystemExit(f"{program} runs portable: its database would be shared between rounds")
    trash = timed([program, "temp-files", "--mask", "*.tmp", "--trash", folder], env)
    undo = timed([program, "undo"], env)
    if len(os.listdir(folder)) != files:
        raise SystemExit(f"{program}: not every file came back")
    shutil.rmtree(work)
    return trash, undo


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("programs", nargs="+")
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    programs = [p.split("=", 1) for p in args.programs]
    times = {name: ([], []) for name, _ in programs}
    with tempfile.TemporaryDirectory(dir="/var/tmp") as scratch:
        for _ in range(args.rounds):
            for name, program in programs:
                trash, undo = one_round(os.path.abspath(program), args.files, scratch)
                times[name][0].append(trash)
                times[name][1].append(undo)
    base = statistics.median(times[programs[0][0]][0])
    base_undo = statistics.median(times[programs[0][0]][1])
    print(f"{args.files} files of 100 bytes, medians of {args.rounds} rounds")
    print("| program | to the trash | ratio | put back | ratio |")
    print("|---|---|---|---|---|")
    for name, _ in programs:
        trash = statistics.median(times[name][0])
        undo = statistics.median(times[name][1])
        print(f"| {name} | {trash:.3f} s | {trash / base:.2f} | {undo:.3f} s | {undo / base_undo:.2f} |")


if __name__ == "__main__":
    main()
