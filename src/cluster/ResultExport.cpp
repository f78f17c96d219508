// Writing a clustering result: the tree files, the .dat in display order
// with every row's and column's cluster at the current cut, and the .wts.
#include <cmath>
#include <filesystem>
#include <unordered_map>

#include "cluster/Forest.h"
#include "cluster/LineWriter.h"
#include "cluster/ResultFiles.h"
#include "cluster/ResultLayout.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

std::string clusterCell(int number) { return number > 0 ? strFormat("CLUSTER%d", number) : std::string("OUTLIER"); }

const char* typeWord(int type)
{
    switch (type) {
    case Expression: return "EXPRESSION";
    case Integer: return "INTEGER";
    case Real: return "REAL";
    case Categorical:
    case CategoricalStr: return "CATEGORICAL";
    default: return "STRING";
    }
}

// The further text fields written after the values: every text field but
// the identifier, in field order.
std::vector<int> textFields(const DataMatrix& data)
{
    std::vector<int> out;
    for (int f = 1; f < static_cast<int>(data.m_fields.size()); ++f)
        if (data.field(f)->m_nType == String)
            out.push_back(f);
    return out;
}

} // namespace

std::string valueCell(const DataMatrix& data, const FieldInfo* field, int row, int column, bool original)
{
    if (isMissingWeight(data.weight(row, column)))
        return {};
    const float v = original ? data.orgValue(row, column) : data.value(row, column);
    if (field->isCategorical())
        return field->labelOf(static_cast<int>(data.orgValue(row, column)));
    if (field->m_nType == Integer && original && std::nearbyint(v) == v && std::fabs(v) < 2.0e9f)
        return strFormat("%d", static_cast<int>(v));
    return strFormat("%f", static_cast<double>(v));
}

bool askOverwrite(const std::string& path)
{
    return !resultPathExists(path) ||
           messages().question(path + " already exists. Do you want to overwrite it?", "Overwrite?") == Answer::Yes;
}

bool hasCellWeights(const DataMatrix& data) { return data.m_nWeightType > 0; }

std::vector<int> displayColumns(const CForest& columns)
{
    const int nc = columns.m_nLeaves;
    std::vector<int> columnOf(static_cast<size_t>(nc));
    std::unordered_map<const CNode*, int> local;
    for (int k = 0; k < nc; ++k)
        local.emplace(columns.m_pOrgNodes[static_cast<size_t>(k)], k);
    for (int p = 0; p < nc; ++p)
        columnOf[static_cast<size_t>(p)] = local[columns.leaf(p)];
    return columnOf;
}

bool exportItemLines(int count, const std::function<void(int)>& fn)
{
    ProgressScope progress("Progress", "Exporting the clustering result...");
    progress->setRange(0, count);
    const int interval = progressInterval(count);
    for (int p = 0; p < count; ++p) {
        if (p % interval == 0) {
            progress->setPosition(p);
            progress->pump();
            if (progress->cancelled())
                return false;
        }
        fn(p);
    }
    progress->setPosition(count);
    return true;
}

bool resultPathExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string filesToSaveText(const std::string& name, bool rowsClustered, bool columnsClustered, bool cellWeights,
                            bool geneArrayWording)
{
    if (!rowsClustered && !columnsClustered)
        return "Nothing to export!";
    std::string text;
    if (rowsClustered)
        text += name + (geneArrayWording ? ".rcr\t: Gene Clustering Result\r\n" : ".rcr\t: Row Clustering Result\r\n");
    if (columnsClustered)
        text += name +
                (geneArrayWording ? ".ccr\t: Array Clustering Result\r\n" : ".ccr\t: Column Clustering Result\r\n");
    text += name + ".dat\t: Raw Data";
    if (cellWeights)
        text += "\r\n" + name + ".wts\t: Weights Data";
    return text;
}

bool exportResult(const ExportSource& source, const std::string& folder, const std::string& fileName)
{
    return exportResult(source, (std::filesystem::path(folder) / fileName).string());
}

bool ExportSource::complete() const
{
    return rows && columns && data && rows->m_nLeaves == data->m_nRows && columns->m_nLeaves == data->m_nColumns;
}

bool exportResult(const ExportSource& s, const std::string& base)
{
    if (!s.complete())
        return false;
    const CForest& rows = *s.rows;
    const CForest& columns = *s.columns;
    const DataMatrix& data = *s.data;
    bool complete = true;
    if (s.rowsClustered && rows.hasTree())
        complete = writeTree(rows, base + ".rcr") && complete;
    if (s.columnsClustered && columns.hasTree())
        complete = writeTree(columns, base + ".ccr") && complete;

    const std::string datPath = base + ".dat";
    if (!askOverwrite(datPath))
        return false;
    LineWriter dat;
    if (!dat.open(datPath)) {
        showMessage("Error in opening the file");
        return false;
    }
    const bool weights = hasCellWeights(data);
    const std::string wtsPath = base + ".wts";
    LineWriter wts;
    if (weights) {
        if (!askOverwrite(wtsPath)) {
            dat.close();
            return false;
        }
        if (!wts.open(wtsPath)) {
            dat.close();
            showMessage("Error in opening the file");
            return false;
        }
    }

    ResultHeader header = s.header;
    if (header.normDirection < 0)
        header.originalValues = true;
    const bool original = header.originalValues;
    const int nc = columns.m_nLeaves;
    const std::vector<int> columnClusters = columns.clusterNumbers();
    const std::vector<int> rowClusters = rows.clusterNumbers();
    // The value column of `data` shown at each position: the local index of
    // the leaf there (its data index may point into a larger matrix).
    const std::vector<int> columnOf = displayColumns(columns);

    dat.line(headerCells(header));
    std::vector<std::string> cells{"CLUSTER ID", "", "", ""};
    for (int p = 0; p < nc; ++p)
        cells.push_back(clusterCell(columnClusters[static_cast<size_t>(p)]));
    dat.line(cells, true);
    cells = {"CLUSTER ID", "LEAF ID", "", ""};
    for (int p = 0; p < nc; ++p)
        cells.push_back(strFormat("LEAF%d", columns.dataIndex(p)));
    dat.line(cells, true);
    const std::vector<int> texts = textFields(data);
    cells = {"NAME", "", "UniqId", "WEIGHT"};
    for (int p = 0; p < nc; ++p)
        cells.push_back(data.columnField(columnOf[static_cast<size_t>(p)])->m_strName);
    for (int f : texts)
        cells.push_back(data.field(f)->m_strName);
    dat.line(cells, true);
    cells = {"FIELDTYPE", "", "STRING", "REAL"};
    for (int p = 0; p < nc; ++p)
        cells.emplace_back(typeWord(data.columnField(columnOf[static_cast<size_t>(p)])->m_nType));
    for (size_t i = 0; i < texts.size(); ++i)
        cells.emplace_back("STRING");
    dat.line(cells, true);
    if (data.m_bHasCID) {
        cells = {"CID", "", "", ""};
        for (int p = 0; p < nc; ++p)
            cells.push_back(strFormat("%d", data.columnField(columnOf[static_cast<size_t>(p)])->m_nCID));
        dat.line(cells, true);
    }
    cells = {"WEIGHT", "", "", ""};
    for (int p = 0; p < nc; ++p)
        cells.push_back(strFormat("%f", static_cast<double>(data.columnField(columnOf[static_cast<size_t>(p)])->m_fWeight)));
    dat.line(cells, true);

    if (weights) {
        cells = {"LeafID"};
        for (int p = 0; p < nc; ++p)
            cells.push_back(strFormat("LEAF%d", columns.dataIndex(p)));
        wts.line(cells);
    }

    // Items in display order; the row of `data` of each is its leaf's local index.
    const int nr = rows.m_nLeaves;
    const std::vector<int> rowOf = displayColumns(rows);
    const bool done = exportItemLines(nr, [&](int p) {
        const CNode* leaf = rows.leaf(p);
        const int r = rowOf[static_cast<size_t>(p)];
        cells = {clusterCell(rowClusters[static_cast<size_t>(p)]), strFormat("LEAF%d", rows.dataIndex(p)),
                 data.itemId(r), strFormat("%f", static_cast<double>(leaf->m_fWeight))};
        for (int q = 0; q < nc; ++q) {
            const int k = columnOf[static_cast<size_t>(q)];
            cells.push_back(valueCell(data, data.columnField(k), r, k, original));
        }
        for (int f : texts) {
            const FieldInfo* fi = data.field(f);
            cells.push_back(static_cast<size_t>(r) < fi->m_pOrgTexts.size() ? fi->m_pOrgTexts[static_cast<size_t>(r)]
                                                                            : std::string());
        }
        dat.line(cells, true);
        if (weights) {
            cells = {strFormat("LEAF%d", rows.dataIndex(p))};
            for (int q = 0; q < nc; ++q)
                cells.push_back(strFormat("%f", static_cast<double>(data.weight(r, columnOf[static_cast<size_t>(q)]))));
            wts.line(cells);
        }
    });
    bool written = dat.close();
    if (weights)
        written = wts.close() && written;
    if (!written)
        showMessage("Error in writing the file " + datPath);
    return written && done && complete;
}
