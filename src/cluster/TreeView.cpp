// Files other programs read and write: TreeView's triple (.cdt, .gtr, .atr)
// both ways, and Newick trees.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "cluster/Forest.h"
#include "cluster/LineWriter.h"
#include "cluster/ResultFiles.h"
#include "cluster/ResultImportTable.h"
#include "cluster/ResultLayout.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

// The shortest text that reads back as the same double.
std::string exactNumber(double v)
{
    char buffer[40];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : strFormat("%.17g", v);
}

std::string treeViewLeafId(const CForest& forest, const CNode* leaf)
{
    return strFormat(forest.m_bRowForest ? "GENE%dX" : "ARRY%dX", leaf->m_nIndex);
}

std::string treeViewNodeId(const CForest& forest, const CNode* node)
{
    return node->isLeaf() ? treeViewLeafId(forest, node) : strFormat("NODE%dX", node->m_nIndex - forest.m_nLeaves + 1);
}

// One line per branch in the order of forming (node index n..2n-2).
bool writeTreeViewTree(const CForest& forest, const std::string& path)
{
    if (!forest.hasTree() || !askOverwrite(path))
        return false;
    LineWriter out;
    if (!out.open(path)) {
        showMessage("Error in opening the file");
        return false;
    }
    const int n = forest.m_nLeaves;
    for (int i = n; i < forest.m_nNodes; ++i) {
        const CNode* b = forest.m_pNodes[static_cast<size_t>(i)];
        if (b->isLeaf() || !b->m_pFirst || !b->m_pSecond)
            continue;
        out.line({treeViewNodeId(forest, b), treeViewNodeId(forest, b->m_pFirst), treeViewNodeId(forest, b->m_pSecond),
                  exactNumber(2.0 * static_cast<double>(b->m_fSimilarity) - 1.0)});
    }
    return out.close();
}

// The identifier column's title in the .cdt.
std::string idTitle(const DataMatrix& data)
{
    std::string name = data.m_fields.empty() ? std::string() : data.field(0)->m_strName;
    const std::string upper = upperStripped(name);
    if (upper.empty() || upper == "GID" || upper == "NAME" || upper == "GWEIGHT")
        return "UNIQID";
    return name;
}

bool writeFile(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        showMessage("Error in opening the file");
        return false;
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

// "GENE%dX" / "ARRY%dX" with a decimal number.
bool parseTreeViewLeaf(std::string_view text, const char* prefix, int& number)
{
    std::string_view found;
    return parseTreeViewNode(text, found, number) && found == prefix;
}

// Data indices for the leaf numbers of a TreeView file: their ranks, so
// that "GENE0X".."GENE(n-1)X" keep their numbers and any other distinct
// numbers become 0..n-1 in their order.
TreeViewLeaves ranksOf(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    TreeViewLeaves out;
    out.reserve(numbers.size());
    for (size_t i = 0; i < numbers.size(); ++i)
        out.emplace(numbers[i], static_cast<int>(i));
    return out;
}

std::string refusal(const std::string& path, int line, const std::string& what)
{
    return ReadReport::refusal(path, line, what);
}

} // namespace

std::string filesToSaveText(ResultFormat format, const std::string& name, bool rowsClustered, bool columnsClustered,
                            bool cellWeights)
{
    if (format == ResultFormat::Arbolix)
        return filesToSaveText(name, rowsClustered, columnsClustered, cellWeights);
    if (!rowsClustered && !columnsClustered)
        return "Nothing to export!";
    std::string text;
    if (format == ResultFormat::TreeView) {
        if (rowsClustered)
            text += name + ".gtr\t: Row Clustering Result (TreeView)\r\n";
        if (columnsClustered)
            text += name + ".atr\t: Column Clustering Result (TreeView)\r\n";
        return text + name + ".cdt\t: Clustered Data (TreeView)";
    }
    if (rowsClustered)
        text += name + "_rows.nwk\t: Row Tree (Newick)";
    if (columnsClustered)
        text += (text.empty() ? "" : "\r\n") + name + "_columns.nwk\t: Column Tree (Newick)";
    return text;
}

bool exportResult(ResultFormat format, const ExportSource& source, const std::string& base)
{
    switch (format) {
    case ResultFormat::TreeView: return exportTreeView(source, base);
    case ResultFormat::Newick: return exportNewick(source, base);
    default: return exportResult(source, base);
    }
}

bool exportTreeView(const ExportSource& s, const std::string& base)
{
    if (!s.complete())
        return false;
    const CForest& rows = *s.rows;
    const CForest& columns = *s.columns;
    const DataMatrix& data = *s.data;
    const bool rowTree = s.rowsClustered && rows.hasTree();
    const bool columnTree = s.columnsClustered && columns.hasTree();
    bool complete = true;
    if (rowTree)
        complete = writeTreeViewTree(rows, base + ".gtr") && complete;
    if (columnTree)
        complete = writeTreeViewTree(columns, base + ".atr") && complete;

    const std::string cdtPath = base + ".cdt";
    if (!askOverwrite(cdtPath))
        return false;
    LineWriter cdt;
    if (!cdt.open(cdtPath)) {
        showMessage("Error in opening the file");
        return false;
    }
    const bool original = s.header.originalValues || s.header.normDirection < 0;
    const std::vector<int> columnOf = displayColumns(columns);
    const std::vector<int> rowOf = displayColumns(rows);
    const int nc = columns.m_nLeaves, nr = rows.m_nLeaves;
    // Cells before the values: GID (with a row tree), the identifier, NAME, GWEIGHT.
    const size_t lead = rowTree ? 4 : 3;
    std::vector<std::string> cells;
    if (rowTree)
        cells.emplace_back("GID");
    cells.insert(cells.end(), {idTitle(data), "NAME", "GWEIGHT"});
    for (int p = 0; p < nc; ++p)
        cells.push_back(data.columnField(columnOf[static_cast<size_t>(p)])->m_strName);
    cdt.line(cells);
    if (columnTree) {
        cells.assign(lead, std::string());
        cells[0] = "AID";
        for (int p = 0; p < nc; ++p)
            cells.push_back(treeViewLeafId(columns, columns.leaf(p)));
        cdt.line(cells);
    }
    cells.assign(lead, std::string());
    cells[0] = "EWEIGHT";
    for (int p = 0; p < nc; ++p)
        cells.push_back(strFormat("%f", static_cast<double>(data.columnField(columnOf[static_cast<size_t>(p)])->m_fWeight)));
    cdt.line(cells);

    const bool done = exportItemLines(nr, [&](int p) {
        const CNode* leaf = rows.leaf(p);
        const int r = rowOf[static_cast<size_t>(p)];
        cells.clear();
        if (rowTree)
            cells.push_back(treeViewLeafId(rows, leaf));
        cells.insert(cells.end(), {data.itemId(r), leaf->m_strName, strFormat("%f", static_cast<double>(leaf->m_fWeight))});
        for (int q = 0; q < nc; ++q) {
            const int k = columnOf[static_cast<size_t>(q)];
            cells.push_back(valueCell(data, data.columnField(k), r, k, original));
        }
        cdt.line(cells);
    });
    const bool written = cdt.close();
    if (!written)
        showMessage("Error in writing the file " + cdtPath);
    return written && done && complete;
}

std::unique_ptr<ImportedResult> importTreeView(const std::string& cdtPath)
{
    TableFile cdt;
    {
        ProgressScope progress("Progress", "Reading the clustering result files");
        if (cdt.readTable(cdtPath, &progress.get(), 0) < 0) {
            if (cdt.refused())
                ReadReport::refuse(cdtPath, 0, cdt.error());
            else if (!progress->cancelled())
                showMessage(strFormat("Cannot open the file : %s", cdtPath.c_str()));
            return nullptr;
        }
    }
    auto fail = [&](int line, const std::string& what) -> std::unique_ptr<ImportedResult> {
        showMessage(refusal(cdtPath, line, what));
        return nullptr;
    };
    const int lines = cdt.lineCount();
    if (lines < 2)
        return fail(lines + 1, "the file ends before its first item");
    // The leading columns: GID (a row tree), the identifier, NAME, GWEIGHT.
    const bool hasGid = upperStripped(cdt.cell(0, 0)) == "GID";
    const size_t idColumn = hasGid ? 1 : 0;
    size_t next = idColumn + 1;
    const bool hasName = upperStripped(cdt.cell(0, next)) == "NAME";
    const size_t nameColumn = next;
    if (hasName)
        ++next;
    const bool hasWeight = upperStripped(cdt.cell(0, next)) == "GWEIGHT";
    const size_t weightColumn = next;
    if (hasWeight)
        ++next;
    const size_t firstValue = next;
    // The header line decides the columns; longer and shorter lines are
    // warned of (their extra cells ignored, their missing ones missing).
    const size_t headerCells = cdt.fieldCount(0);
    if (headerCells <= firstValue)
        return fail(1, "the file has no value columns");
    const int nc = static_cast<int>(headerCells - firstValue);
    ReadReport report = cdt.report();
    cdt.checkLineWidths(report, 1, headerCells, "missing values");
    // Header rows: AID, EWEIGHT (and EORDER, which is skipped).
    int aidLine = -1, eweightLine = -1, firstData = 1;
    for (int l = 1; l < lines && l <= 3; ++l) {
        const std::string key = upperStripped(cdt.cell(l, 0));
        if (key == "AID" && aidLine < 0)
            aidLine = l;
        else if (key == "EWEIGHT" && eweightLine < 0)
            eweightLine = l;
        else if (key != "EORDER")
            break;
        firstData = l + 1;
    }
    const int nr = lines - firstData;
    if (nr < 1)
        return fail(firstData + 1, "the file has no item lines");

    // Leaf numbers: the GID column and the AID row, distinct, else positions.
    auto leafNumbers = [&](int count, const char* prefix, auto cellAt, auto lineOf, std::vector<int>& out) -> std::string {
        out.assign(static_cast<size_t>(count), 0);
        std::unordered_map<int, int> seen;
        for (int i = 0; i < count; ++i) {
            int number = 0;
            const std::string_view text = cellAt(i);
            if (!parseTreeViewLeaf(text, prefix, number))
                return refusal(cdtPath, lineOf(i), "\"" + std::string(text) + "\" is not an identifier " + prefix + "%dX");
            if (!seen.emplace(number, i).second)
                return refusal(cdtPath, lineOf(i), "\"" + std::string(text) + "\" appears twice");
            out[static_cast<size_t>(i)] = number;
        }
        return {};
    };
    std::vector<int> geneNumbers, arrayNumbers;
    TreeViewLeaves rowLeaves, columnLeaves;
    if (hasGid) {
        if (std::string e = leafNumbers(
                nr, "GENE", [&](int i) { return cdt.cell(firstData + i, 0); }, [&](int i) { return firstData + i + 1; },
                geneNumbers);
            !e.empty()) {
            showMessage(e);
            return nullptr;
        }
        rowLeaves = ranksOf(geneNumbers);
    }
    if (aidLine >= 0) {
        if (std::string e = leafNumbers(
                nc, "ARRY", [&](int i) { return cdt.cell(aidLine, firstValue + static_cast<size_t>(i)); },
                [&](int) { return aidLine + 1; }, arrayNumbers);
            !e.empty()) {
            showMessage(e);
            return nullptr;
        }
        columnLeaves = ranksOf(arrayNumbers);
    }
    auto dataIndex = [](const TreeViewLeaves& map, const std::vector<int>& numbers, int i) {
        return numbers.empty() ? i : map.at(numbers[static_cast<size_t>(i)]);
    };

    // The same content laid out as our .dat, read by the shared reader.
    TableFile dat;
    dat.addLine(std::vector<std::string>{DataMatrix::dataSetName(cdtPath)});
    std::vector<std::string> cells{"CLUSTER ID", "", "", ""};
    cells.resize(4 + static_cast<size_t>(nc), "OUTLIER");
    dat.addLine(cells);
    cells = {"CLUSTER ID", "LEAF ID", "", ""};
    for (int k = 0; k < nc; ++k)
        cells.push_back(strFormat("LEAF%d", dataIndex(columnLeaves, arrayNumbers, k)));
    dat.addLine(cells);
    cells = {"NAME", "", std::string(cdt.cell(0, idColumn)), "WEIGHT"};
    for (int k = 0; k < nc; ++k)
        cells.emplace_back(cdt.cell(0, firstValue + static_cast<size_t>(k)));
    cells.emplace_back("NAME");
    dat.addLine(cells);
    cells = {"FIELDTYPE", "", "STRING", "REAL"};
    cells.resize(4 + static_cast<size_t>(nc), "EXPRESSION");
    cells.emplace_back("STRING");
    dat.addLine(cells);
    cells = {"WEIGHT", "", "", ""};
    for (int k = 0; k < nc; ++k)
        cells.emplace_back(eweightLine >= 0 ? std::string(cdt.cell(eweightLine, firstValue + static_cast<size_t>(k)))
                                            : std::string("1.000000"));
    dat.addLine(cells);
    std::vector<std::string_view> views;
    for (int i = 0; i < nr; ++i) {
        const int l = firstData + i;
        const std::string leaf = strFormat("LEAF%d", dataIndex(rowLeaves, geneNumbers, i));
        views.assign({"OUTLIER", leaf, cdt.cell(l, idColumn), hasWeight ? cdt.cell(l, weightColumn) : "1.000000"});
        for (int k = 0; k < nc; ++k)
            views.push_back(cdt.cell(l, firstValue + static_cast<size_t>(k)));
        views.push_back(hasName ? cdt.cell(l, nameColumn) : std::string_view());
        dat.addLine(views);
    }
    cdt.clear();

    ResultTables tables;
    tables.datPath = cdtPath;
    ResultHeader header;
    header.title = DataMatrix::dataSetName(cdtPath);
    header.logTransformed = false;
    header.originalValues = true;
    tables.header = header;
    const std::string base = DataMatrix::withoutExtension(cdtPath);
    if (hasGid) {
        tables.rowTreePath = base + ".gtr";
        tables.rowLeaves = &rowLeaves;
    }
    if (aidLine >= 0) {
        tables.columnTreePath = base + ".atr";
        tables.columnLeaves = &columnLeaves;
    }
    std::unique_ptr<ImportedResult> result = importResultTable(dat, tables);
    if (result)
        report.report();
    return result;
}

// ---------------------------------------------------------------- Newick

std::string newickLabel(const std::string& label)
{
    bool plain = !label.empty();
    for (char c : label)
        if (static_cast<unsigned char>(c) <= ' ' || std::string_view("()[]':;,_").find(c) != std::string_view::npos)
            plain = false;
    if (plain)
        return label;
    std::string out = "'";
    for (char c : label) {
        out.push_back(c);
        if (c == '\'')
            out.push_back('\'');
    }
    return out + "'";
}

std::string newickText(const CForest& forest, const std::vector<std::string>& labels)
{
    std::string out;
    if (!forest.hasTree())
        return out;
    struct Frame {
        const CNode* node;
        int stage;
        double parentHeight;  // < 0 for the root
    };
    auto height = [](const CNode* n) { return 1.0 - static_cast<double>(n->m_fSimilarity); };
    auto length = [&](const Frame& f) {
        if (f.parentHeight >= 0.0)
            out += ":" + exactNumber(std::max(0.0, f.parentHeight - height(f.node)));
    };
    std::vector<Frame> stack{{forest.root(), 0, -1.0}};
    while (!stack.empty()) {
        Frame f = stack.back();
        if (f.node->isLeaf()) {
            const int p = f.node->m_nPosition;
            out += newickLabel(p >= 0 && static_cast<size_t>(p) < labels.size() ? labels[static_cast<size_t>(p)]
                                                                                  : f.node->m_strName);
            length(f);
            stack.pop_back();
        } else if (f.stage == 0) {
            out += '(';
            stack.back().stage = 1;
            stack.push_back({f.node->m_pFirst, 0, height(f.node)});
        } else if (f.stage == 1) {
            out += ',';
            stack.back().stage = 2;
            stack.push_back({f.node->m_pSecond, 0, height(f.node)});
        } else {
            out += ')';
            length(f);
            stack.pop_back();
        }
    }
    return out + ";\n";
}

bool exportNewick(const ExportSource& s, const std::string& base)
{
    if (!s.complete())
        return false;
    const DataMatrix& data = *s.data;
    bool any = false, complete = true;
    for (const bool rowTree : {true, false}) {
        const CForest& forest = rowTree ? *s.rows : *s.columns;
        if (!(rowTree ? s.rowsClustered : s.columnsClustered) || !forest.hasTree())
            continue;
        any = true;
        const std::string path = base + (rowTree ? "_rows.nwk" : "_columns.nwk");
        if (!askOverwrite(path)) {
            complete = false;
            continue;
        }
        const std::vector<int> of = displayColumns(forest);
        std::vector<std::string> labels(of.size());
        for (size_t p = 0; p < of.size(); ++p)
            labels[p] = rowTree ? data.itemId(of[p]) : data.columnField(of[p])->m_strName;
        complete = writeFile(path, newickText(forest, labels)) && complete;
    }
    return any && complete;
}
