// Invariants of the run, for n leaves in slots 0..n-1:
// - slot k holds the live cluster that occupies matrix row/column k, or is
//   dead; a merge of slots a and b puts the new cluster in slot a and kills b;
// - nn[i] < i and nnDist[i] describe the nearest lower slot of row i as last
//   scanned ("<=" rule: ties go to the largest j); a row is rescanned only
//   when its recorded neighbour took part in a merge;
// - the global search takes the row with the smallest nnDist ("<=": ties go
//   to the largest row).
// Nothing is allocated per merge: merged profiles go into the forest's
// branch pools, and the tables below live for the whole run.
#include "cluster/HierarchicalClustering.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cmath>

#include "cluster/CondensedMatrix.h"
#include "cluster/Forest.h"
#include "cluster/PairwiseDistances.h"
#include "cluster/SharedLoop.h"
#include "platform/Format.h"
#include "platform/Progress.h"

namespace {

constexpr unsigned short kFar = static_cast<unsigned short>(kMaxDistanceCell);
constexpr int kOneByOneThreshold = 1000;
constexpr uint32_t kNoKey = 0xFFFFFFFFu;
bool g_compaction = true;

// Smallest of row[j] over the live slots j < n, as 32 bits; above 65535
// when every slot is dead.
__attribute__((target_clones("avx2", "default"))) uint32_t smallestKey(const unsigned short* row,
                                                                     const uint8_t* dead, int n)
{
    uint32_t best = kNoKey;
    for (int j = 0; j < n; ++j) {
        const uint32_t k = static_cast<uint32_t>(row[j]) | (static_cast<uint32_t>(dead[j]) << 16);
        best = k < best ? k : best;
    }
    return best;
}

__attribute__((target_clones("avx2", "default"))) uint32_t smallestKey(const uint32_t* keys, int n)
{
    uint32_t best = kNoKey;
    for (int i = 0; i < n; ++i)
        best = keys[i] < best ? keys[i] : best;
    return best;
}

// New distances to the merged cluster along a stretch of its own row: out
// holds the cluster's old cells, other the partner's, both for the same
// slots; a slot still holding its disabled leaf gets 65535. Dead slots in
// the stretch get values nobody reads.
__attribute__((target_clones("avx2", "default"))) void averageSpan(unsigned short* out, const unsigned short* other,
                                                                   const uint8_t* disabled, int count, double sa,
                                                                   double sb)
{
    // roundDistance of the average: never negative, so the rounding is the
    // truncation of v + 0.5 held at 65535.
    const double total = sa + sb;
    for (int j = 0; j < count; ++j) {
        const double v = (sa * static_cast<int>(out[j]) + sb * static_cast<int>(other[j])) / total;
        const int rounded = static_cast<int>(std::min(v + 0.5, kMaxDistance));
        out[j] = static_cast<unsigned short>(disabled[j] ? kMaxDistanceCell : static_cast<unsigned>(rounded));
    }
}

__attribute__((target_clones("avx2", "default"))) void extremeSpan(unsigned short* out, const unsigned short* other,
                                                                   const uint8_t* disabled, int count, bool largest)
{
    if (largest)
        for (int j = 0; j < count; ++j)
            out[j] = disabled[j] ? kFar : std::max(out[j], other[j]);
    else
        for (int j = 0; j < count; ++j)
            out[j] = disabled[j] ? kFar : std::min(out[j], other[j]);
}

struct Run {
    CForest& f;
    CondensedMatrix& d;
    int n;
    int linkage;
    int arrangement;
    DistanceParams params;
    std::vector<CNode*> slot;          // live cluster per slot, nullptr = dead
    std::vector<int> live;             // live slots, ascending
    std::vector<int> nn;
    std::vector<unsigned short> nnDist;
    // Search key of each row: nnDist when the row and its neighbour are
    // live, kNoKey otherwise. The global search is the smallest key, ties to
    // the largest row.
    std::vector<uint32_t> key;
    std::vector<uint8_t> dead;              // 1 for a dead slot
    std::vector<uint8_t> disabledLeafSlot;  // 1 while the slot holds the disabled leaf it started with
    std::vector<std::pair<int, int>> chunkBest;  // per chunk of an update: smallest average, its slot

    bool isLive(int k) const { return slot[static_cast<size_t>(k)] != nullptr; }
    bool disabledLeaf(int k) const { return disabledLeafSlot[static_cast<size_t>(k)] != 0; }

    // Nearest live lower slot of row i, ties to the largest j.
    void scan(int i)
    {
        const unsigned short* row = d.row(i);
        const uint32_t best = smallestKey(row, dead.data(), i);
        if (best > kMaxDistanceCell) {  // no live lower slot
            nn[static_cast<size_t>(i)] = 0;
            nnDist[static_cast<size_t>(i)] = kFar;
            key[static_cast<size_t>(i)] = kNoKey;
            return;
        }
        int j = i - 1;
        while (row[j] != best || dead[static_cast<size_t>(j)])
            --j;
        nn[static_cast<size_t>(i)] = j;
        nnDist[static_cast<size_t>(i)] = static_cast<unsigned short>(best);
        key[static_cast<size_t>(i)] = best;
    }

    // Renumbers the live slots 0..m-1 in their order and moves their
    // distances with them; t and previous follow their slots (t becomes -1
    // when its slot is dead). Every tie goes to the larger slot or row, which
    // a renumbering in order keeps, so the tree does not change.
    void compact(int& t, int& previous)
    {
        const int m = static_cast<int>(live.size());
        const int size = static_cast<int>(slot.size());
        std::vector<int> index(static_cast<size_t>(size), -1);
        for (int r = 0; r < m; ++r)
            index[static_cast<size_t>(live[static_cast<size_t>(r)])] = r;
        d.compact(live.data(), m);
        for (int r = 0; r < m; ++r) {
            const size_t k = static_cast<size_t>(live[static_cast<size_t>(r)]), q = static_cast<size_t>(r);
            slot[q] = slot[k];
            // A row without a live lower slot keeps its placeholder 0; any
            // other row's neighbour is live (rows are rescanned when theirs
            // takes part in a merge).
            nn[q] = key[k] == kNoKey ? 0 : index[static_cast<size_t>(nn[k])];
            nnDist[q] = nnDist[k];
            key[q] = key[k];
            dead[q] = 0;
            disabledLeafSlot[q] = disabledLeafSlot[k];
            live[q] = r;
        }
        nn.resize(static_cast<size_t>(m));
        slot.resize(static_cast<size_t>(m));
        nnDist.resize(static_cast<size_t>(m));
        key.resize(static_cast<size_t>(m));
        dead.resize(static_cast<size_t>(m));
        disabledLeafSlot.resize(static_cast<size_t>(m));
        t = t >= 0 && t < size ? index[static_cast<size_t>(t)] : -1;
        previous = previous >= 0 ? index[static_cast<size_t>(previous)] : -1;
    }

    // The row of the global search, -1 when no row has a live neighbour.
    int globalRow() const
    {
        const uint32_t best = smallestKey(key.data(), static_cast<int>(key.size()));
        if (best == kNoKey)
            return -1;
        int i = static_cast<int>(key.size()) - 1;
        while (key[static_cast<size_t>(i)] != best)
            --i;
        return i;
    }
};

// Keep Right Child Redder / Keep Right Child Small.
void arrange(const Run& run, CNode* A, CNode* B, CNode*& first, CNode*& second)
{
    if (run.arrangement == kKeepRightChildRedder) {
        int count = 0;
        const int L = run.f.m_nProfileLength;
        for (int c = 0; c < L; ++c)
            if (A->m_pWeights[c] != -1.0f && B->m_pWeights[c] != -1.0f && A->m_pValues[c] <= B->m_pValues[c])
                ++count;
        const int rest = L - count;
        if (count > rest) {
            first = A;
            second = B;
        } else {
            first = B;
            second = A;
        }
        return;
    }
    if (A->m_nSize == B->m_nSize) {
        if (A->m_fSimilarity > B->m_fSimilarity ||
            (A->m_fSimilarity == 0.0f && B->m_fSimilarity == 0.0f && A->m_nIndex < B->m_nIndex)) {
            first = A;
            second = B;
        } else {
            first = B;
            second = A;
        }
        return;
    }
    CNode* large = A->m_nSize > B->m_nSize ? A : B;
    CNode* small = large == A ? B : A;
    if (large->m_fSimilarity == 0.0f && !small->isLeaf()) {
        first = small;
        second = large;
    } else {
        first = large;
        second = small;
    }
}

// Size-weighted mean of two profiles into the branch's own arrays.
void mergeProfiles(const CNode* A, const CNode* B, CNode* into, int L, bool pValueWeights)
{
    const double sa = A->m_nSize, sb = B->m_nSize, total = sa + sb;
    float* v = into->m_pValues;
    float* w = into->m_pWeights;
    for (int c = 0; c < L; ++c) {
        const float wa = A->m_pWeights[c], wb = B->m_pWeights[c];
        if (wa == -1.0f && wb == -1.0f) {
            v[c] = 0.0f;
            w[c] = -1.0f;
        } else if (wa == -1.0f) {
            v[c] = B->m_pValues[c];
            w[c] = pValueWeights ? wb : 1.0f;
        } else if (wb == -1.0f) {
            v[c] = A->m_pValues[c];
            w[c] = pValueWeights ? wa : 1.0f;
        } else {
            v[c] = static_cast<float>((A->m_pValues[c] * sa + B->m_pValues[c] * sb) / total);
            w[c] = pValueWeights ? static_cast<float>((wa * sa + wb * sb) / total) : 1.0f;
        }
    }
}

// New distance of slot k to the merged cluster, per linkage, and the same
// along a stretch of rows a and b.
struct AverageUpdate {
    double sa, sb;
    double operator()(unsigned short da, unsigned short db) const { return (sa * da + sb * db) / (sa + sb); }
    void span(unsigned short* out, const unsigned short* other, const uint8_t* disabled, int count) const
    {
        averageSpan(out, other, disabled, count, sa, sb);
    }
};
struct CompleteUpdate {
    double operator()(unsigned short x, unsigned short y) const { return double(std::max(x, y)); }
    void span(unsigned short* out, const unsigned short* other, const uint8_t* disabled, int count) const
    {
        extremeSpan(out, other, disabled, count, true);
    }
};
struct SingleUpdate {
    double operator()(unsigned short x, unsigned short y) const { return double(std::min(x, y)); }
    void span(unsigned short* out, const unsigned short* other, const uint8_t* disabled, int count) const
    {
        extremeSpan(out, other, disabled, count, false);
    }
};

// The cells of (k, a) and (k, b) for k above a or b lie in other rows, one
// cache line each: they are fetched ahead of use.
constexpr size_t kPrefetchAhead = 32;

inline void prefetchCells(Run& run, size_t at, int a, int b)
{
    if (at >= run.live.size())
        return;
    const int k = run.live[at];
    if (k > a)
        __builtin_prefetch(run.d.row(k) + a, 1);
    if (k > b)
        __builtin_prefetch(run.d.row(k) + b, 0);
}

// Live slots per chunk of an update; chunks may run on the helper thread.
constexpr size_t kChunk = 2048;

// New distances from every live slot to the merged cluster in slot a; for
// 1by1 also the smallest of them and its slot (strictly smaller wins, so the
// first slot wins a tie: the chunks' smallest are combined in slot order).
template <class Update>
void updateDistances(Run& run, SharedLoop& loop, int a, int b, Update update, bool oneByOne, int& t, int& dt)
{
    const size_t count = run.live.size();
    const uint32_t chunks = static_cast<uint32_t>((count + kChunk - 1) / kChunk);
    // Below b both cells lie in rows a and b: where most of those slots are
    // live, whole stretches of the two rows are combined at once.
    const size_t below = static_cast<size_t>(std::lower_bound(run.live.begin(), run.live.end(), std::min(a, b)) -
                                             run.live.begin());
    const bool dense = !oneByOne && a > b && below > 0 && 2 * below >= static_cast<size_t>(run.live[below - 1]);
    unsigned short* rowA = run.d.row(std::max(a, b));
    const unsigned short* rowB = run.d.row(std::min(a, b));
    auto body = [&](uint32_t chunk) {
        size_t q0 = chunk * kChunk;
        const size_t q1 = std::min(count, q0 + kChunk);
        int bestT = -1, bestD = kFar;
        if (dense && q0 < below) {
            const int k0 = run.live[q0], k1 = run.live[std::min(q1, below) - 1] + 1;
            update.span(rowA + k0, rowB + k0, run.disabledLeafSlot.data() + k0, k1 - k0);
            q0 = std::min(q1, below);
        }
        for (size_t q = q0; q < std::min(q1, q0 + kPrefetchAhead); ++q)
            prefetchCells(run, q, a, b);
        for (size_t q = q0; q < q1; ++q) {
            if (q + kPrefetchAhead < q1)
                prefetchCells(run, q + kPrefetchAhead, a, b);
            const int k = run.live[q];
            if (k == a || k == b)
                continue;
            unsigned short& cell = run.d.cell(k, a);
            const unsigned short rounded = roundDistance(update(cell, run.d.at(k, b)));
            if (rounded < bestD) {
                bestD = rounded;
                bestT = k;
            }
            cell = run.disabledLeaf(k) ? kFar : rounded;
        }
        run.chunkBest[chunk] = {bestD, bestT};
    };
    loop.run(chunks, body);
    if (oneByOne) {
        dt = kFar;  // t keeps its value when no average is below 65535
        for (uint32_t c = 0; c < chunks; ++c)
            if (run.chunkBest[c].first < dt) {
                dt = run.chunkBest[c].first;
                t = run.chunkBest[c].second;
            }
    }
}

void updateCentroid(Run& run, SharedLoop& loop, int a, int b, const CNode* merged)
{
    const size_t count = run.live.size();
    const size_t chunk = 64;  // every pair is a whole profile computation
    auto body = [&](uint32_t c) {
        for (size_t q = c * chunk; q < std::min(count, (c + 1) * chunk); ++q) {
            const int k = run.live[q];
            if (k == a || k == b)
                continue;
            const CNode* other = run.slot[static_cast<size_t>(k)];
            unsigned short& cell = run.d.cell(k, a);
            cell = run.disabledLeaf(k)
                       ? kFar
                       : roundDistance(run.f.m_pDistance(merged->m_pValues, merged->m_pWeights, other->m_pValues,
                                                         other->m_pWeights, run.params));
        }
    };
    loop.run(static_cast<uint32_t>((count + chunk - 1) / chunk), body);
}

bool phaseOne(CForest& f, CondensedMatrix& matrix, const DistanceParams& params, IProgress& progress)
{
    const int n = f.m_nLeaves;
    progress.setMessage("Phase 1 of 2 : Computing Pairwise Distances");
    progress.setRange(0, n);
    PairwiseInput input;
    input.measure = f.m_nMeasure;
    input.params = params;
    input.values.resize(static_cast<size_t>(n));
    input.weights.resize(static_cast<size_t>(n));
    input.enabled.resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const CNode* leaf = f.m_pOrgNodes[static_cast<size_t>(k)];
        input.values[static_cast<size_t>(k)] = leaf->m_pValues;
        input.weights[static_cast<size_t>(k)] = leaf->m_pWeights;
        input.enabled[static_cast<size_t>(k)] = leaf->m_bEnabled;
    }
    return computePairwiseDistances(input, matrix, progress);
}

} // namespace

void setMergeCompaction(bool on) { g_compaction = on; }

bool buildDendrogram(CForest& forest, int linkage, int arrangement, bool centered, bool absolute,
                     const std::vector<float>& columnWeights)
{
    CForest& f = forest;
    const int n = f.m_nLeaves;
    f.m_bClustered = false;
    if (!f.ok() || n < 2 || linkage < 0 || linkage > 4 || f.m_nNodes != 2 * n - 1 ||
        columnWeights.size() != static_cast<size_t>(f.m_nProfileLength)) {
        f.m_pMatrix.reset();
        return false;
    }
    const bool precomputed = f.m_pMatrix && f.m_pMatrix->size() == n;
    if (!precomputed && !f.m_pDistance) {
        f.m_pMatrix.reset();
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    ProgressScope progress("Hierarchical Clustering");
    const DistanceParams params = f.distanceParams(columnWeights.data(), centered, absolute);

    // Phase 1: distances.
    std::unique_ptr<CondensedMatrix> matrix;
    if (precomputed) {
        progress->setMessage("Phase 1 of 2 : Applying Precomputed Distance Matrix");
        matrix = std::move(f.m_pMatrix);
    } else {
        f.m_pMatrix.reset();
        matrix = CondensedMatrix::allocate(n);
        if (!matrix)
            return false;
        if (!phaseOne(f, *matrix, params, progress.get()))
            return false;
    }

    Run run{f, *matrix, n, linkage, arrangement, params, {}, {}, {}, {}, {}, {}, {}, {}};
    run.slot.assign(f.m_pOrgNodes.begin(), f.m_pOrgNodes.end());
    run.live.resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        run.live[static_cast<size_t>(k)] = k;
    run.nn.assign(static_cast<size_t>(n), 0);
    run.nnDist.assign(static_cast<size_t>(n), kFar);
    run.key.assign(static_cast<size_t>(n), kNoKey);
    run.dead.assign(static_cast<size_t>(n), 0);
    run.disabledLeafSlot.resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        run.disabledLeafSlot[static_cast<size_t>(k)] = f.m_pOrgNodes[static_cast<size_t>(k)]->m_bEnabled ? 0 : 1;

    // Nearest neighbours.
    progress->setMessage("Phase 1 of 2 : Get Nearest Neighbors");
    for (int i = 1; i < n; ++i)
        run.scan(i);

    progress->setMessage("Phase 2 of 2 : Building a Dendrogram");
    progress->setRange(0, 100);
    const int pumpEvery = std::max(1, n / 1000);
    // Merge updates of large runs are shared with a second thread.
    SharedLoop loop(clusteringThreads() > 1 && static_cast<size_t>(n) > 2 * kChunk);
    run.chunkBest.resize(static_cast<size_t>(n) / kChunk + 1);
    const int L = f.m_nProfileLength;
    int t = -1, dt = kFar, previous = -1;
    for (int p = n; p <= 2 * n - 2; ++p) {
        // 1. The pair to merge.
        int a = -1, b = -1;
        unsigned short D = kFar;
        bool local = false;
        if (linkage == kLinkageOneByOne && p > n && t >= 0 && t != previous && run.isLive(t) &&
            run.isLive(previous)) {
            int m = kFar;
            for (int k : run.live)
                if (k != t)
                    m = std::min<int>(m, run.d.at(k, t));
            if (dt - m < kOneByOneThreshold) {
                a = previous;
                b = t;
                D = static_cast<unsigned short>(dt);
                local = true;
            }
        }
        if (!local) {
            const int i = run.globalRow();
            if (i >= 0) {
                a = i;
                b = run.nn[static_cast<size_t>(i)];
                D = run.nnDist[static_cast<size_t>(i)];
            }
            if (a < 0) {
                // Every live row lost its neighbour: take the two highest live slots.
                a = run.live[run.live.size() - 1];
                b = run.live[run.live.size() - 2];
                D = run.d.at(a, b);
            }
        }
        CNode* A = run.slot[static_cast<size_t>(a)];
        CNode* B = run.slot[static_cast<size_t>(b)];

        // 2.-5. The new node.
        CNode* first;
        CNode* second;
        arrange(run, A, B, first, second);
        CNode* node = f.m_pNodes[static_cast<size_t>(p)];
        mergeProfiles(A, B, node, L, f.m_bPValueWeights);
        const float similarity = std::min({similarityOf(D), A->m_fSimilarity, B->m_fSimilarity});
        node->initialise(L, false, p, A->m_nSize + B->m_nSize, similarity, (A->m_fWeight + B->m_fWeight) / 2.0f,
                         A->m_bEnabled && B->m_bEnabled, nullptr, nullptr, first, second, "");
        node->m_strLabel2.clear();
        node->m_strLabel3.clear();

        // 6. Distances to the new cluster.
        switch (linkage) {
        case kLinkageAverage:
        case kLinkageOneByOne:
            updateDistances(run, loop, a, b, AverageUpdate{double(A->m_nSize), double(B->m_nSize)},
                            linkage == kLinkageOneByOne, t, dt);
            break;
        case kLinkageAverageGroup: updateCentroid(run, loop, a, b, node); break;
        case kLinkageComplete:
            updateDistances(run, loop, a, b, CompleteUpdate{}, false, t, dt);
            break;
        case kLinkageSingle:
            updateDistances(run, loop, a, b, SingleUpdate{}, false, t, dt);
            break;
        }

        // 7. Slots.
        run.slot[static_cast<size_t>(a)] = node;
        run.disabledLeafSlot[static_cast<size_t>(a)] = 0;
        run.slot[static_cast<size_t>(b)] = nullptr;
        run.dead[static_cast<size_t>(b)] = 1;
        run.key[static_cast<size_t>(b)] = kNoKey;
        run.live.erase(std::lower_bound(run.live.begin(), run.live.end(), b));
        previous = a;

        // 8. Rows whose neighbour took part in the merge.
        const int from = std::min(a, b);
        for (auto it = std::lower_bound(run.live.begin(), run.live.end(), from); it != run.live.end(); ++it) {
            const int i = *it;
            const int j = run.nn[static_cast<size_t>(i)];
            if (i > 0 && (j == a || j == b))
                run.scan(i);
        }

        // 9. Once half the slots are dead, the live ones move together.
        if (g_compaction && 2 * run.live.size() <= run.slot.size() && run.live.size() >= 2)
            run.compact(t, previous);

        // 10. Progress and cancel.
        const int done = p - n + 1;
        if (done % pumpEvery == 0 || p == 2 * n - 2) {
            const double left = 1.0 - static_cast<double>(done) / (n - 1);
            progress->setPosition(static_cast<long long>(100.0 * (1.0 - left * left)));
            progress->pump();
            if (progress->cancelled()) {
                // Quiet end: no half-built tree stays behind.
                for (int q = n; q <= p; ++q) {
                    CNode* branch = f.m_pNodes[static_cast<size_t>(q)];
                    branch->m_pFirst = branch->m_pSecond = nullptr;
                    branch->m_nSize = 0;
                }
                return false;
            }
        }
    }

    const long long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    progress->setMessage(strFormat("Completing Clustering (Generating the final ordering) ... : %lldseconds", seconds));
    f.takeTreeOrder();
    progress->setPosition(100);
    f.m_bClustered = true;
    return true;
}
