// Loading a data matrix from a general data file, a "protein sequence" file
// or the table block of a clustering result file.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/SideFile.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

namespace {
bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

// Refuses a data file whose read gave no line (`lines` 0) or failed (-1,
// without a word when cancelled); false.
bool refuseUnread(const TableFile& table, const std::string& path, int lines)
{
    if (lines == 0)
        return ReadReport::refuse(path, 0, "the file is empty");
    if (!table.error().empty())
        return ReadReport::refuse(path, 0, table.error());
    return false;
}

bool isTextHeader(const std::string& h)
{
    return h == "NAME" || h == "TITLE" || h == "DESCRIPTION" || h == "DESC" || h == "GO" || h == "GOID";
}
} // namespace

// The loading passes shared by the data file and the clustering-result block:
// the block's header line, where its header rows may stand and how many cells
// precede its first field.
class MatrixLoader {
public:
    MatrixLoader(DataMatrix& m, const TableFile& t, int headerLine, int shift, ReadReport& report)
        : m_m(m), m_t(t), m_nHeaderLine(headerLine), m_nShift(static_cast<size_t>(shift)), m_report(report)
    {
    }

    bool build(IProgress& progress);
    // Refusal of a table that holds no item or no value column: the reason,
    // empty when it holds both.
    std::string emptiness() const;

private:
    void warnUnrepresentable();
    std::string_view cell(int line, int field) const { return m_t.cell(line, static_cast<size_t>(field) + m_nShift); }
    bool parseCells(IProgress& progress);
    void fillTitleFromDescription(bool addedName);

    DataMatrix& m_m;
    const TableFile& m_t;
    int m_nHeaderLine;
    size_t m_nShift;
    ReadReport& m_report;
    int m_nCidLine = -1, m_nTypeLine = -1, m_nWeightLine = -1;
    int m_nFirstDataLine = 0;
};

std::string MatrixLoader::emptiness() const
{
    if (m_m.m_nRows < 1)
        return "the file has no item lines";
    if (m_m.m_nColumns < 1)
        return "the file has no value columns";
    return {};
}

// Numeric cells that read as missing although they hold a number: too large
// for a value (or an infinity written out).
void MatrixLoader::warnUnrepresentable()
{
    const DataMatrix& m = m_m;
    for (const auto& f : m.m_fields) {
        if (f->m_nType == String || !f->m_pWeights)
            continue;
        const size_t column = static_cast<size_t>(&f - m.m_fields.data()) + m_nShift;
        for (int r = 0; r < m.m_nRows; ++r) {
            if (!isMissingWeight(f->m_pWeights[static_cast<size_t>(r)]))
                continue;
            const std::string_view text = stripBlanks(m_t.cell(m_nFirstDataLine + r, column));
            if (isMissingToken(text))
                continue;
            m_report.warn(m_t.fileLine(m_nFirstDataLine + r),
                          strFormat("the value in column \"%s\" is too large to represent; it is read as missing",
                                    f->m_strName.c_str()));
        }
    }
}

bool MatrixLoader::build(IProgress& progress)
{
    DataMatrix& m = m_m;
    // Header rows among the three lines after the header line.
    int recognised = 0;
    for (int l = m_nHeaderLine + 1; l <= m_nHeaderLine + 3 && l < m_t.lineCount(); ++l) {
        std::string key = upperStripped(m_t.cell(l, 0));
        if (key == "CID") {
            m_nCidLine = l;
            m.m_bHasCID = true;
            ++recognised;
        } else if (key == "FIELDTYPE") {
            m_nTypeLine = l;
            ++recognised;
        } else if (key == "WEIGHT" || key == "EWEIGHT") {
            m_nWeightLine = l;
            ++recognised;
        }
    }
    m.m_nRows = std::max(0, m_t.lineCount() - 1 - m_nHeaderLine - recognised);
    m_nFirstDataLine = m_nHeaderLine + 1 + recognised;
    // The header line decides the fields; a line with more cells has them
    // ignored, one with fewer has the rest missing (both are warned of).
    const size_t headerCells = m_t.fieldCount(m_nHeaderLine);
    m_t.checkLineWidths(m_report, m_nFirstDataLine, headerCells, "missing values");
    int width = static_cast<int>(headerCells) - static_cast<int>(m_nShift);
    m.m_nColumns = m.m_nExpColumns = 0;
    if (width < 1 || m.m_nRows < 1)
        return false;
    m.m_nFields = width;

    m.m_mapFieldIndex.clear();
    m.m_mapFieldIndex["UNIQID"] = 0;
    std::vector<std::string> names(static_cast<size_t>(width));
    names[0] = "UNIQID";
    for (int i = 1; i < width; ++i) {
        names[static_cast<size_t>(i)] = upperStripped(cell(m_nHeaderLine, i));
        m.m_mapFieldIndex[names[static_cast<size_t>(i)]] = i;
    }

    // Field types and pool membership.
    struct Plan { int type; bool inPool; };
    std::vector<Plan> plan(static_cast<size_t>(width));
    plan[0] = {String, false};
    m.m_nColumns = m.m_nExpColumns = 0;
    m.m_arrColumnFields.clear();
    for (int i = 1; i < width; ++i) {
        const std::string& name = names[static_cast<size_t>(i)];
        Plan p{Expression, true};
        if (m_nTypeLine < 0) {
            if (isTextHeader(name))
                p = {String, false};
            else if (name == "WEIGHT" || name == "GWEIGHT")
                p = {Real, false};
        } else {
            std::string kw = upperStripped(cell(m_nTypeLine, i));
            if (kw == "EXPRESSION")
                p = {Expression, true};
            else if (kw == "REAL")
                p = {Real, name != "WEIGHT" && name != "GWEIGHT"};
            else if (kw == "INTEGER" || kw == "INT")
                p = {Integer, true};
            else if (kw == "CATEGORICAL")
                p = {parseLeadingInt(stripBlanks(cell(m_nFirstDataLine, i))) != 0 ? Categorical : CategoricalStr,
                     true};
            else if (kw == "STRING")
                p = {String, false};
            else
                p = {String, false};  // an unknown or empty keyword keeps the column as text
        }
        plan[static_cast<size_t>(i)] = p;
        if (p.inPool) {
            m.m_arrColumnFields.push_back(static_cast<unsigned>(i));
            ++m.m_nColumns;
            if (p.type == Expression)
                ++m.m_nExpColumns;
        }
    }

    for (int i = 0; i < width; ++i) {
        const Plan& p = plan[static_cast<size_t>(i)];
        auto f = std::make_unique<FieldInfo>(p.type, m.m_nRows, !p.inPool);
        if (!f->ok())
            return false;
        f->m_strName = names[static_cast<size_t>(i)];
        if (i > 0 && (m_nTypeLine >= 0 || p.type == Expression)) {
            if (m_nCidLine >= 0)
                f->m_nCID = parseLeadingInt(stripBlanks(cell(m_nCidLine, i)));
            if (m_nTypeLine < 0 && m_nWeightLine >= 0)
                f->m_fWeight = static_cast<float>(parseLeadingDouble(stripBlanks(cell(m_nWeightLine, i))));
        }
        m.m_fields.push_back(std::move(f));
    }

    bool addedName = false;
    if (!m.m_mapFieldIndex.count("NAME") && !m.m_mapFieldIndex.count("TITLE")) {
        auto f = std::make_unique<FieldInfo>(String, m.m_nRows);
        if (!f->ok())
            return false;
        f->m_strName = "NAME";
        m.m_mapFieldIndex["NAME"] = m.m_nFields;
        m.m_fields.push_back(std::move(f));
        addedName = true;
    }

    // The current values are copied from the original ones once the table is
    // released, so the two never take memory at the same time.
    if (m.m_nColumns >= 1 && !m.allocatePools(false))
        return false;
    m.attachFields();

    if (!parseCells(progress))
        return false;
    warnUnrepresentable();
    fillTitleFromDescription(addedName);
    return true;
}

bool MatrixLoader::parseCells(IProgress& progress)
{
    DataMatrix& m = m_m;
    progress.setMessage("Processing the data file ...");
    progress.setRange(0, m.m_nRows);
    const size_t fields = static_cast<size_t>(m.m_nFields);
    // Categorical fields code their texts in order of first appearance down
    // the column: they are parsed in row order on this thread; every other
    // field's cells are independent and parsed by all cores.
    std::vector<FieldInfo*> ordered, independent;
    std::vector<size_t> orderedCol, independentCol;
    for (size_t i = 0; i < fields; ++i) {
        FieldInfo* f = m.m_fields[i].get();
        f->m_mapCodeToLabel.clear();
        f->m_mapLabelToCode.clear();
        (f->isCategorical() ? ordered : independent).push_back(f);
        (f->isCategorical() ? orderedCol : independentCol).push_back(i + m_nShift);
    }
    const int block = 1024;
    for (int r0 = 0; r0 < m.m_nRows; r0 += block) {
        if (progress.cancelled())
            return false;
        progress.setPosition(r0);
        progress.pump();
        const int r1 = std::min(m.m_nRows, r0 + block);
        for (int r = r0; r < r1; ++r) {
            TableLine line = m_t.lineAt(m_nFirstDataLine + r);
            for (size_t j = 0; j < ordered.size(); ++j)
                ordered[j]->parseCell(r, line[orderedCol[j]]);
        }
        parallelFor(static_cast<size_t>(r1 - r0), 512, [&](size_t b, size_t e) {
            for (size_t r = static_cast<size_t>(r0) + b; r < static_cast<size_t>(r0) + e; ++r) {
                TableLine line = m_t.lineAt(m_nFirstDataLine + static_cast<int>(r));
                for (size_t j = 0; j < independent.size(); ++j) {
                    FieldInfo* f = independent[j];
                    if (f->m_nType == String)
                        f->parseCell(static_cast<int>(r), line[independentCol[j]]);
                    else
                        f->parseNumberCell(static_cast<int>(r), line.cstr(independentCol[j]));
                }
            }
        });
    }
    progress.setPosition(m.m_nRows);
    return true;
}

void MatrixLoader::fillTitleFromDescription(bool addedName)
{
    DataMatrix& m = m_m;
    if (!addedName || m.m_mapFieldIndex.count("TITLE"))
        return;
    FieldInfo& nameField = *m.m_fields.back();
    for (const char* source : {"DESC", "DESCRIPTION", "UNIQID"}) {
        auto it = m.m_mapFieldIndex.find(source);
        if (it == m.m_mapFieldIndex.end())
            continue;
        int col = it->second;
        for (int r = 0; r < m.m_nRows; ++r)
            nameField.m_pOrgTexts[static_cast<size_t>(r)] = std::string(stripBlanks(cell(m_nFirstDataLine + r, col)));
        break;
    }
    ++m.m_nFields;
}

namespace {
// Replaces the weights of present cells by those a side file gives; false
// when cancelled.
template <typename Convert>
bool applySideWeights(DataMatrix& m, const TableFile& side, IProgress& progress, int interval, Convert convert)
{
    progress.setRange(0, m.m_nRows);
    for (int r = 0; r < m.m_nRows; ++r) {
        if (r % interval == 0) {
            if (progress.cancelled())
                return false;
            progress.setPosition(r);
            progress.pump();
        }
        TableLine line = side.lineAt(r + 1);
        float* w = m.rowWeights(r);
        for (int k = 0; k < m.m_nColumns; ++k)
            if (!isMissingWeight(w[k]))
                w[k] = convert(line[static_cast<size_t>(k) + 1]);
    }
    return true;
}

std::string_view stripTrailing(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}
} // namespace

bool DataMatrix::loadDataFile(const std::string& path)
{
    clear();
    ProgressScope progress("Loading Data", "Loading Data");
    progress->setMessage("Checking the data file ...");
    bool ok = false;
    ReadReport report(path);
    {
        TableFile table;
        const int lines = table.readTable(path, &progress.get(), 0);
        if (lines < 1)
            return refuseUnread(table, path, lines);
        report.merge(table.report());
        m_strName = dataSetName(path);
        MatrixLoader loader(*this, table, 0, 0, report);
        ok = loader.build(progress.get());
        if (const std::string why = loader.emptiness(); !why.empty() && !progress->cancelled()) {
            clear();
            return ReadReport::refuse(path, 0, why);
        }
    }
    ok = ok && completeCurrentValues();
    if (!ok) {
        clear();
        return false;
    }

    // Side files: p-values first, detection calls only without them.
    m_nWeightType = 0;
    const std::optional<SideFile> sideFile = findSideFile(path);
    const int type = sideFile ? sideFile->weightType : 0;
    if (type && m_nColumns >= 1) {
        TableFile side;
        int lines = side.readTable(sideFile->path, &progress.get(), 0);
        if (lines >= 1 && lines == m_nRows + 1) {
            ReadReport sideReport = side.report();
            side.checkLineWidths(sideReport, 1, static_cast<size_t>(m_nColumns) + 1, "empty cells");
            sideReport.report();
        }
        if (lines < 1 || lines != m_nRows + 1) {
            showMessage(type == 1 ? "The number of items in the p-value file doesn't match the expression file.\n"
                                    "Check your p-value file."
                                  : "The number of items in the detectional call file doesn't match the "
                                    "expression file.\nCheck your detection call file.");
        } else if (type == 1) {
            m_nWeightType = 1;
            progress->setMessage("Processing the p-value data file ...");
            ok = applySideWeights(*this, side, progress.get(), progressInterval(m_nRows), [](std::string_view c) {
                std::string_view s = stripTrailing(c);
                if (s.empty())
                    return 0.5f;
                // A p-value outside [0, 1] is an error in the file; kept in
                // range, its weight can never pose as the missing marker.
                double w = 1.0 - parseLeadingDouble(s);
                return static_cast<float>(std::isfinite(w) ? std::clamp(w, 0.0, 1.0) : 0.0);
            });
        } else {
            m_nWeightType = 2;
            progress->setMessage("Processing the detection call (P/M/A) file ...");
            ok = applySideWeights(*this, side, progress.get(), 100, [](std::string_view c) {
                std::string_view s = stripTrailing(c);
                return s == "P" ? 1.0f : s == "M" ? 0.5f : 0.0f;
            });
        }
        if (!ok) {
            clear();
            return false;
        }
    }
    report.report();
    progress->setMessage("Loading Finished! Closing ProgressBar...");
    return true;
}

bool DataMatrix::loadSequenceFile(const std::string& path)
{
    clear();
    ProgressScope progress("Loading Data", "Loading Data");
    progress->setMessage("Checking the data file ...");
    TableFile table;
    const int lines = table.readTable(path, &progress.get(), 0);
    if (lines < 1)
        return refuseUnread(table, path, lines);
    if (lines < 2)
        return ReadReport::refuse(path, 0, "the file has no item lines");
    m_strName = dataSetName(path);
    m_nRows = table.lineCount() - 1;
    m_nFields = 103;
    m_nColumns = m_nExpColumns = 100;
    m_mapFieldIndex = {{"UNIQID", 0}, {"NAME", 1}, {"DESC", 2}};
    const char* textNames[] = {"UNIQID", "NAME", "DESC"};
    for (int i = 0; i < 3; ++i) {
        auto f = std::make_unique<FieldInfo>(String, m_nRows);
        f->m_strName = textNames[i];
        for (int r = 0; r < m_nRows; ++r)
            f->m_pOrgTexts[static_cast<size_t>(r)] = std::string(stripBlanks(table.cell(r + 1, static_cast<size_t>(i))));
        m_fields.push_back(std::move(f));
    }
    for (int k = 0; k < 100; ++k) {
        auto f = std::make_unique<FieldInfo>(Integer, m_nRows, false);
        f->m_strName = strFormat("S%d", k);
        m_mapFieldIndex[f->m_strName] = 3 + k;
        m_arrColumnFields.push_back(static_cast<unsigned>(3 + k));
        m_fields.push_back(std::move(f));
    }
    if (!allocatePools()) {
        clear();
        return false;
    }
    attachFields();
    progress->setMessage("Processing the data file ...");
    progress->setRange(0, m_nRows);
    for (int r = 0; r < m_nRows; ++r) {
        const std::string& desc = m_fields[2]->m_pOrgTexts[static_cast<size_t>(r)];
        float* org = rowOrgValues(r);
        float* cur = rowValues(r);
        float* w = rowWeights(r);
        for (size_t k = 0; k < 100; ++k) {
            bool present = k < desc.size();
            float v = present ? static_cast<float>(static_cast<int>(static_cast<unsigned char>(desc[k])) - 'a') : 0.0f;
            org[k] = cur[k] = v;
            w[k] = present ? 1.0f : kMissingWeight;
        }
        if (progress->cancelled()) {
            clear();
            return false;
        }
        progress->setPosition(r);
        progress->pump();
    }
    progress->setMessage("Loading Finished! Closing ProgressBar...");
    m_nWeightType = 0;
    return true;
}

bool DataMatrix::loadClusterTable(TableFile& table, const std::string& path, bool weightsFile)
{
    clear();
    ProgressScope progress("Loading Data", "Loading Data");
    if (table.lineCount() < 4) {
        return false;
    }
    m_strName = dataSetName(path);
    {
        TableLine head = table.lineAt(0);
        m_nWeightType = -1;
        if (head.size() == 6 && head[5].substr(0, 11) == "PVal Weight")
            m_nWeightType = parseLeadingInt(head[5].substr(11));
    }
    MatrixLoader loader(*this, table, 3, 2, table.report());
    if (!loader.build(progress.get()) || !completeCurrentValues()) {
        clear();
        return false;
    }
    const std::string wts = withoutExtension(path) + ".wts";
    if (weightsFile && fileExists(wts)) {
        progress->setMessage("Processing the weight data file ...");
        TableFile weights;
        if (weights.readTable(wts, &progress.get(), 0) < 1) {
            clear();
            return false;
        }
        m_nWeightType = 1;
        progress->setRange(0, m_nRows);
        const int interval = progressInterval(m_nRows);
        for (int r = 0; r < m_nRows; ++r) {
            if (r % interval == 0) {
                if (progress->cancelled()) {
                    clear();
                    return false;
                }
                progress->setPosition(r);
                progress->pump();
            }
            float* w = rowWeights(r);
            for (int k = 0; k < m_nColumns; ++k) {
                std::string_view c = stripBlanks(weights.cell(r + 1, static_cast<size_t>(k) + 1));
                float v = 0.5f;
                if (!c.empty() && !parseNumericCell(c, v))
                    v = 0.5f;
                w[k] = v;
                if (isMissingWeight(v))
                    rowOrgValues(r)[k] = rowValues(r)[k] = 0.0f;  // the file marks the cell missing
            }
        }
    }
    return true;
}
