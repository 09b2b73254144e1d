#!/usr/bin/env python3
"""Generates the deterministic benchmark tree: about 100,000 folders holding about 1,000,000
other entries (sparse files, hard-link names, symbolic links), depth up to 12, with dot folders,
dot files and names that are not valid UTF-8. Sparse files cost no disk space.

usage: gen_tree.py DIR [--folders N] [--entries N] [--factor F] [--seed S]
--factor F: F * 100,000 folders and ten entries a folder (overrides --folders and --entries)
A finished tree is marked with DIR/.complete and reused."""
import argparse
import os
import random
import sys


def name_bytes(rng, index, kind):
    roll = rng.random()
    if roll < 0.01:
        return b"\xff\xfe-" + kind + b"-" + str(index).encode() + b"-\xe9t\xe9"
    if roll < 0.02:
        return kind + b" with blanks " + str(index).encode()
    return kind + b"%d" % index


def plan_folders(rng, count, max_depth):
    """Breadth-first shape: (parent index, depth) per folder, folder 0 being the root. Each
    folder in turn gets 0 to 5 subfolders until there are enough."""
    folders = [(-1, 0)]
    parent = 0
    while len(folders) < count:
        depth = folders[parent][1]
        if depth < max_depth:
            for _ in range(rng.randint(0, 5)):
                if len(folders) < count:
                    folders.append((parent, depth + 1))
        parent = (parent + 1) % len(folders)
    return folders


def build(root, folder_count, entry_count, seed):
    rng = random.Random(seed)
    root_b = os.fsencode(root)
    shape = plan_folders(rng, folder_count, 12)
    paths = [root_b]
    for index, (parent, depth) in enumerate(shape[1:], start=1):
        # Dot folders near the leaves only, so that skipping them leaves the work comparable.
        hidden = depth >= 11 and rng.random() < 0.005
        name = (b"." if hidden else b"") + name_bytes(rng, index, b"d")
        path = paths[parent] + b"/" + name
        os.mkdir(path)
        paths.append(path)
    files = []
    for index in range(entry_count):
        folder = paths[rng.randrange(len(paths))]
        roll = rng.random()
        name = (b"." if rng.random() < 0.01 else b"") + name_bytes(rng, index, b"f")
        path = folder + b"/" + name
        if roll < 0.01 and files:
            os.link(files[rng.randrange(len(files))], path)
        elif roll < 0.02:
            os.symlink(b"../target-" + str(index).encode(), path)
        else:
            fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
            os.ftruncate(fd, int(rng.lognormvariate(9, 3)) % (8 << 30))
            os.close(fd)
            files.append(path)
    return len(paths), entry_count


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("--folders", type=int, default=100_000)
    parser.add_argument("--entries", type=int, default=1_000_000)
    parser.add_argument("--factor", type=float)
    parser.add_argument("--seed", type=int, default=20261209)
    args = parser.parse_args()
    if args.factor is not None:
        args.folders = int(round(args.factor * 100_000))
        args.entries = 10 * args.folders
    stamp = os.path.join(args.dir, ".complete")
    wanted = f"{args.folders} {args.entries} {args.seed}\n"
    if os.path.exists(stamp) and open(stamp).read() == wanted:
        print(f"reusing {args.dir}", file=sys.stderr)
        return
    if os.path.exists(args.dir):
        sys.exit(f"{args.dir} exists but is not a finished tree of this shape; remove it first")
    os.makedirs(args.dir)
    folders, entries = build(args.dir, args.folders, args.entries, args.seed)
    with open(stamp, "w") as out:
        out.write(wanted)
    print(f"generated {folders} folders, {entries} entries in {args.dir}", file=sys.stderr)


if __name__ == "__main__":
    main()
