#pragma once
// Forests with hand-made trees, for tests of what is computed from a tree
// (cuts, k-means starts, evaluations).
#include <memory>
#include <vector>

#include "ClusterFixtures.h"

// Makes node `node` a branch over nodes `first` and `second` (node indices;
// leaves are 0..n-1 in display order, so the two must be neighbours there).
inline CNode* joinNodes(CForest& f, int node, int first, int second, float similarity)
{
    CNode* a = f.m_pNodes[static_cast<size_t>(first)];
    CNode* b = f.m_pNodes[static_cast<size_t>(second)];
    CNode* n = f.m_pNodes[static_cast<size_t>(node)];
    n->initialise(f.m_nProfileLength, false, node, a->m_nSize + b->m_nSize, similarity, 1.0f, true, nullptr, nullptr, a,
                  b, "");
    f.m_bClustered = true;
    return n;
}

// One-value profiles at the given points, Euclidean distance.
inline std::unique_ptr<CForest> pointsForest(Profiles& p, const std::vector<float>& points)
{
    std::vector<std::vector<float>> rows;
    for (float x : points)
        rows.push_back({x});
    p = profilesOf(rows);
    return forestOver(p, kMeasureEuclidean);
}
