#!/usr/bin/python3
"""Clustering time and peak memory with missing cells against the same data
without them.

From one complete source (by default the bundled sample shaped to 20000 rows
x 100 columns, see make_missing_cells.py) it writes the complete file and one
file per share of blanked cells (by default 1 % and 10 %; the blanks of a
smaller share are a subset of those of a larger one). For every measure and
direction, each repeat runs the complete file and every blanked file one
after the other in one pass (the order rotates from repeat to repeat), each
in a process of its own (bench_clustering --single: load untimed, then the
clustering timed). A blanked file's ratio is its time over the complete
file's time of the same repeat; the table gives the median ratio and the
smallest and largest, the median seconds of every file, the distance phase
alone (its median ratio), and the median peak memory added by the
clustering.

Run with /usr/bin/python3:
  /usr/bin/python3 bench/compare_missing_cells.py build --repeat 3
  /usr/bin/python3 bench/compare_missing_cells.py build --measures pearson euclidean --directions rows
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLE = os.path.join(HERE, "..", "data", "samples", "all_leukemia_top2000.txt")

# name: (measure index, extra options of bench_clustering --single)
MEASURES = {
    "pearson": (0, []),
    "pearson-uncentered": (0, ["--uncentered"]),
    "pearson-absolute": (0, ["--absolute"]),
    "pearson-uncentered-absolute": (0, ["--uncentered", "--absolute"]),
    "euclidean": (1, []),
    "manhattan": (2, []),
    "pearson-pvalues": (0, ["--pvalues"]),
    "euclidean-pvalues": (1, ["--pvalues"]),
}


def run_json(cmd):
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    return json.loads(out.strip().splitlines()[-1])


def distance_seconds(run):
    """Seconds of the distance phase: from its message to the next one."""
    phases = list(run["phases"].values())
    return phases[1] - phases[0] if len(phases) > 1 else float("nan")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build", nargs="?", default="build", help="build folder (default: build)")
    ap.add_argument("--binary", help="path of bench_clustering (default: BUILD/bench/bench_clustering)")
    ap.add_argument("--source", default=SAMPLE, help="complete data file (default: the bundled sample)")
    ap.add_argument("--rows", type=int, default=20000)
    ap.add_argument("--columns", type=int, default=100)
    ap.add_argument("--shares", type=float, nargs="+", default=[0.01, 0.1], help="shares of blanked cells")
    ap.add_argument("--measures", nargs="+", default=list(MEASURES), choices=MEASURES)
    ap.add_argument("--directions", nargs="+", default=["rows", "columns"], choices=["rows", "columns"])
    ap.add_argument("--linkage", type=int, default=0, help="linkage index (default 0, average)")
    ap.add_argument("--repeat", type=int, default=3)
    ap.add_argument("--seed", type=int, default=1)
    args = ap.parse_args()
    binary = args.binary or os.path.join(args.build, "bench", "bench_clustering")
    maker = os.path.join(HERE, "make_missing_cells.py")

    header = ["measure", "direction", "missing", "seconds", "vs complete (median, min-max)", "distances s",
              "distances vs complete", "peak MB"]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    with tempfile.TemporaryDirectory() as folder:
        shares = [0.0] + args.shares
        files = []
        for p in shares:
            path = os.path.join(folder, f"missing_{p:g}.txt")
            subprocess.run([sys.executable, maker, args.source, path, str(p), "--seed", str(args.seed),
                            "--rows", str(args.rows), "--columns", str(args.columns)], check=True)
            files.append(path)
        for measure in args.measures:
            index, extra = MEASURES[measure]
            for direction in args.directions:
                options = extra + (["--columns"] if direction == "columns" else [])
                runs = [[] for _ in shares]
                for rep in range(args.repeat):
                    order = [(rep + k) % len(shares) for k in range(len(shares))]
                    for k in order:
                        runs[k].append(run_json([binary, "--single", files[k], str(index), str(args.linkage)] +
                                                options))
                for k, p in enumerate(shares):
                    seconds = [r["seconds"] for r in runs[k]]
                    dist = [distance_seconds(r) for r in runs[k]]
                    ratios = [r["seconds"] / c["seconds"] for r, c in zip(runs[k], runs[0])]
                    dist_ratios = [d / distance_seconds(c) for d, c in zip(dist, runs[0])]
                    peak = statistics.median((r["peak_rss"] - r["base_rss"]) / 2**20 for r in runs[k])
                    cells = [measure, direction, f"{100 * p:g} %", f"{statistics.median(seconds):.2f}",
                             f"{statistics.median(ratios):.2f}x ({min(ratios):.2f}-{max(ratios):.2f})",
                             f"{statistics.median(dist):.2f}", f"{statistics.median(dist_ratios):.2f}x",
                             f"{peak:.0f}"]
                    if not all(r.get("ok") for r in runs[k]):
                        cells[3] += " (failed)"
                    print("| " + " | ".join(cells) + " |", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
