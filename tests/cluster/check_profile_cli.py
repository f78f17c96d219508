#!/usr/bin/python3
"""arbolix-cli evaluate --profile N against evaluate --min-sim at the same
similarities and against the batch run's counts: every profile line, without
its alones column, is the line evaluate prints at that similarity, and the
clusters and alones of the rows equal the batch run's at its steps. On the
bundled sample and on a generated file with planted groups and a CID row.
Within/between are also checked against numpy on the cut the result file
exports (the distances recomputed from the data).

usage: check_profile_cli.py ARBOLIX_CLI SAMPLE
"""
import os
import subprocess
import sys
import tempfile

import numpy as np


def run(cli, args):
    done = subprocess.run([cli] + args, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{' '.join(args)} failed ({done.returncode}): {done.stderr}")
    return done.stdout.splitlines()


def generated(path, rows=240, cols=18, seed=5):
    rng = np.random.default_rng(seed)
    patterns = rng.normal(size=(6, cols))
    group = rng.integers(0, 6, size=rows)
    values = patterns[group] * rng.uniform(0.5, 2.0, size=(rows, 1)) + rng.normal(0, 0.5, size=(rows, cols)) + 7
    with open(path, "w") as f:
        f.write("ID\tNAME\t" + "\t".join(f"S{c}" for c in range(cols)) + "\n")
        f.write("CID\t\t" + "\t".join(str(1 + c % 3) for c in range(cols)) + "\n")
        for r in range(rows):
            f.write(f"G{r}\tN{r}\t" + "\t".join(f"{v:.5f}" for v in values[r]) + "\n")


def check(cli, path, steps, folder):
    profile = run(cli, ["evaluate", path, "--profile", str(steps)])
    levels = ",".join(f"{k / steps:.3f}" for k in range(steps + 1))
    direct = run(cli, ["evaluate", path, "--min-sim", levels])
    header = profile[0].split("\t")
    assert header == ["direction", "minsim", "# of Clusters", "# of Alones", "F-measure", "Within-cluster",
                      "Between-cluster", "ratio"], header
    assert direct[0] == "\t".join(header[:3] + header[4:]), direct[0]
    assert len(profile) == len(direct) == 1 + 2 * (steps + 1), (len(profile), len(direct))
    several = 0
    for p, d in zip(profile[1:], direct[1:]):
        cells = p.split("\t")
        assert "\t".join(cells[:3] + cells[4:]) == d, f"{path}:\n  profile {p}\n  direct  {d}"
        several += int(cells[2]) >= 2
    assert several >= 5, f"{path}: only {several} lines with two clusters or more"

    # The batch run over the rows: its steps k / steps for k = steps .. 1.
    out = run(cli, ["batch", path, "--steps", str(steps), "--folder", folder, "--view", "rows"])[0]
    with open(out) as f:
        batch = [line.rstrip("\n").split("\t") for line in f][1:]
    rows = {cells[1]: cells for cells in (p.split("\t") for p in profile[1:] if p.startswith("rows\t"))}
    for minsim, clusters, _changes, alones in batch:
        assert rows[minsim][2] == clusters and rows[minsim][3] == alones, (path, minsim, rows[minsim], clusters, alones)
    return profile


def pearson_distances(values):
    """Centered Pearson distances on the 0..65535 scale, (1 - r) * 32767.5."""
    r = np.corrcoef(values)
    return (1.0 - r) * 32767.5


def check_with_numpy(cli, path, folder, steps):
    """The rows' within/between at a step with a few clusters, from the
    leaves' clusters of that cut (cluster --order) and the data file's values
    by numpy."""
    profile = run(cli, ["evaluate", path, "--rows", "--profile", str(steps)])
    line = next(p.split("\t") for p in profile[1:] if 3 <= int(p.split("\t")[2]) <= 12)
    order = os.path.join(folder, "order.txt")
    run(cli, ["cluster", path, "--rows", "--min-sim", line[1], "--order", order])
    clusters = {}
    with open(order) as f:
        for cells in (l.rstrip("\n").split("\t") for l in list(f)[1:]):
            if cells[4].startswith("CLUSTER"):
                clusters.setdefault(int(cells[4][7:]), []).append(int(cells[2][4:]))
    groups = [np.array(clusters[c]) for c in sorted(clusters)]
    assert len(groups) == int(line[2]), (line, len(groups))
    with open(path) as f:
        values = np.array([[float(v) for v in l.rstrip("\n").split("\t")[2:]] for l in list(f)[2:]])
    d = pearson_distances(values)
    within = np.mean([d[np.ix_(g, g)][np.triu_indices(len(g), 1)].mean() for g in groups if len(g) > 1])
    between = np.mean([d[np.ix_(groups[i], groups[j])].mean() for i in range(len(groups))
                       for j in range(i + 1, len(groups))])
    assert abs(within - float(line[5])) < 0.05 and abs(between - float(line[6])) < 0.05, (line, within, between)


def main():
    cli, sample = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as folder:
        made = os.path.join(folder, "groups.txt")
        generated(made)
        check(cli, made, 50, folder)
        check_with_numpy(cli, made, folder, 50)
        check(cli, sample, 10, folder)
    print("profile lines equal evaluate --min-sim and the batch run")


if __name__ == "__main__":
    main()
