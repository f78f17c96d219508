#include "app/FlatTree.h"

#include <algorithm>

#include "cluster/Forest.h"

namespace {
int idOf(const CNode* n) { return n->isLeaf() ? n->m_nPosition : n->m_nIndex; }
} // namespace

void FlatTree::build(const CForest& forest)
{
    const size_t nodes = static_cast<size_t>(forest.m_nNodes);
    leaves = forest.m_nLeaves;
    pre.clear();
    first.assign(nodes, -1);
    second.assign(nodes, -1);
    sim.assign(nodes, 1.0f);
    firstLeaf.assign(nodes, -1);
    lastLeaf.assign(nodes, -1);
    refreshShown(forest);
    root = -1;
    for (int p = 0; p < leaves; ++p) {
        firstLeaf[static_cast<size_t>(p)] = lastLeaf[static_cast<size_t>(p)] = p;
    }
    if (!forest.hasTree())
        return;
    pre.reserve(nodes);
    std::vector<const CNode*> stack{forest.root()};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        const size_t id = static_cast<size_t>(idOf(n));
        pre.push_back(static_cast<int>(id));
        sim[id] = n->m_fSimilarity;
        if (!n->isLeaf()) {
            first[id] = idOf(n->m_pFirst);
            second[id] = idOf(n->m_pSecond);
            stack.push_back(n->m_pSecond);
            stack.push_back(n->m_pFirst);
        }
    }
    root = pre.front();
    for (auto it = pre.rbegin(); it != pre.rend(); ++it) {
        const size_t id = static_cast<size_t>(*it);
        if (first[id] < 0)
            continue;
        firstLeaf[id] = firstLeaf[static_cast<size_t>(first[id])];
        lastLeaf[id] = lastLeaf[static_cast<size_t>(second[id])];
    }
}

void FlatTree::refreshShown(const CForest& forest)
{
    shown.resize(static_cast<size_t>(forest.m_nLeaves));
    for (int p = 0; p < forest.m_nLeaves; ++p)
        shown[static_cast<size_t>(p)] = forest.leaf(p)->m_bShown != 0;
}

bool FlatTree::flipBranch(int id)
{
    if (id < leaves || static_cast<size_t>(id) >= first.size() || first[static_cast<size_t>(id)] < 0)
        return false;
    const size_t branch = static_cast<size_t>(id);
    const int a = first[branch], b = second[branch];
    const int lo = firstLeaf[branch], hi = lastLeaf[branch] + 1;
    const int na = lastLeaf[static_cast<size_t>(a)] - firstLeaf[static_cast<size_t>(a)] + 1;
    const int nb = hi - lo - na;
    // The first child's leaves move nb places right, the second's na left.
    auto moved = [&](int p) { return p < lo || p >= hi ? p : p < lo + na ? p + nb : p - na; };
    auto movedId = [&](int x) { return x >= 0 && x < leaves ? moved(x) : x; };

    // The branch's pre-order run: itself, the first child's run (2 na - 1
    // ids), the second's; afterwards the second's run comes first.
    const auto at = std::find(pre.begin(), pre.end(), id);
    if (at == pre.end())
        return false;
    const auto firstRun = at + 1, secondRun = firstRun + (2 * na - 1), end = secondRun + (2 * nb - 1);
    std::rotate(firstRun, secondRun, end);
    for (auto it = firstRun; it != end; ++it) {
        *it = movedId(*it);
        const size_t x = static_cast<size_t>(*it);
        if (*it >= leaves) {
            first[x] = movedId(first[x]);
            second[x] = movedId(second[x]);
            firstLeaf[x] = moved(firstLeaf[x]);
            lastLeaf[x] = moved(lastLeaf[x]);
        }
    }
    first[branch] = movedId(b);
    second[branch] = movedId(a);
    // What is kept by display position moves with the leaves.
    std::rotate(sim.begin() + lo, sim.begin() + lo + na, sim.begin() + hi);
    std::rotate(shown.begin() + lo, shown.begin() + lo + na, shown.begin() + hi);
    return true;
}

void flatCut(const FlatTree& tree, float s, std::vector<int>& clusters)
{
    clusters.clear();
    if (tree.root < 0)
        return;
    // Pre-order with each node's parent similarity: a branch >= s under a
    // parent < s is a cluster; its subtree is skipped.
    std::vector<std::pair<int, float>> stack;
    stack.reserve(64);
    const size_t r = static_cast<size_t>(tree.root);
    if (tree.sim[r] >= s) {
        clusters.push_back(tree.root);
        return;
    }
    stack.emplace_back(tree.second[r], tree.sim[r]);
    stack.emplace_back(tree.first[r], tree.sim[r]);
    while (!stack.empty()) {
        auto [id, parentSim] = stack.back();
        stack.pop_back();
        const size_t i = static_cast<size_t>(id);
        if (tree.first[i] < 0)
            continue;
        if (tree.sim[i] >= s && parentSim < s) {
            clusters.push_back(id);
            continue;
        }
        stack.emplace_back(tree.second[i], tree.sim[i]);
        stack.emplace_back(tree.first[i], tree.sim[i]);
    }
}
