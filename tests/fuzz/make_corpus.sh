#!/bin/sh
# Rebuilds the seed corpora of the fuzz targets from the bundled sample:
# a small slice of it (40 items x 12 columns with its CID row) as data
# files, its clustering result in every export format, and item lists.
# usage: tests/fuzz/make_corpus.sh build/src/arbolix-cli
set -e
cli=${1:-build/src/arbolix-cli}
here=$(cd "$(dirname "$0")" && pwd)
sample="$here/../../data/samples/all_leukemia_top2000.txt"
out="$here/corpus"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rm -rf "$out"
mkdir -p "$out/fuzz_load_data_file" "$out/fuzz_import_result" "$out/fuzz_import_treeview" "$out/fuzz_item_list"

# The slice, with a missing cell and p-values beside a copy.
head -n 42 "$sample" | cut -f 1-14 > "$tmp/small.txt"
awk -F'\t' 'BEGIN{OFS=","} {$1=$1; print}' "$tmp/small.txt" > "$tmp/small.csv"
awk -F'\t' 'BEGIN{OFS="\t"} NR==5{$4=""} {print}' "$tmp/small.txt" > "$tmp/gap.txt"
awk -F'\t' 'BEGIN{OFS="\t"} NR==1{print; next} NR==2{next} {for(i=3;i<=NF;i++) $i=sprintf("%.3f",(NR*i%97)/97); print}' \
    "$tmp/small.txt" > "$tmp/pv.pvl"
printf 'protein sequence\tNAME\tSEQUENCE\np1\tone\tMKVLAAGIVG\np2\ttwo\tMKVLSAGLVA\n' > "$tmp/seq.txt"
cp "$tmp/small.txt" "$tmp/small.csv" "$tmp/seq.txt" "$out/fuzz_load_data_file/"

"$cli" cluster "$tmp/gap.txt" --out "$tmp/r" > /dev/null
"$cli" cluster "$tmp/gap.txt" --out "$tmp/t" --format treeview > /dev/null
"$cli" cluster "$tmp/gap.txt" --rows --out "$tmp/g" --format treeview > /dev/null
"$cli" cluster "$tmp/gap.txt" --out "$tmp/n" --format newick > /dev/null
cp "$tmp/gap.txt" "$tmp/pv.txt"
"$cli" filter "$tmp/pv.txt" --pvalue 0.5 --present 10 --out "$tmp/kept.exp" > /dev/null || true
cp "$tmp/r.dat" "$tmp/t.cdt" "$tmp/n_rows.nwk" "$out/fuzz_load_data_file/"
[ -f "$tmp/kept.exp" ] && cp "$tmp/kept.exp" "$out/fuzz_load_data_file/"

join01() { # files... -> stdout, joined by the byte 0x01
    first=1
    for f in "$@"; do
        [ $first = 1 ] || printf '\001'
        first=0
        [ -f "$f" ] && cat "$f"
    done
}
join01 "$tmp/r.dat" "$tmp/r.rcr" "$tmp/r.ccr" > "$out/fuzz_import_result/both_trees"
join01 "$tmp/r.dat" "$tmp/r.rcr" > "$out/fuzz_import_result/row_tree"
"$cli" cluster "$tmp/pv.txt" --out "$tmp/p" > /dev/null
join01 "$tmp/p.dat" "$tmp/p.rcr" "$tmp/p.ccr" "$tmp/p.wts" > "$out/fuzz_import_result/with_weights"
join01 "$tmp/t.cdt" "$tmp/t.gtr" "$tmp/t.atr" > "$out/fuzz_import_treeview/both_trees"
join01 "$tmp/g.cdt" "$tmp/g.gtr" > "$out/fuzz_import_treeview/gene_tree"

cut -f 1 "$tmp/small.txt" | sed -n '3,20p' > "$tmp/list.txt"
cut -f 1 "$tmp/small.txt" | sed -n '12,30p' > "$tmp/list2.txt"
join01 "$tmp/list.txt" "$tmp/list2.txt" > "$out/fuzz_item_list/two_lists"
join01 "$tmp/kept.exp" "$tmp/list.txt" > "$out/fuzz_item_list/saved_and_plain"
cp "$tmp/list.txt" "$out/fuzz_load_data_file/list.txt"
du -sh "$out"
/usr/bin/python3 "$here/make_hostile_seeds.py"
