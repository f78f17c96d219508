#include "cluster/PairwiseDistances.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "cluster/CondensedMatrix.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ARBOLIX_X86 1
#endif

namespace {

int g_threads = 0;
bool g_vectorKernels = true;

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
bool hasAvx2()
{
    static const bool yes = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return yes && g_vectorKernels;
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
    if (!(d > 0.0))
        d = 0.0;
    if (d >= kMaxDistance)
        return static_cast<unsigned short>(kMaxDistanceCell);
    const double x = d + 0.5;
    const double fraction = x - static_cast<double>(static_cast<int>(x));
    if (fraction < kBoundaryGuard || fraction > 1.0 - kBoundaryGuard)
        return byDefinition(c, i, j);
    return static_cast<unsigned short>(static_cast<int>(x));
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
    [[maybe_unused]] static constexpr Op op = Op::Dot;
    static double finish(const Context& c, double sum, int i, int j)
    {
        const DistanceParams& p = c.in->params;
        const double cov = p.centered ? sum - c.mean[static_cast<size_t>(i)] * c.mean[static_cast<size_t>(j)] : sum;
        const double r = cov * c.inverseNorm[static_cast<size_t>(i)] * c.inverseNorm[static_cast<size_t>(j)];
        return p.absolute ? (1.0 - std::fabs(r)) * kMaxDistance : (1.0 - r) * kHalfScale;
    }
};

struct EuclideanKernel {
    [[maybe_unused]] static constexpr Op op = Op::Square;
    static double finish(const Context& c, double sum, int, int)
    {
        return scaled(std::sqrt(c.validColumns * sum), c.in->params.euclideanNormaliser);
    }
};

struct ManhattanKernel {
    [[maybe_unused]] static constexpr Op op = Op::Abs;
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

#ifdef ARBOLIX_X86
// The sums of one profile against four, as one vector, over double rows
// padded to a multiple of 4 (padding weights are 0). For Dot, `a` already
// holds w * a.
template <Op op>
__attribute__((target("avx2,fma"))) inline __m256d sums4Vector(const double* a, const double* const* b,
                                                               const double* w, int padded)
{
    __m256d acc0 = _mm256_setzero_pd(), acc1 = acc0, acc2 = acc0, acc3 = acc0;
    const __m256d signMask = _mm256_set1_pd(-0.0);
    const double *b0 = b[0], *b1 = b[1], *b2 = b[2], *b3 = b[3];
    for (int i = 0; i < padded; i += 4) {
        const __m256d va = _mm256_loadu_pd(a + i);
        const __m256d x0 = _mm256_loadu_pd(b0 + i), x1 = _mm256_loadu_pd(b1 + i);
        const __m256d x2 = _mm256_loadu_pd(b2 + i), x3 = _mm256_loadu_pd(b3 + i);
        if constexpr (op == Op::Dot) {
            acc0 = _mm256_fmadd_pd(va, x0, acc0);
            acc1 = _mm256_fmadd_pd(va, x1, acc1);
            acc2 = _mm256_fmadd_pd(va, x2, acc2);
            acc3 = _mm256_fmadd_pd(va, x3, acc3);
        } else if constexpr (op == Op::Square) {
            const __m256d vw = _mm256_loadu_pd(w + i);
            const __m256d d0 = _mm256_sub_pd(va, x0), d1 = _mm256_sub_pd(va, x1);
            const __m256d d2 = _mm256_sub_pd(va, x2), d3 = _mm256_sub_pd(va, x3);
            acc0 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d0), d0, acc0);
            acc1 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d1), d1, acc1);
            acc2 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d2), d2, acc2);
            acc3 = _mm256_fmadd_pd(_mm256_mul_pd(vw, d3), d3, acc3);
        } else {
            const __m256d vw = _mm256_loadu_pd(w + i);
            acc0 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x0)), acc0);
            acc1 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x1)), acc1);
            acc2 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x2)), acc2);
            acc3 = _mm256_fmadd_pd(vw, _mm256_andnot_pd(signMask, _mm256_sub_pd(va, x3)), acc3);
        }
    }
    // Lane k = total of acc k.
    const __m256d h01 = _mm256_hadd_pd(acc0, acc1), h23 = _mm256_hadd_pd(acc2, acc3);
    return _mm256_add_pd(_mm256_permute2f128_pd(h01, h23, 0x21), _mm256_blend_pd(h01, h23, 0xC));
}

// Distances of one row against four slots j..j+3, before rounding.
struct PearsonVector {
    [[maybe_unused]] static constexpr Op op = Op::Dot;
    __attribute__((target("avx2,fma"))) static __m256d finish(const Context& c, __m256d sum, int i, int j)
    {
        const DistanceParams& p = c.in->params;
        __m256d cov = sum;
        if (p.centered)
            cov = _mm256_fnmadd_pd(_mm256_set1_pd(c.mean[static_cast<size_t>(i)]),
                                   _mm256_loadu_pd(&c.mean[static_cast<size_t>(j)]), sum);
        const __m256d r = _mm256_mul_pd(_mm256_mul_pd(cov, _mm256_set1_pd(c.inverseNorm[static_cast<size_t>(i)])),
                                        _mm256_loadu_pd(&c.inverseNorm[static_cast<size_t>(j)]));
        const __m256d one = _mm256_set1_pd(1.0);
        if (p.absolute)
            return _mm256_mul_pd(_mm256_sub_pd(one, _mm256_andnot_pd(_mm256_set1_pd(-0.0), r)),
                                 _mm256_set1_pd(kMaxDistance));
        return _mm256_mul_pd(_mm256_sub_pd(one, r), _mm256_set1_pd(kHalfScale));
    }
};

struct EuclideanVector {
    [[maybe_unused]] static constexpr Op op = Op::Square;
    __attribute__((target("avx2,fma"))) static __m256d finish(const Context& c, __m256d sum, int, int)
    {
        const __m256d root = _mm256_sqrt_pd(_mm256_mul_pd(_mm256_set1_pd(c.validColumns), sum));
        return _mm256_mul_pd(_mm256_div_pd(root, _mm256_set1_pd(c.in->params.euclideanNormaliser)),
                             _mm256_set1_pd(kMaxDistance));
    }
};

struct ManhattanVector {
    [[maybe_unused]] static constexpr Op op = Op::Abs;
    __attribute__((target("avx2,fma"))) static __m256d finish(const Context& c, __m256d sum, int, int)
    {
        const __m256d scaledSum = _mm256_mul_pd(sum, _mm256_set1_pd(c.validColumns));
        return _mm256_mul_pd(_mm256_div_pd(scaledSum, _mm256_set1_pd(c.in->params.manhattanNormaliser)),
                             _mm256_set1_pd(kMaxDistance));
    }
};

// acc + w (u - x)^2 or acc + w |u - x|.
template <Op op>
__attribute__((target("avx2,fma"))) inline __m256d differenceTerm(__m256d u, __m256d x, __m256d w, __m256d signMask,
                                                                  __m256d acc)
{
    const __m256d d = _mm256_sub_pd(u, x);
    if constexpr (op == Op::Square)
        return _mm256_fmadd_pd(_mm256_mul_pd(w, d), d, acc);
    else
        return _mm256_fmadd_pd(w, _mm256_andnot_pd(signMask, d), acc);
}

// The sums of two profiles against four, as two vectors.
template <Op op>
__attribute__((target("avx2,fma"))) inline void sums8Vector(const double* a0, const double* a1,
                                                            const double* const* b, const double* w, int padded,
                                                            __m256d& out0, __m256d& out1)
{
    __m256d p0 = _mm256_setzero_pd(), p1 = p0, p2 = p0, p3 = p0, q0 = p0, q1 = p0, q2 = p0, q3 = p0;
    const __m256d signMask = _mm256_set1_pd(-0.0);
    const double *b0 = b[0], *b1 = b[1], *b2 = b[2], *b3 = b[3];
    for (int i = 0; i < padded; i += 4) {
        const __m256d va = _mm256_loadu_pd(a0 + i), vb = _mm256_loadu_pd(a1 + i);
        const __m256d x0 = _mm256_loadu_pd(b0 + i), x1 = _mm256_loadu_pd(b1 + i);
        const __m256d x2 = _mm256_loadu_pd(b2 + i), x3 = _mm256_loadu_pd(b3 + i);
        if constexpr (op == Op::Dot) {
            p0 = _mm256_fmadd_pd(va, x0, p0);
            p1 = _mm256_fmadd_pd(va, x1, p1);
            p2 = _mm256_fmadd_pd(va, x2, p2);
            p3 = _mm256_fmadd_pd(va, x3, p3);
            q0 = _mm256_fmadd_pd(vb, x0, q0);
            q1 = _mm256_fmadd_pd(vb, x1, q1);
            q2 = _mm256_fmadd_pd(vb, x2, q2);
            q3 = _mm256_fmadd_pd(vb, x3, q3);
        } else {
            const __m256d vw = _mm256_loadu_pd(w + i);
            p0 = differenceTerm<op>(va, x0, vw, signMask, p0);
            p1 = differenceTerm<op>(va, x1, vw, signMask, p1);
            p2 = differenceTerm<op>(va, x2, vw, signMask, p2);
            p3 = differenceTerm<op>(va, x3, vw, signMask, p3);
            q0 = differenceTerm<op>(vb, x0, vw, signMask, q0);
            q1 = differenceTerm<op>(vb, x1, vw, signMask, q1);
            q2 = differenceTerm<op>(vb, x2, vw, signMask, q2);
            q3 = differenceTerm<op>(vb, x3, vw, signMask, q3);
        }
    }
    const __m256d h01 = _mm256_hadd_pd(p0, p1), h23 = _mm256_hadd_pd(p2, p3);
    out0 = _mm256_add_pd(_mm256_permute2f128_pd(h01, h23, 0x21), _mm256_blend_pd(h01, h23, 0xC));
    const __m256d g01 = _mm256_hadd_pd(q0, q1), g23 = _mm256_hadd_pd(q2, q3);
    out1 = _mm256_add_pd(_mm256_permute2f128_pd(g01, g23, 0x21), _mm256_blend_pd(g01, g23, 0xC));
}

// Stores the distances d of pairs (i, j..j+count-1): whole groups of
// complete profiles rounded as a vector; lanes on a rounding boundary,
// disabled and incomplete profiles go the scalar way.
__attribute__((target("avx2,fma"))) inline void storeGroup(const Context& c, unsigned short* row, int i, int j,
                                                           int count, __m256d d)
{
    const PairwiseInput& in = *c.in;
    unsigned fastLanes;
    std::memcpy(&fastLanes, &c.fast[static_cast<size_t>(j)], 4);
    if (count == 4 && fastLanes == 0x01010101u) {
        const __m256d x = _mm256_add_pd(_mm256_min_pd(_mm256_max_pd(d, _mm256_setzero_pd()),
                                                      _mm256_set1_pd(kMaxDistance)),
                                        _mm256_set1_pd(0.5));
        const __m256d whole = _mm256_floor_pd(x);
        const __m256d fraction = _mm256_sub_pd(x, whole);
        const int boundary = _mm256_movemask_pd(
            _mm256_or_pd(_mm256_cmp_pd(fraction, _mm256_set1_pd(kBoundaryGuard), _CMP_LT_OQ),
                         _mm256_cmp_pd(fraction, _mm256_set1_pd(1.0 - kBoundaryGuard), _CMP_GT_OQ)));
        const __m128i cells = _mm_packus_epi32(_mm256_cvttpd_epi32(whole), _mm_setzero_si128());
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + j), cells);
        if (boundary)
            for (int k = 0; k < 4; ++k)
                if (boundary & (1 << k))
                    row[j + k] = byDefinition(c, i, j + k);
        return;
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, d);
    for (int k = 0; k < count; ++k) {
        const int jj = j + k;
        if (!in.enabled[static_cast<size_t>(jj)])
            row[jj] = static_cast<unsigned short>(kMaxDistanceCell);
        else if (c.fast[static_cast<size_t>(jj)])
            row[jj] = settle(c, lanes[k], i, jj);
        else
            row[jj] = byDefinition(c, i, jj);
    }
}

// One row against the profiles j in [from, to), which start at `profiles`.
template <class Kernel>
__attribute__((target("avx2,fma"))) void singleRow(const Context& c, int i, const double* a, const double* profiles,
                                                   int from, int to, const double* weights, int padded)
{
    unsigned short* row = c.matrix->row(i);
    for (int j = from; j < to; j += 4) {
        const int count = std::min(4, to - j);
        const double* b[4];
        for (int k = 0; k < 4; ++k)
            b[k] = profiles + static_cast<size_t>(j - from + std::min(k, count - 1)) * padded;
        storeGroup(c, row, i, j, count, Kernel::finish(c, sums4Vector<Kernel::op>(a, b, weights, padded), i, j));
    }
}

// Rows i0..i1-1, tile by tile: the tile's profiles are converted to padded
// doubles once, and complete rows go two at a time against four profiles.
template <class Kernel>
__attribute__((target("avx2,fma"))) void fillRowsAvx2(const Context& c, Sums4, int i0, int i1)
{
    const PairwiseInput& in = *c.in;
    const int n = in.params.n;
    const int padded = (n + 3) & ~3;
    std::vector<double> tile(static_cast<size_t>(kColumnTile) * padded, 0.0);
    std::vector<double> rowA(static_cast<size_t>(padded), 0.0), rowB(static_cast<size_t>(padded), 0.0);
    std::vector<double> weights(static_cast<size_t>(padded), 0.0);
    std::copy(c.w.begin(), c.w.end(), weights.begin());
    auto load = [&](int i, std::vector<double>& into) {
        const float* a = in.values[static_cast<size_t>(i)];
        for (int k = 0; k < n; ++k)
            into[static_cast<size_t>(k)] = Kernel::op == Op::Dot ? a[k] * weights[static_cast<size_t>(k)] : a[k];
    };
    auto tileRow = [&](int j, int jb) { return tile.data() + static_cast<size_t>(j - jb) * padded; };
    auto fast = [&](int i) { return c.fast[static_cast<size_t>(i)] != 0; };
    auto single = [&](int i, const std::vector<double>& a, int jb, int from, int to) {
        singleRow<Kernel>(c, i, a.data(), tile.data() + static_cast<size_t>(from - jb) * padded, from, to,
                          weights.data(), padded);
    };
    for (int i = i0; i < i1; ++i)
        if (!in.enabled[static_cast<size_t>(i)])
            std::fill(c.matrix->row(i), c.matrix->row(i) + i, static_cast<unsigned short>(kMaxDistanceCell));
    for (int jb = 0; jb < i1 - 1; jb += kColumnTile) {
        const int tileEnd = std::min(jb + kColumnTile, i1 - 1);
        for (int j = jb; j < tileEnd; ++j) {
            const float* v = in.values[static_cast<size_t>(j)];
            std::copy(v, v + n, tile.begin() + static_cast<std::ptrdiff_t>(j - jb) * padded);
        }
        for (int i = std::max(i0, jb + 1); i < i1;) {
            const int jEnd = std::min(tileEnd, i);
            if (!in.enabled[static_cast<size_t>(i)]) {
                ++i;
                continue;
            }
            if (!fast(i)) {
                unsigned short* row = c.matrix->row(i);
                for (int j = jb; j < jEnd; ++j)
                    row[j] = in.enabled[static_cast<size_t>(j)] ? byDefinition(c, i, j)
                                                               : static_cast<unsigned short>(kMaxDistanceCell);
                ++i;
                continue;
            }
            load(i, rowA);
            if (i + 1 >= i1 || !fast(i + 1)) {
                single(i, rowA, jb, jb, jEnd);
                ++i;
                continue;
            }
            // Rows i and i + 1 share j < i; row i + 1 also has j = i.
            load(i + 1, rowB);
            unsigned short* row0 = c.matrix->row(i);
            unsigned short* row1 = c.matrix->row(i + 1);
            for (int j = jb; j < jEnd; j += 4) {
                const int count = std::min(4, jEnd - j);
                const double* b[4];
                for (int k = 0; k < 4; ++k)
                    b[k] = tileRow(j + std::min(k, count - 1), jb);
                __m256d s0, s1;
                sums8Vector<Kernel::op>(rowA.data(), rowB.data(), b, weights.data(), padded, s0, s1);
                storeGroup(c, row0, i, j, count, Kernel::finish(c, s0, i, j));
                storeGroup(c, row1, i + 1, j, count, Kernel::finish(c, s1, i + 1, j));
            }
            if (std::min(tileEnd, i + 1) > jEnd)
                single(i + 1, rowB, jb, jEnd, jEnd + 1);
            i += 2;
        }
    }
}
#endif

// ---- unrounded distances of a block of pairs ----

inline double unroundedByDefinition(const Context& c, int i, int j)
{
    const PairwiseInput& in = *c.in;
    if (!in.enabled[static_cast<size_t>(i)] || !in.enabled[static_cast<size_t>(j)])
        return kMaxDistance;
    return c.definition(in.values[static_cast<size_t>(i)], in.weights[static_cast<size_t>(i)],
                        in.values[static_cast<size_t>(j)], in.weights[static_cast<size_t>(j)], in.params);
}

// A kernel's result where the definition caps it; the definitions of
// Euclidean and Manhattan distances cap at the largest distance.
inline double unroundedFromKernel(double d) { return d > kMaxDistance ? kMaxDistance : d; }

using BlockFill = void (*)(const Context&, Sums4, int, int, int, int, double*, size_t);

template <class Kernel>
void blockPlain(const Context& c, Sums4 sums4, int i0, int i1, int j0, int j1, double* out, size_t stride)
{
    const PairwiseInput& in = *c.in;
    for (int i = i0; i < i1; ++i) {
        double* row = out + static_cast<size_t>(i - i0) * stride - j0;
        if (!c.fast[static_cast<size_t>(i)] || !in.enabled[static_cast<size_t>(i)]) {
            for (int j = j0; j < j1; ++j)
                row[j] = unroundedByDefinition(c, i, j);
            continue;
        }
        for (int j = j0; j < j1; j += 4) {
            const int count = std::min(4, j1 - j);
            const float* b[4];
            for (int k = 0; k < 4; ++k)
                b[k] = in.values[static_cast<size_t>(j + std::min(k, count - 1))];
            double sums[4];
            sums4(in.values[static_cast<size_t>(i)], b, c.w.data(), in.params.n, sums);
            for (int k = 0; k < count; ++k) {
                const int jj = j + k;
                row[jj] = c.fast[static_cast<size_t>(jj)] && in.enabled[static_cast<size_t>(jj)]
                              ? unroundedFromKernel(Kernel::finish(c, sums[k], i, jj))
                              : unroundedByDefinition(c, i, jj);
            }
        }
    }
}

void blockByDefinition(const Context& c, Sums4, int i0, int i1, int j0, int j1, double* out, size_t stride)
{
    for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j)
            out[static_cast<size_t>(i - i0) * stride + static_cast<size_t>(j - j0)] = unroundedByDefinition(c, i, j);
}

#ifdef ARBOLIX_X86
// Lanes of a kernel result for the pairs (i, j..j+count-1).
__attribute__((target("avx2,fma"))) inline void storeUnrounded(const Context& c, double* row, int i, int j, int count,
                                                               __m256d d)
{
    const PairwiseInput& in = *c.in;
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, d);
    for (int k = 0; k < count; ++k) {
        const int jj = j + k;
        row[jj] = c.fast[static_cast<size_t>(jj)] && in.enabled[static_cast<size_t>(jj)]
                      ? unroundedFromKernel(lanes[k])
                      : unroundedByDefinition(c, i, jj);
    }
}

// Tile by tile as phase 1 does: the tile's profiles as padded doubles, two
// complete rows at a time against four profiles.
template <class Kernel>
__attribute__((target("avx2,fma"))) void blockAvx2(const Context& c, Sums4, int i0, int i1, int j0, int j1,
                                                   double* out, size_t stride)
{
    const PairwiseInput& in = *c.in;
    const int n = in.params.n;
    const int padded = (n + 3) & ~3;
    std::vector<double> tile(static_cast<size_t>(kColumnTile) * padded, 0.0);
    std::vector<double> rowA(static_cast<size_t>(padded), 0.0), rowB(static_cast<size_t>(padded), 0.0);
    std::vector<double> weights(static_cast<size_t>(padded), 0.0);
    std::copy(c.w.begin(), c.w.end(), weights.begin());
    auto load = [&](int i, std::vector<double>& into) {
        const float* a = in.values[static_cast<size_t>(i)];
        for (int k = 0; k < n; ++k)
            into[static_cast<size_t>(k)] = Kernel::op == Op::Dot ? a[k] * weights[static_cast<size_t>(k)] : a[k];
    };
    auto complete = [&](int i) { return c.fast[static_cast<size_t>(i)] && in.enabled[static_cast<size_t>(i)]; };
    for (int jb = j0; jb < j1; jb += kColumnTile) {
        const int tileEnd = std::min(jb + kColumnTile, j1);
        for (int j = jb; j < tileEnd; ++j) {
            const float* v = in.values[static_cast<size_t>(j)];
            std::copy(v, v + n, tile.begin() + static_cast<std::ptrdiff_t>(j - jb) * padded);
        }
        auto columns = [&](int j, int count) {
            std::array<const double*, 4> b{};
            for (int k = 0; k < 4; ++k)
                b[static_cast<size_t>(k)] = tile.data() + static_cast<size_t>(j - jb + std::min(k, count - 1)) * padded;
            return b;
        };
        for (int i = i0; i < i1;) {
            double* row0 = out + static_cast<size_t>(i - i0) * stride - j0;
            if (!complete(i)) {
                for (int j = jb; j < tileEnd; ++j)
                    row0[j] = unroundedByDefinition(c, i, j);
                ++i;
                continue;
            }
            load(i, rowA);
            if (i + 1 >= i1 || !complete(i + 1)) {
                for (int j = jb; j < tileEnd; j += 4) {
                    const int count = std::min(4, tileEnd - j);
                    const auto b = columns(j, count);
                    storeUnrounded(c, row0, i, j, count,
                                   Kernel::finish(c, sums4Vector<Kernel::op>(rowA.data(), b.data(), weights.data(),
                                                                             padded),
                                                  i, j));
                }
                ++i;
                continue;
            }
            load(i + 1, rowB);
            double* row1 = row0 + stride;
            for (int j = jb; j < tileEnd; j += 4) {
                const int count = std::min(4, tileEnd - j);
                const auto b = columns(j, count);
                __m256d s0, s1;
                sums8Vector<Kernel::op>(rowA.data(), rowB.data(), b.data(), weights.data(), padded, s0, s1);
                storeUnrounded(c, row0, i, j, count, Kernel::finish(c, s0, i, j));
                storeUnrounded(c, row1, i + 1, j, count, Kernel::finish(c, s1, i + 1, j));
            }
            i += 2;
        }
    }
}
#endif

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


// Which slots may use the kernel, with the per-profile terms of Pearson.
void prepare(Context& c)
{
    const PairwiseInput& in = *c.in;
    const DistanceParams& p = in.params;
    const size_t slots = in.values.size();
    c.fast.assign(slots + 4, 0);  // padded for reading four flags at once
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
    // A zero normaliser is the definition's business.
    if ((in.measure == kMeasureEuclidean && !(p.euclideanNormaliser > 0.0)) ||
        (in.measure == kMeasureManhattan && !(p.manhattanNormaliser > 0.0)))
        return;
    for (int k = 0; k < p.n; ++k) {
        const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
        c.w[static_cast<size_t>(k)] = cw == -1.0f ? 0.0 : cw / total;
    }
    if (in.measure == kMeasurePearson) {
        c.mean.assign(slots + 4, 0.0);  // padded for vector loads
        c.inverseNorm.assign(slots + 4, 0.0);
    }
    for (size_t s = 0; s < slots; ++s) {
        const float* v = in.values[s];
        const float* wt = in.weights[s];
        bool complete = in.enabled[s] != 0;
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

void setVectorKernels(bool use) { g_vectorKernels = use; }

void setClusteringThreads(int threads) { g_threads = threads < 0 ? 0 : threads; }

int clusteringThreads()
{
    return g_threads > 0 ? g_threads : workerCount();
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
    case kMeasurePearson: fill = &fillRows<PearsonKernel>; sums4 = &sums4Plain<Op::Dot>; break;
    case kMeasureEuclidean: fill = &fillRows<EuclideanKernel>; sums4 = &sums4Plain<Op::Square>; break;
    case kMeasureManhattan: fill = &fillRows<ManhattanKernel>; sums4 = &sums4Plain<Op::Abs>; break;
    default: break;
    }
#ifdef ARBOLIX_X86
    if (hasAvx2()) {
        switch (input.measure) {
        case kMeasurePearson: fill = &fillRowsAvx2<PearsonVector>; break;
        case kMeasureEuclidean: fill = &fillRowsAvx2<EuclideanVector>; break;
        case kMeasureManhattan: fill = &fillRowsAvx2<ManhattanVector>; break;
        default: break;
        }
    }
#endif

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

// ---- PairDistances ----

struct PairDistances::Impl {
    PairwiseInput input;
    Context context;
    BlockFill fill = &blockByDefinition;
    Sums4 sums4 = nullptr;
};

PairDistances::PairDistances(const PairwiseInput& input) : m(std::make_unique<Impl>())
{
    m->input = input;
    m->input.enabled.resize(m->input.values.size(), 1);
    Context& c = m->context;
    c.in = &m->input;
    c.definition = distanceFunction(input.measure);
    if (!c.definition) {
        c.definition = &euclideanDistance;
        m->input.measure = kMeasureEuclidean;
    }
    prepare(c);
    switch (m->input.measure) {
    case kMeasurePearson: m->fill = &blockPlain<PearsonKernel>; m->sums4 = &sums4Plain<Op::Dot>; break;
    case kMeasureEuclidean: m->fill = &blockPlain<EuclideanKernel>; m->sums4 = &sums4Plain<Op::Square>; break;
    case kMeasureManhattan: m->fill = &blockPlain<ManhattanKernel>; m->sums4 = &sums4Plain<Op::Abs>; break;
    default: break;
    }
#ifdef ARBOLIX_X86
    if (hasAvx2()) {
        switch (m->input.measure) {
        case kMeasurePearson: m->fill = &blockAvx2<PearsonVector>; break;
        case kMeasureEuclidean: m->fill = &blockAvx2<EuclideanVector>; break;
        case kMeasureManhattan: m->fill = &blockAvx2<ManhattanVector>; break;
        default: break;
        }
    }
#endif
}

PairDistances::~PairDistances() = default;

void PairDistances::compute(int i0, int i1, int j0, int j1, double* out, size_t stride) const
{
    if (i0 >= i1 || j0 >= j1)
        return;
    m->fill(m->context, m->sums4, i0, i1, j0, j1, out, stride);
}
