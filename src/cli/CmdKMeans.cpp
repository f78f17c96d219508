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

const std::string kUsage =
    std::string("kmeans FILE -k K [--init random|tree] [--rows] [--columns] [--seed N] [--min-sim S] [--original]\n"
                "      --out FILE.txt [clustering and load options of cluster]\n"
                "      k-means with K clusters over the rows (the default) and/or the columns, starting from K random\n"
                "      leaves (the clock seeds the generator unless --seed is given) or, with --init tree, from the\n"
                "      clusters of the hierarchical clustering cut at S (default 0.5); prints the cluster sizes and\n"
                "      writes the k-means export file with the transformed values, or the original ones with --original");

struct Options {
    DocumentOptions doc;
    int k = 0;
    bool tree = false;
    bool seeded = false;
    unsigned seed = 0;
    float minSimilarity = 0.5f;
    bool original = false;
    std::string out;
};

bool parse(const std::vector<std::string>& args, Options& o, std::string& error)
{
    bool haveK = false;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        auto value = [&] { return optionValue(args, i, error); };
        if (parseDocumentOption(args, i, o.doc, error))
            continue;
        double v = 0.0;
        if (a == "-k" || a == "--k") {
            if (const std::string* s = value()) {
                if (!parseNumber(*s, v) || v != static_cast<int>(v))
                    error = "-k takes a whole number";
                o.k = static_cast<int>(v);
                haveK = true;
            }
        } else if (a == "--init") {
            if (const std::string* s = value()) {
                if (*s == "tree")
                    o.tree = true;
                else if (*s != "random")
                    error = "--init takes random or tree";
            }
        } else if (a == "--seed") {
            if (const std::string* s = value()) {
                if (!parseNumber(*s, v) || v < 0 || v > 4294967295.0 || v != static_cast<double>(static_cast<unsigned>(v)))
                    error = "--seed takes a whole number from 0 to 4294967295";
                o.seed = static_cast<unsigned>(v);
                o.seeded = true;
            }
        } else if (a == "--min-sim") {
            if (const std::string* s = value()) {
                if (!parseNumber(*s, v))
                    error = "--min-sim takes a number";
                o.minSimilarity = static_cast<float>(v);
            }
        } else if (a == "--original") {
            o.original = true;
        } else if (a == "--out") {
            if (const std::string* s = value())
                o.out = *s;
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.doc.file.empty())
            o.doc.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.doc.file.empty())
        error = "no data file";
    if (error.empty() && !haveK && !o.tree)
        error = "-k is needed with a random start";
    if (error.empty() && o.out.empty())
        error = "--out FILE.txt is needed";
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = true;
    return error.empty();
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

int runKMeansCommand(const std::vector<std::string>& args)
{
    Options o;
    std::string error;
    if (!parse(args, o, error)) {
        std::fprintf(stderr, "arbolix-cli kmeans: %s\nusage: %s\n", error.c_str(), kUsage.c_str());
        return kExitUsage;
    }
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
    params.m_rows = CKMeansDirection{o.doc.rows, o.k, o.tree};
    params.m_columns = CKMeansDirection{o.doc.columns, o.k, o.tree};
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

CliRegistrar reg{{"kmeans", kUsage.c_str(), &runKMeansCommand}};

} // namespace
