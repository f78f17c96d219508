// arbolix-cli kmeans: k-means over the rows and/or columns, exported as the
// k-means view's export file.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "platform/Format.h"

namespace {

struct {
    DocumentOptions doc;
    int k = 0;
    int tree = 0;
    unsigned seed = 0;
    bool seeded = false;
    float minSimilarity = 0.5f;
    bool original = false;
    std::string out;
    CLI::Option* kOption = nullptr;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    o.kOption = cmd.add_option("-k,--k", o.k, "the number of clusters (needed with a random start)")
                    ->type_name("K")
                    ->check(wholeNumberIn(1, 1000000));
    addChoice(cmd, "--init", o.tree, {"random", "tree"},
              "start from K random leaves or from the clusters of the hierarchical clustering cut at S");
    cmd.add_option_function<unsigned>(
           "--seed",
           [](unsigned v) {
               o.seed = v;
               o.seeded = true;
           },
           "seed the random start (default: the clock)")
        ->type_name("N")
        ->check(wholeNumberIn(0, 4294967295LL));
    cmd.add_option("--min-sim", o.minSimilarity, "the cut of --init tree (default 0.5)")
        ->type_name("S")
        ->check(numberIn(0, 1));
    cmd.add_flag("--original", o.original, "export the original values, not the transformed ones");
    cmd.add_option("--out", o.out, "the k-means export file to write")->type_name("FILE.txt")->required();
    addClusteringOptions(cmd, o.doc);
}

void printSizes(const char* label, const CForest& f)
{
    std::vector<int> sizes;
    for (int p = 0; p < f.m_nLeaves; ++p) {
        const int c = f.leaf(p)->m_nMarker1;
        if (c >= 0) {
            if (sizes.size() <= static_cast<size_t>(c))
                sizes.resize(static_cast<size_t>(c) + 1, 0);
            ++sizes[static_cast<size_t>(c)];
        }
    }
    std::string text;
    for (size_t c = 0; c < sizes.size(); ++c)
        text += strFormat("%sKCLUSTER%d=%d", c ? " " : "", static_cast<int>(c) + 1, sizes[c]);
    std::printf("%s: K = %d: %s\n", label, static_cast<int>(sizes.size()), text.c_str());
}

int run()
{
    if (!o.kOption->count() && !o.tree)
        return usageError("-k is needed with a random start");
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = true;
    CArxDoc doc;
    if (!openDocument(doc, "kmeans", o.doc))
        return kExitFailure;
    if (o.tree) {
        if (!clusterDocument(doc, "kmeans", o.doc))
            return kExitFailure;
        doc.m_pRowForest->cut(o.minSimilarity);
        doc.m_pColForest->cut(o.minSimilarity);
    }
    CKMeansParameters params;
    params.m_rows = CKMeansDirection{o.doc.rows, o.k, o.tree != 0};
    params.m_columns = CKMeansDirection{o.doc.columns, o.k, o.tree != 0};
    params.m_bSeeded = o.seeded;
    params.m_nSeed = o.seed;
    if (!doc.kMeansClustering(params))
        return kExitFailure;
    if (o.doc.rows)
        printSizes("Rows", *doc.m_pRowForest);
    if (o.doc.columns)
        printSizes("Columns", *doc.m_pColForest);
    if (!doc.exportKMeans(o.out, o.original)) {
        std::fprintf(stderr, "arbolix-cli kmeans: cannot write %s\n", o.out.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

CliRegistrar reg{{"kmeans",
                  "K-means clustering of the rows or columns, written as the k-means export file.\n\n"
                  "K-means with K clusters over the rows (the default) and/or the columns, starting from K random\n"
                  "leaves (the clock seeds the generator unless --seed is given) or, with --init tree, from the\n"
                  "clusters of the hierarchical clustering cut at S (default 0.5); prints the cluster sizes and\n"
                  "writes the k-means export file with the transformed values, or the original ones with --original.",
                  &declare, &run}};

} // namespace
