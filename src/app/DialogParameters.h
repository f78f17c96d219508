#pragma once
// What the clustering dialogs collect, as plain values: the Qt dialogs fill
// these and the document runs the commands from them. The checks that the
// dialogs make on OK are in DialogChecks.h.
#include <string>
#include <vector>

#include "cluster/ClusterPartition.h"

// One entry of a column list of the Clustering Parameters dialog.
struct CColumnChoice {
    std::string m_strName;  // the field name as the data matrix holds it
    bool m_bChecked = true;
};

enum DataPartitioning {
    kPartitionNone = 0,
    kPartitionByRow = 1,
    kPartitionByColumn = 2,
};

// The Clustering Parameters dialog.
struct CClusteringParameters {
    int m_nPartitioning = kPartitionNone;
    // None: the value columns with their check marks. by Row: the columns to
    // cluster. by Column: the first group of columns.
    std::vector<CColumnChoice> m_columns;
    // by Row: the categorical variables; the first checked one partitions the
    // rows. by Column: the second group of columns. Unused otherwise.
    std::vector<CColumnChoice> m_second;
    // linkage, arrangement, measure, centered, absolute, the two directions
    // and "Use P-Values as Weights".
    ClusteringOptions m_options;
    std::string m_strRowMatrix;     // "Load Similarity Matrix for Rows" (empty: none)
    std::string m_strColumnMatrix;  // "Load Similarity Matrix for Columns"
};

// One direction of the K-means Clustering dialog.
struct CKMeansDirection {
    bool m_bRun = false;      // "Cluster Rows" / "Cluster Columns"
    int m_nK = 2;             // "K ="
    bool m_bUseTree = false;  // "Use the Hierarchical Clustering Result" (else "Random Generation")
};

struct CKMeansParameters {
    CKMeansDirection m_rows;
    CKMeansDirection m_columns;
    // Seed of the random initialisation; the clock seeds it when not set.
    bool m_bSeeded = false;
    unsigned m_nSeed = 0;
};

// One method of the Compare Two Clustering Results dialog.
struct CCompareMethod {
    int m_nLinkage = kLinkageAverage;
    int m_nMeasure = kMeasurePearson;
    bool m_bCentered = true;   // "Move center to average (Don't fix average at 0)"
    bool m_bAbsolute = false;  // "Take absolute value"
    bool m_bPValueWeights = false;  // "Use P-Values as Weights" (only offered with p-values)
};

struct CCompareParameters {
    bool m_bRows = true;  // "Row Clustering (Genes)"; false: "Column Clustering (Samples)"
    CCompareMethod m_method1;
    CCompareMethod m_method2;
};
