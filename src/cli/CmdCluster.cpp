// arbolix-cli cluster: load, transform, cluster, cut and report.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/LoadOptions.h"
#include "cluster/ClusterPartition.h"
#include "cluster/PrecomputedMatrix.h"
#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"

namespace {

const char* const kUsage =
    "cluster FILE [--rows] [--columns] [--linkage average|average-group|complete|single|1by1]\n"
    "      [--measure pearson|euclidean|manhattan|matching] [--uncentered] [--absolute] [--pvalue-weights]\n"
    "      [--arrangement redder|small] [--use-columns NAME,...] [--row-matrix FILE] [--column-matrix FILE]\n"
    "      [--log] [--normalize row|column] [--method 0..3] [--scale LO HI] [--min-sim S] [--order FILE]\n"
    "      clusters rows and/or columns (neither option: both), cuts at S (default 0.5) and prints\n"
    "      \"Rows: \" / \"Columns: \" followed by the cut's statistics; --order writes the leaf order\n"
    "      with each leaf's cluster (CLUSTER%d or OUTLIER) as a tab-delimited table";

struct Options {
    std::string file;
    bool rows = false, columns = false;
    ClusteringOptions clustering;
    std::vector<std::string> useColumns;
    std::string rowMatrix, columnMatrix, orderFile;
    float minSimilarity = 0.5f;
    LoadOptions load;
};

int pick(const std::string& value, std::initializer_list<const char*> names)
{
    int i = 0;
    for (const char* n : names) {
        if (value == n)
            return i;
        ++i;
    }
    return -1;
}

std::vector<std::string> splitCommas(const std::string& s)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        const size_t comma = s.find(',', start);
        const std::string part = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!part.empty())
            out.push_back(part);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return out;
}

bool parse(const std::vector<std::string>& args, Options& o, std::string& error)
{
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string* {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return nullptr;
            }
            return &args[++i];
        };
        if (parseLoadOption(args, i, o.load, error))
            continue;
        if (a == "--rows")
            o.rows = true;
        else if (a == "--columns")
            o.columns = true;
        else if (a == "--uncentered")
            o.clustering.centered = false;
        else if (a == "--absolute")
            o.clustering.absolute = true;
        else if (a == "--pvalue-weights")
            o.clustering.pValueWeights = true;
        else if (a == "--linkage") {
            if (const std::string* v = value()) {
                o.clustering.linkage = pick(*v, {"average", "average-group", "complete", "single", "1by1"});
                if (o.clustering.linkage < 0)
                    error = "--linkage takes average, average-group, complete, single or 1by1";
            }
        } else if (a == "--measure") {
            if (const std::string* v = value()) {
                o.clustering.measure = pick(*v, {"pearson", "euclidean", "manhattan", "matching"});
                if (o.clustering.measure < 0)
                    error = "--measure takes pearson, euclidean, manhattan or matching";
            }
        } else if (a == "--arrangement") {
            if (const std::string* v = value()) {
                o.clustering.arrangement = pick(*v, {"redder", "small"});
                if (o.clustering.arrangement < 0)
                    error = "--arrangement takes redder or small";
            }
        } else if (a == "--use-columns") {
            if (const std::string* v = value())
                o.useColumns = splitCommas(*v);
        } else if (a == "--row-matrix") {
            if (const std::string* v = value())
                o.rowMatrix = *v;
        } else if (a == "--column-matrix") {
            if (const std::string* v = value())
                o.columnMatrix = *v;
        } else if (a == "--order") {
            if (const std::string* v = value())
                o.orderFile = *v;
        } else if (a == "--min-sim") {
            if (const std::string* v = value()) {
                char* end = nullptr;
                o.minSimilarity = std::strtof(v->c_str(), &end);
                if (v->empty() || *end)
                    error = "--min-sim takes a number";
            }
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.file.empty())
        error = "no data file";
    if (!o.rows && !o.columns)
        o.rows = o.columns = true;
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
        std::fprintf(stderr, "arbolix-cli cluster: %s\nusage: %s\n", error.c_str(), kUsage);
        return kExitUsage;
    }
    DataMatrix data;
    if (!loadAndTransform(o.file, o.load, data)) {
        std::fprintf(stderr, "arbolix-cli cluster: cannot load %s\n", o.file.c_str());
        return kExitFailure;
    }
    std::unique_ptr<CForest> rows, columns;
    if (!makeForestPair(data, rows, columns)) {
        std::fprintf(stderr, "arbolix-cli cluster: %s has no values to cluster\n", o.file.c_str());
        return kExitFailure;
    }
    if (o.clustering.pValueWeights && data.m_nWeightType != 1) {
        std::fprintf(stderr, "arbolix-cli cluster: %s carries no p-values; --pvalue-weights ignored\n", o.file.c_str());
        o.clustering.pValueWeights = false;
    }
    const int checked = enableColumnsByName(*columns, o.useColumns);
    if (checked == 0) {
        showMessage("Please select at least one sample to cluster");
        return kExitFailure;
    }
    if (checked <= 2 && o.clustering.measure == kMeasurePearson) {
        showMessage("Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
                    "Please select more than 2, or choose another distance measure.");
        return kExitFailure;
    }
    o.clustering.clusterRows = o.rows;
    o.clustering.clusterColumns = o.columns;
    if (o.rows && !o.rowMatrix.empty() && !loadPrecomputedMatrix(*rows, o.rowMatrix))
        return kExitFailure;
    if (o.columns && !o.columnMatrix.empty() && !loadPrecomputedMatrix(*columns, o.columnMatrix))
        return kExitFailure;
    if (!clusterPartition(*rows, *columns, o.clustering)) {
        std::fprintf(stderr, "arbolix-cli cluster: clustering did not finish\n");
        return kExitFailure;
    }
    TableFile order;
    order.addLine(std::vector<std::string>{"DIRECTION", "POSITION", "LEAF ID", "NAME", "CLUSTER ID"});
    if (o.rows) {
        rows->cut(o.minSimilarity);
        std::printf("Rows: %s\n", cutStatisticsText(*rows, o.minSimilarity).c_str());
        addOrder(order, "ROW", *rows);
    }
    if (o.columns) {
        columns->cut(o.minSimilarity);
        std::printf("Columns: %s\n", cutStatisticsText(*columns, o.minSimilarity).c_str());
        addOrder(order, "COLUMN", *columns);
    }
    if (!o.orderFile.empty() && !order.writeTable(o.orderFile))
        return kExitFailure;
    return kExitOk;
}

CliRegistrar reg{{"cluster", kUsage, &runCluster}};

} // namespace
