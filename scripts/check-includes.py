#!/usr/bin/env python3
"""The layers as folders: fails when a file includes across a line the design forbids.

  - settings/, platform/, sizetree/, programdb/ and the plain cleaner operations (the files at the
    top of cleaners/) include nothing of ui/ or app/, and no Qt;
  - nothing but app/ and tools/ includes app/ (tests may include what they test).

usage: check-includes.py [SOURCE_ROOT]"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
PLAIN = ("src/settings/", "src/platform/", "src/sizetree/", "src/programdb/", "src/scanfile/")


def plain(path):
    text = path.as_posix()
    if text.startswith(PLAIN):
        return True
    return text.startswith("src/cleaners/") and text.count("/") == 2


def faults(root):
    for path in sorted(root.glob("src/**/*")) + sorted(root.glob("bench/*")) + \
            sorted(root.glob("fuzz/*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(root)
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            included = match.group(1)
            where = f"{relative}:{number}: includes {included}"
            if plain(relative) and (included.startswith(("ui/", "app/")) or
                                    re.match(r"Q[A-Za-z]", included)):
                yield where + " (a plain layer includes no window code and no Qt)"
            elif included.startswith("app/") and not relative.as_posix().startswith("src/app/"):
                yield where + " (only the main window's own files include app/)"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = list(faults(root))
    for fault in found:
        print(fault)
    print(f"includes: {'FAILED' if found else 'every layer keeps to its own'}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
