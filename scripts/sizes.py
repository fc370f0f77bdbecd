#!/usr/bin/env python3
"""Where the bytes of a program come from: sums a GNU ld link map by the library (or object)
each kept input section came from.

    sizes.py MAP [LINES]     prints the LINES (default 12) largest, with their main sections
"""
import collections
import re
import sys

ENTRY = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")


def sizes(path):
    with open(path, errors="replace") as f:
        text = f.read()
    # What the link kept; the discarded sections are listed before this line.
    text = text.split("Linker script and memory map", 1)[-1]
    total = collections.Counter()
    parts = collections.defaultdict(collections.Counter)
    output = None
    pending = None  # an input section whose name filled its own line
    for line in text.splitlines():
        if line and not line.startswith(" "):
            output, pending = line.split()[0], None
            continue
        m = ENTRY.match(line)
        if not m:
            m2 = re.match(r"^ (\S+)$", line)
            pending = m2.group(1) if m2 else None
            continue
        name, pending = m.group(1) or pending, None
        size, source = int(m.group(3), 16), m.group(4).strip()
        # Zero-filled data takes no room in the file.
        if not name or size == 0 or output in (".bss", ".tls") or output.startswith(".debug"):
            continue
        member = re.match(r"(.*?)\((.*)\)$", source)
        where = (member.group(1) if member else source).rsplit("/", 1)[-1]
        # CMake hands the program's own objects (main, the resources) to the linker as one archive.
        where = {"dll stuff": "(made by the linker)", "objects.a": "main and resources"}.get(where, where)
        total[where] += size
        parts[where][output] += size
    return total, parts


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip())
        return 2
    total, parts = sizes(argv[1])
    lines = int(argv[2]) if len(argv) > 2 else 12
    for where, size in total.most_common(lines):
        main_parts = ", ".join("%s %d KB" % (s, (n + 512) // 1024) for s, n in parts[where].most_common(3))
        print("  %9s  %-24s %s" % (format(size, ","), where, main_parts))
    rest = sum(total.values()) - sum(n for _, n in total.most_common(lines))
    if rest:
        print("  %9s  (the rest)" % format(rest, ","))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
