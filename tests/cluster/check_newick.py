#!/usr/bin/python3
"""Reads the Newick trees arbolix-cli writes with an independent parser
(Bio.Phylo) and checks them against the same clustering written as
TreeView files: the same topology (every clade's set of leaf labels) and the
same cophenetic heights (a clade's height is 1 - S, S = (v + 1) / 2 of its
tree-file line).

usage: check_newick.py ARBOLIX_CLI DATA_FILE"""
import os
import subprocess
import sys
import tempfile

from Bio import Phylo

sys.setrecursionlimit(100000)


def treeview_clades(cdt_path, tree_path, rows):
    """{frozenset of leaf labels: height} from a .cdt and its .gtr / .atr."""
    with open(cdt_path) as f:
        lines = [line.rstrip("\n").split("\t") for line in f]
    label = {}
    if rows:
        for cells in lines[1:]:
            if cells[0].startswith("GENE"):
                label[cells[0]] = cells[1]
    else:
        header = lines[0]
        aid = next(cells for cells in lines if cells[0] == "AID")
        first = 4 if header[0] == "GID" else 3
        for k in range(first, len(header)):
            label[aid[k]] = header[k]
    leaves, clades = {}, {}
    with open(tree_path) as f:
        for line in f:
            node, left, right, value = line.rstrip("\n").split("\t")
            members = frozenset().union(*(leaves.get(c) or frozenset([label[c]]) for c in (left, right)))
            leaves[node] = members
            clades[members] = 1.0 - (float(value) + 1.0) / 2.0
    return clades


def newick_clades(path):
    tree = Phylo.read(path, "newick")
    clades = {}
    for clade in tree.find_clades(order="postorder"):
        if clade.is_terminal():
            continue
        names = frozenset(t.name for t in clade.get_terminals())
        # Ultrametric: the height is the distance down to any of its leaves.
        leaf = clade.get_terminals()[0]
        clades[names] = clade.distance(leaf)
    return clades, tree.count_terminals()


def main():
    cli, data = sys.argv[1], sys.argv[2]
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        base = os.path.join(tmp, "r")
        for fmt in ("newick", "treeview"):
            subprocess.run([cli, "cluster", data, "--out", base, "--format", fmt], check=True,
                           stdout=subprocess.DEVNULL)
        for rows, suffix, tree in ((True, "_rows.nwk", ".gtr"), (False, "_columns.nwk", ".atr")):
            expected = treeview_clades(base + ".cdt", base + tree, rows)
            got, terminals = newick_clades(base + suffix)
            what = "rows" if rows else "columns"
            if terminals != len(expected) + 1:
                print(f"{what}: {terminals} leaves for {len(expected)} branches")
                failures += 1
            if set(got) != set(expected):
                print(f"{what}: {len(set(got) ^ set(expected))} clades differ")
                failures += 1
                continue
            worst = max(abs(got[c] - expected[c]) for c in expected)
            if worst > 1e-9:
                print(f"{what}: heights differ by up to {worst}")
                failures += 1
            print(f"{what}: {len(expected)} clades, {terminals} leaves, heights agree within {worst:.2e}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
