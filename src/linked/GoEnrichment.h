#pragma once
// Enrichment of GO terms in the clusters of the row dendrogram's current
// cut ("Hype Test"). For every cluster (alones excluded) and every term
// under which at least two of the cluster's annotated items lie: the
// hypergeometric upper tail P(X >= k) with N = annotated items of the data,
// K = those under the term, n = annotated items of the cluster, k = those of
// the cluster under the term; and the Benjamini-Hochberg adjusted value over
// the terms tested for that cluster.
#include <atomic>
#include <string>
#include <vector>

class CForest;
class GoIndex;

// P(X >= k) for X hypergeometric: N items, K of them marked, n drawn.
double hypergeometricUpperTail(int k, int n, int K, int N);
// Benjamini-Hochberg adjusted values, in the order of the given p-values.
std::vector<double> benjaminiHochberg(const std::vector<double>& pValues);

struct GoEnrichmentRow {
    int m_nCluster = 0;  // 1-based, as the cut numbers them
    int m_nNumber = 0;   // GO number
    int m_nTerm = -1;    // term index
    int m_k = 0, m_n = 0, m_K = 0, m_N = 0;
    double m_dP = 1.0;
    double m_dFdr = 1.0;
};

// The cluster of every item (data index of the row forest's leaves) at the
// forest's current cut: 1-based, 0 for items in no cluster.
std::vector<int> clusterOfItems(const CForest& rows);

// Every tested (cluster, term), sorted by cluster, then p-value, then GO
// number. `clusterOfRow` is indexed by item. Returns early with what it has
// when `cancel` becomes true.
std::vector<GoEnrichmentRow> enrichClusters(const GoIndex& index, const std::vector<int>& clusterOfRow,
                                            const std::atomic<bool>* cancel = nullptr);

// The rows with FDR <= threshold (a threshold of 1 or more keeps every row).
std::vector<GoEnrichmentRow> rowsUpToFdr(const std::vector<GoEnrichmentRow>& rows, double threshold);

// The thresholds of the FDR box: 0.01, 0.05, 0.1, 0.25 and all (1.0); the default is 0.05.
const std::vector<double>& goFdrThresholds();
constexpr int kGoDefaultFdrChoice = 1;

// The list's header line and one row, tab-delimited: cluster, GO
// identifier, term, k, n, K, N, p-value and FDR ("%.6g").
std::string enrichmentHeader();
std::vector<std::string> enrichmentColumns();
std::vector<std::string> enrichmentCells(const GoIndex& index, const GoEnrichmentRow& row);
std::string enrichmentLine(const GoIndex& index, const GoEnrichmentRow& row);
// The header line and the rows into a text file; false when it cannot be written.
bool writeEnrichmentFile(const std::string& path, const GoIndex& index, const std::vector<GoEnrichmentRow>& rows);
