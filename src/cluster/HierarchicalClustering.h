#pragma once
// Agglomerative clustering of one forest's leaves.
#include <vector>

class CForest;

enum ArrangementRule {
    kKeepRightChildRedder = 0,
    kKeepRightChildSmall = 1,
};

// Builds the dendrogram over the leaves of `forest` in their local (data)
// order with the measure selected on the forest (or the precomputed matrix
// loaded into it), the linkage (0..4), the node arrangement rule and one
// column weight per profile element (-1.0 = excluded). On success the
// branches n..2n-2 hold the tree, m_arrOrder the leaf order and the forest
// is marked clustered; the leaf table is not reordered (applyOrder does
// that). On cancel (quiet) or failure (message shown) every working table
// is freed and the forest is left unclustered.
bool buildDendrogram(CForest& forest, int linkage, int arrangement, bool centered, bool absolute,
                     const std::vector<float>& columnWeights);

// Whether a run moves its live slots together once half of them are dead
// (on by default). The tree is the same either way; off serves to show that.
void setMergeCompaction(bool on);
