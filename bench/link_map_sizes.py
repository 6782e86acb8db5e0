#!/usr/bin/env python3
"""The largest contributors to an image, from GNU ld's link map (-Wl,-Map=FILE).

    bench/link_map_sizes.py stowaway.map [TOP]

Sums the input sections that landed in the image (not .bss, not debug sections) per archive
member or object, and per archive, and prints the TOP largest of each in bytes.
"""
import re
import sys
from collections import Counter

# " .text$name  0x00401000  0x1a2 path/lib.a(member.o)", the address part sometimes on the
# next line when the section name is long.
ENTRY = re.compile(r"^ (\.\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
SKIPPED = (".bss", ".debug", ".stab", ".comment", "COMMON")


def contributions(lines):
    in_map = False
    section = None
    for line in lines:
        if line.startswith("Linker script and memory map"):
            in_map = True
            continue
        if not in_map:
            continue
        named = re.match(r"^ (\.\S+|COMMON)\s*$", line)
        if named:
            section = named.group(1)
            continue
        m = ENTRY.match(line)
        if not m:
            if not line.startswith("  "):
                section = None
            continue
        name = m.group(1) or section
        section = None
        if not name or name.startswith(SKIPPED) or int(m.group(2), 16) == 0:
            continue
        size = int(m.group(3), 16)
        if size:
            yield m.group(4).strip(), size


def short(path):
    path = re.sub(r"^.*/", "", path)
    return path


def main():
    path = sys.argv[1]
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with open(path, errors="replace") as f:
        parts = list(contributions(f))
    by_member, by_archive = Counter(), Counter()
    for origin, size in parts:
        by_member[short(origin)] += size
        archive = re.sub(r"\(.*\)$", "", origin)
        by_archive[short(archive) if archive != origin else "(objects)"] += size
    total = sum(by_archive.values())
    print(f"{total:>9}  all input sections")
    print("By archive:")
    for name, size in by_archive.most_common(top):
        print(f"{size:>9}  {name}")
    print("By member:")
    for name, size in by_member.most_common(top):
        print(f"{size:>9}  {name}")


if __name__ == "__main__":
    main()
