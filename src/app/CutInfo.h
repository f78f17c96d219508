#pragma once
// What the overview writes about the current cut of a forest.
#include <string>

class CForest;

// Overall F-measure of the forest's current cluster list against the leaf
// classes (second marker of each leaf, 1-based); 0 without clusters or
// classes. Leaves outside every cluster count as clusters of one.
double cutFMeasure(const CForest& forest);

// "Minimum Similarity = %4.3f  # of Clusters = %d", then either
// "  # of Items Left = %d  # of Alones = %d" or, when the leaves carry
// classes, "  F-measure = %.3f" before those two counts.
std::string clusteringInfoText(const CForest& forest, float minSimilarity);
