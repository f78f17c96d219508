#pragma once
// What the overview writes about the current cut of a forest.
#include <string>

class CForest;

// "Minimum Similarity = %4.3f  # of Clusters = %d", then either
// "  # of Items Left = %d  # of Alones = %d" or, when the leaves carry
// classes, "  F-measure = %.3f" (cluster/Evaluation.h) before those two
// counts.
std::string clusteringInfoText(const CForest& forest, float minSimilarity);
