#include "cli/DocumentOptions.h"

#include <cstdio>
#include <cstdlib>

#include "app/CArxDoc.h"
#include "data/CellValue.h"

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

bool parseNumber(const std::string& s, double& out)
{
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == '\0';
}

void addClusteringOptions(CLI::App& cmd, DocumentOptions& o)
{
    const char* group = "Clustering options";
    cmd.add_flag("--rows", o.rows, "cluster the rows (with neither --rows nor --columns: both)")->group(group);
    cmd.add_flag("--columns", o.columns, "cluster the columns")->group(group);
    addChoice(cmd, "--linkage", o.clustering.linkage, {"average", "average-group", "complete", "single", "1by1"},
              "how clusters are joined (default average)")
        ->group(group);
    addChoice(cmd, "--measure", o.clustering.measure, {"pearson", "euclidean", "manhattan", "matching"},
              "the similarity measure (default pearson)")
        ->group(group);
    cmd.add_flag_callback("--uncentered", [&o] { o.clustering.centered = false; }, "Pearson's correlation uncentered")
        ->group(group);
    cmd.add_flag("--absolute", o.clustering.absolute, "the absolute value of the correlation")->group(group);
    cmd.add_flag("--pvalue-weights", o.clustering.pValueWeights, "weigh the values by their p-values")->group(group);
    addChoice(cmd, "--arrangement", o.clustering.arrangement, {"redder", "small"},
              "the child kept on the right: the redder or the smaller (default redder)")
        ->group(group);
    cmd.add_option_function<std::string>(
           "--use-columns", [&o](const std::string& v) { o.useColumns = splitCommas(v); },
           "cluster on these value columns only (any case)")
        ->type_name("NAME,...")
        ->group(group);
    cmd.add_option("--row-matrix", o.rowMatrix, "the rows' similarities from a matrix file")
        ->type_name("FILE")
        ->group(group);
    cmd.add_option("--column-matrix", o.columnMatrix, "the columns' similarities from a matrix file")
        ->type_name("FILE")
        ->group(group);
    addLoadOptions(cmd, o.load);
}

bool openDocument(CArxDoc& doc, const std::string& command, const DocumentOptions& o)
{
    const std::optional<bool> sequence = readsAsSequenceFile(o.file);
    if (!sequence) {
        std::fprintf(stderr, "arbolix-cli %s: cannot read %s\n", command.c_str(), o.file.c_str());
        return false;
    }
    if (!doc.readDataFile(o.file, o.load.log, o.load.direction, o.load.method, o.load.lo, o.load.hi, *sequence)) {
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
