#pragma once
// The dendrogram forest: one dimension (items or columns) of one partition
// of the data. It owns its leaves and branches, the leaf order, the cut at a
// minimum similarity, the shown and enabled flags, and the measure settings
// of its next clustering.
//
// Positions are display positions 0..n-1 (m_pNodes[position] is the leaf
// shown there); data indices are rows (row forest) or value columns (column
// forest) of the data matrix; local indices are the construction order
// (m_pOrgNodes[local]). Profiles of every node have one value per leaf of
// the partner forest, in the partner's display order.
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cluster/CondensedMatrix.h"
#include "cluster/Node.h"
#include "cluster/Similarity.h"

class DataMatrix;

class CForest {
public:
    // nodeCount = 2 * leafCount - 1. Shows "Insufficient Memory for ..." and
    // leaves ok() false when a table or a pool cannot be had.
    CForest(int nodeCount, int profileLength, int leafCount, bool rowForest);
    ~CForest();
    CForest(const CForest&) = delete;
    CForest& operator=(const CForest&) = delete;

    bool ok() const { return m_bOk; }

    // ---- leaves ----
    // Labels and fills every leaf from the matrix (row forest: leaf r is
    // item r and points at the matrix's rows; column forest: leaf k is value
    // column k, copied into the forest's leaf pool). Call it again after the
    // matrix's current values change (the column forest's copies do not
    // follow the matrix). The profiles come in the matrix's own order, so
    // the partner must not have been reordered yet. Also sets the leaf
    // classes from the CID row (column forest).
    bool initialiseLeaves(DataMatrix& data);
    // Copies every node of a forest of the same shape (profiles into this
    // forest's own pools).
    bool copyLeaves(const CForest& other);
    // Partition forests: local leaf k stands for row dataIndices[k] of the
    // full data matrix. False (nothing changed) unless the indices are
    // distinct and one per leaf.
    bool setLeafDataIndices(const std::vector<int>& dataIndices);
    // The local leaf standing for row dataIndex of the data matrix, -1 when
    // none does.
    int localOf(int dataIndex) const;

    CNode* leaf(int position) const { return m_pNodes[static_cast<size_t>(position)]; }
    int dataIndex(int position) const { return m_leafMap[static_cast<size_t>(position)]; }
    CNode* root() const { return m_pNodes.back(); }
    // True when the root is a branch (the forest has been clustered or read).
    bool hasTree() const { return m_nLeaves > 1 && root()->m_pFirst != nullptr; }

    // ---- ranges, cut and counts ----
    std::pair<int, int> leafRange(const CNode* node) const;
    std::pair<int, int> clusterRange(int cluster) const;
    std::pair<int, int> selectedClusterRange() const;
    // Fills the cluster list: the branches with similarity >= s whose parent
    // is below s, left to right (the root alone when it is >= s).
    void cut(float minSimilarity);
    // Leaf count minus the leaves of the clusters in the list.
    int itemsLeft() const;
    // The cut's (clusters, items) without touching the list; hidden leaves do
    // not count. An unclustered forest gives (0, leaf count).
    std::pair<int, int> countClusters(float minSimilarity, bool countItems) const;
    // Cluster number (1-based) of every display position; 0 = in no cluster.
    std::vector<int> clusterNumbers() const;

    int shownLeaves(const CNode* node) const;
    int firstShownLeaf(const CNode* node) const;
    void setAllShown();
    void hideLeaves(int first, int last);
    void showOnlyLeaves(int first, int last);

    // ---- order ----
    // Puts the leaf table into the order of m_arrOrder (data indices) and
    // rebuilds the leaf map. Returns, for every new position, the position
    // the leaf held before (what the partner's profiles need).
    std::vector<int> applyOrder();
    // Reorders the profiles of every node: new element k = old element
    // from[k]. Leaves that pointed into the data matrix get their own copy.
    bool permuteProfiles(const std::vector<int>& from);
    // Enabled leaves first (unclustered), or children swapped so that
    // disabled leaves end at the right (clustered); applies the order and
    // returns it as applyOrder does.
    std::vector<int> orderEnabledFirst();
    // Enabled flag of the leaf at every display position.
    void enableLeaves(const std::vector<bool>& flags);
    // Writes the in-order walk's data indices into m_arrOrder.
    void takeTreeOrder();
    // Swaps the two children of a branch: the leaves under it change places
    // block-wise (the second child's leaves first), the leaf map, the order
    // and the partner's profiles follow, and the cut list is kept left to
    // right. Flipping the same branch again restores the order. False (no
    // change) for a leaf or a node of another forest.
    bool flipNode(CNode* node);

    // ---- measure settings ----
    void selectMeasure(int measure);
    void setNormalisers(double manhattan, double euclidean);
    DistanceParams distanceParams(const float* columnWeights, bool centered, bool absolute) const;

    // ---- fields ----
    std::vector<CNode*> m_pOrgNodes;  // leaves by local index
    std::vector<CNode*> m_pNodes;     // leaves by position, then branches in order of forming
    float* m_pExpressionPool = nullptr;  // (n - 1) x profile length, branch values
    float* m_pWeightPool = nullptr;      // (n - 1) x profile length, branch cell weights
    int m_nNodes = 0;
    int m_nLeaves = 0;
    int m_nProfileLength = 0;
    bool m_bRowForest = true;
    std::vector<int> m_leafMap;  // position -> data index
    std::vector<CNode*> m_clusters;
    int m_nSelectedCluster = -1;
    int m_nSelectedNode = -1;
    bool m_bPValueWeights = false;
    int m_nMeasure = -1;
    DistanceFn m_pDistance = nullptr;
    double m_dMaxDistance = kMaxDistance;
    double m_dHalfScale = kHalfScale;
    std::vector<int> m_arrOrder;  // data indices in display order
    std::vector<float> m_columnWeights;
    double m_dEuclideanNormaliser = 0.0;
    double m_dManhattanNormaliser = 0.0;
    std::vector<unsigned> m_arrUInt;        // for the views
    std::vector<std::string> m_arrText;     // for the views
    std::unique_ptr<CondensedMatrix> m_pMatrix;  // during a run, or a loaded precomputed matrix
    std::unordered_map<int, int> m_mapMark1, m_mapMark2;  // node index -> position, for the views
    std::vector<unsigned> m_arrMark1, m_arrMark2;
    CForest* m_pPartner = nullptr;
    bool m_bClustered = false;
    // K-means result: the cluster numbers are in the leaves' first marker;
    // the order lists the leaf positions grouped by cluster number.
    bool m_bKMeans = false;
    std::vector<int> m_kmeansOrder;
    // Leaf classes (column forest of data with a CID row).
    bool m_bHasClasses = false;
    std::vector<int> m_classSizes;  // leaves per class, index = class - 1

private:
    bool ownLeafProfiles();
    void rebuildLeafMap();

    bool m_bOk = true;
    std::vector<std::unique_ptr<CNode>> m_nodeStore;
    std::unique_ptr<float[]> m_branchValues, m_branchWeights;
    std::unique_ptr<float[]> m_leafValues, m_leafOrgValues, m_leafWeights;  // own leaf pool, when used
    std::unordered_map<int, int> m_mapDataToLocal;  // only for non-identity data indices
};

// The normalisers of Euclidean and Manhattan distances from the partner
// forest: over its enabled leaves, k their number, v_j a leaf's share of
// their total weight and range_j its profile's largest minus smallest
// present value: Manhattan = k * sum v_j |range_j|, Euclidean =
// sqrt(k * sum v_j range_j^2).
std::pair<double, double> computeNormalisers(const CForest& partner);

// The leaf ranges (first, last display position) of the clusters of the cut
// at s, left to right, by the rule of CForest::cut, without touching the
// forest's cluster list.
std::vector<std::pair<int, int>> cutRanges(const CForest& forest, float minSimilarity);

// The overview's clustering text for the current cut at s (after cut(s)):
// "Minimum Similarity = %4.3f  # of Clusters = %d  # of Items Left = %d
// # of Alones = %d", where the alones are the leaves under no cluster and
// the items left the others.
std::string cutStatisticsText(const CForest& forest, float minSimilarity);
