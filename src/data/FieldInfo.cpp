#include "data/FieldInfo.h"

#include <new>

#include "data/CellValue.h"
#include "platform/Messages.h"

FieldInfo::FieldInfo(int type, int count, bool ownArrays) : m_nCount(count < 0 ? 0 : count), m_nType(type)
{
    if (m_nType == String) {
        try {
            m_pOrgTexts.resize(static_cast<size_t>(m_nCount));
        } catch (const std::bad_alloc&) {
            m_bOk = false;
        }
    } else if (ownArrays) {
        size_t n = static_cast<size_t>(m_nCount);
        m_bOk = m_pValues.allocate(n) && m_pOrgValues.allocate(n) && m_pWeights.allocate(n);
    }
    if (!m_bOk)
        showMessage("Insufficient Memory For FieldInfo Class");
}

void FieldInfo::attachToPools(float* orgPool, float* curPool, float* weightPool, size_t k, size_t columns)
{
    m_pOrgValues.view(orgPool, k, columns);
    m_pValues.view(curPool, k, columns);
    m_pWeights.view(weightPool, k, columns);
}

void FieldInfo::parseColumn(const std::vector<std::string_view>& cells)
{
    m_mapCodeToLabel.clear();
    m_mapLabelToCode.clear();
    int n = std::min<int>(m_nCount, static_cast<int>(cells.size()));
    for (int r = 0; r < n; ++r)
        parseCell(r, cells[static_cast<size_t>(r)]);
    for (int r = n; r < m_nCount; ++r)
        parseCell(r, std::string_view());
}

void FieldInfo::parseCell(int r, std::string_view cell)
{
    std::string_view s = stripBlanks(cell);
    if (m_nType == String) {
        m_pOrgTexts[static_cast<size_t>(r)].assign(s);
        return;
    }
    float value = 0.0f;
    bool present = false;
    switch (m_nType) {
    case Categorical:
        if (!isMissingToken(s) && parseNumericCell(s, value)) {
            int code = parseLeadingInt(s);
            value = static_cast<float>(code);
            m_mapCodeToLabel.try_emplace(code, std::string(s));
            present = true;
        }
        break;
    case CategoricalStr:
        if (!isMissingToken(s)) {
            std::string label(s);
            auto it = m_mapLabelToCode.find(label);
            int code;
            if (it == m_mapLabelToCode.end()) {
                code = static_cast<int>(m_mapLabelToCode.size());
                m_mapLabelToCode.emplace(label, code);
                m_mapCodeToLabel.emplace(code, std::move(label));
            } else {
                code = it->second;
            }
            value = static_cast<float>(code);
            present = true;
        }
        break;
    default:
        present = parseNumericCell(s, value);
        break;
    }
    size_t i = static_cast<size_t>(r);
    m_pOrgValues[i] = value;
    m_pValues[i] = value;
    m_pWeights[i] = present ? 1.0f : kMissingWeight;
}

std::string FieldInfo::labelOf(int code) const
{
    auto it = m_mapCodeToLabel.find(code);
    return it == m_mapCodeToLabel.end() ? std::string() : it->second;
}
