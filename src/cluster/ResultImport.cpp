// Reading a clustering result back: the .dat (header, leaf numbers, data
// block), the .wts, and the two tree files, every part checked before
// anything is built so that a damaged file is refused whole.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unordered_set>

#include "cluster/ClusterPartition.h"
#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "cluster/ResultImportTable.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"
#include "platform/ReadReport.h"

namespace {

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// "LEAF%d" with a decimal number below `limit`.
bool parseLeaf(std::string_view text, int limit, int& number)
{
    text = stripBlanks(text);
    if (text.size() < 5 || text.size() > 14 || text.substr(0, 4) != "LEAF")
        return false;
    long long v = 0;
    for (char c : text.substr(4)) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v >= limit)
        return false;
    number = static_cast<int>(v);
    return true;
}

bool parseNumber(std::string_view text, double& out)
{
    text = stripBlanks(text);
    if (text.empty())
        return false;
    const std::string s(text);
    char* end = nullptr;
    out = std::strtod(s.c_str(), &end);
    return end != s.c_str() && *end == '\0' && std::isfinite(out);
}

struct Refusal {
    std::string text;
    explicit operator bool() const { return !text.empty(); }
};

Refusal refuse(const std::string& path, int line, const std::string& what)
{
    return {ReadReport::refusal(path, line, what)};
}

// Leaf numbers of `count` cells: each "LEAF%d", below count, none twice.
template <typename CellAt, typename LineOf>
Refusal checkLeaves(const std::string& path, int count, CellAt cellAt, LineOf lineOf, std::vector<int>& numbers)
{
    numbers.assign(static_cast<size_t>(count), -1);
    std::vector<char> used(static_cast<size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const std::string_view text = cellAt(i);
        int number = 0;
        if (!parseLeaf(text, count, number))
            return refuse(path, lineOf(i),
                          "\"" + std::string(text) + "\" is not a leaf number (LEAF0 to LEAF" + std::to_string(count - 1) +
                              ")");
        if (used[static_cast<size_t>(number)])
            return refuse(path, lineOf(i), strFormat("LEAF%d appears twice", number));
        used[static_cast<size_t>(number)] = 1;
        numbers[static_cast<size_t>(i)] = number;
    }
    return {};
}

// The .wts beside the .dat: "LeafID" and the column leaves, then one line
// per item with its leaf and one number per column.
Refusal checkWeights(const std::string& path, const std::vector<int>& rowLeaves, const std::vector<int>& columnLeaves)
{
    TableFile table;
    const int lines = table.readTable(path, nullptr, 0);
    if (lines < 0)
        return refuse(path, 0, table.error().empty() ? std::string("the file cannot be read") : table.error());
    const int nr = static_cast<int>(rowLeaves.size()), nc = static_cast<int>(columnLeaves.size());
    if (lines != nr + 1)
        return refuse(path, std::min(lines, nr + 1) + (lines < nr + 1 ? 0 : 1),
                      strFormat("%d lines where %d items need %d", lines, nr, nr + 1));
    if (table.widestFieldCount() != nc + 1)
        return refuse(path, 1, strFormat("%d cells per line where %d columns need %d", table.widestFieldCount(), nc, nc + 1));
    if (upperStripped(table.cell(0, 0)) != "LEAFID")
        return refuse(path, 1, "the first line must begin with \"LeafID\"");
    for (int k = 0; k < nc; ++k) {
        int number = -1;
        if (!parseLeaf(table.cell(0, static_cast<size_t>(k) + 1), 0x7fffffff, number) ||
            number != columnLeaves[static_cast<size_t>(k)])
            return refuse(path, 1, strFormat("column %d is not LEAF%d as in the .dat", k + 1, columnLeaves[static_cast<size_t>(k)]));
    }
    for (int r = 0; r < nr; ++r) {
        int number = -1;
        if (!parseLeaf(table.cell(r + 1, 0), 0x7fffffff, number) || number != rowLeaves[static_cast<size_t>(r)])
            return refuse(path, r + 2, strFormat("the item is not LEAF%d as in the .dat", rowLeaves[static_cast<size_t>(r)]));
        for (int k = 0; k < nc; ++k) {
            double w = 0.0;
            const std::string_view cell = table.cell(r + 1, static_cast<size_t>(k) + 1);
            if (!parseNumber(cell, w) || (w != -1.0 && (w < 0.0 || w > 1.0)))
                return refuse(path, r + 2, "\"" + std::string(cell) + "\" is not a weight (0 to 1, or -1 for missing)");
        }
    }
    return {};
}

bool transform(DataMatrix& data, const ResultHeader& h)
{
    data.computeStatistics(false, true);
    const bool normalise = !h.sequence && !h.originalValues && h.normDirection >= 0 && h.normMethod >= 0;
    // The normalisation computes the current values from the original ones
    // on its own, so a logarithm before it would only be overwritten.
    if (h.logTransformed && !h.sequence && !normalise)
        data.takeLog(1);
    if (normalise && !data.normalize(false, h.normDirection, h.normMethod, h.lo, h.hi))
        return false;
    data.computeStatistics(false, false);
    return true;
}

} // namespace

std::unique_ptr<ImportedResult> importResult(const std::string& datPath)
{
    TableFile table;
    {
        ProgressScope progress("Progress", "Reading the clustering result files");
        if (table.readTable(datPath, &progress.get(), 0) < 0) {
            if (table.refused())
                ReadReport::refuse(datPath, 0, table.error());
            else if (!progress->cancelled())
                showMessage(strFormat("Cannot open the file : %s", datPath.c_str()));
            return nullptr;
        }
    }
    ResultTables tables;
    tables.datPath = datPath;
    const std::string base = DataMatrix::withoutExtension(datPath);
    tables.weightsPath = base + ".wts";
    tables.rowTreePath = base + ".rcr";
    tables.columnTreePath = base + ".ccr";
    return importResultTable(table, tables);
}

std::unique_ptr<ImportedResult> importResultTable(TableFile& table, const ResultTables& tables)
{
    const std::string& datPath = tables.datPath;
    auto result = std::make_unique<ImportedResult>();
    auto fail = [&](const Refusal& r) -> std::unique_ptr<ImportedResult> {
        showMessage(r.text);
        return nullptr;
    };
    const int lines = table.lineCount();
    if (lines < 5)
        return fail(refuse(datPath, lines + 1, "the file ends before its first item"));
    if (upperStripped(table.cell(1, 0)) != "CLUSTER ID")
        return fail(refuse(datPath, 2, "the line of the column clusters (\"CLUSTER ID\") is missing"));
    if (upperStripped(table.cell(2, 0)) != "CLUSTER ID" || upperStripped(table.cell(2, 1)) != "LEAF ID")
        return fail(refuse(datPath, 3, "the line of the column leaves (\"CLUSTER ID\", \"LEAF ID\") is missing"));
    if (upperStripped(table.cell(3, 0)) != "NAME")
        return fail(refuse(datPath, 4, "the line of the column names (\"NAME\") is missing"));

    std::string error;
    if (tables.header)
        result->header = *tables.header;
    else if (!parseHeaderCells(table.lineStrings(0), result->header, error))
        return fail(refuse(datPath, 1, error));
    const ResultHeader& h = result->header;

    // The header rows actually present decide where the items begin.
    int firstData = 4;
    for (int l = 4; l <= 6 && l < lines; ++l) {
        const std::string key = upperStripped(table.cell(l, 0));
        if (key == "CID" || key == "FIELDTYPE" || key == "WEIGHT" || key == "EWEIGHT")
            firstData = l + 1;
        else
            break;
    }
    if (firstData >= lines)
        return fail(refuse(datPath, firstData + 1, "the file has no item lines"));
    const int nr = lines - firstData;

    // Column leaves: the non-empty cells of line 2 from cell 4 on.
    int nc = 0;
    while (static_cast<size_t>(4 + nc) < static_cast<size_t>(table.widestFieldCount()) &&
           !stripBlanks(table.cell(2, static_cast<size_t>(4 + nc))).empty())
        ++nc;
    for (int i = 4 + nc; i < table.widestFieldCount(); ++i)
        if (!stripBlanks(table.cell(2, static_cast<size_t>(i))).empty())
            return fail(refuse(datPath, 3, strFormat("an empty column leaf before cell %d", i + 1)));
    if (nc < 1)
        return fail(refuse(datPath, 3, "the result has no columns"));
    std::vector<int> columnLeaves, rowLeaves;
    if (Refusal r = checkLeaves(
            datPath, nc, [&](int i) { return table.cell(2, static_cast<size_t>(4 + i)); }, [](int) { return 3; },
            columnLeaves))
        return fail(r);
    if (Refusal r = checkLeaves(
            datPath, nr, [&](int i) { return table.cell(firstData + i, 1); }, [&](int i) { return firstData + i + 1; },
            rowLeaves))
        return fail(r);
    const bool hasWeights = !tables.weightsPath.empty() && fileExists(tables.weightsPath);
    if (hasWeights)
        if (Refusal r = checkWeights(tables.weightsPath, rowLeaves, columnLeaves))
            return fail(r);

    // The data block.
    result->data = std::make_unique<DataMatrix>();
    DataMatrix& data = *result->data;
    if (!data.loadClusterTable(table, datPath, hasWeights))
        return nullptr;
    if (data.m_nColumns != nc || data.m_nRows != nr || static_cast<int>(data.m_arrColumnFields.size()) != nc)
        return fail(refuse(datPath, 5, strFormat("%d value columns for %d column leaves", data.m_nColumns, nc)));
    for (int k = 0; k < nc; ++k)
        if (data.m_arrColumnFields[static_cast<size_t>(k)] != static_cast<unsigned>(k + 2))
            return fail(refuse(datPath, 5, strFormat("value column %d is not in the place of its leaf", k + 1)));
    data.m_nWeightType = h.weightType > 0 ? h.weightType : hasWeights ? 1 : 0;
    data.m_strName = h.title.empty() ? DataMatrix::dataSetName(datPath) : h.title;
    // The column weights of the WEIGHT row (the typed block keeps them too).
    for (int l = 4; l < firstData; ++l)
        if (const std::string key = upperStripped(table.cell(l, 0)); key == "WEIGHT" || key == "EWEIGHT")
            for (int k = 0; k < nc; ++k) {
                double w = 1.0;
                if (!parseNumber(table.cell(l, static_cast<size_t>(k) + 4), w))
                    return fail(refuse(datPath, l + 1, strFormat("the weight of column %d is not a number", k + 1)));
                data.columnField(k)->m_fWeight = static_cast<float>(w);
            }
    const ReadReport datReport = table.report();
    table.clear();
    if (!transform(data, h))
        return nullptr;

    // Forests over the rows and columns in the exported order; the leaves
    // keep the data indices they had.
    if (!makeForestPair(data, result->rows, result->columns))
        return nullptr;
    CForest& rows = *result->rows;
    CForest& columns = *result->columns;
    if (!rows.setLeafDataIndices(rowLeaves) || !columns.setLeafDataIndices(columnLeaves))
        return nullptr;
    rows.m_bPValueWeights = columns.m_bPValueWeights = h.pValueWeights;
    if (h.measure >= 0) {
        rows.selectMeasure(h.measure);
        columns.selectMeasure(h.measure);
    }

    // A tree file that does not fit the items refuses the whole result: a
    // result without the tree it names is not what was saved.
    std::string treeError;
    if (readTree(rows, tables.rowTreePath, &treeError, tables.rowLeaves)) {
        result->rowsClustered = true;
        if (!columns.permuteProfiles(rows.applyOrder()))
            return nullptr;
    } else if (!treeError.empty()) {
        showMessage(treeError);
        return nullptr;
    } else {
        showMessage("No available gene clustering result file");
    }
    if (readTree(columns, tables.columnTreePath, &treeError, tables.columnLeaves)) {
        result->columnsClustered = true;
        if (!rows.permuteProfiles(columns.applyOrder()))
            return nullptr;
    } else if (!treeError.empty()) {
        showMessage(treeError);
        return nullptr;
    }
    auto [rm, re] = computeNormalisers(columns);
    rows.setNormalisers(rm, re);
    auto [cm, ce] = computeNormalisers(rows);
    columns.setNormalisers(cm, ce);
    datReport.report();
    return result;
}
