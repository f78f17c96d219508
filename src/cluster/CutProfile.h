#pragma once
// The cut-quality profile: the cut of a dendrogram at every step of the
// minimum similarity from 0 to 1, with what the evaluation gives for that
// cut (number of clusters, alones, F-measure against the leaf classes, the
// within- and between-cluster distances and their ratio).
//
// Every pair of leaves is measured once. For the leaf x at display position
// p, the distances to the leaves after it are added up along the positions,
// so that the sum over any range of leaves right of x is a difference of
// two such running sums. A cluster's within sum gathers, from each of its
// leaves, the sum over the leaves after it inside the cluster; the between
// sum of a step gathers, from each clustered leaf x, the sums over the
// clusters right of x, each divided by both clusters' sizes. The clusters
// that are clusters over a run of steps are handed to every step of the run
// at once through a difference array over the steps.
//
// For Pearson's r without missing cells no pair is measured at all: r is a
// dot product of normalised profiles, so the sums over a cluster's pairs
// and over pairs of clusters follow from each cluster's sum of profiles.
#include <atomic>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "cluster/Evaluation.h"
#include "cluster/Similarity.h"

class CForest;

// The minimum similarity of step k of n: k / n, as the batch run steps it.
float profileStepSimilarity(int k, int steps);

struct CutProfileStep {
    float minSimilarity = 0.0f;
    int alones = 0;                   // leaves under no cluster
    std::optional<double> fMeasure;   // when the leaves carry classes
    ClusterEvaluation evaluation;     // clusters, within, between, ratio
};

// What the computation needs, copied from a forest so that it can run on
// another thread while the forest changes or goes away.
struct CutProfileInput {
    int leaves = 0;
    int profileLength = 0;
    int steps = 0;
    std::vector<float> values, weights;  // leaf profiles in display order
    std::vector<float> columnWeights;
    DistanceParams params;               // columnWeights is set when computing
    DistanceFn distance = nullptr;
    int measure = -1;
    // The clusters of the cut at step k = 0..steps, as leaf ranges.
    std::vector<std::vector<std::pair<int, int>>> cuts;
    bool hasClasses = false;
    std::vector<int> classes;     // class of the leaf at each position
    std::vector<int> classSizes;
};

// The input for `steps` steps (k / steps for k = 0..steps) of a clustered
// forest, with the distance the evaluation uses (centered and absolute as
// the document's clustering settings). An unclustered forest gives cuts
// without clusters.
CutProfileInput cutProfileInput(const CForest& forest, int steps, bool centered, bool absolute);

// One entry per step, from similarity 0 up to 1. Empty when `cancel` was
// set; `progress` is told the fraction of the pairs done (from the calling
// thread).
std::optional<std::vector<CutProfileStep>> computeCutProfile(const CutProfileInput& input,
                                                             const std::atomic<bool>* cancel = nullptr,
                                                             const std::function<void(double)>& progress = {});
