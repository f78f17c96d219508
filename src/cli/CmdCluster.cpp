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

const std::string kUsage = std::string("cluster FILE ") + kClusteringOptionsUsage +
                           "\n      [--min-sim S] [--order FILE] [--out BASE [--original] [--format arbolix|treeview|newick]]\n"
                           "      clusters rows and/or columns (neither option: both), cuts at S (default 0.5) and prints\n"
                           "      \"Rows: \" / \"Columns: \" followed by the cut's statistics; --order writes the leaf order\n"
                           "      with each leaf's cluster (CLUSTER%d or OUTLIER) as a tab-delimited table; --out writes\n"
                           "      BASE.rcr, BASE.ccr, BASE.dat (and BASE.wts with per-cell weights) as File/Export\n"
                           "      Clustering Result does, with the normalized values unless --original is given;\n"
                           "      --format treeview writes BASE.cdt, BASE.gtr and BASE.atr instead, --format newick\n"
                           "      BASE_rows.nwk and BASE_columns.nwk";

struct Options {
    DocumentOptions doc;
    std::string orderFile, outBase;
    bool original = false;
    bool formatGiven = false;
    ResultFormat format = ResultFormat::Arbolix;
    float minSimilarity = 0.5f;
};

bool parse(const std::vector<std::string>& args, Options& o, std::string& error)
{
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        auto value = [&] { return optionValue(args, i, error); };
        if (parseDocumentOption(args, i, o.doc, error))
            continue;
        if (a == "--order") {
            if (const std::string* v = value())
                o.orderFile = *v;
        } else if (a == "--out") {
            if (const std::string* v = value())
                o.outBase = *v;
        } else if (a == "--format") {
            if (const std::string* v = value()) {
                o.formatGiven = true;
                if (*v == "arbolix")
                    o.format = ResultFormat::Arbolix;
                else if (*v == "treeview")
                    o.format = ResultFormat::TreeView;
                else if (*v == "newick")
                    o.format = ResultFormat::Newick;
                else
                    error = "--format takes arbolix, treeview or newick";
            }
        } else if (a == "--original") {
            o.original = true;
        } else if (a == "--min-sim") {
            if (const std::string* v = value()) {
                double s = 0.0;
                if (!parseNumber(*v, s))
                    error = "--min-sim takes a number";
                o.minSimilarity = static_cast<float>(s);
            }
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.doc.file.empty())
            o.doc.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.doc.file.empty())
        error = "no data file";
    if (error.empty() && o.original && o.outBase.empty())
        error = "--original needs --out";
    if (error.empty() && o.formatGiven && o.outBase.empty())
        error = "--format needs --out";
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = o.doc.columns = true;
    return error.empty();
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

int runCluster(const std::vector<std::string>& args)
{
    Options o;
    std::string error;
    if (!parse(args, o, error)) {
        std::fprintf(stderr, "arbolix-cli cluster: %s\nusage: %s\n", error.c_str(), kUsage.c_str());
        return kExitUsage;
    }
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
        if (!doc.exportResult("", o.outBase, o.original, o.format)) {
            std::fprintf(stderr, "arbolix-cli cluster: the result was not written completely to %s\n", o.outBase.c_str());
            return kExitFailure;
        }
        std::string files = doc.filesToSaveText(o.format, o.outBase);
        files.erase(std::remove(files.begin(), files.end(), '\r'), files.end());
        std::printf("%s\n", files.c_str());
    }
    return kExitOk;
}

CliRegistrar reg{{"cluster", kUsage.c_str(), &runCluster}};

} // namespace
