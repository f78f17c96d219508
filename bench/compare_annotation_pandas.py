#!/usr/bin/python3
"""Attaching an annotation against pandas.read_csv, side by side in one run.

usage: compare_annotation_pandas.py BUILD_DIR [ROUNDS]

Generates the ALL-sized data file (12625 x 128) and its 40-column
annotation when missing (bench/make_annotation_files.py), then, for each
round, times pandas.read_csv on the annotation (median of 5 reads) and
loadAnnotation from bench_annotation (read, identifier map and matching),
and prints both with their ratio; the last line gives the ratios' spread.
"""
import json
import os
import statistics
import subprocess
import sys
import time

import pandas as pd

FOLDER = "/tmp/arbolix-bench-table"


def main():
    build = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    here = os.path.dirname(os.path.abspath(__file__))
    data = os.path.join(FOLDER, "all_12625x128.txt")
    annotation = os.path.join(FOLDER, "annotation_40.csv")
    if not (os.path.exists(data) and os.path.exists(annotation)):
        os.makedirs(FOLDER, exist_ok=True)
        subprocess.run(["/usr/bin/python3", os.path.join(here, "make_annotation_files.py"), data, annotation],
                       check=True)
    print(f"annotation: {annotation} ({os.path.getsize(annotation) / 1e6:.1f} MB), data: {data}")
    bench = os.path.join(build, "bench", "bench_annotation")
    env = dict(os.environ, ARBOLIX_BENCH_DATA=data, ARBOLIX_BENCH_ANNOTATION=annotation)
    ratios = []
    for r in range(rounds):
        times = []
        for _ in range(5):
            t = time.perf_counter()
            pd.read_csv(annotation)
            times.append(time.perf_counter() - t)
        pandas_ms = statistics.median(times) * 1000
        out = subprocess.run([bench, "--benchmark_format=json"], env=env, check=True, capture_output=True, text=True)
        b = json.loads(out.stdout)["benchmarks"][0]
        ms = b["real_time"]
        ratios.append(ms / pandas_ms)
        print(f"round {r + 1}: pandas.read_csv {pandas_ms:7.1f} ms   loadAnnotation {ms:7.1f} ms "
              f"(matched {int(b['matched'])})   {ms / pandas_ms:5.2f} x pandas")
    print(f"ratio: median {statistics.median(ratios):.2f}, min {min(ratios):.2f}, max {max(ratios):.2f}")


if __name__ == "__main__":
    main()
