#!/usr/bin/python3
"""Writes a copy of a complete tab-delimited data file in which each value
cell is blanked with probability P, drawn from a seeded generator, so that
the same seed and P always blank the same cells.

The first line (header) and lines whose identifier is CID or EWEIGHT are
copied as they are; the first FIXED fields of every other line (identifier
and name, 2 by default) are never blanked.

--rows N and --columns C first shape the source: its first C value columns,
and its data lines repeated until there are N (each repeat after the first
gets its own identifier suffix and values shifted by seeded normal noise of
standard deviation --jitter, so that no two rows are equal). The shaping
does not depend on P: files made with different P from the same source,
seed and shape differ only in their blanks.

usage: make_missing_cells.py SOURCE OUT P [--seed S] [--rows N] [--columns C]
                             [--jitter SD] [--fixed FIXED]
"""
import argparse
import sys

import numpy as np

SPECIAL = {"CID", "EWEIGHT"}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("source")
    ap.add_argument("out")
    ap.add_argument("p", type=float, help="probability that a value cell is blanked (0 to 1)")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--rows", type=int, help="data lines of the result (source lines repeated)")
    ap.add_argument("--columns", type=int, help="value columns kept from the source")
    ap.add_argument("--jitter", type=float, default=0.05, help="noise of the repeated lines")
    ap.add_argument("--fixed", type=int, default=2, help="leading fields that are not values")
    args = ap.parse_args()
    if not 0.0 <= args.p <= 1.0:
        sys.exit("P must lie in [0, 1]")

    with open(args.source) as f:
        lines = [line.rstrip("\r\n").split("\t") for line in f]
    keep = None if args.columns is None else args.fixed + args.columns
    head = [fields[:keep] for fields in lines[:1]]
    special = [fields[:keep] for fields in lines[1:] if fields[0].upper() in SPECIAL]
    data = [fields[:keep] for fields in lines[1:] if fields[0].upper() not in SPECIAL]
    if not data:
        sys.exit("no data lines in " + args.source)

    rows = args.rows or len(data)
    shape_rng = np.random.default_rng([args.seed, 0])  # the shape, independent of P
    blank_rng = np.random.default_rng([args.seed, 1])  # the blanks
    with open(args.out, "w") as out:
        for fields in head + special:
            out.write("\t".join(fields) + "\n")
        for r in range(rows):
            fields = list(data[r % len(data)])
            copy = r // len(data)
            values = fields[args.fixed:]
            if copy:
                fields[0] = f"{fields[0]}_{copy}"
                noise = shape_rng.normal(0.0, args.jitter, len(values))
                values = [v if v.strip() == "" else f"{float(v) + e:.6g}" for v, e in zip(values, noise)]
            blank = blank_rng.random(len(values)) < args.p
            values = ["" if b else v for v, b in zip(values, blank)]
            out.write("\t".join(fields[:args.fixed] + values) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
