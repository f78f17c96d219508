#!/usr/bin/python3
"""The window against the command line on one large file: arbolix-cli
cluster (load and cluster the rows, Pearson, average linkage) and
bench_big_window (the same through the main window, then bar moves, a
subtree selection, the export and opening the exported .dat), each in its
own process so that each one's peak memory is its own. Prints the figures
and the window's time and memory as ratios of the command line's.

usage: compare_big_window.py BUILD_DIR [--rows N] [--columns N] [--missing PERCENT] [--file PATH]
(the file is made by make_expression_file.py when it does not exist, with no
missing cells unless asked). The command line is given the load dialog's
starting choices (rows normalised, method 0), which the window opens with."""
import argparse
import os
import subprocess
import sys
import tempfile
import time


def run(cmd, env=None):
    """Wall time, peak resident kB and stdout of a child process."""
    start = time.monotonic()
    proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, text=True)
    out = proc.stdout.read()
    err = proc.stderr.read()
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    if status != 0:
        sys.stderr.write(err)
        raise SystemExit(f"{cmd[0]} failed ({status})")
    return wall, usage.ru_maxrss, usage.ru_utime + usage.ru_stime, out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--rows", type=int, default=100000)
    ap.add_argument("--columns", type=int, default=100)
    ap.add_argument("--missing", type=float, default=0.0)
    ap.add_argument("--file")
    a = ap.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    path = a.file or os.path.join(tempfile.gettempdir(), f"arbolix-bench-{a.rows}x{a.columns}-{a.missing:g}.txt")
    if not os.path.exists(path):
        subprocess.run([sys.executable, os.path.join(here, "make_expression_file.py"), path, str(a.rows),
                        str(a.columns), "1", str(a.missing)], check=True)
    cli = os.path.join(a.build, "src", "arbolix-cli")
    window = os.path.join(a.build, "bench", "bench_big_window")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")

    cli_wall, cli_kb, cli_cpu, _ = run([cli, "cluster", path, "--rows", "--normalize", "row", "--method", "0"])
    print(f"arbolix-cli cluster: {cli_wall:.1f} s ({cli_cpu:.1f} s CPU), peak {cli_kb / 1024:.0f} MiB")
    with tempfile.TemporaryDirectory() as out:
        win_wall, win_kb, _, text = run([window, path, out], env)
    figures = {}
    for line in text.splitlines():
        print("  window " + line)
        parts = line.split()
        if len(parts) >= 2:
            try:
                figures[parts[0]] = float(parts[1])
            except ValueError:
                pass
    load_cluster = figures.get("load_s", 0) + figures.get("cluster_s", 0)
    peak = figures.get("peak_after_cluster_kb", win_kb)
    print(f"window load + cluster: {load_cluster:.1f} s, peak after clustering {peak / 1024:.0f} MiB "
          f"(whole run {win_wall:.1f} s, peak {win_kb / 1024:.0f} MiB)")
    print(f"ratio time window / cli: {load_cluster / cli_wall:.3f}")
    if "cpu_after_cluster_s" in figures:
        print(f"ratio CPU time window / cli: {figures['cpu_after_cluster_s'] / cli_cpu:.3f} "
              f"(window {figures['cpu_after_cluster_s']:.1f} s up to the end of clustering)")
    print(f"ratio peak memory window / cli: {peak / cli_kb:.3f}")


if __name__ == "__main__":
    main()
