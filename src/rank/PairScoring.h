#pragma once
// The scoring run of the scatterplot ordering: every pair of variables
// scored by one criterion, the score range, the rank order and the map from
// a pair to its list row; the unscored list ("No Order"); the list of the
// cluster-by-cluster comparison of two dendrograms; and the texts the list
// shows.
#include <string>
#include <vector>

#include "rank/PairCriteria.h"

class IProgress;
struct ClusterPairScore;

// The pairs of one run. For variables the pairs are the cells (i, j) with
// i > j, stored at pairIndex(i, j) = i (i - 1) / 2 + j, in the order they
// are scored; for a comparison of two dendrograms they are the cells
// (i, j) of cluster i of the first and cluster j of the second, stored at
// i * second + j.
struct PairTable {
    int m_nCriterion = kPairNoOrder;
    int m_nVariables = 0;
    int m_nFirstClusters = 0, m_nSecondClusters = 0;  // cluster similarity only
    std::vector<PairScore> m_pairs;
    std::vector<int> m_order;      // list row -> pair
    std::vector<int> m_rowOfPair;  // pair -> list row
    std::vector<int> m_rankOfPair; // pair -> rank (1 = best), the "Rank" column
    double m_dMin = 0.0, m_dMax = 0.0;  // score range over the scored pairs
    bool m_bCancelled = false;
    int m_nFailed = 0;

    bool isClusterComparison() const { return m_nCriterion == kPairClusterSimilarity; }
    bool isScored() const { return m_nCriterion != kPairNoOrder; }
    int rowCount() const { return static_cast<int>(m_order.size()); }
    const PairScore& row(int r) const { return m_pairs[static_cast<size_t>(m_order[static_cast<size_t>(r)])]; }

    static size_t pairIndex(int i, int j) { return static_cast<size_t>(i) * (static_cast<size_t>(i) - 1) / 2 + j; }
    // The pair record of variables a and b in either order (nullptr when
    // there is none); `reversed` tells that the record shows them as (b, a).
    const PairScore* find(int a, int b, bool* reversed = nullptr) const;
    int rowOf(int a, int b) const;
};

// The number of pairs of n variables.
inline long long pairCount(long long n) { return n > 1 ? n * (n - 1) / 2 : 0; }
// Scoring more pairs than this asks first.
constexpr long long kPairsBeforeAsking = 10000000;

// Every pair with the score -1000 and "N/A", in natural order.
PairTable noOrderTable(int variables, int criterion = kPairNoOrder);

// Scores every pair by the criterion (0-7) on all cores (the result is the
// same as on one), with the progress window's "Populating the scatterplot
// list..." and its Cancel, then "Sorting the list..." and the rank order.
// A cancelled run gives the No Order list with m_bCancelled set. A failed
// fit or table analysis marks its pair; the run shows "Run-time error in
// Order Calculation!" once. Above kPairsBeforeAsking pairs the user is asked
// first; "No" gives the No Order list (cancelled).
// `threads` 1 scores on the calling thread alone (0: every core).
PairTable scoreAllPairs(int criterion, const PairColumns& columns, const PairSettings& settings, int threads = 0);

// The comparison of two dendrograms' cuts as a ranked list.
PairTable clusterPairTable(const std::vector<ClusterPairScore>& scores, int firstClusters, int secondClusters);

// Sorts the rows by score (ascending for criteria 1 and 2, descending for
// the others; equal scores keep their order; failed pairs last) and
// rebuilds the pair-to-row map.
void sortByScore(PairTable& table);
// Sorts by a list column (0 rank, 1 x name, 2 y name, 3 score), names as
// text and numbers as numbers, then rebuilds the map.
void sortByColumn(PairTable& table, int column, bool ascending, const std::vector<std::string>& names);
void rebuildRowMap(PairTable& table);

// The list's texts: the score column's header ("Error" for criteria 1 and
// 2, "Score" otherwise), the rank "%d", the axis names (variable names, or
// "Row Cluster %d" and "Col Cluster %d"), and the score "%.3f" ("N/A"
// unscored or failed).
const char* pairScoreHeader(int criterion);
std::string pairAxisText(const PairTable& table, const PairScore& pair, bool xAxis,
                         const std::vector<std::string>& names);
// A score as the list and the overview show it: "%.3f", or a whole number
// for the criteria that count points (outliers, items in the region).
std::string pairScoreNumber(int criterion, double score);
std::string pairScoreText(const PairTable& table, const PairScore& pair);
