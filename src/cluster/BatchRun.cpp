#include "cluster/BatchRun.h"

#include <unordered_set>

#include "cluster/Forest.h"
#include "platform/Format.h"

namespace {

// The clusters of the cut at s (the rule of CForest::cut) that hold at least
// one shown leaf.
std::vector<const CNode*> clustersAt(const CForest& forest, float s)
{
    std::vector<const CNode*> out;
    if (!forest.hasTree())
        return out;
    std::vector<std::pair<const CNode*, float>> stack{{forest.root()->m_pSecond, forest.root()->m_fSimilarity},
                                                      {forest.root()->m_pFirst, forest.root()->m_fSimilarity}};
    while (!stack.empty()) {
        auto [node, parent] = stack.back();
        stack.pop_back();
        if (node->isLeaf())
            continue;
        if (node->m_fSimilarity >= s && parent < s) {
            out.push_back(node);
            continue;
        }
        stack.emplace_back(node->m_pSecond, node->m_fSimilarity);
        stack.emplace_back(node->m_pFirst, node->m_fSimilarity);
    }
    if (out.empty() && forest.root()->m_fSimilarity >= s)
        out.push_back(forest.root());
    std::vector<const CNode*> shown;
    for (const CNode* c : out)
        if (forest.shownLeaves(c) > 0)
            shown.push_back(c);
    return shown;
}

} // namespace

std::vector<BatchStep> batchSteps(const CForest& forest, int steps)
{
    std::vector<BatchStep> out;
    if (steps < 1)
        return out;
    int shownAll = 0;
    for (int p = 0; p < forest.m_nLeaves; ++p)
        shownAll += forest.leaf(p)->m_bShown != 0;
    std::unordered_set<const CNode*> previous;
    for (int k = steps; k >= 1; --k) {
        BatchStep step;
        step.minSimilarity = static_cast<float>(k) / static_cast<float>(steps);
        const std::vector<const CNode*> clusters = clustersAt(forest, step.minSimilarity);
        std::unordered_set<const CNode*> current(clusters.begin(), clusters.end());
        int inClusters = 0;
        for (const CNode* c : clusters) {
            inClusters += forest.shownLeaves(c);
            step.changes += previous.count(c) ? 0 : 1;
        }
        step.clusters = static_cast<int>(clusters.size());
        step.alone = shownAll - inClusters;
        out.push_back(step);
        previous = std::move(current);
    }
    return out;
}

std::string batchTable(const std::vector<BatchStep>& steps)
{
    std::string text = "minsim\t# of Cluster\t# of Change\t# of Alone\n";
    for (const BatchStep& s : steps)
        text += strFormat("%4.3f\t%d\t%d\t%d\n", static_cast<double>(s.minSimilarity), s.clusters, s.changes, s.alone);
    return text;
}

std::string batchFileName(const std::string& dataName, bool rows)
{
    return dataName + (rows ? "_gene_batch.txt" : "_sample_batch.txt");
}
