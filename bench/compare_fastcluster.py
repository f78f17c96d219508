#!/usr/bin/python3
"""End-to-end clustering time and peak memory against fastcluster.

For each size n (rows) x 100 columns of random normal data, the same values
are written as a tab-delimited data file (read by bench_clustering
--single) and as a NumPy array (read by a fastcluster child process). Each
side runs in a process of its own; the data are loaded untimed (for arbolix
with the document's forest pair, made when a file is opened), the peak
resident-memory counter is reset, then the timed part runs:
  arbolix:     row clustering of the loaded document (distances + merges)
  fastcluster: fastcluster.linkage(X, method, metric) on the loaded array
Memory is reported as the peak minus the resident size before the timed part;
"forests MB" is what the forest pair itself added at load time.

Run with /usr/bin/python3 (it sees python3-fastcluster and numpy):
  /usr/bin/python3 bench/compare_fastcluster.py build --sizes 2000 5000 10000 20000
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile

import numpy as np

MEASURES = {"pearson": (0, "correlation"), "euclidean": (1, "euclidean")}
LINKAGES = {"average": (0, "average"), "complete": (2, "complete"), "single": (3, "single"), "1by1": (4, None)}

FASTCLUSTER_CHILD = r"""
import json, sys, time
import numpy as np
import fastcluster
X = np.load(sys.argv[1])
def status(key):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(key):
                return int(line.split()[1]) * 1024
with open("/proc/self/clear_refs", "w") as f:
    f.write("5")
base = status("VmRSS:")
start = time.perf_counter()
Z = fastcluster.linkage(X, method=sys.argv[2], metric=sys.argv[3])
seconds = time.perf_counter() - start
print(json.dumps({"seconds": seconds, "base_rss": base, "peak_rss": status("VmHWM:"), "merges": len(Z)}))
"""


def write_inputs(folder, n, columns, seed):
    rng = np.random.default_rng(seed)
    X = rng.standard_normal((n, columns)).astype(np.float32)
    txt = os.path.join(folder, f"random_{n}.txt")
    with open(txt, "w") as f:
        f.write("ID\tNAME\t" + "\t".join(f"C{k}" for k in range(columns)) + "\n")
        for i in range(n):
            f.write(f"G{i}\tG{i}\t" + "\t".join(repr(float(v)) for v in X[i]) + "\n")
    npy = os.path.join(folder, f"random_{n}.npy")
    np.save(npy, X.astype(np.float64))
    return txt, npy


def run_json(cmd):
    out = subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    return json.loads(out.strip().splitlines()[-1])


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build", nargs="?", default="build", help="build folder (default: build)")
    ap.add_argument("--binary", help="path of bench_clustering (default: BUILD/bench/bench_clustering)")
    ap.add_argument("--sizes", type=int, nargs="+", default=[2000, 5000, 10000, 20000])
    ap.add_argument("--columns", type=int, default=100)
    ap.add_argument("--measures", nargs="+", default=["pearson", "euclidean"], choices=MEASURES)
    ap.add_argument("--linkages", nargs="+", default=["average"], choices=LINKAGES)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--no-fastcluster", action="store_true", help="time arbolix only")
    ap.add_argument("--repeat", type=int, default=1,
                    help="rounds per case, each an arbolix run then a fastcluster run; the speed-up is the median "
                         "of the rounds' ratios (with their range), the times the fastest of each side")
    args = ap.parse_args()
    if not args.binary:
        args.binary = os.path.join(args.build, "bench", "bench_clustering")

    rows = []
    header = ("n", "measure", "linkage", "arbolix s", "distances s", "fastcluster s", "speed-up", "speed-up range",
              "arbolix MB", "limit MB", "forests MB", "fastcluster MB")
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    with tempfile.TemporaryDirectory() as folder:
        for n in args.sizes:
            txt, npy = write_inputs(folder, n, args.columns, args.seed)
            limit = 1.15 * n * (n - 1)
            for measure in args.measures:
                for linkage in args.linkages:
                    ours = theirs = None
                    ratios = []
                    for _ in range(max(1, args.repeat)):
                        run = run_json([args.binary, "--single", txt, str(MEASURES[measure][0]),
                                        str(LINKAGES[linkage][0])])
                        if not run.get("ok"):
                            break
                        if ours is None or run["seconds"] < ours["seconds"]:
                            ours = run
                        if not args.no_fastcluster and LINKAGES[linkage][1]:
                            other = run_json([sys.executable, "-c", FASTCLUSTER_CHILD, npy, LINKAGES[linkage][1],
                                              MEASURES[measure][1]])
                            ratios.append(other["seconds"] / run["seconds"])
                            if theirs is None or other["seconds"] < theirs["seconds"]:
                                theirs = other
                    if ours is None:
                        print(f"arbolix failed for n={n} {measure} {linkage}", file=sys.stderr)
                        continue
                    ours_mb = (ours["peak_rss"] - ours["base_rss"]) / 1e6
                    phases = list(ours["phases"].values())
                    cells = [str(n), measure, linkage, f"{ours['seconds']:.2f}", f"{phases[1] - phases[0]:.2f}"]
                    if theirs:
                        ratios.sort()
                        cells += [f"{theirs['seconds']:.2f}", f"{ratios[len(ratios) // 2]:.2f}x",
                                  f"{ratios[0]:.2f}-{ratios[-1]:.2f}x"]
                    else:
                        cells += ["-", "-", "-"]
                    cells += [f"{ours_mb:.0f}", f"{limit / 1e6:.0f}", f"{(ours['base_rss'] - ours['matrix_rss']) / 1e6:.0f}"]
                    cells += [f"{(theirs['peak_rss'] - theirs['base_rss']) / 1e6:.0f}" if theirs else "-"]
                    print("| " + " | ".join(cells) + " |", flush=True)
                    rows.append(cells)
            os.remove(txt)
            os.remove(npy)
    return 0


if __name__ == "__main__":
    sys.exit(main())
