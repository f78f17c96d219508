#!/usr/bin/python3
"""Loading speed and memory against pandas.read_csv, side by side in one run.

usage: compare_load_pandas.py BUILD_DIR [DATA_FILE]

Generates the 20000 x 100 benchmark file when none is given, then reports
- pandas.read_csv time (median of several runs),
- loadDataFile and the whole open (load, both statistics sets, logarithm)
  from bench_load, with their ratios to pandas,
- the peak resident memory of one load and of one open, as a multiple of the
  file size.
"""
import json
import os
import statistics
import subprocess
import sys
import time

import pandas as pd


def main():
    build = sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    data = sys.argv[2] if len(sys.argv) > 2 else "/tmp/arbolix-bench/expr_20000x100.txt"
    if not os.path.exists(data):
        os.makedirs(os.path.dirname(data), exist_ok=True)
        subprocess.run(["/usr/bin/python3", os.path.join(here, "make_expression_file.py"), data], check=True)
    size = os.path.getsize(data)

    times = []
    for _ in range(7):
        t = time.perf_counter()
        pd.read_csv(data, sep="\t")
        times.append(time.perf_counter() - t)
    pandas_ms = statistics.median(times) * 1000

    bench = os.path.join(build, "bench", "bench_load")
    out = subprocess.run([bench, "--benchmark_format=json", "--benchmark_filter=BM_LoadDataFile|BM_OpenDocument"],
                         env=dict(os.environ, ARBOLIX_BENCH_FILE=data), check=True, capture_output=True, text=True)
    results = {b["name"].split("/")[0]: b["real_time"] for b in json.loads(out.stdout)["benchmarks"]}
    peak_load = int(subprocess.run([bench, "--peak-memory", data], check=True, capture_output=True,
                                   text=True).stdout)
    peak_open = int(subprocess.run([bench, "--peak-memory", data, "open"], check=True, capture_output=True,
                                   text=True).stdout)

    print(f"file: {data} ({size / 1e6:.1f} MB)")
    print(f"pandas.read_csv            {pandas_ms:8.1f} ms")
    for name, label in (("BM_LoadDataFile", "loadDataFile"), ("BM_OpenDocument", "open (load+stats+log)")):
        ms = results[name]
        print(f"{label:26s} {ms:8.1f} ms   {ms / pandas_ms:5.2f} x pandas")
    print(f"peak memory, load          {peak_load / 1024:8.1f} MB   {peak_load * 1024 / size:5.2f} x file size")
    print(f"peak memory, open          {peak_open / 1024:8.1f} MB   {peak_open * 1024 / size:5.2f} x file size")


if __name__ == "__main__":
    main()
