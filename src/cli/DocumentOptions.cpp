#include "cli/DocumentOptions.h"

#include <cstdio>
#include <cstdlib>

#include "app/CArxDoc.h"
#include "data/CellValue.h"
#include "data/TableFile.h"

const char* const kClusteringOptionsUsage =
    "[--rows] [--columns] [--linkage average|average-group|complete|single|1by1]\n"
    "      [--measure pearson|euclidean|manhattan|matching] [--uncentered] [--absolute] [--pvalue-weights]\n"
    "      [--arrangement redder|small] [--use-columns NAME,...] [--row-matrix FILE] [--column-matrix FILE]\n"
    "      [--log] [--normalize row|column] [--method 0..3] [--scale LO HI]";

namespace {
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
} // namespace

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

const std::string* optionValue(const std::vector<std::string>& args, size_t& i, std::string& error)
{
    if (i + 1 >= args.size()) {
        error = args[i] + " needs a value";
        return nullptr;
    }
    return &args[++i];
}

bool parseNumber(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0';
}

bool parseDocumentOption(const std::vector<std::string>& args, size_t& i, DocumentOptions& o, std::string& error)
{
    const std::string& a = args[i];
    auto value = [&] { return optionValue(args, i, error); };
    if (parseLoadOption(args, i, o.load, error))
        return true;
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
    } else
        return false;
    return true;
}

bool openDocument(CArxDoc& doc, const std::string& command, const DocumentOptions& o)
{
    TableFile head;
    bool sequence = false;
    if (head.readTable(o.file, nullptr, 1) > 0)
        sequence = upperStripped(head.cell(0, 0)) == "PROTEIN SEQUENCE";
    else {
        std::fprintf(stderr, "arbolix-cli %s: cannot read %s\n", command.c_str(), o.file.c_str());
        return false;
    }
    if (!doc.readDataFile(o.file, o.load.log, o.load.direction, o.load.method, o.load.lo, o.load.hi, sequence)) {
        std::fprintf(stderr, "arbolix-cli %s: cannot load %s\n", command.c_str(), o.file.c_str());
        return false;
    }
    return true;
}

bool clusterDocument(CArxDoc& doc, const std::string& command, const DocumentOptions& o)
{
    CClusteringParameters params;
    params.m_options = o.clustering;
    params.m_options.clusterRows = o.rows || !o.columns;
    params.m_options.clusterColumns = o.columns || !o.rows;
    if (params.m_options.pValueWeights && !doc.m_bPValuesAvailable) {
        std::fprintf(stderr, "arbolix-cli %s: %s carries no p-values; --pvalue-weights ignored\n", command.c_str(),
                     o.file.c_str());
        params.m_options.pValueWeights = false;
    }
    const CForest* columns = doc.m_pColForest;
    std::vector<std::string> wanted;
    for (const std::string& n : o.useColumns)
        wanted.push_back(upperStripped(n));
    for (int p = 0; columns && p < columns->m_nLeaves; ++p) {
        const std::string& name = columns->leaf(p)->m_strName;
        bool checked = wanted.empty();
        for (const std::string& w : wanted)
            checked = checked || w == upperStripped(name);
        params.m_columns.push_back(CColumnChoice{name, checked});
    }
    params.m_strRowMatrix = o.rowMatrix;
    params.m_strColumnMatrix = o.columnMatrix;
    if (!doc.hierarchicalClustering(params)) {
        std::fprintf(stderr, "arbolix-cli %s: clustering did not finish\n", command.c_str());
        return false;
    }
    return true;
}
