#pragma once
// K-means clustering of the leaves of a forest (items of a row forest or
// columns of a column forest), as an alternative to cutting the dendrogram.
#include <optional>
#include <string>
#include <vector>

class CForest;
class DataMatrix;

enum class KMeansOutcome {
    Converged,     // no leaf changed its cluster in the last iteration
    LimitReached,  // stopped at the iteration limit; the last assignment is kept
    Refused,       // K < 1, K above the leaf count (random start) or a cut without clusters; nothing changed
};

// Runs k-means with K centroids. Random start: K distinct leaves drawn with
// a generator seeded by `seed` (the clock when absent). Tree start: the
// means of the clusters of the forest's current cut, K being their number
// (the given K is ignored). The forest's distance function is used
// (Euclidean, not centered, not absolute when it has none); a tie goes to
// the lower centroid. A centroid left without members takes no leaves
// afterwards. The cluster numbers 0..K-1 go into the leaves' first marker.
KMeansOutcome runKMeans(CForest& forest, int k, bool useTreeClusters, int iterationLimit,
                        std::optional<unsigned> seed = std::nullopt, int* iterations = nullptr);

// Rebuilds the forest's k-means order: the leaf positions sorted by cluster
// number (positions ascending within a cluster).
void refreshKMeansOrder(CForest& forest);

// Writes the k-means export file of the main forests over `data`: items in
// k-means order when the rows hold a result (else display order), columns
// likewise; original or current values. False when nothing holds a result,
// the file cannot be written or the export was cancelled.
bool exportKMeans(const CForest& rows, const CForest& columns, const DataMatrix& data, const std::string& path,
                  bool originalValues);
