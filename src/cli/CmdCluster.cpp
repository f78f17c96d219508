// arbolix-cli cluster: load, transform, cluster, cut, report and export.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "data/TableFile.h"
#include "platform/Format.h"

namespace {

struct {
    DocumentOptions doc;
    std::string orderFile, outBase;
    bool original = false;
    int format = static_cast<int>(ResultFormat::Arbolix);
    float minSimilarity = 0.5f;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    cmd.add_option("--min-sim", o.minSimilarity, "cut the dendrograms at minimum similarity S (default 0.5)")
        ->type_name("S")
        ->check(numberIn(0, 1));
    cmd.add_option("--order", o.orderFile, "write the leaf order with each leaf's cluster")->type_name("FILE");
    CLI::Option* out = cmd.add_option("--out", o.outBase, "write the clustering result to BASE.*")->type_name("BASE");
    cmd.add_flag("--original", o.original, "with --out: export the original values, not the normalized ones")->needs(out);
    addChoice(cmd, "--format", o.format, {"arbolix", "treeview", "newick"}, "with --out: the result's format (default arbolix)",
              {static_cast<int>(ResultFormat::Arbolix), static_cast<int>(ResultFormat::TreeView),
               static_cast<int>(ResultFormat::Newick)})
        ->needs(out);
    addClusteringOptions(cmd, o.doc);
}

void addOrder(TableFile& table, const char* direction, const CForest& f)
{
    const std::vector<int> clusters = f.clusterNumbers();
    for (int p = 0; p < f.m_nLeaves; ++p) {
        const int c = clusters[static_cast<size_t>(p)];
        table.addLine(std::vector<std::string>{direction, std::to_string(p), strFormat("LEAF%d", f.dataIndex(p)),
                                               f.leaf(p)->m_strName,
                                               c > 0 ? strFormat("CLUSTER%d", c) : std::string("OUTLIER")});
    }
}

int run()
{
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = o.doc.columns = true;
    const ResultFormat format = static_cast<ResultFormat>(o.format);
    CArxDoc doc;
    if (!openDocument(doc, "cluster", o.doc) || !clusterDocument(doc, "cluster", o.doc))
        return kExitFailure;
    TableFile order;
    order.addLine(std::vector<std::string>{"DIRECTION", "POSITION", "LEAF ID", "NAME", "CLUSTER ID"});
    if (o.doc.rows) {
        doc.m_pRowForest->cut(o.minSimilarity);
        std::printf("Rows: %s\n", cutStatisticsText(*doc.m_pRowForest, o.minSimilarity).c_str());
        addOrder(order, "ROW", *doc.m_pRowForest);
    }
    if (o.doc.columns) {
        doc.m_pColForest->cut(o.minSimilarity);
        std::printf("Columns: %s\n", cutStatisticsText(*doc.m_pColForest, o.minSimilarity).c_str());
        addOrder(order, "COLUMN", *doc.m_pColForest);
    }
    if (!o.orderFile.empty() && !order.writeTable(o.orderFile))
        return kExitFailure;
    if (!o.outBase.empty()) {
        if (!doc.exportResult("", o.outBase, o.original, format)) {
            std::fprintf(stderr, "arbolix-cli cluster: the result was not written completely to %s\n", o.outBase.c_str());
            return kExitFailure;
        }
        std::string files = doc.filesToSaveText(format, o.outBase);
        files.erase(std::remove(files.begin(), files.end(), '\r'), files.end());
        std::printf("%s\n", files.c_str());
    }
    return kExitOk;
}

CliRegistrar reg{{"cluster",
                  "Cluster rows and columns, cut the dendrograms, write the order and the result.\n\n"
                  "Clusters rows and/or columns (neither option: both), cuts at S and prints \"Rows: \" / \"Columns: \"\n"
                  "followed by the cut's statistics; --order writes the leaf order with each leaf's cluster\n"
                  "(CLUSTER%d or OUTLIER) as a tab-delimited table; --out writes BASE.rcr, BASE.ccr, BASE.dat (and\n"
                  "BASE.wts with per-cell weights) as File/Export Clustering Result does, with the normalized values\n"
                  "unless --original is given; --format treeview writes BASE.cdt, BASE.gtr and BASE.atr instead,\n"
                  "--format newick BASE_rows.nwk and BASE_columns.nwk.",
                  &declare, &run}};

} // namespace
