// arbolix-cli import: reads a clustering result back and summarises it.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "cli/CliCommand.h"
#include "cluster/Similarity.h"
#include "data/DataMatrix.h"

namespace {

struct {
    std::string file;
    float minSimilarity = 0.5f;
} o;

void declare(CLI::App& cmd)
{
    cmd.add_option("FILE", o.file, "the result's BASE.dat or TreeView's BASE.cdt")->required()->type_name("");
    cmd.add_option("--min-sim", o.minSimilarity, "cut both trees at minimum similarity S (default 0.5)")
        ->type_name("S")
        ->check(numberIn(0, 1));
}

void printTree(const char* label, CForest* forest, float s)
{
    if (!forest || !forest->hasTree()) {
        std::printf("%s: not clustered\n", label);
        return;
    }
    forest->cut(s);
    std::printf("%s: %s\n", label, cutStatisticsText(*forest, s).c_str());
}

int run()
{
    const std::string& file = o.file;
    const float s = o.minSimilarity;
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

CliRegistrar reg{{"import",
                  "Read a clustering result back and summarise it.\n\n"
                  "Reads a clustering result (BASE.dat with BASE.rcr, BASE.ccr and BASE.wts when present, or\n"
                  "TreeView's BASE.cdt with BASE.gtr and BASE.atr) and prints how it was made and both trees' cut\n"
                  "statistics at S.",
                  &declare, &run}};

} // namespace
