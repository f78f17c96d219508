#pragma once
// Clustering a pair of forests (the rows and the columns of one partition)
// and making the partitions of a data matrix.
#include <memory>
#include <string>
#include <vector>

#include "cluster/Forest.h"
#include "cluster/HierarchicalClustering.h"

class DataMatrix;

struct ClusteringOptions {
    int linkage = kLinkageAverage;
    int arrangement = kKeepRightChildRedder;
    int measure = kMeasurePearson;
    bool centered = true;
    bool absolute = false;
    bool clusterRows = true;
    bool clusterColumns = true;
    bool pValueWeights = false;
};

// Clusters the rows, then the columns; the column leaves that are not
// enabled (unchecked) end at the right of the column order. A dimension of
// fewer than 3 leaves is not clustered (not an error). False when a run was
// cancelled or failed; the later steps are then not done.
bool clusterPartition(CForest& rows, CForest& columns, const ClusteringOptions& options);

// Column weight vector of a run over `forest`: the weight of each leaf of its
// partner in display order, -1.0 for the leaves that are not enabled.
std::vector<float> columnWeightVector(const CForest& partner);

// Enables the column leaves whose names are listed (upper case compared);
// an empty list enables all. Returns the number enabled.
int enableColumnsByName(CForest& columns, const std::vector<std::string>& names);

// A row forest and a column forest over a matrix, initialised from it and
// partners of each other. False after the message when memory is short.
bool makeForestPair(DataMatrix& data, std::unique_ptr<CForest>& rows, std::unique_ptr<CForest>& columns);

// One part of the data with its own forests.
struct CPartition {
    std::string m_strName;  // "%s=%s" (variable, category) or "%d/%d" (columns, all columns)
    std::unique_ptr<DataMatrix> m_pData;
    std::unique_ptr<CForest> m_pRows;
    std::unique_ptr<CForest> m_pColumns;
};

// The normalisation each partition applies to itself (the logarithm is not
// taken again). direction -1 = none.
struct PartitionTransform {
    int direction = -1;
    int method = 0;
    float lo = 0.0f, hi = 1.0f;
};

// One partition per category of a categorical field; the row leaves keep the
// rows of the full matrix as their data indices.
bool partitionByRow(const DataMatrix& data, const std::string& fieldName, const PartitionTransform& transform,
                    std::vector<CPartition>& out);
// Two partitions over all rows, one per list of column names; the column
// leaves keep their value-column numbers in the full matrix.
bool partitionByColumn(const DataMatrix& data, const std::vector<std::string>& first,
                       const std::vector<std::string>& second, const PartitionTransform& transform,
                       std::vector<CPartition>& out);
