// The cut of a forest at a minimum similarity, leaf ranges and the shown
// flags.
#include <algorithm>
#include <vector>

#include "cluster/Forest.h"
#include "platform/Format.h"

namespace {

// Pre-order walk, first child first: a branch with similarity >= s whose
// parent is below s is a cluster and is not descended into. Leaves are
// never clusters. The root alone is the cluster when the walk finds none
// and the root is >= s.
template <class Visit>
void walkCut(const CNode* root, float s, Visit visit)
{
    bool found = false;
    std::vector<std::pair<const CNode*, float>> stack;
    if (root->m_pFirst) {
        stack.emplace_back(root->m_pSecond, root->m_fSimilarity);
        stack.emplace_back(root->m_pFirst, root->m_fSimilarity);
    }
    while (!stack.empty()) {
        auto [node, parentSimilarity] = stack.back();
        stack.pop_back();
        if (node->isLeaf())
            continue;
        if (node->m_fSimilarity >= s && parentSimilarity < s) {
            visit(node);
            found = true;
            continue;
        }
        stack.emplace_back(node->m_pSecond, node->m_fSimilarity);
        stack.emplace_back(node->m_pFirst, node->m_fSimilarity);
    }
    if (!found && root->m_pFirst && root->m_fSimilarity >= s)
        visit(root);
}

} // namespace

std::pair<int, int> CForest::leafRange(const CNode* node) const
{
    if (!node)
        return {-1, -1};
    const CNode* leftmost = node;
    while (!leftmost->isLeaf())
        leftmost = leftmost->m_pFirst;
    return {leftmost->m_nPosition, leftmost->m_nPosition + node->m_nSize - 1};
}

std::pair<int, int> CForest::clusterRange(int cluster) const
{
    if (cluster < 0 || static_cast<size_t>(cluster) >= m_clusters.size())
        return {-1, -1};
    return leafRange(m_clusters[static_cast<size_t>(cluster)]);
}

std::pair<int, int> CForest::selectedClusterRange() const { return clusterRange(m_nSelectedCluster); }

void CForest::cut(float minSimilarity)
{
    m_clusters.clear();
    if (!hasTree())
        return;
    walkCut(root(), minSimilarity, [&](const CNode* n) { m_clusters.push_back(const_cast<CNode*>(n)); });
}

int CForest::itemsLeft() const
{
    int left = m_nLeaves;
    for (const CNode* c : m_clusters)
        left -= c->m_nSize;
    return left;
}

std::pair<int, int> CForest::countClusters(float minSimilarity, bool countItems) const
{
    if (!hasTree())
        return {0, m_nLeaves};
    int clusters = 0, items = 0;
    walkCut(root(), minSimilarity, [&](const CNode* n) {
        const int shown = shownLeaves(n);
        if (shown > 0) {
            ++clusters;
            items += shown;
        }
    });
    if (!countItems)
        items = shownLeaves(root());
    return {clusters, items};
}

std::vector<int> CForest::clusterNumbers() const
{
    std::vector<int> numbers(static_cast<size_t>(m_nLeaves), 0);
    for (size_t c = 0; c < m_clusters.size(); ++c) {
        auto [first, last] = leafRange(m_clusters[c]);
        for (int p = first; p <= last && p >= 0 && p < m_nLeaves; ++p)
            numbers[static_cast<size_t>(p)] = static_cast<int>(c) + 1;
    }
    return numbers;
}

int CForest::shownLeaves(const CNode* node) const
{
    auto [first, last] = leafRange(node);
    int shown = 0;
    for (int p = first; p <= last && p >= 0; ++p)
        shown += m_pNodes[static_cast<size_t>(p)]->m_bShown != 0;
    return shown;
}

int CForest::firstShownLeaf(const CNode* node) const
{
    auto [first, last] = leafRange(node);
    for (int p = first; p <= last && p >= 0; ++p)
        if (m_pNodes[static_cast<size_t>(p)]->m_bShown)
            return m_pNodes[static_cast<size_t>(p)]->m_nIndex;
    return -1;
}

void CForest::setAllShown()
{
    for (int p = 0; p < m_nLeaves; ++p)
        m_pNodes[static_cast<size_t>(p)]->m_bShown = 1;
}

void CForest::hideLeaves(int first, int last)
{
    for (int p = std::max(first, 0); p <= last && p < m_nLeaves; ++p)
        m_pNodes[static_cast<size_t>(p)]->m_bShown = 0;
}

void CForest::showOnlyLeaves(int first, int last)
{
    for (int p = 0; p < m_nLeaves; ++p)
        m_pNodes[static_cast<size_t>(p)]->m_bShown = p >= first && p <= last;
}

std::vector<std::pair<int, int>> cutRanges(const CForest& forest, float minSimilarity)
{
    std::vector<std::pair<int, int>> out;
    if (forest.hasTree())
        walkCut(forest.root(), minSimilarity, [&](const CNode* n) { out.push_back(forest.leafRange(n)); });
    return out;
}

std::string cutStatisticsText(const CForest& forest, float minSimilarity)
{
    const int alones = forest.itemsLeft();
    return strFormat("Minimum Similarity = %4.3f", minSimilarity) +
           strFormat("  # of Clusters = %d", static_cast<int>(forest.m_clusters.size())) +
           strFormat("  # of Items Left = %d", forest.m_nLeaves - alones) + strFormat("  # of Alones = %d", alones);
}
