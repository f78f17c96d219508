#include "cluster/Forest.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "data/DataMatrix.h"
#include "platform/Messages.h"

namespace {
std::unique_ptr<float[]> tryFloats(size_t n)
{
    return std::unique_ptr<float[]>(new (std::nothrow) float[n > 0 ? n : 1]);
}
} // namespace

CForest::CForest(int nodeCount, int profileLength, int leafCount, bool rowForest)
    : m_nNodes(nodeCount), m_nLeaves(leafCount), m_nProfileLength(profileLength), m_bRowForest(rowForest)
{
    if (leafCount < 1 || nodeCount < leafCount || profileLength < 0) {
        m_bOk = false;
        return;
    }
    try {
        m_pNodes.resize(static_cast<size_t>(nodeCount));
        m_nodeStore.reserve(static_cast<size_t>(nodeCount));
    } catch (const std::bad_alloc&) {
        showMessage("Insufficient Memory for Forest:m_pNodes");
        m_bOk = false;
        return;
    }
    try {
        m_pOrgNodes.resize(static_cast<size_t>(leafCount));
    } catch (const std::bad_alloc&) {
        showMessage("Insufficient Memory for Forest:m_pOrgNodes");
        m_bOk = false;
        return;
    }
    const size_t branchCells = static_cast<size_t>(leafCount - 1) * static_cast<size_t>(profileLength);
    if (leafCount > 1) {
        m_branchValues = tryFloats(branchCells);
        if (!m_branchValues) {
            showMessage("Insufficient Memory for Expression Level");
            m_bOk = false;
            return;
        }
        m_branchWeights = tryFloats(branchCells);
        if (!m_branchWeights) {
            showMessage("Insufficient Memory for m_pWeightPool");
            m_bOk = false;
            return;
        }
        m_pExpressionPool = m_branchValues.get();
        m_pWeightPool = m_branchWeights.get();
    }
    try {
        for (int i = 0; i < nodeCount; ++i) {
            std::unique_ptr<CNode> node;
            if (rowForest)
                node = std::make_unique<CRowNode>();
            else
                node = std::make_unique<CColumnNode>();
            if (i < leafCount) {
                node->initialise(profileLength, true, i, 1, 1.0f, 1.0f, true, nullptr, nullptr, nullptr, nullptr, "");
                node->m_nPosition = i;
                m_pOrgNodes[static_cast<size_t>(i)] = node.get();
            } else {
                const size_t slice = static_cast<size_t>(i - leafCount) * static_cast<size_t>(profileLength);
                node->m_pValues = m_pExpressionPool + slice;
                node->m_pWeights = m_pWeightPool + slice;
                node->initialise(profileLength, false, i, 0, 0.0f, 1.0f, true, nullptr, nullptr, nullptr, nullptr, "");
            }
            m_pNodes[static_cast<size_t>(i)] = node.get();
            m_nodeStore.push_back(std::move(node));
        }
        m_arrOrder.resize(static_cast<size_t>(leafCount));
        m_leafMap.resize(static_cast<size_t>(leafCount));
        for (int i = 0; i < leafCount; ++i)
            m_arrOrder[static_cast<size_t>(i)] = m_leafMap[static_cast<size_t>(i)] = i;
        m_columnWeights.assign(static_cast<size_t>(profileLength), 1.0f);
    } catch (const std::bad_alloc&) {
        showMessage("Insufficient Memory for Forest:m_pNodes");
        m_bOk = false;
    }
}

CForest::~CForest() = default;

// ---------------------------------------------------------------- leaves

int CForest::localOf(int dataIndex) const
{
    if (m_mapDataToLocal.empty())
        return dataIndex >= 0 && dataIndex < m_nLeaves ? dataIndex : -1;
    auto it = m_mapDataToLocal.find(dataIndex);
    return it == m_mapDataToLocal.end() ? -1 : it->second;
}

bool CForest::setLeafDataIndices(const std::vector<int>& dataIndices)
{
    if (dataIndices.size() != static_cast<size_t>(m_nLeaves))
        return false;
    std::unordered_map<int, int> map;
    for (int k = 0; k < m_nLeaves; ++k)
        if (!map.emplace(dataIndices[static_cast<size_t>(k)], k).second)
            return false;
    std::unordered_map<int, int> newIndexOfOld;
    for (int k = 0; k < m_nLeaves; ++k) {
        CNode* node = m_pOrgNodes[static_cast<size_t>(k)];
        newIndexOfOld[node->m_nIndex] = dataIndices[static_cast<size_t>(k)];
        node->m_nIndex = dataIndices[static_cast<size_t>(k)];
    }
    for (int& d : m_arrOrder)
        d = newIndexOfOld[d];
    m_mapDataToLocal = std::move(map);
    rebuildLeafMap();
    return true;
}

bool CForest::initialiseLeaves(DataMatrix& data)
{
    if (!m_bOk)
        return false;
    const int rows = data.m_nRows, columns = data.m_nColumns;
    if (m_bRowForest ? (rows != m_nLeaves || columns != m_nProfileLength)
                     : (columns != m_nLeaves || rows != m_nProfileLength))
        return false;
    auto textOf = [&](const char* name, int r) -> std::string {
        const int f = data.fieldIndex(name);
        if (f < 0)
            return {};
        const FieldInfo* fi = data.field(f);
        return fi->m_nType == String && static_cast<size_t>(r) < fi->m_pOrgTexts.size() ? fi->m_pOrgTexts[static_cast<size_t>(r)]
                                                                                       : std::string();
    };
    if (m_bRowForest) {
        // Leaves point at the matrix's rows; a private copy made by an
        // earlier permutation is dropped.
        m_leafValues.reset();
        m_leafOrgValues.reset();
        m_leafWeights.reset();
        int weightField = data.fieldIndex("GWEIGHT");
        if (weightField < 0)
            weightField = data.fieldIndex("WEIGHT");
        for (int r = 0; r < m_nLeaves; ++r) {
            auto* node = static_cast<CRowNode*>(m_pOrgNodes[static_cast<size_t>(r)]);
            node->m_strName = data.itemName(r);
            node->m_strLabel2 = data.itemId(r);
            node->m_strLabel3 = textOf("DESC", r);
            if (node->m_strLabel3.empty())
                node->m_strLabel3 = textOf("DESCRIPTION", r);
            node->m_strTitle = textOf("TITLE", r);
            node->m_strOntology = textOf("GO", r);
            if (node->m_strOntology.empty())
                node->m_strOntology = textOf("GOID", r);
            node->m_fWeight = 1.0f;
            if (weightField >= 0) {
                const FieldInfo* fi = data.field(weightField);
                if (fi->isNumeric() && fi->m_pOrgValues && fi->m_pWeights && fi->m_pWeights[static_cast<size_t>(r)] != -1.0f)
                    node->m_fWeight = fi->m_pOrgValues[static_cast<size_t>(r)];
            }
            node->m_pValues = columns > 0 ? data.rowValues(r) : nullptr;
            node->m_pOrgValues = columns > 0 ? data.rowOrgValues(r) : nullptr;
            node->m_pWeights = columns > 0 ? data.rowWeights(r) : nullptr;
            node->m_pStatOrg = data.m_pStatOrgPool ? &data.m_pStatOrgPool[static_cast<size_t>(r)] : nullptr;
            node->m_pStat = data.m_pStatNorPool ? &data.m_pStatNorPool[static_cast<size_t>(r)] : nullptr;
        }
        m_bHasClasses = false;
        m_classSizes.clear();
        return true;
    }
    // Column forest: contiguous copies of the columns.
    const size_t cells = static_cast<size_t>(m_nLeaves) * static_cast<size_t>(m_nProfileLength);
    if (!m_leafValues) {
        m_leafValues = tryFloats(cells);
        m_leafOrgValues = tryFloats(cells);
        m_leafWeights = tryFloats(cells);
        if (!m_leafValues || !m_leafOrgValues || !m_leafWeights) {
            m_leafValues.reset();
            m_leafOrgValues.reset();
            m_leafWeights.reset();
            showMessage("Insufficient Memory for Expression Level");
            return false;
        }
    }
    const size_t L = static_cast<size_t>(m_nProfileLength);
    for (int r = 0; r < rows; ++r) {
        const float* v = data.rowValues(r);
        const float* o = data.rowOrgValues(r);
        const float* w = data.rowWeights(r);
        for (int k = 0; k < columns; ++k) {
            const size_t at = static_cast<size_t>(k) * L + static_cast<size_t>(r);
            m_leafValues[at] = v[k];
            m_leafOrgValues[at] = o[k];
            m_leafWeights[at] = w[k];
        }
    }
    m_bHasClasses = data.m_bHasCID;
    m_classSizes.clear();
    for (int k = 0; k < m_nLeaves; ++k) {
        auto* node = static_cast<CColumnNode*>(m_pOrgNodes[static_cast<size_t>(k)]);
        const FieldInfo* fi = data.columnField(k);
        node->m_strName = fi->m_strName;
        node->m_nCID = fi->m_nCID;
        node->m_nType = fi->m_nType;
        node->m_fWeight = fi->m_fWeight;
        node->m_pValues = m_leafValues.get() + static_cast<size_t>(k) * L;
        node->m_pOrgValues = m_leafOrgValues.get() + static_cast<size_t>(k) * L;
        node->m_pWeights = m_leafWeights.get() + static_cast<size_t>(k) * L;
        node->m_pStatOrg = &fi->m_statOrg;
        node->m_pStat = &fi->m_statNor;
        node->m_nMarker2 = -1;
        if (m_bHasClasses && fi->m_nCID >= 1) {
            node->m_nMarker2 = fi->m_nCID;
            if (m_classSizes.size() < static_cast<size_t>(fi->m_nCID))
                m_classSizes.resize(static_cast<size_t>(fi->m_nCID), 0);
            ++m_classSizes[static_cast<size_t>(fi->m_nCID - 1)];
        }
    }
    return true;
}

bool CForest::ownLeafProfiles()
{
    if (m_leafValues)
        return true;
    const size_t L = static_cast<size_t>(m_nProfileLength);
    const size_t cells = static_cast<size_t>(m_nLeaves) * L;
    m_leafValues = tryFloats(cells);
    m_leafOrgValues = tryFloats(cells);
    m_leafWeights = tryFloats(cells);
    if (!m_leafValues || !m_leafOrgValues || !m_leafWeights) {
        m_leafValues.reset();
        m_leafOrgValues.reset();
        m_leafWeights.reset();
        showMessage("Insufficient Memory for Expression Level");
        return false;
    }
    for (int k = 0; k < m_nLeaves; ++k) {
        CNode* node = m_pOrgNodes[static_cast<size_t>(k)];
        const size_t at = static_cast<size_t>(k) * L;
        auto take = [&](float*& p, float* pool, float fill) {
            if (p)
                std::copy(p, p + L, pool + at);
            else
                std::fill(pool + at, pool + at + L, fill);
            p = pool + at;
        };
        take(node->m_pValues, m_leafValues.get(), 0.0f);
        take(node->m_pOrgValues, m_leafOrgValues.get(), 0.0f);
        take(node->m_pWeights, m_leafWeights.get(), 1.0f);
    }
    return true;
}

bool CForest::copyLeaves(const CForest& other)
{
    if (!m_bOk || !other.m_bOk || other.m_nLeaves != m_nLeaves || other.m_nNodes != m_nNodes ||
        other.m_nProfileLength != m_nProfileLength || other.m_bRowForest != m_bRowForest)
        return false;
    if (!ownLeafProfiles())
        return false;
    std::unordered_map<const CNode*, CNode*> counterpart;
    for (int k = 0; k < m_nLeaves; ++k)
        counterpart[other.m_pOrgNodes[static_cast<size_t>(k)]] = m_pOrgNodes[static_cast<size_t>(k)];
    for (int i = m_nLeaves; i < m_nNodes; ++i)
        counterpart[other.m_pNodes[static_cast<size_t>(i)]] = m_pNodes[static_cast<size_t>(i)];
    const size_t L = static_cast<size_t>(m_nProfileLength);
    auto copyNode = [&](const CNode* from, CNode* to) {
        float* values = to->m_pValues;
        float* orgValues = to->m_pOrgValues;
        float* weights = to->m_pWeights;
        if (m_bRowForest)
            *static_cast<CRowNode*>(to) = *static_cast<const CRowNode*>(from);
        else
            *static_cast<CColumnNode*>(to) = *static_cast<const CColumnNode*>(from);
        to->m_pValues = values;
        to->m_pOrgValues = orgValues;
        to->m_pWeights = weights;
        to->m_pFirst = from->m_pFirst ? counterpart[from->m_pFirst] : nullptr;
        to->m_pSecond = from->m_pSecond ? counterpart[from->m_pSecond] : nullptr;
        auto copyArray = [&](const float* src, float* dst) {
            if (src && dst)
                std::copy(src, src + L, dst);
        };
        copyArray(from->m_pValues, values);
        copyArray(from->m_pOrgValues, orgValues);
        copyArray(from->m_pWeights, weights);
    };
    for (int k = 0; k < m_nLeaves; ++k)
        copyNode(other.m_pOrgNodes[static_cast<size_t>(k)], m_pOrgNodes[static_cast<size_t>(k)]);
    for (int i = m_nLeaves; i < m_nNodes; ++i)
        copyNode(other.m_pNodes[static_cast<size_t>(i)], m_pNodes[static_cast<size_t>(i)]);
    for (int p = 0; p < m_nLeaves; ++p)
        m_pNodes[static_cast<size_t>(p)] = counterpart[other.m_pNodes[static_cast<size_t>(p)]];
    m_mapDataToLocal = other.m_mapDataToLocal;
    m_arrOrder = other.m_arrOrder;
    m_leafMap = other.m_leafMap;
    m_bClustered = other.m_bClustered;
    m_bHasClasses = other.m_bHasClasses;
    m_classSizes = other.m_classSizes;
    m_bPValueWeights = other.m_bPValueWeights;
    m_columnWeights = other.m_columnWeights;
    return true;
}

void CForest::rebuildLeafMap()
{
    for (int p = 0; p < m_nLeaves; ++p) {
        CNode* node = m_pNodes[static_cast<size_t>(p)];
        node->m_nPosition = p;
        m_leafMap[static_cast<size_t>(p)] = node->m_nIndex;
    }
}

// ---------------------------------------------------------------- order

void CForest::takeTreeOrder()
{
    if (!hasTree())
        return;
    std::vector<const CNode*> stack{root()};
    size_t out = 0;
    while (!stack.empty()) {
        const CNode* node = stack.back();
        stack.pop_back();
        if (node->isLeaf()) {
            if (out < m_arrOrder.size())
                m_arrOrder[out++] = node->m_nIndex;
            continue;
        }
        stack.push_back(node->m_pSecond);
        stack.push_back(node->m_pFirst);
    }
}

std::vector<int> CForest::applyOrder()
{
    std::vector<int> from(static_cast<size_t>(m_nLeaves));
    std::vector<CNode*> leaves(static_cast<size_t>(m_nLeaves));
    std::vector<char> used(static_cast<size_t>(m_nLeaves), 0);
    for (int p = 0; p < m_nLeaves; ++p) {
        const int local = localOf(m_arrOrder[static_cast<size_t>(p)]);
        if (local < 0 || used[static_cast<size_t>(local)]) {
            // Not a permutation of this forest's leaves: keep the order shown.
            for (int q = 0; q < m_nLeaves; ++q)
                from[static_cast<size_t>(q)] = q;
            return from;
        }
        used[static_cast<size_t>(local)] = 1;
        leaves[static_cast<size_t>(p)] = m_pOrgNodes[static_cast<size_t>(local)];
        from[static_cast<size_t>(p)] = leaves[static_cast<size_t>(p)]->m_nPosition;
    }
    std::copy(leaves.begin(), leaves.end(), m_pNodes.begin());
    rebuildLeafMap();
    return from;
}

bool CForest::permuteProfiles(const std::vector<int>& from)
{
    if (from.size() != static_cast<size_t>(m_nProfileLength))
        return false;
    // Only the span [lo, hi) that moves is copied (a flipped subtree moves
    // a short stretch of long profiles).
    size_t lo = from.size(), hi = 0;
    for (size_t k = 0; k < from.size(); ++k)
        if (from[k] != static_cast<int>(k)) {
            lo = std::min(lo, k);
            hi = k + 1;
        }
    if (lo >= hi)
        return true;
    if (!ownLeafProfiles())
        return false;
    std::vector<float> scratch(from.size());
    auto permute = [&](float* a) {
        if (!a)
            return;
        for (size_t k = lo; k < hi; ++k)
            scratch[k] = a[from[k]];
        std::copy(scratch.begin() + static_cast<std::ptrdiff_t>(lo), scratch.begin() + static_cast<std::ptrdiff_t>(hi),
                  a + lo);
    };
    for (int i = 0; i < m_nNodes; ++i) {
        CNode* node = i < m_nLeaves ? m_pOrgNodes[static_cast<size_t>(i)] : m_pNodes[static_cast<size_t>(i)];
        if (!node->isLeaf() && !node->m_pFirst)
            continue;  // a branch not formed yet has no profile
        permute(node->m_pValues);
        permute(node->m_pOrgValues);
        permute(node->m_pWeights);
    }
    for (size_t k = 0; k < from.size(); ++k)
        scratch[k] = m_columnWeights[static_cast<size_t>(from[k])];
    std::copy(scratch.begin(), scratch.end(), m_columnWeights.begin());
    return true;
}

bool CForest::flipNode(CNode* node)
{
    if (!node || node->isLeaf() || !node->m_pFirst || !node->m_pSecond || node->m_nIndex < m_nLeaves ||
        node->m_nIndex >= m_nNodes || m_pNodes[static_cast<size_t>(node->m_nIndex)] != node)
        return false;
    const auto [first, last] = leafRange(node);
    const int firstSize = node->m_pFirst->m_nSize;
    if (first < 0 || last >= m_nLeaves)
        return false;
    // New position first + k holds the leaf from old position from[first + k].
    std::vector<int> from(static_cast<size_t>(m_nLeaves));
    for (int p = 0; p < m_nLeaves; ++p)
        from[static_cast<size_t>(p)] = p;
    const auto begin = from.begin() + first, end = from.begin() + last + 1;
    std::rotate(begin, begin + firstSize, end);
    if (m_pPartner && !m_pPartner->permuteProfiles(from))
        return false;
    std::swap(node->m_pFirst, node->m_pSecond);
    std::rotate(m_pNodes.begin() + first, m_pNodes.begin() + first + firstSize, m_pNodes.begin() + last + 1);
    rebuildLeafMap();
    if (m_arrOrder.size() == m_leafMap.size())
        std::copy(m_leafMap.begin(), m_leafMap.end(), m_arrOrder.begin());
    // The cut's clusters stay the same nodes, numbered left to right again.
    const CNode* selected = m_nSelectedCluster >= 0 && static_cast<size_t>(m_nSelectedCluster) < m_clusters.size()
                                ? m_clusters[static_cast<size_t>(m_nSelectedCluster)]
                                : nullptr;
    std::stable_sort(m_clusters.begin(), m_clusters.end(),
                     [this](const CNode* a, const CNode* b) { return leafRange(a).first < leafRange(b).first; });
    if (selected)
        m_nSelectedCluster =
            static_cast<int>(std::find(m_clusters.begin(), m_clusters.end(), selected) - m_clusters.begin());
    return true;
}

std::vector<int> CForest::orderEnabledFirst()
{
    if (!m_bClustered || !hasTree()) {
        size_t out = 0;
        for (int pass = 1; pass >= 0; --pass)
            for (int p = 0; p < m_nLeaves; ++p) {
                const CNode* node = m_pNodes[static_cast<size_t>(p)];
                if (node->m_bEnabled == pass)
                    m_arrOrder[out++] = node->m_nIndex;
            }
        return applyOrder();
    }
    // Branches are stored children first, so one pass finds which of them
    // hold an enabled leaf.
    std::vector<char> holdsEnabled(static_cast<size_t>(m_nNodes), 0);
    auto holds = [&](const CNode* n) {
        return n->isLeaf() ? n->m_bEnabled != 0 : holdsEnabled[static_cast<size_t>(n->m_nIndex)] != 0;
    };
    for (int i = m_nLeaves; i < m_nNodes; ++i) {
        CNode* node = m_pNodes[static_cast<size_t>(i)];
        if (!node->m_pFirst)
            continue;
        const bool first = holds(node->m_pFirst), second = holds(node->m_pSecond);
        if (!first && second)
            std::swap(node->m_pFirst, node->m_pSecond);
        holdsEnabled[static_cast<size_t>(i)] = first || second;
    }
    takeTreeOrder();
    return applyOrder();
}

void CForest::enableLeaves(const std::vector<bool>& flags)
{
    for (int p = 0; p < m_nLeaves && static_cast<size_t>(p) < flags.size(); ++p)
        m_pNodes[static_cast<size_t>(p)]->m_bEnabled = flags[static_cast<size_t>(p)] ? 1 : 0;
}

// ---------------------------------------------------------------- measure

void CForest::selectMeasure(int measure)
{
    m_nMeasure = measure;
    m_pDistance = distanceFunction(measure);
}

void CForest::setNormalisers(double manhattan, double euclidean)
{
    m_dManhattanNormaliser = manhattan;
    m_dEuclideanNormaliser = euclidean;
}

DistanceParams CForest::distanceParams(const float* columnWeights, bool centered, bool absolute) const
{
    DistanceParams p;
    p.columnWeights = columnWeights;
    p.n = m_nProfileLength;
    p.centered = centered;
    p.absolute = absolute;
    p.pValueWeights = m_bPValueWeights;
    p.euclideanNormaliser = m_dEuclideanNormaliser;
    p.manhattanNormaliser = m_dManhattanNormaliser;
    return p;
}

std::pair<double, double> computeNormalisers(const CForest& partner)
{
    double total = 0.0;
    int k = 0;
    for (int p = 0; p < partner.m_nLeaves; ++p) {
        const CNode* leaf = partner.leaf(p);
        if (leaf->m_bEnabled) {
            total += leaf->m_fWeight;
            ++k;
        }
    }
    if (k == 0 || total == 0.0)
        return {0.0, 0.0};
    double manhattan = 0.0, euclidean = 0.0;
    for (int p = 0; p < partner.m_nLeaves; ++p) {
        const CNode* leaf = partner.leaf(p);
        if (!leaf->m_bEnabled)
            continue;
        float lo = 0.0f, hi = 0.0f;
        bool any = false;
        for (int i = 0; i < partner.m_nProfileLength && leaf->m_pValues; ++i) {
            if (leaf->m_pWeights && leaf->m_pWeights[i] == -1.0f)
                continue;
            const float v = leaf->m_pValues[i];
            if (!any) {
                lo = hi = v;
                any = true;
            } else {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
        const double range = static_cast<double>(hi) - lo;
        const double v = leaf->m_fWeight / total;
        manhattan += v * std::abs(range);
        euclidean += v * range * range;
    }
    return {k * manhattan, std::sqrt(k * euclidean)};
}
