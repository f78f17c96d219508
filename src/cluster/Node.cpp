#include "cluster/Node.h"

#include <algorithm>

const std::array<Rgb, 11> CNode::kPalette = {{{0, 0, 0},
                                              {0x00, 0x00, 0xFF},
                                              {0xA5, 0x2A, 0x2A},
                                              {0xDC, 0x14, 0x3C},
                                              {0xB8, 0x86, 0x0B},
                                              {0x35, 0x87, 0xFF},
                                              {0xFF, 0x14, 0x93},
                                              {0x00, 0x80, 0x00},
                                              {0xFF, 0x00, 0x00},
                                              {0xDB, 0x70, 0x93},
                                              {0x80, 0x00, 0x00}}};

void CNode::initialise(int profileLength, bool leaf, int index, int size, float similarity, float weight,
                       bool enabled, const float* values, const float* weights, CNode* first, CNode* second,
                       const std::string& name)
{
    m_nProfileLength = profileLength;
    m_bLeaf = leaf ? 1 : 0;
    m_nIndex = index;
    m_nSize = size;
    m_fSimilarity = similarity;
    m_fWeight = weight;
    m_bEnabled = enabled ? 1 : 0;
    m_pFirst = first;
    m_pSecond = second;
    m_strName = name;
    if (!leaf)
        m_nPosition = -1;
    if (values)
        setValues(values);
    if (weights)
        setWeights(weights);
}

namespace {
void takeOrCopy(bool leaf, float*& target, const float* source, int n)
{
    if (leaf)
        target = const_cast<float*>(source);
    else if (target && source != target)
        std::copy(source, source + n, target);
}
} // namespace

void CNode::setWeights(const float* weights) { takeOrCopy(isLeaf(), m_pWeights, weights, m_nProfileLength); }
void CNode::setValues(const float* values) { takeOrCopy(isLeaf(), m_pValues, values, m_nProfileLength); }
void CNode::setOrgValues(const float* values) { takeOrCopy(isLeaf(), m_pOrgValues, values, m_nProfileLength); }
