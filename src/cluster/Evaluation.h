#pragma once
// Measuring clusterings: the F-measure of a cut against the leaves' classes,
// the within- and between-cluster distances of a cut or a k-means result,
// and the cluster-by-cluster scores of two dendrograms.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cluster/Similarity.h"

class CForest;

// The overall F-measure of the forest's current cut (its cluster list)
// against the leaf classes; 0 when the cut has no cluster or the leaves
// carry no classes.
double fMeasure(const CForest& forest);
// The same for clusters given as leaf ranges [first, last] of display
// positions, with the class of the leaf at every position (1-based; other
// values belong to no class) and the sizes of the classes (index = class - 1).
double fMeasureOfRanges(const std::vector<int>& classes, const std::vector<int>& classSizes,
                        const std::vector<std::pair<int, int>>& ranges);

// The distance of every evaluation: the forest's measure (Euclidean when it
// has none) with the centered and absolute settings given, the weights of
// every leaf of the partner as column weights (unchecked columns included)
// and, for Euclidean and Manhattan distances, the partner's normalisers when
// the forest has none.
struct EvaluationDistance {
    std::vector<float> weights;
    DistanceParams params;  // columnWeights points into `weights`
    DistanceFn distance = nullptr;
    int measure = -1;  // the measure index of `distance`

    EvaluationDistance(const CForest& forest, bool centered, bool absolute);
    EvaluationDistance(const EvaluationDistance&) = delete;
    EvaluationDistance& operator=(const EvaluationDistance&) = delete;
};

// Mean distance (unrounded, 0..65535 scale) between the leaves at the given
// display positions of A and B, with the forest's distance function, the
// weights of the partner's leaves as column weights and the given centered
// and absolute settings. For A == B (the same list) the mean over the
// unordered pairs of different leaves; otherwise over all |A| x |B| pairs.
// Empty when there is no pair (a cluster of one leaf, or an empty list).
std::optional<double> averageDistance(const CForest& forest, const std::vector<int>& a, const std::vector<int>& b,
                                      bool centered, bool absolute);

// Within: mean of averageDistance(c, c) over the clusters; between: mean
// over the pairs of different clusters; ratio = within / between. A value
// is absent when it cannot be computed: no cluster has two leaves (within),
// fewer than two clusters (between), or between is absent or 0 (ratio).
struct ClusterEvaluation {
    int clusters = 0;
    std::optional<double> within;
    std::optional<double> between;
    std::optional<double> ratio;
};

// Leaf positions of each cluster of the current cut (cluster list order).
std::vector<std::vector<int>> cutClusters(const CForest& forest);
// Leaf positions of each k-means cluster: the runs of equal cluster numbers
// along the forest's k-means order.
std::vector<std::vector<int>> kMeansClusters(const CForest& forest);

ClusterEvaluation evaluateClusters(const CForest& forest, const std::vector<std::vector<int>>& clusters,
                                   bool centered, bool absolute);
// The cut of the forest's cluster list; the forest must be clustered.
ClusterEvaluation evaluateHierarchical(const CForest& forest, bool centered, bool absolute);
// The k-means clusters; the forest must hold a k-means result.
ClusterEvaluation evaluateKMeans(const CForest& forest, bool centered, bool absolute);

// "%6.3f" of a value, or "N/A" when it is not available.
std::string evaluationText(const std::optional<double>& value);
// What the evaluation panel's fields read: within and between as "%6.3f"
// followed by the same mean as a similarity, " (similarity %.3f)" with
// 1 - d / 65535, the ratio as "%6.3f"; an unavailable value reads "N/A"
// with its reason in brackets.
struct EvaluationTexts {
    std::string within, between, ratio;
};
EvaluationTexts evaluationTexts(const ClusterEvaluation& e);
// "N/A (reason)".
std::string unavailableText(const std::string& reason);
// The evaluation log line "%d\t%5.4f\t%6.3f\t%6.3f\n" (clusters, minimum
// similarity, within, between); unavailable values are written "N/A".
std::string evaluationLogLine(const ClusterEvaluation& e, float minSimilarity);
// Appends a line to a log file; false when it cannot be opened.
bool appendEvaluationLog(const std::string& path, const std::string& line);

// Cluster-by-cluster comparison of two dendrograms' current cuts: for
// cluster i of the first and cluster j of the second (numbered from 0 in
// cut order), with s the items they share (by data index), P = s / |j| and
// R = s / |i|, F = 2PR / (P + R), 0 when s = 0.
struct ClusterPairScore {
    int first = 0;
    int second = 0;
    double score = 0.0;
};
std::vector<ClusterPairScore> compareClusterCuts(const CForest& first, const CForest& second);
// The items (data indices, ascending) of each cluster of the current cut.
std::vector<std::vector<int>> cutClusterItems(const CForest& forest);
// F of two clusters sharing s items: P = s / |second|, R = s / |first|,
// 2PR / (P + R), 0 when s = 0; P and R are returned when asked for.
double clusterPairFMeasure(size_t shared, size_t first, size_t second, double* precision = nullptr,
                           double* recall = nullptr);
// The list rows of the comparison: "Row Cluster %d", "Col Cluster %d", "%.3f".
std::vector<std::string> clusterPairRow(const ClusterPairScore& s);
