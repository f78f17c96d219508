#pragma once
// A forest's tree in flat arrays for the drawing passes that touch every
// node: the nodes themselves are scattered over the heap, these arrays stay
// in the cache. A node's id is its display position for a leaf and its node
// index for a branch, so that forest.m_pNodes[id] is the node.
#include <vector>

class CForest;

struct FlatTree {
    std::vector<int> pre;                  // ids in pre-order, first child first
    std::vector<int> first, second;        // children by id, -1 for a leaf
    std::vector<float> sim;                // similarity by id
    std::vector<int> firstLeaf, lastLeaf;  // display positions under each id
    std::vector<unsigned char> shown;      // shown flag by display position
    int root = -1;
    int leaves = 0;

    // Empty (root -1) when the forest has no tree.
    void build(const CForest& forest);
    // The shown flags of the leaves again (after Hide, Show Only This, Show All).
    void refreshShown(const CForest& forest);
    // Follows the forest's flip of branch `id` (CForest::flipNode) without
    // walking the forest again: the branch's children change places and the
    // leaves under it their positions. False (no change) for a leaf.
    bool flipBranch(int id);
};

// The cut at minimum similarity s: the branches with similarity >= s whose
// parent is below s, left to right (the root alone when it is >= s), as ids.
void flatCut(const FlatTree& tree, float s, std::vector<int>& clusters);
