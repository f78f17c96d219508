#pragma once
// The checks the clustering dialogs make on OK, and the texts they show, as
// functions: a returned message is what the dialog shows before it stays
// open; an empty text means the values are accepted.
#include <string>

#include "app/DialogParameters.h"

class CForest;

// Clustering Parameters: in this order, per partitioning mode, "Please
// select at least one sample to cluster" (None, rows or columns to be
// clustered), "Please select at least one sample to cluster on each list",
// "Please select one variable to partion by on the list on the right", and
// the Pearson's-correlation messages for one or two checked columns.
std::string checkClusteringParameters(const CClusteringParameters& params);

// K-means Clustering: "Please specify more than one cluster to generate" for
// a checked direction with K < 2; a random initialisation with K above the
// direction's leaf count is refused as well.
std::string checkKMeansParameters(const CKMeansParameters& params, int rowLeaves, int columnLeaves);
// The group label with "Random Generation" chosen.
std::string kMeansRandomLabel();  // "How many clusters do you like to have?"
// The group label with "Use the Hierarchical Clustering Result" chosen.
std::string kMeansTreeLabel(int clusters);  // "Current number of clusters in Hierarchical clustering is %d."

// Pick two dendrograms to compare: "The first dendrogram is not valid.",
// "The second dendrogram is not valid.", then the two "Drag minium
// similarity bar ..." messages for a cut of fewer than 2 clusters.
std::string checkPickDendrograms(const CForest* first, const CForest* second);
// The information field of dendrogram 1 or 2: "Dendro1:%s\r\n%d\r\n# of
// Clusters=%d" with the view's title, its number and the cut's clusters.
std::string dendrogramInfoText(int which, const std::string& title, int number, int clusters);
