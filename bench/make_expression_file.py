#!/usr/bin/python3
"""Writes a tab-delimited expression file of realistic shape for benchmarks:
an ID and NAME column, then COLUMNS samples of log2-like intensities printed
with six significant digits, and about 1 % missing (empty) cells (MISSING
percent when given).

usage: make_expression_file.py OUT [ROWS] [COLUMNS] [SEED] [MISSING]
"""
import sys

import numpy as np


def main():
    out = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    cols = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    missing_share = float(sys.argv[5]) / 100.0 if len(sys.argv) > 5 else 0.01
    rng = np.random.default_rng(seed)
    base = rng.normal(7.0, 1.8, size=(rows, 1))
    values = base + rng.normal(0.0, 0.6, size=(rows, cols))
    missing = rng.random((rows, cols)) < missing_share
    with open(out, "w") as f:
        f.write("ID\tNAME\t" + "\t".join(f"S{c:03d}" for c in range(cols)) + "\n")
        for r in range(rows):
            cells = ["" if missing[r, c] else f"{values[r, c]:.6g}" for c in range(cols)]
            f.write(f"P{r:06d}_at\tGENE{r % 5000}\t" + "\t".join(cells) + "\n")


if __name__ == "__main__":
    main()
