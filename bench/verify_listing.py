#!/usr/bin/env python3
"""Checks `nubrix-scan --list FOLDER` against the rules computed here, slowly and in long hand:
folders depth first in listing order, dot names skipped, links not followed, mount points below
the folder left out, each folder's own bytes and the bytes of everything below it summed exactly and
each converted once to the nearest unit (0.0001 MB, ties to even).

usage: verify_listing.py NUBRIX_SCAN FOLDER    (exit 0 when every line matches)"""
import os
import stat
import subprocess
import sys
from fractions import Fraction


def units(size):
    exact = Fraction(size * 10000, 1048576)
    whole = exact.numerator // exact.denominator
    rest = exact - whole
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2):
        whole += 1
    return whole


def mount_points():
    points = set()
    with open("/proc/self/mountinfo", "rb") as table:
        for line in table:
            field = line.split(b" ")[4]
            points.add(field.decode("unicode_escape").encode("latin-1"))
    return points


def walk(path, mounts, lines):
    own = 0
    children = []
    try:
        entries = list(os.scandir(path))
    except OSError:
        entries = []
    for entry in entries:
        if entry.name.startswith(b"."):
            continue
        try:
            info = entry.stat(follow_symlinks=False)
        except OSError:
            continue
        if stat.S_ISDIR(info.st_mode):
            if os.path.realpath(entry.path) not in mounts:
                children.append(entry.path)
        else:
            own += info.st_size
    index = len(lines)
    lines.append(None)
    below = 0
    for child in children:
        below += walk(child, mounts, lines)
    lines[index] = b"%d\t%d\t%s" % (units(own), units(below), path)
    return own + below


def main():
    scanner, folder = sys.argv[1], os.fsencode(sys.argv[2])
    if not folder.endswith(b"/"):
        folder += b"/"
    lines = []
    walk(folder, mount_points(), lines)
    got = subprocess.run([scanner, "--list", folder], capture_output=True, check=True).stdout
    got_lines = got.split(b"\n")[:-1]
    for number, (want, have) in enumerate(zip(lines, got_lines), 1):
        if want != have:
            sys.exit(f"line {number} differs:\n  rules:   {want!r}\n  scanner: {have!r}")
    if len(lines) != len(got_lines):
        sys.exit(f"{len(lines)} folders by the rules, {len(got_lines)} from the scanner")
    print(f"{len(lines)} folders: every line matches")


if __name__ == "__main__":
    main()
