#!/usr/bin/python3
"""Profile search and power calculation against numpy, side by side in one run.

usage: compare_profile_numpy.py BUILD_DIR

Runs bench/ui/bench_profile_search (which makes its 20000 x 128 and
12625 x 128 data files in a temporary folder) and times the same work in
numpy on the same files: the Pearson and Euclidean similarity of every item
to a model (missing cells left out), the threshold test over all scores,
the lower-cased substring test over 20000 names and identifiers, and the
two-group sample size and power of every item with scipy's normal
functions. Prints each figure with its budget and its ratio to numpy.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.stats import norm


def read(path):
    with open(path) as f:
        lines = f.read().split("\n")
    rows = [l.split("\t") for l in lines[1:] if l]
    ids = [r[0] for r in rows]
    names = [r[1] for r in rows]
    x = np.array([[float(c) if c else np.nan for c in r[2:]] for r in rows], dtype=np.float32)
    return ids, names, x


def timed(fn, runs=9):
    out = []
    for _ in range(runs):
        t = time.perf_counter()
        fn()
        out.append(time.perf_counter() - t)
    return statistics.median(out) * 1000


def main():
    build = sys.argv[1]
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    bench = os.path.join(build, "bench", "bench_profile_search")
    res = subprocess.run([bench, "--benchmark_format=json", "--benchmark_repetitions=3",
                          "--benchmark_report_aggregates_only=true"], env=env, capture_output=True, text=True, check=True)
    ours, cpu, spread = {}, {}, {}
    for b in json.loads(res.stdout)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            ours[b["run_name"]] = b["real_time"]
            cpu[b["run_name"]] = b["cpu_time"]
        elif b.get("aggregate_name") == "cv":
            spread[b["run_name"]] = b["real_time"] * 100
    folder = os.path.join(tempfile.gettempdir(), "arbolix-bench-profile")
    ids, names, x = read(os.path.join(folder, "expression_20000x128.txt"))
    _, _, px = read(os.path.join(folder, "expression_12625x128.txt"))

    model = np.nan_to_num(x[17], nan=np.nanmin(x))
    valid = ~np.isnan(x)
    xv = np.where(valid, x, 0).astype(np.float64)
    rng = (np.nanmax(x, axis=0) - np.nanmin(x, axis=0)).astype(np.float64)

    def pearson():
        n = valid.sum(1)
        ma = (valid * model).sum(1) / n
        mb = xv.sum(1) / n
        da = np.where(valid, model - ma[:, None], 0)
        db = np.where(valid, xv - mb[:, None], 0)
        r = (da * db).sum(1) / np.sqrt((da * da).sum(1) * (db * db).sum(1))
        return (1 + r) / 2

    def euclid():
        d = np.where(valid, xv - model, 0)
        return 1 - np.sqrt((d * d).sum(1)) / np.sqrt((rng * rng).sum())

    scores = pearson()
    lower = [(a.lower(), b.lower()) for a, b in zip(names, ids)]
    g1, g2 = px[:, :64].astype(np.float64), px[:, 64:].astype(np.float64)

    def pooled():
        m1, m2 = np.nanmean(g1, 1), np.nanmean(g2, 1)
        s1, s2 = np.nanstd(g1, 1, ddof=1), np.nanstd(g2, 1, ddof=1)
        n1, n2 = (~np.isnan(g1)).sum(1), (~np.isnan(g2)).sum(1)
        sp = ((n2 - 1) * s2 ** 2 + (n1 - 1) * s1 ** 2) / (n1 + n2 - 2)
        return sp, np.minimum(m1, m2) * 0.5

    def power():
        sp, d = pooled()
        za, zb = norm.ppf(0.975), norm.ppf(0.8)
        return 2 * sp * (za + zb) ** 2 / d ** 2

    def power_target():
        sp, d = pooled()
        lam = np.sqrt(d * d * 8 / (2 * sp))
        za = norm.ppf(0.975)
        return norm.cdf(lam - za), norm.cdf(-za - lam)

    reference = {
        "BM_ModelSearchFromScratch/0": ("Pearson's r from scratch", timed(pearson), 50),
        "BM_ModelSearchFromScratch/1": ("Euclidean from scratch", timed(euclid), 50),
        "BM_IncrementalThreshold": ("incremental threshold", timed(lambda: np.nonzero((scores >= 0.59) & (scores <= 1.0)), 51), 10),
        "BM_NameSearch": ("name search", timed(lambda: [i for i, (a, b) in enumerate(lower) if "gene12" in a or "gene12" in b]), 20),
        "BM_PowerAllItems/3": ("power: sample size, 12625 x 128", timed(power), 100),
        "BM_PowerAllItems/1": ("power: power, 12625 x 128", timed(power_target), 100),
    }
    # Wall time (median of 3, with its coefficient of variation) and CPU time:
    # on a shared machine the CPU time is what the code itself costs.
    print(f"{'figure':36} {'ours ms':>9} {'cv %':>6} {'cpu ms':>8} {'budget':>7} {'numpy ms':>9} {'ours/numpy':>10}")
    def line(key, label, budget, np_ms=None):
        o = ours.get(key, float("nan"))
        ratio = f"{o / np_ms:10.2f}" if np_ms else f"{'':>10}"
        np_text = f"{np_ms:9.2f}" if np_ms else f"{'':>9}"
        print(f"{label:36} {o:9.2f} {spread.get(key, float('nan')):6.1f} {cpu.get(key, float('nan')):8.2f} "
              f"{budget:7d} {np_text} {ratio}")
    for key, (label, np_ms, budget) in reference.items():
        line(key, label, budget, np_ms)
    for key, label, budget in [("BM_ModelSearchFromScratch/2", "Absolute from scratch", 50),
                               ("BM_PlotRedraw/1/1", "plot redraw into the view's image", 100),
                               ("BM_PlotRedraw/0/1", "  the same without silhouettes", 100),
                               ("BM_PlotRedraw/1/0", "  through QPainter (files, print)", 0),
                               ("BM_HoverHitTest", "hover hit test", 0)]:
        line(key, label, budget)


if __name__ == "__main__":
    main()
