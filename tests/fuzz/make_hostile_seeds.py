#!/usr/bin/python3
"""Writes the hand-made hostile inputs into the fuzz targets' seed corpora:
files that are not tables, lines wider or narrower than their header, values
too large to represent, CSV quotes left open or stray, ontologies whose links
form cycles or whose depth jumps, result trees that do not fit their items.
The result seeds are derived from the real ones in corpus/ (run after
make_corpus.sh, which calls this at its end)."""
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, "corpus")


def put(folder, name, content):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(content if isinstance(content, bytes) else content.encode())


data = os.path.join(corpus, "fuzz_load_data_file")
put(data, "hostile_binary.txt", b"\x7fELF\x02\x01\x01" + b"\0" * 40 + b"ID\tA\n")
put(data, "hostile_control.txt", bytes(range(1, 9)) * 64 + b"\n")
put(data, "hostile_passwd.txt", "root:x:0:0:root:/root:/bin/bash\nbin:x:2:2::/:\n")
put(data, "hostile_one_line.txt", "x" * 3000)
put(data, "hostile_widths.txt", "ID\tA\tB\tC\ni1\t1\t2\t3" + "\t7" * 200 + "\ni2\t1\n\ni3\t1\t2\t3\t\n")
put(data, "hostile_large.txt", "ID\tA\tB\ni1\t1" + "0" * 308 + "\t1e400\ni2\t-9" + "9" * 320 + ".5\t0." + "0" * 400 + "1\n")
put(data, "hostile_quotes.csv", 'ID,A,B\n"i1",1,2\n"i2,3,4\ni3,4"5,6",7\n')

annotation = os.path.join(here, "annotation_corpus")
put(annotation, "hostile_quotes.csv",
    '"Probe Set ID","Gene Title","Gene Symbol"\n"i1","first ""one""", "G1"\n"i2","second,G2\n"i3",thi"rd,G3",x\n')
put(annotation, "hostile_widths.txt", "Probe Set ID\tGene Title\nAFFX-1\tt1\textra\tcells\nAFFX-2\n")

obo = os.path.join(here, "go_obo_corpus")
def term(n, parents):
    return "[Term]\nid: GO:%07d\nname: t%d\nnamespace: biological_process\n%s\n" % (n, n, parents)
put(obo, "hostile_cycle.obo", "format-version: 1.2\n\n" + term(1, "is_a: GO:0000003\n") +
    term(2, "relationship: part_of GO:0000001\n") + term(3, "is_a: GO:0000002\n"))
put(obo, "hostile_self.obo", "format-version: 1.2\n\n" + term(1, "is_a: GO:0000001\n"))

flat = os.path.join(here, "go_flat_corpus")
put(flat, "hostile_jump.ontology", "$Gene_Ontology ; GO:0003673\n <biological_process ; GO:0008150\n"
    "  %one ; GO:0000001\n       %two ; GO:0000002\n  %three ; GO:0000003\n")
put(flat, "hostile_cycle.ontology", "  %one ; GO:0000001\n   %two ; GO:0000002\n  %two ; GO:0000002\n"
    "   %one ; GO:0000001\n")
put(flat, "hostile_self.ontology", "  %one ; GO:0000001\n   %one ; GO:0000001\n")

lists = os.path.join(corpus, "fuzz_item_list")
put(lists, "hostile_binary", b"i1\n\0\0\0\x01i2\n")

# Result seeds: the real ones with one line changed.
def parts(path):
    with open(path, "rb") as f:
        return f.read().split(b"\x01")

result = os.path.join(corpus, "fuzz_import_result")
both = os.path.join(result, "both_trees")
if os.path.exists(both):
    dat, rcr, ccr = parts(both)[:3]
    lines = rcr.split(b"\n")
    first = lines[0].split(b"\t")
    for name, child in [("leaf99", b"LEAF99"), ("brch500", b"BRCH500"), ("self", first[0]),
                        ("negative", b"LEAF-1"), ("overflow", b"LEAF99999999999")]:
        changed = b"\t".join([first[0], child] + first[2:])
        put(result, "hostile_" + name, b"\x01".join([dat, b"\n".join([changed] + lines[1:]), ccr]))

treeview = os.path.join(corpus, "fuzz_import_treeview")
both = os.path.join(treeview, "both_trees")
if os.path.exists(both):
    cdt, gtr, atr = parts(both)[:3]
    lines = cdt.split(b"\n")
    longer = list(lines)
    longer[5] += b"\t9\t9\t9\t9\t9"
    put(treeview, "hostile_long_row", b"\x01".join([b"\n".join(longer), gtr, atr]))
    shorter = list(lines)
    shorter[5] = b"\t".join(shorter[5].split(b"\t")[:-5])
    put(treeview, "hostile_short_row", b"\x01".join([b"\n".join(shorter), gtr, atr]))
    header = list(lines)
    header[0] = b"\t".join(header[0].split(b"\t")[:-5])
    put(treeview, "hostile_short_header", b"\x01".join([b"\n".join(header), gtr, atr]))
