// Invariants of the run, for n leaves in slots 0..n-1:
// - slot k holds the live cluster that occupies matrix row/column k, or is
//   dead; a merge of slots a and b puts the new cluster in slot a and kills b;
// - a dead slot's column holds 65535 in every live row, so a scan needs to
//   look at the dead slots only when a row's smallest cell is 65535;
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
#include <cstring>
#include <cmath>
#include <utility>

#include "cluster/CondensedMatrix.h"
#include "cluster/Forest.h"
#include "cluster/PairwiseDistances.h"
#include "cluster/SharedLoop.h"
#include "platform/Format.h"
#include "platform/Progress.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ARBOLIX_X86 1
#endif

namespace {

constexpr unsigned short kFar = static_cast<unsigned short>(kMaxDistanceCell);
constexpr int kOneByOneThreshold = 1000;
constexpr uint32_t kNoKey = 0xFFFFFFFFu;
constexpr int kLanes = CondensedMatrix::kStripRows;
static_assert(kLanes == 8, "the vector scans and updates take a strip's column as eight 16-bit lanes");
bool g_compaction = true;

#ifdef ARBOLIX_X86
// The cells of one column of a strip, and back.
__attribute__((target("avx2"))) inline __m128i loadLanes(const unsigned short* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
__attribute__((target("avx2"))) inline void storeLanes(unsigned short* p, __m128i v)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Scans of the rows of one strip over its columns 0..columns-1 (a multiple
// of kLanes), whose cells lie as columns x lanes. A dead column holds 65535
// in every row above it.

// The smallest cell of one lane.
__attribute__((target("avx2"))) unsigned short laneMinimum(const unsigned short* strip, int columns, int lane)
{
    __m256i acc0 = _mm256_set1_epi16(-1), acc1 = acc0;
    const size_t end = static_cast<size_t>(columns) * kLanes;  // a multiple of 64
    for (size_t q = 0; q < end; q += 32) {
        acc0 = _mm256_min_epu16(acc0, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(strip + q)));
        acc1 = _mm256_min_epu16(acc1, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(strip + q + 16)));
    }
    acc0 = _mm256_min_epu16(acc0, acc1);
    alignas(16) unsigned short cells[kLanes];
    _mm_store_si128(reinterpret_cast<__m128i*>(cells),
                    _mm_min_epu16(_mm256_castsi256_si128(acc0), _mm256_extracti128_si256(acc0, 1)));
    return cells[lane];
}

// The last column whose cell in `lane` is `value`, -1 if none.
__attribute__((target("avx2"))) int lastEqual(const unsigned short* strip, int columns, int lane,
                                             unsigned short value)
{
    constexpr int perLoad = 2;  // columns in 32 bytes
    const __m256i target = _mm256_set1_epi16(static_cast<short>(value));
    const unsigned laneBits = (3u << (2 * lane)) | (3u << (2 * (kLanes + lane)));
    for (int j = columns - perLoad; j >= 0; j -= perLoad) {
        const __m256i cells = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(strip + static_cast<size_t>(j) * kLanes));
        const unsigned mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi16(cells, target))) & laneBits;
        if (mask)
            return j + (31 - __builtin_clz(mask)) / (2 * kLanes);
    }
    return -1;
}

// Every lane's smallest cell and the last column holding it.
__attribute__((target("avx2"))) void laneNearest(const unsigned short* strip, int columns, unsigned short* best,
                                                int* at)
{
    __m128i acc = _mm_set1_epi16(-1);
    __m256i where = _mm256_setzero_si256();
    for (int j = 0; j < columns; ++j) {
        const __m128i v = loadLanes(strip + static_cast<size_t>(j) * kLanes);
        const __m128i notAbove = _mm_cmpeq_epi16(_mm_min_epu16(v, acc), v);
        acc = _mm_min_epu16(acc, v);
        where = _mm256_blendv_epi8(where, _mm256_set1_epi32(j), _mm256_cvtepi16_epi32(notAbove));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(best), acc);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), where);
}
#endif

__attribute__((target_clones("avx2", "default"))) uint32_t smallestKey(const uint32_t* keys, int n)
{
    uint32_t best = kNoKey;
    for (int i = 0; i < n; ++i)
        best = keys[i] < best ? keys[i] : best;
    return best;
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
    std::vector<int> rescans;                    // rows to scan after a merge
    bool vectors = false;                        // the AVX2 scans and updates

    bool isLive(int k) const { return slot[static_cast<size_t>(k)] != nullptr; }
    bool disabledLeaf(int k) const { return disabledLeafSlot[static_cast<size_t>(k)] != 0; }

    void setNearest(int i, int j, unsigned short distance)
    {
        nn[static_cast<size_t>(i)] = j < 0 ? 0 : j;
        nnDist[static_cast<size_t>(i)] = j < 0 ? kFar : distance;
        key[static_cast<size_t>(i)] = j < 0 ? kNoKey : distance;
    }

    // Nearest live lower slot of row i, ties to the largest j.
    void scan(int i)
    {
        const int lane = CondensedMatrix::laneOf(i), full = i - lane;
        const unsigned short* strip = std::as_const(d).strip(CondensedMatrix::stripOf(i));
        const auto cell = [&](int j) { return strip[static_cast<size_t>(j) * kLanes + static_cast<size_t>(lane)]; };
        unsigned short best = kFar;
#ifdef ARBOLIX_X86
        if (vectors && full > 0)
            best = laneMinimum(strip, full, lane);
        else
#endif
            for (int j = 0; j < full; ++j)
                if (!dead[static_cast<size_t>(j)])
                    best = std::min(best, cell(j));
        int at = -1;
        for (int j = full; j < i; ++j)
            if (!dead[static_cast<size_t>(j)] && cell(j) <= best) {
                best = cell(j);
                at = j;
            }
        if (at < 0 && best < kFar) {
#ifdef ARBOLIX_X86
            if (vectors)
                at = lastEqual(strip, full, lane, best);
            else
#endif
                for (at = full - 1; cell(at) != best || dead[static_cast<size_t>(at)];)
                    --at;
        } else if (at < 0) {
            // Every live cell is 65535: the largest live slot, if any.
            for (at = full - 1; at >= 0 && dead[static_cast<size_t>(at)];)
                --at;
        }
        setNearest(i, at, best);
    }

    // scan() of every row, no slot dead yet: a strip's rows at once.
    void scanAll()
    {
        for (int s = 0; s < d.strips(); ++s) {
            const int full = s * kLanes;
            const unsigned short* strip = std::as_const(d).strip(s);
            unsigned short best[kLanes];
            int at[kLanes];
            std::fill(best, best + kLanes, kFar);
            std::fill(at, at + kLanes, -1);
            const auto take = [&](int j, int l) {
                const unsigned short v = strip[static_cast<size_t>(j) * kLanes + static_cast<size_t>(l)];
                if (v <= best[l]) {
                    best[l] = v;
                    at[l] = j;
                }
            };
#ifdef ARBOLIX_X86
            if (vectors && full > 0)
                laneNearest(strip, full, best, at);
            else
#endif
                for (int j = 0; j < full; ++j)
                    for (int l = 0; l < kLanes; ++l)
                        take(j, l);
            for (int l = 0; l < kLanes && full + l < n; ++l) {
                const int i = full + l;
                for (int j = full; j < i; ++j)
                    take(j, l);
                if (i > 0)
                    setNearest(i, at[l], best[l]);
            }
        }
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

// New distance of slot k to the merged cluster, per linkage, rounded; 65535
// for a slot still holding its disabled leaf. With AVX2 also eight at once.
struct AverageUpdate {
    double sa, sb;
    unsigned short operator()(unsigned short da, unsigned short db, bool disabled) const
    {
        return disabled ? kFar : roundDistance((sa * da + sb * db) / (sa + sb));
    }
#ifdef ARBOLIX_X86
    // roundDistance of the average: never negative, so the rounding is the
    // truncation of v + 0.5 held at 65535. The products are exact.
    __attribute__((target("avx2"))) __m128i operator()(__m128i x, __m128i y, __m128i disabled) const
    {
        const __m256d a = _mm256_set1_pd(sa), b = _mm256_set1_pd(sb), total = _mm256_set1_pd(sa + sb);
        const __m256d half = _mm256_set1_pd(0.5), top = _mm256_set1_pd(kMaxDistance);
        const __m256i x32 = _mm256_cvtepu16_epi32(x), y32 = _mm256_cvtepu16_epi32(y);
        const auto rounded = [&](__m128i xs, __m128i ys) __attribute__((target("avx2"))) {
            const __m256d v = _mm256_div_pd(
                _mm256_add_pd(_mm256_mul_pd(a, _mm256_cvtepi32_pd(xs)), _mm256_mul_pd(b, _mm256_cvtepi32_pd(ys))),
                total);
            return _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_add_pd(v, half), top));
        };
        const __m128i low = rounded(_mm256_castsi256_si128(x32), _mm256_castsi256_si128(y32));
        const __m128i high = rounded(_mm256_extracti128_si256(x32, 1), _mm256_extracti128_si256(y32, 1));
        return _mm_or_si128(_mm_packus_epi32(low, high), disabled);
    }
#endif
};
// Complete linkage keeps the larger distance, single linkage the smaller.
template <bool largest>
struct ExtremeUpdate {
    unsigned short operator()(unsigned short x, unsigned short y, bool disabled) const
    {
        return disabled ? kFar : largest ? std::max(x, y) : std::min(x, y);
    }
#ifdef ARBOLIX_X86
    __attribute__((target("avx2"))) __m128i operator()(__m128i x, __m128i y, __m128i disabled) const
    {
        return _mm_or_si128(largest ? _mm_max_epu16(x, y) : _mm_min_epu16(x, y), disabled);
    }
#endif
};
using CompleteUpdate = ExtremeUpdate<true>;
using SingleUpdate = ExtremeUpdate<false>;

// The cells of (k, a) and (k, b) for k above a or b lie in other rows, one
// cache line each: they are fetched ahead of use.
constexpr size_t kPrefetchAhead = 32;

inline void prefetchCells(Run& run, size_t at, int a, int b)
{
    if (at >= run.live.size())
        return;
    const int k = run.live[at];
    if (k > a)
        __builtin_prefetch(&run.d.cell(k, a), 1);
    if (k > b)
        __builtin_prefetch(&run.d.cell(k, b), 0);
}

// Slots per chunk of an update (whole strips); chunks may run on the helper
// thread.
constexpr size_t kChunk = 2048;
static_assert(kChunk % kLanes == 0);

// New distances from every live slot to the merged cluster in slot a, one
// slot at a time; for 1by1 also the smallest of them and its slot (strictly
// smaller wins, so the first slot wins a tie: the chunks' smallest are
// combined in slot order).
template <class Update>
void updateDistances(Run& run, SharedLoop& loop, int a, int b, Update update, bool oneByOne, int& t, int& dt)
{
    const size_t count = run.live.size();
    const uint32_t chunks = static_cast<uint32_t>((count + kChunk - 1) / kChunk);
    auto body = [&](uint32_t chunk) {
        const size_t q0 = chunk * kChunk;
        const size_t q1 = std::min(count, q0 + kChunk);
        int bestT = -1, bestD = kFar;
        for (size_t q = q0; q < std::min(q1, q0 + kPrefetchAhead); ++q)
            prefetchCells(run, q, a, b);
        for (size_t q = q0; q < q1; ++q) {
            if (q + kPrefetchAhead < q1)
                prefetchCells(run, q + kPrefetchAhead, a, b);
            const int k = run.live[q];
            if (k == a || k == b)
                continue;
            unsigned short& cell = run.d.cell(k, a);
            const unsigned short rounded = update(cell, run.d.at(k, b), false);
            if (k > b)
                run.d.cell(k, b) = kFar;
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

#ifdef ARBOLIX_X86
// The same for the merge of slots a > b into a, a strip's worth of slots k
// at a time where all of them lie on one side of a and of b: below b the
// cells (a, k) and (b, k) are in rows a and b, between b and a, (a, k) is in
// row a and (k, b) in column b of k's strip, above a both are in k's strip,
// side by side with the strip's other rows. Column b becomes 65535, as do
// the cells of row a in dead columns; dead rows get values nobody reads.
constexpr int kStripsAhead = 8;

template <class Update>
__attribute__((target("avx2"))) void updateStrips(Run& run, SharedLoop& loop, int a, int b, Update update)
{
    CondensedMatrix& d = run.d;
    const int size = static_cast<int>(run.slot.size());
    const CondensedMatrix::Row rowA = d.row(a), rowB = d.row(b);
    const uint8_t* disabled = run.disabledLeafSlot.data();
    const uint8_t* dead = run.dead.data();
    const auto gather = [](CondensedMatrix::Row r, int k) __attribute__((target("avx2"))) {
        alignas(16) unsigned short cells[kLanes] = {};
        for (int l = 0; l < kLanes; ++l)
            cells[l] = r[k + l];
        return _mm_load_si128(reinterpret_cast<const __m128i*>(cells));
    };
    const auto scatter = [](CondensedMatrix::Row r, int k, __m128i v) __attribute__((target("avx2"))) {
        alignas(16) unsigned short cells[kLanes];
        _mm_store_si128(reinterpret_cast<__m128i*>(cells), v);
        for (int l = 0; l < kLanes; ++l)
            r[k + l] = cells[l];
    };
    // 0xFFFF in the lanes of slots k.. that are dead or hold a disabled leaf.
    const auto farLanes = [&](int k) __attribute__((target("avx2"))) {
        uint64_t bytes = 0, gone = 0;
        std::memcpy(&bytes, disabled + k, kLanes);
        std::memcpy(&gone, dead + k, kLanes);
        return _mm_cmpgt_epi16(_mm_cvtepu8_epi16(_mm_cvtsi64_si128(static_cast<long long>(bytes | gone))),
                               _mm_setzero_si128());
    };
    const auto column = [&](int strip, int j) { return d.strip(strip) + static_cast<size_t>(j) * kLanes; };
    const __m128i far = _mm_set1_epi16(-1);
    const int strips = d.strips();
    auto body = [&](uint32_t chunk) __attribute__((target("avx2"))) {
        const int k0 = static_cast<int>(chunk * kChunk), k1 = std::min(size, k0 + static_cast<int>(kChunk));
        for (int k = k0; k < k1; k += kLanes) {
            const int s = k / kLanes;
            if (s + kStripsAhead < strips && k > b) {
                __builtin_prefetch(column(s + kStripsAhead, b), 1);
                if (k > a)
                    __builtin_prefetch(column(s + kStripsAhead, a), 1);
            }
            if (k + kLanes <= size) {
                if (k + kLanes <= b) {
                    scatter(rowA, k, update(gather(rowA, k), gather(rowB, k), farLanes(k)));
                    continue;
                }
                if (k > b && k + kLanes <= a) {
                    scatter(rowA, k, update(gather(rowA, k), loadLanes(column(s, b)), farLanes(k)));
                    storeLanes(column(s, b), far);
                    continue;
                }
                if (k > a) {
                    storeLanes(column(s, a), update(loadLanes(column(s, a)), loadLanes(column(s, b)), farLanes(k)));
                    storeLanes(column(s, b), far);
                    continue;
                }
            }
            for (int q = k; q < std::min(k + kLanes, k1); ++q)
                if (q != a && q != b) {
                    unsigned short& cell = d.cell(q, a);
                    cell = update(cell, d.at(q, b), disabled[q] != 0 || dead[q] != 0);
                    if (q > b)
                        d.cell(q, b) = kFar;
                }
        }
    };
    loop.run(static_cast<uint32_t>((size + kChunk - 1) / kChunk), body);
}
#endif

template <class Update>
void updateAll(Run& run, SharedLoop& loop, int a, int b, Update update)
{
#ifdef ARBOLIX_X86
    if (run.vectors && a > b) {
        updateStrips(run, loop, a, b, update);
        return;
    }
#endif
    int t = -1, dt = kFar;
    updateDistances(run, loop, a, b, update, false, t, dt);
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
            if (k > b)
                run.d.cell(k, b) = kFar;
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

    Run run{f, *matrix, n, linkage, arrangement, params, {}, {}, {}, {}, {}, {}, {}, {}, {}, false};
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
    run.vectors = vectorKernels();
    run.scanAll();

    progress->setMessage("Phase 2 of 2 : Building a Dendrogram");
    progress->setRange(0, 100);
    const int pumpEvery = std::max(1, n / 1000);
    // Merge updates of large runs are shared with a second thread.
    SharedLoop loop(clusteringThreads() > 1 && static_cast<size_t>(n) > 2 * kChunk);
    run.chunkBest.resize(static_cast<size_t>(n) / kChunk + 1);
    run.rescans.reserve(static_cast<size_t>(n));
    auto rescan = [&run](uint32_t c) { run.scan(run.rescans[c]); };
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
            if (linkage == kLinkageOneByOne)
                updateDistances(run, loop, a, b, AverageUpdate{double(A->m_nSize), double(B->m_nSize)}, true, t,
                                dt);
            else
                updateAll(run, loop, a, b, AverageUpdate{double(A->m_nSize), double(B->m_nSize)});
            break;
        case kLinkageAverageGroup: updateCentroid(run, loop, a, b, node); break;
        case kLinkageComplete:
            updateAll(run, loop, a, b, CompleteUpdate{});
            break;
        case kLinkageSingle:
            updateAll(run, loop, a, b, SingleUpdate{});
            break;
        }

        // 7. Slots; the dead slot's column holds 65535 in every row.
        run.d.cell(a, b) = kFar;
        run.slot[static_cast<size_t>(a)] = node;
        run.disabledLeafSlot[static_cast<size_t>(a)] = 0;
        run.slot[static_cast<size_t>(b)] = nullptr;
        run.dead[static_cast<size_t>(b)] = 1;
        run.key[static_cast<size_t>(b)] = kNoKey;
        run.live.erase(std::lower_bound(run.live.begin(), run.live.end(), b));
        previous = a;

        // 8. Rows whose neighbour took part in the merge, shared with the
        // helper thread: each scan writes only its own row's entries.
        const int from = std::min(a, b);
        run.rescans.clear();
        for (auto it = std::lower_bound(run.live.begin(), run.live.end(), from); it != run.live.end(); ++it) {
            const int i = *it;
            const int j = run.nn[static_cast<size_t>(i)];
            if (i > 0 && (j == a || j == b))
                run.rescans.push_back(i);
        }
        loop.run(static_cast<uint32_t>(run.rescans.size()), rescan);

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
