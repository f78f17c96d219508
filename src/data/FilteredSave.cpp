#include "data/FilteredSave.h"

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Progress.h"

std::string defaultFilteredFileName(const DataMatrix& m) { return m.m_strName + "_Filtered.exp"; }

std::string weightFilePath(const std::string& signalPath, int weightType)
{
    const char* ending = weightType == 1 ? ".pvl" : weightType == 2 ? ".pma" : nullptr;
    if (!ending)
        return {};
    std::string path = DataMatrix::withoutExtension(signalPath) + ending;
    return path == signalPath ? signalPath + ending : path;
}

namespace {
std::string weightText(float weight, int weightType)
{
    if (weightType == 1)
        return strFormat("%f", 1.0 - weight);
    if (weight == 1.0f)
        return "P";
    return weight == 0.5f ? "M" : "A";
}

std::vector<std::string> fieldNames(const DataMatrix& m)
{
    std::vector<std::string> names;
    for (int f = 0; f < m.m_nFields; ++f)
        names.push_back(m.field(f)->m_strName);
    return names;
}

// The type a column of this name gets from a file without a FIELDTYPE row.
int typeByName(const std::string& name)
{
    for (const char* text : {"NAME", "TITLE", "DESCRIPTION", "DESC", "GO", "GOID"})
        if (name == text)
            return String;
    return name == "WEIGHT" || name == "GWEIGHT" ? Real : Expression;
}

const char* typeKeyword(int type)
{
    switch (type) {
    case Integer: return "INTEGER";
    case Real: return "REAL";
    case String: return "STRING";
    case Categorical:
    case CategoricalStr: return "CATEGORICAL";
    default: return "EXPRESSION";
    }
}

// The header rows the loader needs to give the fields back their CIDs,
// types and column weights; none for a matrix the name rules rebuild alone.
void addHeaderRows(const DataMatrix& m, TableFile& signal)
{
    bool typed = false, cid = m.m_bHasCID, weighted = false;
    for (int f = 1; f < m.m_nFields; ++f) {
        const FieldInfo& field = *m.field(f);
        typed = typed || field.m_nType != typeByName(field.m_strName);
        cid = cid || field.m_nCID != -1;
        weighted = weighted || (field.m_nType == Expression && field.m_fWeight != 1.0f);
    }
    std::vector<std::string> row;
    if (cid) {
        row.assign(1, "CID");
        for (int f = 1; f < m.m_nFields; ++f)
            row.push_back(m.field(f)->m_nType == String && !typed ? std::string()
                                                                  : strFormat("%d", m.field(f)->m_nCID));
        signal.addLine(row);
    }
    if (typed) {
        row.assign(1, "FIELDTYPE");
        for (int f = 1; f < m.m_nFields; ++f)
            row.push_back(typeKeyword(m.field(f)->m_nType));
        signal.addLine(row);
    } else if (weighted) {
        // Without a FIELDTYPE row the loader reads column weights.
        row.assign(1, "EWEIGHT");
        for (int f = 1; f < m.m_nFields; ++f)
            row.push_back(m.field(f)->m_nType == String ? std::string()
                                                        : strFormat("%f", static_cast<double>(m.field(f)->m_fWeight)));
        signal.addLine(row);
    }
}

// A cell of a numeric field: categorical cells as their label, so that the
// loader codes them again; others as the original value with six decimals.
std::string numericCellText(const FieldInfo& field, size_t r)
{
    if (field.isCategorical()) {
        std::string label = field.labelOf(static_cast<int>(field.m_pOrgValues[r]));
        if (!label.empty())
            return label;
    }
    return strFormat("%f", static_cast<double>(field.m_pOrgValues[r]));
}
} // namespace

bool saveFiltered(const DataMatrix& m, const std::string& signalPath)
{
    static const char* const kTitle = "Saving the filtering result";
    ProgressScope progress(kTitle, kTitle);
    progress->setRange(1, m.m_nRows);
    const bool withWeights = m.m_nWeightType == 1 || m.m_nWeightType == 2;

    TableFile signal, weights;
    signal.addLine(fieldNames(m));
    addHeaderRows(m, signal);
    std::vector<std::string> weightHeader{m.field(0)->m_strName};
    for (int k = 0; k < m.m_nColumns; ++k)
        weightHeader.push_back(m.columnField(k)->m_strName);
    weights.addLine(weightHeader);

    std::vector<std::string> line, weightLine;
    for (int r = 0; r < m.m_nRows; ++r) {
        line.clear();
        for (int f = 0; f < m.m_nFields; ++f) {
            const FieldInfo& field = *m.field(f);
            const size_t i = static_cast<size_t>(r);
            if (field.m_nType == String)
                line.push_back(field.m_pOrgTexts[i]);
            else if (isMissingWeight(field.m_pWeights[i]))
                line.emplace_back();
            else
                line.push_back(numericCellText(field, i));
        }
        signal.addLine(line);
        if (withWeights) {
            weightLine.assign(1, m.itemId(r));
            const float* w = m.rowWeights(r);
            for (int k = 0; k < m.m_nColumns; ++k)
                weightLine.push_back(isMissingWeight(w[k]) ? std::string() : weightText(w[k], m.m_nWeightType));
            weights.addLine(weightLine);
        }
        if (progress->cancelled())
            return false;
        progress->setPosition(r + 1);
        progress->pump();
    }

    progress->setMessage("Writing a signal file");
    if (!signal.writeTable(signalPath, &progress.get()))
        return false;
    progress->setMessage("Writing a weight file");
    if (withWeights && !weights.writeTable(weightFilePath(signalPath, m.m_nWeightType), &progress.get()))
        return false;
    return true;
}
