#include "cluster/PairwiseDistances.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "cluster/CondensedMatrix.h"
#include "platform/Progress.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ARBOLIX_X86 1
#endif

namespace {

int g_threads = 0;

constexpr int kRowBlock = 32;     // rows of one work item
constexpr int kColumnTile = 64;   // profiles of the inner tile, kept in cache
constexpr double kBoundaryGuard = 1e-6;

enum class Op { Dot, Square, Abs };

// ---- the sums of one profile a against four profiles b[0..3] ----
// Dot: sum w a b; Square: sum w (a-b)^2; Abs: sum w |a-b|. Double
// accumulation over float rows.

template <Op op>
inline double scalarTerm(double a, double b, double w)
{
    if constexpr (op == Op::Dot)
        return w * a * b;
    else if constexpr (op == Op::Square)
        return w * (a - b) * (a - b);
    else
        return w * std::fabs(a - b);
}

template <Op op>
void sums4Plain(const float* a, const float* const* b, const double* w, int n, double* out)
{
    for (int k = 0; k < 4; ++k) {
        double acc[4] = {0.0, 0.0, 0.0, 0.0};
        int i = 0;
        for (; i + 4 <= n; i += 4)
            for (int l = 0; l < 4; ++l)
                acc[l] += scalarTerm<op>(a[i + l], b[k][i + l], w[i + l]);
        double tail = 0.0;
        for (; i < n; ++i)
            tail += scalarTerm<op>(a[i], b[k][i], w[i]);
        out[k] = ((acc[0] + acc[1]) + (acc[2] + acc[3])) + tail;
    }
}

#ifdef ARBOLIX_X86
__attribute__((target("avx2,fma"))) inline double horizontalSum(__m256d v)
{
    __m128d lo = _mm256_castpd256_pd128(v), hi = _mm256_extractf128_pd(v, 1);
    __m128d s = _mm_add_pd(lo, hi);
    return _mm_cvtsd_f64(_mm_add_sd(s, _mm_unpackhi_pd(s, s)));
}

template <Op op>
__attribute__((target("avx2,fma"))) void sums4Avx2(const float* a, const float* const* b, const double* w, int n,
                                                   double* out)
{
    __m256d acc0 = _mm256_setzero_pd(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
    const __m256d signMask = _mm256_set1_pd(-0.0);
    const float *b0 = b[0], *b1 = b[1], *b2 = b[2], *b3 = b[3];
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m256d va = _mm256_cvtps_pd(_mm_loadu_ps(a + i));
        const __m256d vw = _mm256_loadu_pd(w + i);
        const __m256d x0 = _mm256_cvtps_pd(_mm_loadu_ps(b0 + i));
        const __m256d x1 = _mm256_cvtps_pd(_mm_loadu_ps(b1 + i));
        const __m256d x2 = _mm256_cvtps_pd(_mm_loadu_ps(b2 + i));
        const __m256d x3 = _mm256_cvtps_pd(_mm_loadu_ps(b3 + i));
        if constexpr (op == Op::Dot) {
            const __m256d wa = _mm256_mul_pd(va, vw);
            acc0 = _mm256_fmadd_pd(wa, x0, acc0);
            acc1 = _mm256_fmadd_pd(wa, x1, acc1);
            acc2 = _mm256_fmadd_pd(wa, x2, acc2);
            acc3 = _mm256_fmadd_pd(wa, x3, acc3);
        } else if constexpr (op == Op::Square) {
            const __m256d d0 = _mm256_sub_pd(va, x0), d1 = _mm256_sub_pd(va, x1);
            const __m256d d2 = _mm256_sub_pd(va, x2), d3 = _mm256_sub_pd(va, x3);
            acc0 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d0), d0, acc0);
            acc1 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d1), d1, acc1);
            acc2 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d2), d2, acc2);
            acc3 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d3), d3, acc3);
        } else {
            acc0 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x0)), acc0);
            acc1 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x1)), acc1);
            acc2 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x2)), acc2);
            acc3 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x3)), acc3);
        }
    }
    double tail[4] = {0.0, 0.0, 0.0, 0.0};
    for (; i < n; ++i)
        for (int k = 0; k < 4; ++k)
            tail[k] += scalarTerm<op>(a[i], b[k][i], w[i]);
    out[0] = horizontalSum(acc0) + tail[0];
    out[1] = horizontalSum(acc1) + tail[1];
    out[2] = horizontalSum(acc2) + tail[2];
    out[3] = horizontalSum(acc3) + tail[3];
}

bool hasAvx2()
{
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes;
}
#endif

// ---- what every pair of one run shares ----
struct Context {
    const PairwiseInput* in = nullptr;
    CondensedMatrix* matrix = nullptr;
    DistanceFn definition = nullptr;
    std::vector<double> w;             // normalised pair weights of complete profiles
    int validColumns = 0;
    std::vector<unsigned char> fast;   // slot may use the kernel
    std::vector<double> mean, inverseNorm;  // Pearson
};

inline unsigned short byDefinition(const Context& c, int i, int j)
{
    const PairwiseInput& in = *c.in;
    return roundDistance(c.definition(in.values[static_cast<size_t>(i)], in.weights[static_cast<size_t>(i)],
                                      in.values[static_cast<size_t>(j)], in.weights[static_cast<size_t>(j)], in.params));
}

// Kernel result to stored distance; results on a rounding boundary are
// settled by the definition.
inline unsigned short settle(const Context& c, double d, int i, int j)
{
    if (std::fabs(d - std::floor(d) - 0.5) < kBoundaryGuard)
        return byDefinition(c, i, j);
    return roundDistance(d);
}

inline double scaled(double value, double normaliser)
{
    if (value == 0.0)
        return 0.0;
    if (!(normaliser > 0.0))
        return kMaxDistance;
    const double d = value / normaliser * kMaxDistance;
    return d > kMaxDistance ? kMaxDistance : d;
}

struct PearsonKernel {
    static constexpr Op op = Op::Dot;
    static double finish(const Context& c, double sum, int i, int j)
    {
        const DistanceParams& p = c.in->params;
        const double cov = p.centered ? sum - c.mean[static_cast<size_t>(i)] * c.mean[static_cast<size_t>(j)] : sum;
        const double r = cov * c.inverseNorm[static_cast<size_t>(i)] * c.inverseNorm[static_cast<size_t>(j)];
        return p.absolute ? (1.0 - std::fabs(r)) * kMaxDistance : (1.0 - r) * kHalfScale;
    }
};

struct EuclideanKernel {
    static constexpr Op op = Op::Square;
    static double finish(const Context& c, double sum, int, int)
    {
        return scaled(std::sqrt(c.validColumns * sum), c.in->params.euclideanNormaliser);
    }
};

struct ManhattanKernel {
    static constexpr Op op = Op::Abs;
    static double finish(const Context& c, double sum, int, int)
    {
        return scaled(sum * c.validColumns, c.in->params.manhattanNormaliser);
    }
};

using Sums4 = void (*)(const float*, const float* const*, const double*, int, double*);

// Rows i0..i1-1 of the matrix, tile by tile.
template <class Kernel>
void fillRows(const Context& c, Sums4 sums4, int i0, int i1)
{
    const PairwiseInput& in = *c.in;
    const int n = in.params.n;
    for (int i = i0; i < i1; ++i)
        if (!in.enabled[static_cast<size_t>(i)])
            std::fill(c.matrix->row(i), c.matrix->row(i) + i, static_cast<unsigned short>(kMaxDistanceCell));
    for (int jb = 0; jb < i1 - 1; jb += kColumnTile) {
        const int tileEnd = std::min(jb + kColumnTile, i1 - 1);
        for (int i = std::max(i0, jb + 1); i < i1; ++i) {
            if (!in.enabled[static_cast<size_t>(i)])
                continue;
            unsigned short* row = c.matrix->row(i);
            const int jEnd = std::min(tileEnd, i);
            if (!c.fast[static_cast<size_t>(i)]) {
                for (int j = jb; j < jEnd; ++j)
                    row[j] = in.enabled[static_cast<size_t>(j)] ? byDefinition(c, i, j)
                                                               : static_cast<unsigned short>(kMaxDistanceCell);
                continue;
            }
            const float* a = in.values[static_cast<size_t>(i)];
            for (int j = jb; j < jEnd; j += 4) {
                const int count = std::min(4, jEnd - j);
                const float* b[4];
                for (int k = 0; k < 4; ++k)
                    b[k] = in.values[static_cast<size_t>(j + std::min(k, count - 1))];
                double sums[4];
                sums4(a, b, c.w.data(), n, sums);
                for (int k = 0; k < count; ++k) {
                    const int jj = j + k;
                    if (!in.enabled[static_cast<size_t>(jj)])
                        row[jj] = static_cast<unsigned short>(kMaxDistanceCell);
                    else if (c.fast[static_cast<size_t>(jj)])
                        row[jj] = settle(c, Kernel::finish(c, sums[k], i, jj), i, jj);
                    else
                        row[jj] = byDefinition(c, i, jj);
                }
            }
        }
    }
}

void fillRowsByDefinition(const Context& c, Sums4, int i0, int i1)
{
    const PairwiseInput& in = *c.in;
    for (int i = i0; i < i1; ++i) {
        unsigned short* row = c.matrix->row(i);
        for (int j = 0; j < i; ++j)
            row[j] = in.enabled[static_cast<size_t>(i)] && in.enabled[static_cast<size_t>(j)]
                         ? byDefinition(c, i, j)
                         : static_cast<unsigned short>(kMaxDistanceCell);
    }
}

template <Op op>
Sums4 pickSums4()
{
#ifdef ARBOLIX_X86
    if (hasAvx2())
        return &sums4Avx2<op>;
#endif
    return &sums4Plain<op>;
}

// Which slots may use the kernel, with the per-profile terms of Pearson.
void prepare(Context& c)
{
    const PairwiseInput& in = *c.in;
    const DistanceParams& p = in.params;
    const size_t slots = in.values.size();
    c.fast.assign(slots, 0);
    if (in.measure == kMeasureMatching || p.pValueWeights)
        return;
    double total = 0.0;
    c.w.assign(static_cast<size_t>(p.n), 0.0);
    for (int k = 0; k < p.n; ++k) {
        const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
        if (cw == -1.0f)
            continue;
        total += cw;
        ++c.validColumns;
    }
    if (total == 0.0)
        return;
    for (int k = 0; k < p.n; ++k) {
        const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
        c.w[static_cast<size_t>(k)] = cw == -1.0f ? 0.0 : cw / total;
    }
    if (in.measure == kMeasurePearson) {
        c.mean.assign(slots, 0.0);
        c.inverseNorm.assign(slots, 0.0);
    }
    for (size_t s = 0; s < slots; ++s) {
        const float* v = in.values[s];
        const float* wt = in.weights[s];
        bool complete = true;
        for (int k = 0; k < p.n && complete; ++k) {
            const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
            complete = cw == -1.0f || wt[k] != -1.0f;
        }
        if (!complete)
            continue;
        if (in.measure == kMeasurePearson) {
            double mean = 0.0;
            if (p.centered)
                for (int k = 0; k < p.n; ++k)
                    mean += c.w[static_cast<size_t>(k)] * v[k];
            double ss = 0.0;
            for (int k = 0; k < p.n; ++k) {
                const double d = v[k] - mean;
                ss += c.w[static_cast<size_t>(k)] * d * d;
            }
            if (!(ss > 0.0))
                continue;  // constant profile: the definition gives 65535
            c.mean[s] = mean;
            c.inverseNorm[s] = 1.0 / std::sqrt(ss);
        }
        c.fast[s] = 1;
    }
}

} // namespace

void setClusteringThreads(int threads) { g_threads = threads < 0 ? 0 : threads; }

int clusteringThreads()
{
    if (g_threads > 0)
        return g_threads;
    const unsigned hw = std::thread::hardware_concurrency();
    return hw > 0 ? static_cast<int>(hw) : 1;
}

bool computePairwiseDistances(const PairwiseInput& input, CondensedMatrix& matrix, IProgress& progress)
{
    const int n = static_cast<int>(input.values.size());
    Context c;
    c.in = &input;
    c.matrix = &matrix;
    c.definition = distanceFunction(input.measure);
    if (!c.definition)
        return false;
    prepare(c);

    void (*fill)(const Context&, Sums4, int, int) = &fillRowsByDefinition;
    Sums4 sums4 = nullptr;
    switch (input.measure) {
    case kMeasurePearson: fill = &fillRows<PearsonKernel>; sums4 = pickSums4<Op::Dot>(); break;
    case kMeasureEuclidean: fill = &fillRows<EuclideanKernel>; sums4 = pickSums4<Op::Square>(); break;
    case kMeasureManhattan: fill = &fillRows<ManhattanKernel>; sums4 = pickSums4<Op::Abs>(); break;
    default: break;
    }

    // Work items from the longest rows down, so that the threads finish
    // together.
    std::vector<std::pair<int, int>> blocks;
    for (int i1 = n; i1 > 1; i1 -= kRowBlock)
        blocks.emplace_back(std::max(1, i1 - kRowBlock), i1);
    std::atomic<size_t> next{0};
    std::atomic<int> rowsDone{0};
    std::atomic<bool> stop{false};
    auto work = [&](bool reporter) {
        for (;;) {
            if (stop.load(std::memory_order_relaxed))
                return;
            const size_t b = next.fetch_add(1);
            if (b >= blocks.size())
                return;
            fill(c, sums4, blocks[b].first, blocks[b].second);
            rowsDone.fetch_add(blocks[b].second - blocks[b].first);
            if (reporter) {
                progress.setPosition(rowsDone.load());
                progress.pump();
                if (progress.cancelled())
                    stop = true;
            }
        }
    };
    const long long pairs = static_cast<long long>(n) * (n - 1) / 2;
    int threads = std::min(clusteringThreads(), static_cast<int>(blocks.size()));
    if (pairs < 20000)
        threads = 1;
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) {
        try {
            workers.emplace_back(work, false);
        } catch (...) {
            break;  // fewer threads; the results are the same
        }
    }
    work(true);
    for (std::thread& t : workers)
        t.join();
    if (!stop) {
        progress.setPosition(n);
        progress.pump();
        if (progress.cancelled())
            stop = true;
    }
    return !stop;
}
