#pragma once
// One node of a dendrogram forest: a leaf (an item of the row forest or a
// column of the column forest) or a branch formed by clustering.
//
// A node's profile has one value per leaf of the partner forest, in the
// partner's display order. Leaf profiles live where the forest put them (the
// data matrix's rows, or the forest's own leaf pool); branch profiles live in
// the forest's branch pools. Nodes never own profile memory.
#include <array>
#include <limits>
#include <string>

#include "data/Rgb.h"

struct StatRecord;

class CNode {
public:
    CNode() = default;
    virtual ~CNode() = default;
    CNode(const CNode&) = default;
    CNode& operator=(const CNode&) = default;

    // The colours shared by all nodes (cluster colouring in the views).
    static const std::array<Rgb, 11> kPalette;

    // Sets every field of the node; values and weights are stored as given
    // (a leaf points at them, a branch's arrays are set by the forest first
    // and then filled by copying, see setValues).
    virtual void initialise(int profileLength, bool leaf, int index, int size, float similarity, float weight,
                            bool enabled, const float* values, const float* weights, CNode* first, CNode* second,
                            const std::string& name);
    // A leaf takes the array (a row of the data matrix or of the forest's
    // leaf pool); a branch copies it into the storage it was given.
    virtual void setWeights(const float* weights);
    virtual void setValues(const float* values);
    virtual void setOrgValues(const float* values);

    bool isLeaf() const { return m_bLeaf != 0; }

    std::string m_strName;
    std::string m_strLabel2;  // unique identifier
    std::string m_strLabel3;  // description
    int m_nIndex = -1;        // leaf: data index; branch: node index n..2n-2
    int m_nSize = 1;
    float m_fSimilarity = 1.0f;
    int m_nProfileLength = 0;
    unsigned char m_bEnabled = 1;
    float m_fWeight = 1.0f;
    unsigned char m_bLeaf = 1;
    CNode* m_pFirst = nullptr;
    CNode* m_pSecond = nullptr;
    int m_nMarker1 = -1;  // k-means cluster number
    int m_nMarker2 = -1;  // class number (from the CID row), 1-based
    unsigned char m_bShown = 1;
    const StatRecord* m_pStatOrg = nullptr;
    const StatRecord* m_pStat = nullptr;
    float* m_pValues = nullptr;
    float* m_pOrgValues = nullptr;
    float* m_pWeights = nullptr;
    // Display position of a leaf (kept by the forest; -1 for branches).
    int m_nPosition = -1;
};

// A node of a row forest: leaves are items and carry the item's annotation.
class CRowNode final : public CNode {
public:
    std::string m_strTitle;
    std::string m_strOntology;
    // The power calculation's F and second value (NaN before one).
    double m_dPowerF = std::numeric_limits<double>::quiet_NaN();
    double m_dPowerSecond = std::numeric_limits<double>::quiet_NaN();
};

// A node of a column forest: leaves are value columns.
class CColumnNode final : public CNode {
public:
    int m_nCID = -1;
    int m_nType = 0;  // field type of the column
};
