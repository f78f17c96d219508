#include "data/DataMatrix.h"

#include <algorithm>
#include <map>
#include <new>

#include "data/CellValue.h"
#include "platform/Format.h"
#include "platform/Messages.h"

namespace {
const std::string kNoText;

template <typename T>
DataMatrix::Pool<T> allocateArray(size_t n)
{
    return DataMatrix::Pool<T>(static_cast<T*>(std::calloc(n > 0 ? n : 1, sizeof(T))));
}
} // namespace

DataMatrix::DataMatrix() = default;

DataMatrix::~DataMatrix() { freePools(); }

void DataMatrix::freePools()
{
    m_pOrgExpLevelPool.reset();
    m_pRowExpLevelPool.reset();
    m_pRowWeightPool.reset();
    m_pStatOrgPool.reset();
    m_pStatNorPool.reset();
    m_fields.clear();
}

void DataMatrix::clear()
{
    freePools();
    m_mapFieldIndex.clear();
    m_arrColumnFields.clear();
    m_arrRowIndex.clear();
    m_strName.clear();
    m_strSubset = "ALL";
    m_bHasCID = false;
    m_nWeightType = 0;
    m_nRows = m_nFields = m_nColumns = m_nExpColumns = 0;
    m_fOrgMax = m_fOrgMin = m_fNorMax = m_fNorMin = 0.0f;
}

bool DataMatrix::allocatePools(bool withCurrent)
{
    size_t cells = static_cast<size_t>(m_nRows) * static_cast<size_t>(m_nColumns);
    m_pOrgExpLevelPool = allocateArray<float>(cells);
    if (withCurrent)
        m_pRowExpLevelPool = allocateArray<float>(cells);
    if (!m_pOrgExpLevelPool || (withCurrent && !m_pRowExpLevelPool)) {
        showMessage("Insufficient Memory for Expression Level");
        return false;
    }
    m_pRowWeightPool = allocateArray<float>(cells);
    if (!m_pRowWeightPool) {
        showMessage("Insufficient Memory for m_pRowWeightPool");
        return false;
    }
    m_pStatOrgPool = allocateArray<StatRecord>(static_cast<size_t>(m_nRows));
    if (!m_pStatOrgPool) {
        showMessage("Insufficient Memory for m_pRowWeightPool");
        return false;
    }
    m_pStatNorPool = allocateArray<StatRecord>(static_cast<size_t>(m_nRows));
    if (!m_pStatNorPool) {
        showMessage("Insufficient Memory for m_pRowWeightPool");
        return false;
    }
    return true;
}

bool DataMatrix::completeCurrentValues()
{
    if (m_nColumns < 1 || m_pRowExpLevelPool)
        return true;
    size_t cells = static_cast<size_t>(m_nRows) * static_cast<size_t>(m_nColumns);
    m_pRowExpLevelPool = allocateArray<float>(cells);
    if (!m_pRowExpLevelPool) {
        showMessage("Insufficient Memory for Expression Level");
        return false;
    }
    std::copy_n(m_pOrgExpLevelPool.get(), cells, m_pRowExpLevelPool.get());
    attachFields();
    return true;
}

void DataMatrix::attachFields()
{
    float* current = m_pRowExpLevelPool ? m_pRowExpLevelPool.get() : m_pOrgExpLevelPool.get();
    for (size_t k = 0; k < m_arrColumnFields.size(); ++k)
        m_fields[m_arrColumnFields[k]]->attachToPools(m_pOrgExpLevelPool.get(), current, m_pRowWeightPool.get(), k,
                                                      static_cast<size_t>(m_nColumns));
}

void DataMatrix::rebuildFieldIndex()
{
    m_mapFieldIndex.clear();
    m_mapFieldIndex["UNIQID"] = 0;
    for (size_t i = 1; i < m_fields.size(); ++i)
        m_mapFieldIndex[m_fields[i]->m_strName] = static_cast<int>(i);
}

int DataMatrix::fieldIndex(const std::string& name) const
{
    auto it = m_mapFieldIndex.find(name);
    if (it == m_mapFieldIndex.end() || it->second < 0 || it->second >= static_cast<int>(m_fields.size()))
        return -1;
    return it->second;
}

FieldInfo* DataMatrix::fieldByName(const std::string& name)
{
    int i = fieldIndex(name);
    return i < 0 ? nullptr : field(i);
}

const std::string& DataMatrix::itemId(int r) const
{
    if (m_fields.empty() || m_fields[0]->m_nType != String)
        return kNoText;
    return m_fields[0]->m_pOrgTexts[static_cast<size_t>(r)];
}

const std::string& DataMatrix::itemName(int r) const
{
    int i = fieldIndex("NAME");
    if (i < 0)
        i = fieldIndex("TITLE");
    if (i < 0 || field(i)->m_nType != String)
        return itemId(r);
    return field(i)->m_pOrgTexts[static_cast<size_t>(r)];
}

int DataMatrix::categoricalFieldCount() const
{
    return static_cast<int>(std::count_if(m_fields.begin(), m_fields.end(),
                                          [](const auto& f) { return f->isCategorical(); }));
}

namespace {
// Copies a whole row or a whole value column of a row-major pool.
void writeLine(float* pool, int rows, int columns, int index, const float* source, bool byRow)
{
    const size_t cols = static_cast<size_t>(columns);
    if (byRow)
        std::copy(source, source + cols, pool + static_cast<size_t>(index) * cols);
    else
        for (size_t r = 0; r < static_cast<size_t>(rows); ++r)
            pool[r * cols + static_cast<size_t>(index)] = source[r];
}
} // namespace

void DataMatrix::setValues(int index, const float* source, bool byRow, bool original)
{
    writeLine(original ? m_pOrgExpLevelPool.get() : m_pRowExpLevelPool.get(), m_nRows, m_nColumns, index, source,
              byRow);
}

void DataMatrix::setWeights(int index, const float* source, bool byRow)
{
    writeLine(m_pRowWeightPool.get(), m_nRows, m_nColumns, index, source, byRow);
}

std::string DataMatrix::lookupLabel(const std::string& fieldName, int code) const
{
    int i = fieldIndex(fieldName);
    if (i < 0)
        return std::string();
    const FieldInfo* f = field(i);
    if (!f->isCategorical()) {
        showMessage("Trying to lookup at a non-categorical_str variable...");
        return std::string();
    }
    return f->labelOf(code);
}

bool DataMatrix::copyRows(const std::vector<unsigned>& rows, DataMatrix& dest) const
{
    dest.clear();
    dest.m_strName = m_strName;
    dest.m_bHasCID = m_bHasCID;
    dest.m_nWeightType = m_nWeightType;
    dest.m_nFields = m_nFields;
    dest.m_nColumns = m_nColumns;
    dest.m_nExpColumns = m_nExpColumns;
    dest.m_nRows = static_cast<int>(rows.size());
    dest.m_arrRowIndex = rows;
    dest.m_arrColumnFields = m_arrColumnFields;
    if (m_nColumns >= 1 && !dest.allocatePools()) {
        dest.clear();
        return false;
    }
    size_t cols = static_cast<size_t>(m_nColumns);
    for (size_t i = 0; i < rows.size(); ++i) {
        size_t src = static_cast<size_t>(rows[i]) * cols, dst = i * cols;
        std::copy_n(m_pOrgExpLevelPool.get() + src, cols, dest.m_pOrgExpLevelPool.get() + dst);
        std::copy_n(m_pRowExpLevelPool.get() + src, cols, dest.m_pRowExpLevelPool.get() + dst);
        std::copy_n(m_pRowWeightPool.get() + src, cols, dest.m_pRowWeightPool.get() + dst);
    }
    std::vector<bool> inPool(m_fields.size(), false);
    for (unsigned f : m_arrColumnFields)
        inPool[f] = true;
    for (size_t fi = 0; fi < m_fields.size(); ++fi) {
        const FieldInfo& s = *m_fields[fi];
        auto d = std::make_unique<FieldInfo>(s.m_nType, dest.m_nRows, !inPool[fi]);
        if (!d->ok()) {
            dest.clear();
            return false;
        }
        d->m_strName = s.m_strName;
        d->m_nCID = s.m_nCID;
        d->m_fWeight = s.m_fWeight;
        d->m_bHasData = s.m_bHasData;
        d->m_mapCodeToLabel = s.m_mapCodeToLabel;
        d->m_mapLabelToCode = s.m_mapLabelToCode;
        if (s.m_nType == String) {
            for (size_t i = 0; i < rows.size(); ++i)
                d->m_pOrgTexts[i] = s.m_pOrgTexts[rows[i]];
        } else if (!inPool[fi]) {
            for (size_t i = 0; i < rows.size(); ++i) {
                d->m_pValues[i] = s.m_pValues[rows[i]];
                d->m_pOrgValues[i] = s.m_pOrgValues[rows[i]];
                d->m_pWeights[i] = s.m_pWeights[rows[i]];
            }
        }
        dest.m_fields.push_back(std::move(d));
    }
    dest.attachFields();
    dest.m_mapFieldIndex = m_mapFieldIndex;
    return true;
}

bool DataMatrix::splitByCategory(const std::string& fieldName, std::vector<std::unique_ptr<DataMatrix>>& out) const
{
    int fi = fieldIndex(fieldName);
    if (fi < 0 || !field(fi)->isCategorical())
        return false;
    const FieldInfo& f = *field(fi);
    std::map<int, std::vector<unsigned>> groups;
    for (int r = 0; r < m_nRows; ++r)
        if (!isMissingWeight(f.m_pWeights[static_cast<size_t>(r)]))
            groups[static_cast<int>(f.m_pOrgValues[static_cast<size_t>(r)])].push_back(static_cast<unsigned>(r));
    std::map<int, std::string> labels(f.m_mapCodeToLabel.begin(), f.m_mapCodeToLabel.end());
    for (const auto& [code, label] : labels) {
        auto m = std::make_unique<DataMatrix>();
        auto g = groups.find(code);
        if (!copyRows(g == groups.end() ? std::vector<unsigned>() : g->second, *m))
            return false;
        m->m_strSubset = strFormat("%s=%s", f.m_strName.c_str(), label.c_str());
        out.push_back(std::move(m));
    }
    return true;
}

bool DataMatrix::splitColumns(const std::vector<std::string>& first, const std::vector<std::string>& second,
                              std::vector<std::unique_ptr<DataMatrix>>& out) const
{
    std::vector<bool> inPool(m_fields.size(), false);
    for (unsigned f : m_arrColumnFields)
        inPool[f] = true;
    for (const auto* names : {&first, &second}) {
        // The chosen value columns, by name, in list order.
        std::vector<int> chosen;
        for (const std::string& n : *names) {
            int fi = fieldIndex(n);
            if (fi < 0 || !inPool[static_cast<size_t>(fi)])
                continue;
            auto it = std::find(m_arrColumnFields.begin(), m_arrColumnFields.end(), static_cast<unsigned>(fi));
            chosen.push_back(static_cast<int>(it - m_arrColumnFields.begin()));
        }
        auto m = std::make_unique<DataMatrix>();
        m->m_strName = m_strName;
        m->m_bHasCID = m_bHasCID;
        m->m_nWeightType = m_nWeightType;
        m->m_nRows = m_nRows;
        m->m_nColumns = static_cast<int>(chosen.size());
        m->m_nFields = m->m_nColumns + m_nFields - m_nColumns;
        if (m->m_nColumns >= 1 && !m->allocatePools())
            return false;
        // Kept fields: every non-value field in place, the chosen columns in list order.
        for (size_t fi = 0; fi < m_fields.size(); ++fi) {
            const FieldInfo& s = *m_fields[fi];
            if (inPool[fi])
                continue;
            auto d = std::make_unique<FieldInfo>(s.m_nType, m_nRows, true);
            if (!d->ok())
                return false;
            d->m_strName = s.m_strName;
            d->m_nCID = s.m_nCID;
            d->m_fWeight = s.m_fWeight;
            d->m_pOrgTexts = s.m_pOrgTexts;
            if (s.isNumeric())
                for (size_t r = 0; r < static_cast<size_t>(m_nRows); ++r) {
                    d->m_pValues[r] = s.m_pValues[r];
                    d->m_pOrgValues[r] = s.m_pOrgValues[r];
                    d->m_pWeights[r] = s.m_pWeights[r];
                }
            m->m_fields.push_back(std::move(d));
        }
        size_t cols = static_cast<size_t>(m->m_nColumns);
        for (size_t j = 0; j < chosen.size(); ++j) {
            int k = chosen[j];
            const FieldInfo& s = *columnField(k);
            auto d = std::make_unique<FieldInfo>(s.m_nType, m_nRows, false);
            d->m_strName = s.m_strName;
            d->m_nCID = s.m_nCID;
            d->m_fWeight = s.m_fWeight;
            d->m_mapCodeToLabel = s.m_mapCodeToLabel;
            d->m_mapLabelToCode = s.m_mapLabelToCode;
            if (s.m_nType == Expression)
                ++m->m_nExpColumns;
            m->m_arrColumnFields.push_back(static_cast<unsigned>(m->m_fields.size()));
            m->m_fields.push_back(std::move(d));
            for (size_t r = 0; r < static_cast<size_t>(m_nRows); ++r) {
                m->m_pOrgExpLevelPool[r * cols + j] = orgValue(static_cast<int>(r), k);
                m->m_pRowExpLevelPool[r * cols + j] = value(static_cast<int>(r), k);
                m->m_pRowWeightPool[r * cols + j] = weight(static_cast<int>(r), k);
            }
        }
        m->attachFields();
        m->rebuildFieldIndex();
        m->m_strSubset = strFormat("%d/%d", static_cast<int>(names->size()), m_nColumns);
        out.push_back(std::move(m));
    }
    return true;
}

std::string DataMatrix::dataSetName(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DataMatrix::withoutExtension(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    return dot == std::string::npos || dot < nameStart ? path : path.substr(0, dot);
}
