#pragma once
// The batch run over the minimum-similarity bar: the cut's counts at every
// step from the top of the dendrogram to the bottom.
#include <string>
#include <vector>

class CForest;

struct BatchStep {
    float minSimilarity = 0.0f;
    int clusters = 0;  // clusters with at least one shown leaf
    int changes = 0;   // clusters of this cut that were not clusters of the previous step's cut
    int alone = 0;     // shown leaves under no cluster
};

// Steps s = k / steps for k = steps down to 1.
std::vector<BatchStep> batchSteps(const CForest& forest, int steps);
// "minsim\t# of Cluster\t# of Change\t# of Alone\n" then "%4.3f\t%d\t%d\t%d\n" per step.
std::string batchTable(const std::vector<BatchStep>& steps);
// The file name: data name + "_gene_batch.txt" (rows) or "_sample_batch.txt".
std::string batchFileName(const std::string& dataName, bool rows);
