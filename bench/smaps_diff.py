#!/usr/bin/env python3
"""Where one process's resident memory is beside another's: Rss (and its anonymous part) per mapped file, [heap],
[anon] and the rest, from two /proc/PID/smaps copies (bench/startup.sh keeps them with VELTRANE_BENCH_SMAPS=folder).

Usage: bench/smaps_diff.py program.smaps bare.smaps [rows]
Prints the totals, then the mappings with the largest difference first (KiB).
"""
import collections
import os
import re
import sys

HEADER = re.compile(r'^[0-9a-f]+-[0-9a-f]+ \S+ \S+ \S+ \S+\s*(.*)$')


def by_mapping(path):
    """{name: [rss, anonymous]} in KiB; a mapping without a name is [anon]; run folders are left out of names."""
    sizes = collections.defaultdict(lambda: [0, 0])
    name = None
    with open(path) as f:
        for line in f:
            m = HEADER.match(line)
            if m:
                name = m.group(1).strip() or '[anon]'
                if not name.startswith('/usr/'):
                    name = os.path.basename(name) if name.startswith('/') else name
            elif line.startswith('Rss:'):
                sizes[name][0] += int(line.split()[1])
            elif line.startswith('Anonymous:'):
                sizes[name][1] += int(line.split()[1])
    return sizes


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    ours, base = by_mapping(sys.argv[1]), by_mapping(sys.argv[2])
    rows = int(sys.argv[3]) if len(sys.argv) > 3 else 40
    for label, i in (('Rss', 0), ('anonymous', 1)):
        a, b = sum(v[i] for v in ours.values()), sum(v[i] for v in base.values())
        print(f'{label:>10}: {a:8d} {b:8d} {a - b:+8d} KiB')
    print(f'{"diff":>8} {"ours":>7} {"base":>7} {"anon":>6} {"anon":>6}  mapping')
    names = sorted(set(ours) | set(base), key=lambda n: -abs(ours[n][0] - base[n][0]))
    for n in names[:rows]:
        a, b = ours[n], base[n]
        print(f'{a[0] - b[0]:+8d} {a[0]:7d} {b[0]:7d} {a[1]:6d} {b[1]:6d}  {n}')


if __name__ == '__main__':
    main()
