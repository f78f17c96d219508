#pragma once
// One field (column) of the source file: its type, name, CID and column
// weight, its cells, and for categorical fields the label maps.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/CellValue.h"
#include "data/FieldColumn.h"
#include "data/StatRecord.h"

enum FieldType {
    Expression = 0,
    Integer = 1,
    Real = 2,
    String = 3,
    Categorical = 4,
    CategoricalStr = 5,
};

class FieldInfo {
public:
    // A field of `count` cells. Numeric fields get arrays of their own unless
    // the matrix attaches them to its pools (attachToPools). Check ok()
    // afterwards: "Insufficient Memory For FieldInfo Class" has been shown
    // when an array could not be had.
    FieldInfo(int type, int count, bool ownArrays = true);

    bool ok() const { return m_bOk; }
    bool isNumeric() const { return m_nType != String; }
    bool isCategorical() const { return m_nType == Categorical || m_nType == CategoricalStr; }

    // Points the three numeric arrays at column k of the matrix's pools.
    void attachToPools(float* orgPool, float* curPool, float* weightPool, size_t k, size_t columns);

    // Converts m_nCount cell texts by the field's type; the categorical maps
    // are emptied first.
    void parseColumn(const std::vector<std::string_view>& cells);
    // Parses one cell (for loaders that walk rows rather than columns).
    void parseCell(int r, std::string_view cell);
    // The same for a NUL-terminated cell of an Expression, Integer or Real field.
    void parseNumberCell(int r, const char* cell)
    {
        float value;
        const bool present = parseNumericText(cell, value);
        const size_t i = static_cast<size_t>(r);
        m_pOrgValues[i] = value;
        m_pValues[i] = value;
        m_pWeights[i] = present ? 1.0f : kMissingWeight;
    }

    // Label of a categorical code ("" when unknown).
    std::string labelOf(int code) const;

    int m_nCount;
    int m_nType;
    std::string m_strName;
    int m_nCID = -1;
    float m_fWeight = 1.0f;
    int m_bHasData = 1;
    StatRecord m_statOrg;
    StatRecord m_statNor;
    FieldColumn m_pValues;      // current value per item (numeric fields)
    FieldColumn m_pOrgValues;   // original value per item (numeric fields)
    std::vector<std::string> m_pOrgTexts;  // text per item (String fields)
    FieldColumn m_pWeights;     // weight per item, -1.0 = missing (numeric fields)
    std::unordered_map<int, std::string> m_mapCodeToLabel;
    std::unordered_map<std::string, int> m_mapLabelToCode;

private:
    bool m_bOk = true;
};
