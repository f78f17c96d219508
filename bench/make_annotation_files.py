#!/usr/bin/python3
"""Writes an ALL-sized data file (12625 items x 128 values, tab-delimited)
and a vendor-like annotation of 40 columns for it (comma-separated, every
cell quoted, long ontology cells with "///" and "//" parts, commas inside
quotes, a few items without a line and a few lines for no item).

usage: make_annotation_files.py DATA.txt ANNOTATION.csv [ITEMS]
"""
import random
import sys

ITEMS = 12625
VALUES = 128
COLUMNS = 40


def main():
    data_path, annot_path = sys.argv[1], sys.argv[2]
    items = int(sys.argv[3]) if len(sys.argv) > 3 else ITEMS
    rng = random.Random(12625)
    ids = [f"{1000 + i}_at" if i % 7 else f"{1000 + i}_s_at" for i in range(items)]
    with open(data_path, "w") as f:
        f.write("ID\tNAME\t" + "\t".join(f"S{j:03d}" for j in range(VALUES)) + "\n")
        for i, ident in enumerate(ids):
            values = "\t".join(f"{rng.gauss(7.0, 1.5):.4f}" for _ in range(VALUES))
            f.write(f"{ident}\tG{i}\t{values}\n")

    headers = ["Probe Set ID", "GeneChip Array", "Species Scientific Name", "Annotation Date", "Sequence Type",
               "Sequence Source", "Transcript ID(Array Design)", "Target Description",
               "Representative Public ID", "Archival UniGene Cluster", "UniGene ID", "Genome Version",
               "Alignments", "Gene Title", "Gene Symbol", "Chromosomal Location", "Unigene Cluster Type",
               "Ensembl", "Entrez Gene", "SwissProt", "EC", "OMIM", "RefSeq Protein ID", "RefSeq Transcript ID",
               "FlyBase", "AGI", "WormBase", "MGI Name", "RGD Name", "SGD accession number",
               "Gene Ontology Biological Process", "Gene Ontology Cellular Component",
               "Gene Ontology Molecular Function", "Pathway", "InterPro", "Trans Membrane", "QTL",
               "Annotation Description", "Annotation Transcript Cluster", "Transcript Assignments"]
    assert len(headers) == COLUMNS
    words = ["regulation", "protein", "binding", "kinase", "activity", "transport", "cell", "membrane",
             "signal", "transduction", "nucleus", "phosphorylation", "receptor", "complex", "process"]

    def phrase(n):
        return " ".join(rng.choice(words) for _ in range(n))

    def go_cell():
        parts = [f"GO:{rng.randrange(1, 99999):07d} // {phrase(4)} // inferred from {phrase(2)}"
                 for _ in range(rng.randrange(1, 8))]
        return " /// ".join(parts)

    def cell(c, i, ident):
        h = headers[c]
        if c == 0:
            return ident
        if h.startswith("Gene Ontology"):
            return go_cell()
        if h in ("Gene Title", "Target Description", "Annotation Description", "Transcript Assignments"):
            return f"{phrase(5)}, {phrase(3)}"
        if h == "Gene Symbol":
            return f"SYM{i}"
        if h in ("UniGene ID", "SwissProt", "RefSeq Protein ID", "RefSeq Transcript ID", "Ensembl"):
            return " /// ".join(f"{h[:2].upper()}{rng.randrange(100000)}" for _ in range(rng.randrange(1, 4)))
        if rng.random() < 0.3:
            return "---"
        return phrase(rng.randrange(1, 4))

    # Items 0, 50, 100, ... have no line; a few lines name no item.
    lines = [ident for i, ident in enumerate(ids) if i % 50] + [f"AFFX-extra-{k}_at" for k in range(40)]
    rng.shuffle(lines)
    index = {ident: i for i, ident in enumerate(ids)}
    with open(annot_path, "w") as f:
        f.write(",".join(f'"{h}"' for h in headers) + "\n")
        for ident in lines:
            i = index.get(ident, -1)
            f.write(",".join(f'"{cell(c, i, ident)}"' for c in range(COLUMNS)) + "\n")


if __name__ == "__main__":
    main()
