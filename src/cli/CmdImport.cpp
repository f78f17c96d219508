// arbolix-cli import: reads a clustering result back and summarises it.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cluster/Similarity.h"
#include "data/DataMatrix.h"

namespace {

const char* const kUsage =
    "import BASE.dat|BASE.cdt [--min-sim S]\n"
    "      reads a clustering result (BASE.dat with BASE.rcr, BASE.ccr and BASE.wts when present, or TreeView's\n"
    "      BASE.cdt with BASE.gtr and BASE.atr) and prints\n"
    "      how it was made and both trees' cut statistics at S (default 0.5)";

void printTree(const char* label, CForest* forest, float s)
{
    if (!forest || !forest->hasTree()) {
        std::printf("%s: not clustered\n", label);
        return;
    }
    forest->cut(s);
    std::printf("%s: %s\n", label, cutStatisticsText(*forest, s).c_str());
}

int runImport(const std::vector<std::string>& args)
{
    std::string file, error;
    float s = 0.5f;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        if (args[i] == "--min-sim") {
            double v = 0.0;
            if (i + 1 >= args.size() || !parseNumber(args[i + 1], v))
                error = "--min-sim takes a number";
            s = static_cast<float>(v);
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-')
            error = "unknown option " + args[i];
        else if (file.empty())
            file = args[i];
        else
            error = "more than one result file";
    }
    if (error.empty() && file.empty())
        error = "no result file";
    if (!error.empty()) {
        std::fprintf(stderr, "arbolix-cli import: %s\nusage: %s\n", error.c_str(), kUsage);
        return kExitUsage;
    }
    CArxDoc doc;
    if (!doc.importResult(file)) {
        std::fprintf(stderr, "arbolix-cli import: cannot import %s\n", file.c_str());
        return kExitFailure;
    }
    const DataMatrix& data = *doc.mainPair()->m_pData;
    std::printf("Data: %s (%d items, %d columns)\n", doc.m_strDataName.c_str(), data.m_nRows, data.m_nColumns);
    if (doc.m_run[0].m_nLinkage < 0 && doc.m_run[0].m_nMeasure < 0)
        std::printf("Clustering: not recorded\n");  // TreeView files do not say
    else
        std::printf("Clustering: %s, %s\n", linkageDisplayName(doc.m_run[0].m_nLinkage).c_str(),
                    measureDisplayName(doc.m_run[0].m_nMeasure, doc.m_run[0].m_bCentered, doc.m_run[0].m_bAbsolute,
                                       doc.m_bUsePValueWeights)
                        .c_str());
    std::printf("Transformation: %s\n", transformationCaption(doc).c_str());
    printTree("Rows", doc.m_pRowForest, s);
    printTree("Columns", doc.m_pColForest, s);
    return kExitOk;
}

CliRegistrar reg{{"import", kUsage, &runImport}};

} // namespace
