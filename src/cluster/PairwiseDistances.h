#pragma once
// Phase 1 of a clustering run: the distance of every pair of leaf profiles
// into the condensed matrix, split across the processor's cores.
//
// Every pair is computed by the same code whichever thread takes it, so the
// matrix does not depend on the number of threads. Pearson, Euclidean and
// Manhattan with column weights go through vectorised kernels over the
// profiles as padded double rows, missing cells included (the terms of the
// columns one profile of a pair misses are taken off again); each result
// carries a bound on its rounding error, and any pair whose bounds, widened
// by 1e-6, meet a rounding boundary is computed by the measure's own
// definition, as are the p-value weights, simple matching and the profiles
// the kernels cannot take (constant under Pearson, no weighted column). So
// the stored 16-bit distances are those of the definition.
#include <memory>
#include <vector>

#include "cluster/Similarity.h"

class CondensedMatrix;
class IProgress;

struct PairwiseInput {
    std::vector<const float*> values;    // one profile per slot, each `params.n` floats
    std::vector<const float*> weights;   // cell weights of each profile
    std::vector<unsigned char> enabled;  // a disabled slot is at 65535 from everything
    int measure = kMeasurePearson;
    DistanceParams params;
};

// Fills rows 1..n-1. The calling thread reports progress (position = rows
// done, range set by the caller), lets input through and polls the cancel
// flag; false when cancelled.
bool computePairwiseDistances(const PairwiseInput& input, CondensedMatrix& matrix, IProgress& progress);

// The unrounded distances of any pairs of the input's profiles, by the same
// kernels as phase 1 (pairs of complete profiles) and the measure's
// definition (every other pair), for callers that add distances up rather
// than store them. A disabled slot is at 65535 from everything. The input is
// copied; compute may be called from several threads at once.
class PairDistances {
public:
    explicit PairDistances(const PairwiseInput& input);
    ~PairDistances();
    PairDistances(const PairDistances&) = delete;
    PairDistances& operator=(const PairDistances&) = delete;

    // out[(i - i0) * stride + (j - j0)] = distance of profiles i and j for
    // i in [i0, i1) and j in [j0, j1).
    void compute(int i0, int i1, int j0, int j1, double* out, size_t stride) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// Whether the processor's vector kernels (AVX2) are used where present
// (the default); off, the portable kernels run everywhere. The merges of a
// clustering run follow the same switch.
void setVectorKernels(bool use);
bool vectorKernels();  // AVX2 present and the switch on

// Threads used by phase 1 (0 = the program's worker count, the default:
// one per core, or ARBOLIX_THREADS).
void setClusteringThreads(int threads);
int clusteringThreads();
