#!/usr/bin/env python3
"""A tree for the duplicate search: 50,000 files in about 2,000 folders, sizes from 1 byte to
200 MB (most small, as on a real disk), a fifth of the files in duplicate groups, plus files of
equal size with other contents, files whose first 4 KiB agree and whose ends do not, and hard
links (of duplicates and of single files). Deterministic; made once (a marker file says so).

usage: gen_dupes.py TREE [--files N]"""
import argparse
import os
import random

POOL_BYTES = 64 << 20


def sizes(rng, count):
    """Mostly small files, a tail of large ones, a few of up to 200 MB."""
    result = []
    for i in range(count):
        r = rng.random()
        if i < 12:
            result.append(rng.randint(20 << 20, 200 << 20))
        elif r < 0.70:
            result.append(int(2 ** rng.uniform(0, 14)))
        elif r < 0.97:
            result.append(int(2 ** rng.uniform(14, 19)))
        else:
            result.append(int(2 ** rng.uniform(19, 23)))
    return result


class Writer:
    def __init__(self, rng):
        self.rng = rng
        self.pool = rng.randbytes(POOL_BYTES)
        self.serial = 0

    def content(self, size):
        """Bytes no other call returns: random pool slices behind a serial number."""
        self.serial += 1
        parts = [self.serial.to_bytes(8, "little")]
        left = size - 8
        while left > 0:
            start = self.rng.randrange(0, POOL_BYTES - min(left, POOL_BYTES // 2))
            take = min(left, POOL_BYTES // 2)
            parts.append(self.pool[start:start + take])
            left -= take
        return b"".join(parts)[:size]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tree")
    parser.add_argument("--files", type=int, default=50000)
    args = parser.parse_args()
    marker = os.path.join(args.tree, ".made")
    if os.path.exists(marker):
        return
    rng = random.Random(31)
    writer = Writer(rng)
    folders = [args.tree]
    for i in range(2000):
        parent = rng.choice(folders[: max(1, len(folders) // 2)] if i > 40 else folders)
        folders.append(os.path.join(parent, f"d{i}"))
    for folder in folders:
        os.makedirs(folder, exist_ok=True)
    files = 0

    def put(data):
        nonlocal files
        path = os.path.join(rng.choice(folders), f"f{files}.bin")
        with open(path, "wb") as out:
            out.write(data)
        files += 1
        return path

    total = args.files
    duplicated = total // 5
    # Duplicate groups: an original and 1 to 4 copies each, until a fifth of the files.
    while files < duplicated:
        data = writer.content(sizes(rng, 13)[-1] if rng.random() < 0.999 else rng.randint(20 << 20, 200 << 20))
        for _ in range(min(rng.randint(2, 5), duplicated - files + 1)):
            put(data)
    # Equal sizes, other contents; equal first 4 KiB, other ends.
    for _ in range(total // 40):
        size = rng.choice([1, 7, 100, 4096, 65536, 300000])
        for _ in range(3):
            put(writer.content(size))
    for _ in range(total // 50):
        head = writer.content(4096)
        size = rng.randint(8192, 2 << 20)
        for _ in range(2):
            put(head + writer.content(size - 4096))
    for size in sizes(rng, total - files - total // 100):
        put(writer.content(size))
    # Hard links: a hundredth of the files get a second name.
    names = [os.path.join(f, n) for f in folders for n in os.listdir(f) if n.endswith(".bin")]
    for i, path in enumerate(rng.sample(names, total // 100)):
        os.link(path, os.path.join(rng.choice(folders), f"h{i}.bin"))
    open(marker, "w").close()


if __name__ == "__main__":
    main()
