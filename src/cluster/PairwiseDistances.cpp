#include "cluster/PairwiseDistances.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

#include "cluster/CondensedMatrix.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ARBOLIX_X86 1
#endif

// Vectors of doubles pass between the vector functions, which are always
// compiled for the processor's vector unit.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

int g_threads = 0;
bool g_vectorKernels = true;

constexpr int kRowBlock = 64;                   // rows of one work item
constexpr int kColumnTile = 256;                // profiles of the inner tile at most, kept in cache
constexpr int kMinColumnTile = 64;              // ... and at least
constexpr size_t kTileBytes = size_t(4) << 20;  // the tile of long profiles
constexpr int kTransposedColumns = 1024;        // longer profiles are not transposed
constexpr double kBoundaryGuard = 1e-6;
constexpr double kUnsettled = 1e9;              // error bound of a pair the kernel cannot settle

enum class Op { Dot, Square, Abs };

// ---- the sums of one profile a against four profiles b[0..3] ----
// Over padded double rows. Dot: sum a b (a already holds the weights);
// Square: sum w (a-b)^2; Abs: sum w |a-b|, w the weights of row a.

template <Op op>
inline double scalarTerm(double a, double b, double w)
{
    if constexpr (op == Op::Dot)
        return a * b;
    else if constexpr (op == Op::Square)
        return w * (a - b) * (a - b);
    else
        return w * std::fabs(a - b);
}

template <Op op>
void sums4Plain(const double* a, const double* const* b, const double* w, int padded, double* out)
{
    for (int k = 0; k < 4; ++k) {
        double acc[4] = {0.0, 0.0, 0.0, 0.0};
        for (int i = 0; i < padded; i += 4)
            for (int l = 0; l < 4; ++l)
                acc[l] += scalarTerm<op>(a[i + l], b[k][i + l], w[i + l]);
        out[k] = (acc[0] + acc[1]) + (acc[2] + acc[3]);
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
//
// Missing cells. The kernels run over whole rows in which the missing cells
// of a profile are filled: with 0 for Pearson's correlation (profiles are
// shifted by their own weighted mean first, which leaves r unchanged), with
// the column's mean for Euclidean and Manhattan, whose row weights are 0
// where the row itself is missing. What the filled columns of the partner
// add is then taken off again: each profile's missing columns are listed,
// and a pair's weight total, valid-column count and (for Pearson) its sums
// and squares follow from the profile totals less the terms of the columns
// the partner misses. Every such result comes with a bound on its rounding
// error; a pair whose bounds do not round to one 16-bit value goes to the
// definition, as does any pair whose kernel result lies within 1e-6 of a
// rounding boundary.
struct Context {
    const PairwiseInput* in = nullptr;
    CondensedMatrix* matrix = nullptr;
    DistanceFn definition = nullptr;
    int n = 0, padded = 0;
    int tileProfiles = kColumnTile;    // profiles of a tile (a multiple of 4)
    int tileStride = kColumnTile + 4;  // one column of the transposed tile, room for a vector past the end
    double gamma = 0.0;                // relative rounding bound of a sum over the columns
    double scale = 0.0;                // Euclidean and Manhattan: 65535 / normaliser
    std::vector<double> w;             // normalised column weights (0 for excluded columns), padded
    std::vector<unsigned char> counted;  // column takes part
    std::vector<int> excluded;         // the columns that do not
    std::vector<double> fill;          // value of a missing cell in the kernels' rows
    int validColumns = 0;
    bool anyMissing = false;
    // Euclidean without missing cells, every counted column weighted alike:
    // that weight (else 0). Then sum w (a-x)^2 is taken as w sum (a-x)^2,
    // which differs by rounding only, far inside the rounding guard.
    double unitWeight = 0.0;
    std::vector<unsigned char> fast;   // slot may use the kernels
    std::vector<unsigned char> complete;  // no missing cell in a counted column
    // Per slot, padded by 4 for vector loads: the shift subtracted from its
    // values (Pearson, centered), the total weight and the count of its
    // present columns, and for Pearson the weighted sum and sum of squares
    // of its shifted values; complete Pearson profiles also keep the mean and
    // the inverse norm of their shifted values.
    std::vector<double> shift, present, count, sum1, sum2, mean, inverseNorm;
    std::vector<int> missingStart, missingColumns;  // the missing counted columns of each slot

    const int* missingBegin(int s) const { return missingColumns.data() + missingStart[static_cast<size_t>(s)]; }
    const int* missingEnd(int s) const { return missingColumns.data() + missingStart[static_cast<size_t>(s) + 1]; }
    bool isPresent(int s, int k) const
    {
        return counted[static_cast<size_t>(k)] && in->weights[static_cast<size_t>(s)][k] != -1.0f;
    }
};

inline unsigned short byDefinition(const Context& c, int i, int j)
{
    const PairwiseInput& in = *c.in;
    return roundDistance(c.definition(in.values[static_cast<size_t>(i)], in.weights[static_cast<size_t>(i)],
                                      in.values[static_cast<size_t>(j)], in.weights[static_cast<size_t>(j)], in.params));
}

// Round half up onto 0..65535.
inline unsigned roundedCell(double d)
{
    if (!(d > 0.0))
        return 0;
    const double x = d + 0.5;
    return x >= kMaxDistance ? kMaxDistanceCell : static_cast<unsigned>(x);
}

// The stored distance of a pair whose exact distance lies in [lo, hi]: the
// rounded value when the whole interval, widened by the guard, rounds to it;
// the definition otherwise.
inline unsigned short settle(const Context& c, double lo, double hi, int i, int j)
{
    const unsigned a = roundedCell(lo - kBoundaryGuard);
    if (!(lo <= hi) || a != roundedCell(hi + kBoundaryGuard))
        return byDefinition(c, i, j);
    return static_cast<unsigned short>(a);
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

// ---- pairs with missing cells: the same arithmetic for one pair (double)
// and for four (a vector of doubles) ----

template <class T>
inline T splat(double x)
{
    if constexpr (std::is_same_v<T, double>)
        return x;
    else
        return T{x, x, x, x};
}
inline double sqrtOf(double x) { return std::sqrt(x); }
#ifdef ARBOLIX_X86
// Four doubles (the arithmetic of __m256d without its aliasing attribute,
// so that it can be a template argument).
typedef double V4 __attribute__((vector_size(32)));
__attribute__((target("avx2,fma"))) inline V4 sqrtOf(V4 x) { return _mm256_sqrt_pd(x); }
#endif
template <class T>
inline T absOf(T x)
{
    return x < splat<T>(0.0) ? -x : x;
}
template <class T>
inline T positive(T x)
{
    return x > splat<T>(0.0) ? x : splat<T>(0.0);
}

// Everything a pair (i, j) needs besides the kernel's sum. The correction
// terms run over the columns the other profile misses.
template <class T>
struct PairTerms {
    T sum;          // kernel sum over the filled rows
    T present;      // total weight of i's present columns
    T count;        // number of i's present columns
    T dWeight, dCount, d1, d2;  // of i, over the columns j misses
    // Pearson: total weight of j's present columns, the weighted sums and
    // squares of i's and j's shifted values over their present columns, and
    // those of j over the columns i misses.
    T presentj, sum1i, sum2i, sum1j, sum2j, e1, e2;
};

// The distance interval of a Pearson pair, [lo, hi]; an unsettled pair gets
// a wide interval. The bound: with rho = max(Wi, Wj) / W, the rounding
// errors of the covariance and the variances are at most gamma K times
// root(Ai Aj), Ai and Aj (A: a profile's sum of weighted squares over its
// present columns, K = 2 + 4 rho + 4 rho^2), since |sum of w x| <= root(W A);
// so r is off by at most gamma K (Ai / vA + Aj / vB), taken twice.
template <class T>
inline void pearsonBounds(const PairTerms<T>& t, double gamma, bool centered, bool absolute, T& lo, T& hi)
{
    const T zero = splat<T>(0.0), one = splat<T>(1.0), four = splat<T>(4.0), g = splat<T>(gamma);
    const T W = t.present - t.dWeight, eW = g * (t.present + t.dWeight);
    const T Sa = t.sum1i - t.d1, Sb = t.sum1j - t.e1;
    const T Saa = t.sum2i - t.d2, Sbb = t.sum2j - t.e2;
    const T weighted = W > four * eW ? one : zero;
    const T invW = one / (weighted > zero ? W : one);
    T cov = t.sum, vA = Saa, vB = Sbb;
    if (centered) {
        cov = t.sum - Sa * Sb * invW;
        vA = Saa - Sa * Sa * invW;
        vB = Sbb - Sb * Sb * invW;
    }
    const T positiveVariances = weighted > zero && vA > zero && vB > zero ? one : zero;
    const T vAs = positiveVariances > zero ? vA : one, vBs = positiveVariances > zero ? vB : one;
    const T invAB = one / (vAs * vBs), invDen = sqrtOf(invAB);
    const T r = cov * invDen;
    const T rho = (t.present > t.presentj ? t.present : t.presentj) * invW;
    const T K = splat<T>(2.0) + four * rho * (one + rho);
    const T er = splat<T>(2.0) * g * K * (t.sum2i * vBs + t.sum2j * vAs) * invAB + g;
    const T valid = positiveVariances > zero && er < splat<T>(1e-3) ? one : zero;
    T d, e;
    if (absolute) {
        d = (one - absOf(r)) * splat<T>(kMaxDistance);
        e = er * splat<T>(kMaxDistance);
    } else {
        d = (one - r) * splat<T>(kHalfScale);
        e = er * splat<T>(kHalfScale);
    }
    e = valid > zero ? e : splat<T>(kUnsettled);
    d = valid > zero ? d : zero;
    lo = d - e;
    hi = d + e;
}

// Euclidean (root) and Manhattan: sqrt(m S / W) or m S / W, times the scale.
template <class T>
inline void differenceBounds(const PairTerms<T>& t, double gamma, double scale, bool root, T& lo, T& hi)
{
    const T g = splat<T>(gamma);
    const T W = t.present - t.dWeight, eW = g * (t.present + t.dWeight);
    const T E = t.sum - t.d1, eE = g * (t.sum + t.d1);
    const T m = t.count - t.dCount;
    const T valid = W > splat<T>(4.0) * eW ? splat<T>(1.0) : splat<T>(0.0);
    // 1 / (W + eW) >= (1 - 2 eW / (W - eW)) / (W - eW)
    const T invWlo = splat<T>(1.0) / (valid > splat<T>(0.0) ? W - eW : splat<T>(1.0));
    T top = m * (E + eE) * invWlo;
    T bottom = m * positive(E - eE) * invWlo * positive(splat<T>(1.0) - splat<T>(2.0) * eW * invWlo);
    if (root) {
        top = sqrtOf(top);
        bottom = sqrtOf(bottom);
    }
    const T s = splat<T>(scale);
    lo = valid > splat<T>(0.0) ? bottom * s : splat<T>(-kUnsettled);
    hi = valid > splat<T>(0.0) ? top * s : splat<T>(kUnsettled);
}

// ---- the measures: complete pairs and pairs with missing cells ----

struct PearsonKernel {
    [[maybe_unused]] static constexpr Op op = Op::Dot;
    static double finish(const Context& c, double sum, int i, int j)
    {
        const DistanceParams& p = c.in->params;
        const double cov = p.centered ? sum - c.mean[static_cast<size_t>(i)] * c.mean[static_cast<size_t>(j)] : sum;
        const double r = cov * c.inverseNorm[static_cast<size_t>(i)] * c.inverseNorm[static_cast<size_t>(j)];
        return p.absolute ? (1.0 - std::fabs(r)) * kMaxDistance : (1.0 - r) * kHalfScale;
    }
    template <class T>
    static void bounds(const Context& c, const PairTerms<T>& t, T& lo, T& hi)
    {
        pearsonBounds(t, c.gamma, c.in->params.centered, c.in->params.absolute, lo, hi);
    }
};

struct EuclideanKernel {
    [[maybe_unused]] static constexpr Op op = Op::Square;
    static double finish(const Context& c, double sum, int, int)
    {
        return scaled(std::sqrt(c.validColumns * sum), c.in->params.euclideanNormaliser);
    }
    template <class T>
    static void bounds(const Context& c, const PairTerms<T>& t, T& lo, T& hi)
    {
        differenceBounds(t, c.gamma, c.scale, true, lo, hi);
    }
};

struct ManhattanKernel {
    [[maybe_unused]] static constexpr Op op = Op::Abs;
    static double finish(const Context& c, double sum, int, int)
    {
        return scaled(sum * c.validColumns, c.in->params.manhattanNormaliser);
    }
    template <class T>
    static void bounds(const Context& c, const PairTerms<T>& t, T& lo, T& hi)
    {
        differenceBounds(t, c.gamma, c.scale, false, lo, hi);
    }
};

// ---- the rows of one thread ----

// One tile of partner profiles and the current row (or two) in the form the
// kernels read: padded doubles, missing cells filled.
struct Scratch {
    std::vector<double> tile;    // c.tileProfiles rows of `padded` values
    std::vector<double> tileT;   // Pearson with missing cells: the tile by column
    int tileStart = 0;
    // The missing columns of each group of four tile profiles (from the
    // tile's start), interleaved profile by profile, as offsets into a row's
    // corrections; the shorter lists padded with the offset of a zero column.
    std::vector<int> groupMissing, groupStart;
    struct Row {
        // corrections: 4 per column, and 4 zeros after the last
        std::vector<double> values, weights, corrections;
    } rows[2];

    explicit Scratch(const Context& c, bool transposed)
        : tile(static_cast<size_t>(c.tileProfiles) * c.padded, 0.0), padded(c.padded)
    {
        if (transposed)
            tileT.assign(static_cast<size_t>(c.padded) * c.tileStride, 0.0);
        for (Row& r : rows) {
            r.values.assign(static_cast<size_t>(c.padded), 0.0);
            r.weights.assign(static_cast<size_t>(c.padded), 0.0);
            if (c.anyMissing)
                r.corrections.assign(static_cast<size_t>(c.padded + 1) * 4, 0.0);
        }
    }
    int padded;
    const double* tileRow(int j) const { return tile.data() + static_cast<size_t>(j - tileStart) * padded; }
};

// Slot s as the kernels read it: its values (shifted for Pearson) with the
// missing cells and the excluded columns filled.
inline void kernelValues(const Context& c, int s, double* out, bool pearson)
{
    const float* v = c.in->values[static_cast<size_t>(s)];
    const double shift = pearson ? c.shift[static_cast<size_t>(s)] : 0.0;
    for (int k = 0; k < c.n; ++k)
        out[k] = v[k] - shift;
    for (int k : c.excluded)
        out[k] = c.fill[static_cast<size_t>(k)];
    for (const int* k = c.missingBegin(s); k != c.missingEnd(s); ++k)
        out[*k] = c.fill[static_cast<size_t>(*k)];
}

// Partner profiles jb..tileEnd-1 into the tile.
void loadTile(const Context& c, Scratch& s, int jb, int tileEnd, bool pearson)
{
    const int padded = c.padded;
    s.tileStart = jb;
    for (int j = jb; j < tileEnd; ++j)
        kernelValues(c, j, s.tile.data() + static_cast<size_t>(j - jb) * padded, pearson);
    if (!s.tileT.empty())
        for (int j = jb; j < tileEnd; ++j) {
            const double* t = s.tile.data() + static_cast<size_t>(j - jb) * padded;
            for (int k = 0; k < c.n; ++k)
                s.tileT[static_cast<size_t>(k) * c.tileStride + (j - jb)] = t[k];
        }
    if (!c.anyMissing)
        return;
    s.groupMissing.clear();
    s.groupStart.clear();
    for (int j = jb; j + 4 <= tileEnd; j += 4) {
        s.groupStart.push_back(static_cast<int>(s.groupMissing.size()));
        long rounds = 0;
        for (int l = 0; l < 4; ++l)
            rounds = std::max<long>(rounds, c.missingEnd(j + l) - c.missingBegin(j + l));
        for (long t = 0; t < rounds; ++t)
            for (int l = 0; l < 4; ++l) {
                const int* k = c.missingBegin(j + l);
                s.groupMissing.push_back((t < c.missingEnd(j + l) - k ? k[t] : c.padded) * 4);
            }
    }
    s.groupStart.push_back(static_cast<int>(s.groupMissing.size()));
}

// Row i as the kernels' left operand, with its per-column correction terms
// (weight, two sums, count) where a partner misses the column.
template <Op op>
void loadRow(const Context& c, int i, Scratch::Row& r)
{
    constexpr bool pearson = op == Op::Dot;
    const int n = c.n;
    double* x = r.values.data();
    double* w = r.weights.data();
    kernelValues(c, i, x, pearson);
    std::copy(c.w.begin(), c.w.begin() + n, w);
    for (const int* k = c.missingBegin(i); k != c.missingEnd(i); ++k)
        w[*k] = 0.0;
    if (!r.corrections.empty()) {
        double* q = r.corrections.data();
        const double* fill = c.fill.data();
        const unsigned char* counted = c.counted.data();
        for (int k = 0; k < n; ++k) {
            const double d = pearson ? x[k] : x[k] - fill[k];
            q[4 * k] = w[k];
            q[4 * k + 1] = op == Op::Abs ? w[k] * std::fabs(d) : op == Op::Square ? w[k] * d * d : w[k] * d;
            q[4 * k + 2] = pearson ? w[k] * d * d : 0.0;
            q[4 * k + 3] = counted[k];
        }
        for (const int* k = c.missingBegin(i); k != c.missingEnd(i); ++k)
            q[4 * *k + 3] = 0.0;
    }
    if (pearson)
        for (int k = 0; k < n; ++k)
            x[k] *= c.w[static_cast<size_t>(k)];
}

// The terms of pair (i, j) that do not depend on the kernel.
template <class Kernel>
PairTerms<double> pairTerms(const Context& c, const Scratch& s, const Scratch::Row& r, int i, int j, double sum)
{
    PairTerms<double> t{};
    const size_t a = static_cast<size_t>(i), b = static_cast<size_t>(j);
    t.sum = sum;
    t.present = c.present[a];
    t.count = c.count[a];
    for (const int* k = c.missingBegin(j); k != c.missingEnd(j); ++k) {
        const double* q = r.corrections.data() + static_cast<size_t>(*k) * 4;
        t.dWeight += q[0];
        t.d1 += q[1];
        t.d2 += q[2];
        t.dCount += q[3];
    }
    if constexpr (Kernel::op == Op::Dot) {
        t.presentj = c.present[b];
        t.sum1i = c.sum1[a];
        t.sum2i = c.sum2[a];
        t.sum1j = c.sum1[b];
        t.sum2j = c.sum2[b];
        const double* x = s.tileRow(j);
        for (const int* k = c.missingBegin(i); k != c.missingEnd(i); ++k) {
            const double v = x[*k], wv = c.w[static_cast<size_t>(*k)] * v;
            t.e1 += wv;
            t.e2 += wv * v;
        }
    }
    return t;
}

// Stored distance of pair (i, j) from the kernel's sum, one pair at a time.
template <class Kernel>
inline unsigned short storedDistance(const Context& c, const Scratch& s, const Scratch::Row& r, int i, int j, double sum)
{
    const PairwiseInput& in = *c.in;
    if (!in.enabled[static_cast<size_t>(j)])
        return static_cast<unsigned short>(kMaxDistanceCell);
    if (!c.fast[static_cast<size_t>(j)])
        return byDefinition(c, i, j);
    if (c.complete[static_cast<size_t>(i)] && c.complete[static_cast<size_t>(j)]) {
        const double d = Kernel::finish(c, sum, i, j);
        return settle(c, d, d, i, j);
    }
    double lo, hi;
    Kernel::bounds(c, pairTerms<Kernel>(c, s, r, i, j, sum), lo, hi);
    return settle(c, lo, hi, i, j);
}

// Rows whose profile cannot use the kernels.
inline void rowByDefinition(const Context& c, int i, int from, int to)
{
    const CondensedMatrix::Row row = c.matrix->row(i);
    for (int j = from; j < to; ++j)
        row[j] = c.in->enabled[static_cast<size_t>(j)] ? byDefinition(c, i, j)
                                                      : static_cast<unsigned short>(kMaxDistanceCell);
}

inline void fillDisabledRows(const Context& c, int i0, int i1)
{
    for (int i = i0; i < i1; ++i)
        if (!c.in->enabled[static_cast<size_t>(i)])
            c.matrix->fillRow(i, 0, i, static_cast<unsigned short>(kMaxDistanceCell));
}

// Rows i0..i1-1 of the matrix against their partners j < i, tile by tile:
// loadTile(jb, tileEnd) brings the tile's profiles in once, then each
// enabled row meets the tile: a row the kernels cannot take by the
// definition, any other by rows(i, jb, jEnd, tileEnd), which fills the pairs
// (i, j) for j in [jb, jEnd) and returns how many rows it filled (it may
// take row i + 1 along, whose tile part ends at min(tileEnd, i + 1)).
template <class LoadTile, class Rows>
inline void tileByTile(const Context& c, int i0, int i1, LoadTile loadTile, Rows rows)
{
    const PairwiseInput& in = *c.in;
    fillDisabledRows(c, i0, i1);
    for (int jb = 0; jb < i1 - 1; jb += c.tileProfiles) {
        const int tileEnd = std::min(jb + c.tileProfiles, i1 - 1);
        loadTile(jb, tileEnd);
        for (int i = std::max(i0, jb + 1); i < i1;) {
            const int jEnd = std::min(tileEnd, i);
            if (!in.enabled[static_cast<size_t>(i)]) {
                ++i;
            } else if (!c.fast[static_cast<size_t>(i)]) {
                rowByDefinition(c, i, jb, jEnd);
                ++i;
            } else {
                i += rows(i, jb, jEnd, tileEnd);
            }
        }
    }
}

using Sums4 = void (*)(const double*, const double* const*, const double*, int, double*);

// The portable kernels' sums of row r against the tile's profiles j in
// [from, to), four at a time; store(j, sum) takes each.
template <class Store>
inline void plainSums(const Context& c, Sums4 sums4, const Scratch& s, const Scratch::Row& r, int from, int to,
                      Store store)
{
    for (int j = from; j < to; j += 4) {
        const int count = std::min(4, to - j);
        const double* b[4];
        for (int k = 0; k < 4; ++k)
            b[k] = s.tileRow(j + std::min(k, count - 1));
        double sums[4];
        sums4(r.values.data(), b, r.weights.data(), c.padded, sums);
        for (int k = 0; k < count; ++k)
            store(j + k, sums[k]);
    }
}

// Rows i0..i1-1 of the matrix with the portable kernels.
template <class Kernel>
void fillRows(const Context& c, Sums4 sums4, int i0, int i1)
{
    constexpr bool pearson = Kernel::op == Op::Dot;
    Scratch s(c, false);
    Scratch::Row& r = s.rows[0];
    tileByTile(
        c, i0, i1, [&](int jb, int tileEnd) { loadTile(c, s, jb, tileEnd, pearson); },
        [&](int i, int jb, int jEnd, int) {
            loadRow<Kernel::op>(c, i, r);
            const CondensedMatrix::Row row = c.matrix->row(i);
            plainSums(c, sums4, s, r, jb, jEnd,
                      [&](int j, double sum) { row[j] = storedDistance<Kernel>(c, s, r, i, j, sum); });
            return 1;
        });
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

// Distances of one complete row against four complete slots j..j+3, before
// rounding.
struct PearsonVector {
    using Scalar = PearsonKernel;
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
    using Scalar = EuclideanKernel;
    [[maybe_unused]] static constexpr Op op = Op::Square;
    __attribute__((target("avx2,fma"))) static __m256d finish(const Context& c, __m256d sum, int, int)
    {
        // Scaled by 65535 / normaliser at once: a few units in the last
        // place apart from the division, far inside the rounding guard.
        const __m256d root = _mm256_sqrt_pd(_mm256_mul_pd(_mm256_set1_pd(c.validColumns), sum));
        return _mm256_mul_pd(root, _mm256_set1_pd(c.scale));
    }
};

struct ManhattanVector {
    using Scalar = ManhattanKernel;
    [[maybe_unused]] static constexpr Op op = Op::Abs;
    __attribute__((target("avx2,fma"))) static __m256d finish(const Context& c, __m256d sum, int, int)
    {
        const __m256d scaledSum = _mm256_mul_pd(sum, _mm256_set1_pd(c.validColumns));
        return _mm256_mul_pd(scaledSum, _mm256_set1_pd(c.scale));
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

// The sums of two profiles against four, as two vectors; w0 and w1 are the
// weights of the two rows, not read for `unit` squares (sum (a-x)^2).
template <Op op, bool unit = false>
__attribute__((target("avx2,fma"))) inline void sums8Vector(const double* a0, const double* a1,
                                                            const double* const* b, const double* w0,
                                                            const double* w1, int padded, __m256d& out0,
                                                            __m256d& out1)
{
    __m256d p0 = _mm256_setzero_pd(), p1 = p0, p2 = p0, p3 = p0, q0 = p0, q1 = p0, q2 = p0, q3 = p0;
    const __m256d signMask = _mm256_set1_pd(-0.0);
    const double *b0 = b[0], *b1 = b[1], *b2 = b[2], *b3 = b[3];
    for (int i = 0; i < padded; i += 4) {
        const __m256d va = _mm256_loadu_pd(a0 + i), vb = _mm256_loadu_pd(a1 + i);
        const __m256d x0 = _mm256_loadu_pd(b0 + i), x1 = _mm256_loadu_pd(b1 + i);
        const __m256d x2 = _mm256_loadu_pd(b2 + i), x3 = _mm256_loadu_pd(b3 + i);
        __m256d wa = signMask, wb = signMask;  // read by the weighted terms only
        if constexpr (op != Op::Dot && !unit) {
            wa = _mm256_loadu_pd(w0 + i);
            wb = _mm256_loadu_pd(w1 + i);
        }
        const auto term = [signMask](__m256d u, __m256d x, __m256d w, __m256d acc)
                              __attribute__((target("avx2,fma"))) {
                                  if constexpr (op == Op::Dot)
                                      return _mm256_fmadd_pd(u, x, acc);
                                  const __m256d d = _mm256_sub_pd(u, x);
                                  if constexpr (unit)
                                      return _mm256_fmadd_pd(d, d, acc);
                                  return differenceTerm<op>(u, x, w, signMask, acc);
                              };
        p0 = term(va, x0, wa, p0);
        p1 = term(va, x1, wa, p1);
        p2 = term(va, x2, wa, p2);
        p3 = term(va, x3, wa, p3);
        q0 = term(vb, x0, wb, q0);
        q1 = term(vb, x1, wb, q1);
        q2 = term(vb, x2, wb, q2);
        q3 = term(vb, x3, wb, q3);
    }
    const __m256d h01 = _mm256_hadd_pd(p0, p1), h23 = _mm256_hadd_pd(p2, p3);
    out0 = _mm256_add_pd(_mm256_permute2f128_pd(h01, h23, 0x21), _mm256_blend_pd(h01, h23, 0xC));
    const __m256d g01 = _mm256_hadd_pd(q0, q1), g23 = _mm256_hadd_pd(q2, q3);
    out1 = _mm256_add_pd(_mm256_permute2f128_pd(g01, g23, 0x21), _mm256_blend_pd(g01, g23, 0xC));
}

// Rows j..j+3 of four vectors as four vectors of columns.
__attribute__((target("avx2,fma"))) inline void transpose4(__m256d& a, __m256d& b, __m256d& c, __m256d& d)
{
    const __m256d ab0 = _mm256_unpacklo_pd(a, b), ab1 = _mm256_unpackhi_pd(a, b);
    const __m256d cd0 = _mm256_unpacklo_pd(c, d), cd1 = _mm256_unpackhi_pd(c, d);
    a = _mm256_permute2f128_pd(ab0, cd0, 0x20);
    b = _mm256_permute2f128_pd(ab1, cd1, 0x20);
    c = _mm256_permute2f128_pd(ab0, cd0, 0x31);
    d = _mm256_permute2f128_pd(ab1, cd1, 0x31);
}

// The terms of pairs (i, j..j+3), four fast slots, as vectors.
template <class Kernel>
__attribute__((target("avx2,fma"))) inline PairTerms<V4> pairTerms4(const Context& c, const Scratch& s,
                                                                        const Scratch::Row& r, int i, int j,
                                                                        __m256d sum)
{
    PairTerms<V4> t;
    const size_t a = static_cast<size_t>(i), b = static_cast<size_t>(j);
    t.sum = sum;
    t.present = _mm256_set1_pd(c.present[a]);
    t.count = _mm256_set1_pd(c.count[a]);
    // Four independent sums, one per profile j..j+3.
    const size_t group = static_cast<size_t>(j - s.tileStart) / 4;
    const int* k = s.groupMissing.data() + s.groupStart[group];
    const int* end = s.groupMissing.data() + s.groupStart[group + 1];
    const double* q = r.corrections.data();
    __m256d lane[4] = {_mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd()};
    for (; k != end; k += 4) {
        lane[0] = _mm256_add_pd(lane[0], _mm256_loadu_pd(q + k[0]));
        lane[1] = _mm256_add_pd(lane[1], _mm256_loadu_pd(q + k[1]));
        lane[2] = _mm256_add_pd(lane[2], _mm256_loadu_pd(q + k[2]));
        lane[3] = _mm256_add_pd(lane[3], _mm256_loadu_pd(q + k[3]));
    }
    transpose4(lane[0], lane[1], lane[2], lane[3]);
    t.dWeight = lane[0];
    t.d1 = lane[1];
    t.d2 = lane[2];
    t.dCount = lane[3];
    if constexpr (Kernel::op == Op::Dot) {
        t.presentj = _mm256_loadu_pd(&c.present[b]);
        t.sum1i = _mm256_set1_pd(c.sum1[a]);
        t.sum2i = _mm256_set1_pd(c.sum2[a]);
        t.sum1j = _mm256_loadu_pd(&c.sum1[b]);
        t.sum2j = _mm256_loadu_pd(&c.sum2[b]);
        __m256d e1 = _mm256_setzero_pd(), e2 = e1, f1 = e1, f2 = e1;  // two chains
        const int* m = c.missingBegin(i);
        const int* mEnd = c.missingEnd(i);
        if (s.tileT.empty()) {  // long profiles: the four values of a column gathered from the tile's rows
            const double* base = s.tileRow(j);
            const __m256i rows = _mm256_set_epi64x(3LL * c.padded, 2LL * c.padded, c.padded, 0);
            for (; m != mEnd; ++m) {
                const __m256d v = _mm256_i64gather_pd(base, _mm256_add_epi64(rows, _mm256_set1_epi64x(*m)), 8);
                const __m256d wv = _mm256_mul_pd(_mm256_set1_pd(c.w[static_cast<size_t>(*m)]), v);
                e1 = _mm256_add_pd(e1, wv);
                e2 = _mm256_fmadd_pd(wv, v, e2);
            }
        }
        const double* column = s.tileT.empty() ? nullptr : s.tileT.data() + (j - s.tileStart);
        for (; m + 2 <= mEnd; m += 2) {
            const __m256d v = _mm256_loadu_pd(column + static_cast<size_t>(m[0]) * c.tileStride);
            const __m256d u = _mm256_loadu_pd(column + static_cast<size_t>(m[1]) * c.tileStride);
            const __m256d wv = _mm256_mul_pd(_mm256_set1_pd(c.w[static_cast<size_t>(m[0])]), v);
            const __m256d wu = _mm256_mul_pd(_mm256_set1_pd(c.w[static_cast<size_t>(m[1])]), u);
            e1 = _mm256_add_pd(e1, wv);
            e2 = _mm256_fmadd_pd(wv, v, e2);
            f1 = _mm256_add_pd(f1, wu);
            f2 = _mm256_fmadd_pd(wu, u, f2);
        }
        if (m != mEnd) {
            const __m256d v = _mm256_loadu_pd(column + static_cast<size_t>(m[0]) * c.tileStride);
            const __m256d wv = _mm256_mul_pd(_mm256_set1_pd(c.w[static_cast<size_t>(m[0])]), v);
            e1 = _mm256_add_pd(e1, wv);
            e2 = _mm256_fmadd_pd(wv, v, e2);
        }
        e1 = _mm256_add_pd(e1, f1);
        e2 = _mm256_add_pd(e2, f2);
        t.e1 = e1;
        t.e2 = e2;
    }
    return t;
}

template <class Kernel>
__attribute__((target("avx2,fma"), flatten)) void bounds4(const Context& c, const PairTerms<V4>& t, __m256d& lo,
                                                          __m256d& hi)
{
    Kernel::Scalar::bounds(c, t, lo, hi);
}

// Stores the distances of pairs (i, j..j+count-1) whose exact distances lie
// in [lo, hi] lane by lane: a whole group of fast slots rounded as a vector;
// lanes whose interval meets a rounding boundary go to the definition.
__attribute__((target("avx2,fma"))) inline void storeRounded(const Context& c, CondensedMatrix::Row row, int i, int j,
                                                             __m256d lo, __m256d hi)
{
    const __m256d guard = _mm256_set1_pd(kBoundaryGuard), half = _mm256_set1_pd(0.5);
    const __m256d zero = _mm256_setzero_pd(), top = _mm256_set1_pd(kMaxDistance);
    const __m256d a = _mm256_floor_pd(
        _mm256_add_pd(_mm256_min_pd(_mm256_max_pd(_mm256_sub_pd(lo, guard), zero), top), half));
    const __m256d b = _mm256_floor_pd(
        _mm256_add_pd(_mm256_min_pd(_mm256_max_pd(_mm256_add_pd(hi, guard), zero), top), half));
    const int boundary = _mm256_movemask_pd(
        _mm256_or_pd(_mm256_cmp_pd(a, b, _CMP_NEQ_UQ), _mm256_cmp_pd(lo, hi, _CMP_NLE_UQ)));
    alignas(16) int cells[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(cells), _mm256_cvttpd_epi32(a));
    for (int k = 0; k < 4; ++k)
        row[j + k] = static_cast<unsigned short>(cells[k]);
    if (boundary)
        for (int k = 0; k < 4; ++k)
            if (boundary & (1 << k))
                row[j + k] = byDefinition(c, i, j + k);
}

// Stores the distances of pairs (i, j..j+count-1) from the kernel's sums.
template <class Kernel>
__attribute__((target("avx2,fma"))) inline void storeGroup(const Context& c, const Scratch& s, const Scratch::Row& r,
                                                           int i, int j, int count, __m256d sum)
{
    const CondensedMatrix::Row row = c.matrix->row(i);
    unsigned fastLanes, completeLanes;
    std::memcpy(&fastLanes, &c.fast[static_cast<size_t>(j)], 4);
    std::memcpy(&completeLanes, &c.complete[static_cast<size_t>(j)], 4);
    if (count == 4 && fastLanes == 0x01010101u) {
        if (c.complete[static_cast<size_t>(i)] && completeLanes == 0x01010101u) {
            const __m256d d = Kernel::finish(c, sum, i, j);
            storeRounded(c, row, i, j, d, d);
        } else {
            __m256d lo, hi;
            bounds4<Kernel>(c, pairTerms4<Kernel>(c, s, r, i, j, sum), lo, hi);
            storeRounded(c, row, i, j, lo, hi);
        }
        return;
    }
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, sum);
    for (int k = 0; k < count; ++k)
        row[j + k] = storedDistance<typename Kernel::Scalar>(c, s, r, i, j + k, lanes[k]);
}

// One row against the profiles j in [from, to) of the tile.
template <class Kernel>
__attribute__((target("avx2,fma"))) void singleRow(const Context& c, const Scratch& s, const Scratch::Row& r, int i,
                                                   int from, int to)
{
    for (int j = from; j < to; j += 4) {
        const int count = std::min(4, to - j);
        const double* b[4];
        for (int k = 0; k < 4; ++k)
            b[k] = s.tileRow(j + std::min(k, count - 1));
        storeGroup<Kernel>(c, s, r, i, j, count,
                           sums4Vector<Kernel::op>(r.values.data(), b, r.weights.data(), c.padded));
    }
}

// Rows i0..i1-1 with the vector kernels: the tile's profiles are converted
// to padded doubles once, and rows go two at a time against four profiles.
template <class Kernel>
__attribute__((target("avx2,fma"))) void fillRowsAvx2(const Context& c, Sums4, int i0, int i1)
{
    constexpr bool pearson = Kernel::op == Op::Dot;
    Scratch s(c, pearson && c.anyMissing && c.padded <= kTransposedColumns);
    tileByTile(
        c, i0, i1, [&](int jb, int tileEnd) { loadTile(c, s, jb, tileEnd, pearson); },
        [&](int i, int jb, int jEnd, int tileEnd) __attribute__((target("avx2,fma"))) {
            loadRow<Kernel::op>(c, i, s.rows[0]);
            if (i + 1 >= i1 || !c.fast[static_cast<size_t>(i) + 1]) {
                singleRow<Kernel>(c, s, s.rows[0], i, jb, jEnd);
                return 1;
            }
            // Rows i and i + 1 share j < i; row i + 1 also has j = i.
            loadRow<Kernel::op>(c, i + 1, s.rows[1]);
            for (int j = jb; j < jEnd; j += 4) {
                const int count = std::min(4, jEnd - j);
                const double* b[4];
                for (int k = 0; k < 4; ++k)
                    b[k] = s.tileRow(j + std::min(k, count - 1));
                __m256d s0, s1;
                if (Kernel::op == Op::Square && c.unitWeight > 0.0) {
                    sums8Vector<Op::Square, true>(s.rows[0].values.data(), s.rows[1].values.data(), b, nullptr,
                                                  nullptr, c.padded, s0, s1);
                    s0 = _mm256_mul_pd(s0, _mm256_set1_pd(c.unitWeight));
                    s1 = _mm256_mul_pd(s1, _mm256_set1_pd(c.unitWeight));
                } else {
                    sums8Vector<Kernel::op>(s.rows[0].values.data(), s.rows[1].values.data(), b,
                                            s.rows[0].weights.data(), s.rows[1].weights.data(), c.padded, s0, s1);
                }
                storeGroup<Kernel>(c, s, s.rows[0], i, j, count, s0);
                storeGroup<Kernel>(c, s, s.rows[1], i + 1, j, count, s1);
            }
            if (std::min(tileEnd, i + 1) > jEnd)
                singleRow<Kernel>(c, s, s.rows[1], i + 1, jEnd, jEnd + 1);
            return 2;
        });
}
#endif

// ---- p-values as weights: the pair weight of a column is the mean of the
// two cells' weights, so each pair takes one pass over the columns of both
// profiles, four pairs at a time. A profile is read as three rows: its
// values (shifted for Pearson, missing cells filled), half its cell weights
// and its presence (1 or 0), each 0 where it misses a cell. ----

inline void loadWeighted(const Context& c, int s, double* out, bool pearson)
{
    const int padded = c.padded;
    kernelValues(c, s, out, pearson);
    const float* wt = c.in->weights[static_cast<size_t>(s)];
    for (int k = 0; k < c.n; ++k) {
        const bool here = c.counted[static_cast<size_t>(k)] && wt[k] != -1.0f;
        out[padded + k] = here ? 0.5 * wt[k] : 0.0;
        out[2 * padded + k] = here ? 1.0 : 0.0;
    }
}

// The sums of one pair. Pearson: W, Sa, Sb, Saa, Sbb, Sab; the differences:
// W, the weighted sum of squared or absolute differences, the count.
template <Op op, class T>
inline void weightedTerm(T xa, T ha, T ma, T xb, T hb, T mb, T* q)
{
    const T both = ma * mb, w = (ha + hb) * both;
    q[0] = q[0] + w;
    if constexpr (op == Op::Dot) {
        const T wa = w * xa, wb = w * xb;
        q[1] = q[1] + wa;
        q[2] = q[2] + wb;
        q[3] = q[3] + wa * xa;
        q[4] = q[4] + wb * xb;
        q[5] = q[5] + wa * xb;
    } else {
        const T d = xa - xb;
        q[1] = q[1] + (op == Op::Square ? w * d * d : w * absOf(d));
        q[2] = q[2] + both;
    }
}

template <Op op>
void weightedSumsPlain(const double* a, const double* b, int padded, double* q)
{
    std::fill(q, q + 6, 0.0);
    for (int k = 0; k < padded; ++k)
        weightedTerm<op>(a[k], a[padded + k], a[2 * padded + k], b[k], b[padded + k], b[2 * padded + k], q);
}

template <Op op, class T>
inline PairTerms<T> weightedPairTerms(const T* q)
{
    PairTerms<T> t{};
    t.present = q[0];
    if constexpr (op == Op::Dot) {
        t.presentj = q[0];
        t.sum1i = q[1];
        t.sum1j = q[2];
        t.sum2i = q[3];
        t.sum2j = q[4];
        t.sum = q[5];
    } else {
        t.sum = q[1];
        t.count = q[2];
    }
    return t;
}

// Rows i0..i1-1; `group` gives the distance intervals of row i against the
// four partner profiles b.
template <class Group>
void fillRowsWeighted(const Context& c, int i0, int i1, bool pearson, Group group)
{
    const PairwiseInput& in = *c.in;
    const size_t stride = static_cast<size_t>(3) * c.padded;
    std::vector<double> tile(static_cast<size_t>(c.tileProfiles) * stride, 0.0), row(stride, 0.0);
    tileByTile(
        c, i0, i1,
        [&](int jb, int tileEnd) {
            for (int j = jb; j < tileEnd; ++j)
                loadWeighted(c, j, tile.data() + static_cast<size_t>(j - jb) * stride, pearson);
        },
        [&](int i, int jb, int jEnd, int) {
            loadWeighted(c, i, row.data(), pearson);
            const CondensedMatrix::Row out = c.matrix->row(i);
            for (int j = jb; j < jEnd; j += 4) {
                const int count = std::min(4, jEnd - j);
                const double* b[4];
                for (int k = 0; k < 4; ++k)
                    b[k] = tile.data() + static_cast<size_t>(j - jb + std::min(k, count - 1)) * stride;
                double lo[4], hi[4];
                group(row.data(), b, lo, hi);
                for (int k = 0; k < count; ++k) {
                    const int jj = j + k;
                    out[jj] = !in.enabled[static_cast<size_t>(jj)] ? static_cast<unsigned short>(kMaxDistanceCell)
                              : !c.fast[static_cast<size_t>(jj)]   ? byDefinition(c, i, jj)
                                                                   : settle(c, lo[k], hi[k], i, jj);
                }
            }
            return 1;
        });
}

template <class Kernel>
void fillRowsWeightedPlain(const Context& c, Sums4, int i0, int i1)
{
    constexpr Op op = Kernel::op;
    fillRowsWeighted(c, i0, i1, op == Op::Dot, [&c](const double* a, const double* const* b, double* lo, double* hi) {
        for (int k = 0; k < 4; ++k) {
            double q[6];
            weightedSumsPlain<op>(a, b[k], c.padded, q);
            Kernel::bounds(c, weightedPairTerms<op>(q), lo[k], hi[k]);
        }
    });
}

#ifdef ARBOLIX_X86
// Lane k = total of v[k].
__attribute__((target("avx2,fma"))) inline __m256d totals4(const __m256d* v)
{
    const __m256d h01 = _mm256_hadd_pd(v[0], v[1]), h23 = _mm256_hadd_pd(v[2], v[3]);
    return _mm256_add_pd(_mm256_permute2f128_pd(h01, h23, 0x21), _mm256_blend_pd(h01, h23, 0xC));
}

template <class Kernel>
__attribute__((target("avx2,fma"), flatten)) void weightedGroup4(const Context& c, const double* a,
                                                                 const double* const* b, double* lo, double* hi)
{
    constexpr Op op = Kernel::op;
    constexpr int sums = op == Op::Dot ? 6 : 3;
    const int padded = c.padded;
    V4 lanes[6][4];
    for (int l = 0; l < 4; ++l) {
        V4 q[6] = {};
        const double* x = b[l];
        for (int k = 0; k < padded; k += 4)
            weightedTerm<op, V4>(_mm256_loadu_pd(a + k), _mm256_loadu_pd(a + padded + k),
                                 _mm256_loadu_pd(a + 2 * padded + k), _mm256_loadu_pd(x + k),
                                 _mm256_loadu_pd(x + padded + k), _mm256_loadu_pd(x + 2 * padded + k), q);
        for (int t = 0; t < sums; ++t)
            lanes[t][l] = q[t];
    }
    V4 q[6] = {};
    for (int t = 0; t < sums; ++t) {
        __m256d v[4] = {lanes[t][0], lanes[t][1], lanes[t][2], lanes[t][3]};
        q[t] = totals4(v);
    }
    V4 l4, h4;
    Kernel::bounds(c, weightedPairTerms<op, V4>(q), l4, h4);
    _mm256_storeu_pd(lo, l4);
    _mm256_storeu_pd(hi, h4);
}

template <class Kernel>
void fillRowsWeightedAvx2(const Context& c, Sums4, int i0, int i1)
{
    fillRowsWeighted(c, i0, i1, Kernel::op == Op::Dot,
                     [&c](const double* a, const double* const* b, double* lo, double* hi) {
                         weightedGroup4<Kernel>(c, a, b, lo, hi);
                     });
}
#endif

// ---- unrounded distances of a block of pairs ----
//
// Through the same kernels as the matrix, missing cells included; a pair
// whose error bound is not small, and every pair the kernels cannot take, is
// computed by the definition.

constexpr double kUnroundedWidth = 1e-3;  // widest error interval taken from the kernels

inline double unroundedByDefinition(const Context& c, int i, int j)
{
    const PairwiseInput& in = *c.in;
    if (!in.enabled[static_cast<size_t>(i)] || !in.enabled[static_cast<size_t>(j)])
        return kMaxDistance;
    return c.definition(in.values[static_cast<size_t>(i)], in.weights[static_cast<size_t>(i)],
                        in.values[static_cast<size_t>(j)], in.weights[static_cast<size_t>(j)], in.params);
}

// Whether slot s may go through the kernels (an enabled slot is then fast).
inline bool kernelSlot(const Context& c, int s)
{
    return c.in->enabled[static_cast<size_t>(s)] && c.fast[static_cast<size_t>(s)];
}

// The distance of pair (i, j), row i fast, from the kernel's sum; the
// definitions of Euclidean and Manhattan distances cap at the largest
// distance.
template <class Kernel>
inline double unroundedOf(const Context& c, const Scratch& s, const Scratch::Row& r, double sum, int i, int j)
{
    if (!kernelSlot(c, j))
        return unroundedByDefinition(c, i, j);
    double lo, hi;
    if (c.complete[static_cast<size_t>(i)] && c.complete[static_cast<size_t>(j)]) {
        lo = hi = Kernel::finish(c, sum, i, j);
    } else {
        Kernel::bounds(c, pairTerms<Kernel>(c, s, r, i, j, sum), lo, hi);
        if (!(hi - lo <= kUnroundedWidth))
            return unroundedByDefinition(c, i, j);
    }
    const double d = 0.5 * (lo + hi);
    return d > kMaxDistance ? kMaxDistance : d;
}

using BlockFill = void (*)(const Context&, Sums4, int, int, int, int, double*, size_t);

// The pairs (i, j), i in [i0, i1), j in [j0, j1), tile by tile; rows(i, jb,
// tileEnd, out) fills the tile's part of row i (and of row i + 1 if it takes
// that along; it returns how many rows it filled).
template <class Rows>
inline void blockByTiles(const Context& c, Scratch& s, int i0, int i1, int j0, int j1, double* out, size_t stride,
                         bool pearson, Rows rows)
{
    for (int jb = j0; jb < j1; jb += c.tileProfiles) {
        const int tileEnd = std::min(jb + c.tileProfiles, j1);
        loadTile(c, s, jb, tileEnd, pearson);
        for (int i = i0; i < i1;) {
            double* row = out + static_cast<size_t>(i - i0) * stride - j0;
            if (!kernelSlot(c, i)) {
                for (int j = jb; j < tileEnd; ++j)
                    row[j] = unroundedByDefinition(c, i, j);
                ++i;
            } else {
                i += rows(i, jb, tileEnd, row);
            }
        }
    }
}

template <class Kernel>
void blockPlain(const Context& c, Sums4 sums4, int i0, int i1, int j0, int j1, double* out, size_t stride)
{
    Scratch s(c, false);
    Scratch::Row& r = s.rows[0];
    blockByTiles(c, s, i0, i1, j0, j1, out, stride, Kernel::op == Op::Dot,
                 [&](int i, int jb, int tileEnd, double* row) {
                     loadRow<Kernel::op>(c, i, r);
                     plainSums(c, sums4, s, r, jb, tileEnd,
                               [&](int j, double sum) { row[j] = unroundedOf<Kernel>(c, s, r, sum, i, j); });
                     return 1;
                 });
}

void blockByDefinition(const Context& c, Sums4, int i0, int i1, int j0, int j1, double* out, size_t stride)
{
    for (int i = i0; i < i1; ++i)
        for (int j = j0; j < j1; ++j)
            out[static_cast<size_t>(i - i0) * stride + static_cast<size_t>(j - j0)] = unroundedByDefinition(c, i, j);
}

#ifdef ARBOLIX_X86
template <class Kernel>
__attribute__((target("avx2,fma"))) inline void storeUnrounded(const Context& c, const Scratch& s,
                                                               const Scratch::Row& r, double* row, int i, int j,
                                                               int count, __m256d sums)
{
    alignas(32) double lanes[4];
    _mm256_store_pd(lanes, sums);
    for (int k = 0; k < count; ++k)
        row[j + k] = unroundedOf<Kernel>(c, s, r, lanes[k], i, j + k);
}

// Two rows at a time against four profiles.
template <class Kernel>
__attribute__((target("avx2,fma"))) void blockAvx2(const Context& c, Sums4, int i0, int i1, int j0, int j1,
                                                   double* out, size_t stride)
{
    Scratch s(c, false);
    blockByTiles(
        c, s, i0, i1, j0, j1, out, stride, Kernel::op == Op::Dot,
        [&](int i, int jb, int tileEnd, double* row0) __attribute__((target("avx2,fma"))) {
            loadRow<Kernel::op>(c, i, s.rows[0]);
            const Scratch::Row& r0 = s.rows[0];
            if (i + 1 >= i1 || !kernelSlot(c, i + 1)) {
                for (int j = jb; j < tileEnd; j += 4) {
                    const int count = std::min(4, tileEnd - j);
                    const double* b[4];
                    for (int k = 0; k < 4; ++k)
                        b[k] = s.tileRow(j + std::min(k, count - 1));
                    storeUnrounded<Kernel>(c, s, r0, row0, i, j, count,
                                           sums4Vector<Kernel::op>(r0.values.data(), b, r0.weights.data(), c.padded));
                }
                return 1;
            }
            loadRow<Kernel::op>(c, i + 1, s.rows[1]);
            const Scratch::Row& r1 = s.rows[1];
            double* row1 = row0 + stride;
            for (int j = jb; j < tileEnd; j += 4) {
                const int count = std::min(4, tileEnd - j);
                const double* b[4];
                for (int k = 0; k < 4; ++k)
                    b[k] = s.tileRow(j + std::min(k, count - 1));
                __m256d s0, s1;
                sums8Vector<Kernel::op>(r0.values.data(), r1.values.data(), b, r0.weights.data(), r1.weights.data(),
                                        c.padded, s0, s1);
                storeUnrounded<Kernel>(c, s, r0, row0, i, j, count, s0);
                storeUnrounded<Kernel>(c, s, r1, row1, i + 1, j, count, s1);
            }
            return 2;
        });
}
#endif

void fillRowsByDefinition(const Context& c, Sums4, int i0, int i1)
{
    const PairwiseInput& in = *c.in;
    for (int i = i0; i < i1; ++i) {
        const CondensedMatrix::Row row = c.matrix->row(i);
        for (int j = 0; j < i; ++j)
            row[j] = in.enabled[static_cast<size_t>(i)] && in.enabled[static_cast<size_t>(j)]
                         ? byDefinition(c, i, j)
                         : static_cast<unsigned short>(kMaxDistanceCell);
    }
}

// Which slots may use the kernels, with the per-profile terms; false when
// none may.
bool prepare(Context& c)
{
    const PairwiseInput& in = *c.in;
    const DistanceParams& p = in.params;
    const size_t slots = in.values.size();
    const bool pearson = in.measure == kMeasurePearson;
    c.fast.assign(slots + 4, 0);  // padded for reading four flags at once
    c.complete.assign(slots + 4, 0);
    if (in.measure == kMeasureMatching)
        return false;
    c.n = p.n;
    c.padded = (p.n + 3) & ~3;
    const size_t fit = kTileBytes / (static_cast<size_t>(c.padded) * sizeof(double));
    c.tileProfiles = static_cast<int>(std::clamp<size_t>(fit, kMinColumnTile, kColumnTile)) & ~3;
    c.tileStride = c.tileProfiles + 4;
    c.gamma = (c.padded + 32) * std::ldexp(1.0, -50);
    double total = 0.0;
    c.counted.assign(static_cast<size_t>(p.n), 0);
    for (int k = 0; k < p.n; ++k) {
        const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
        if (cw == -1.0f) {
            c.excluded.push_back(k);
            continue;
        }
        if (!(cw >= 0.0f) || !std::isfinite(cw))
            return false;  // the kernels' error bounds hold for weights of one sign
        c.counted[static_cast<size_t>(k)] = 1;
        total += cw;
        ++c.validColumns;
    }
    if (c.validColumns == 0 || (total == 0.0 && !p.pValueWeights))
        return false;
    // A zero normaliser is the definition's business.
    if ((in.measure == kMeasureEuclidean && !(p.euclideanNormaliser > 0.0)) ||
        (in.measure == kMeasureManhattan && !(p.manhattanNormaliser > 0.0)))
        return false;
    c.scale = kMaxDistance / (in.measure == kMeasureEuclidean ? p.euclideanNormaliser : p.manhattanNormaliser);
    c.w.assign(static_cast<size_t>(c.padded), 0.0);
    for (int k = 0; k < p.n; ++k) {
        const float cw = p.columnWeights ? p.columnWeights[k] : 1.0f;
        c.w[static_cast<size_t>(k)] = cw == -1.0f || total == 0.0 ? 0.0 : cw / total;
    }
    // Missing cells, and the column means that fill them for the
    // differences.
    c.missingStart.assign(slots + 1, 0);
    c.fill.assign(static_cast<size_t>(c.padded), 0.0);
    std::vector<int> filled(static_cast<size_t>(p.n), 0);
    for (size_t s = 0; s < slots; ++s) {
        c.missingStart[s] = static_cast<int>(c.missingColumns.size());
        if (!in.enabled[s])
            continue;
        for (int k = 0; k < p.n; ++k) {
            if (!c.counted[static_cast<size_t>(k)])
                continue;
            if (in.weights[s][k] == -1.0f) {
                c.missingColumns.push_back(k);
            } else if (!pearson) {
                c.fill[static_cast<size_t>(k)] += in.values[s][k];
                ++filled[static_cast<size_t>(k)];
            }
        }
    }
    c.missingStart[slots] = static_cast<int>(c.missingColumns.size());
    c.anyMissing = !c.missingColumns.empty();
    if (in.measure == kMeasureEuclidean && !c.anyMissing && !p.pValueWeights) {
        for (int k = 0; k < p.n; ++k)
            if (c.counted[static_cast<size_t>(k)]) {
                if (c.unitWeight == 0.0)
                    c.unitWeight = c.w[static_cast<size_t>(k)];
                else if (c.w[static_cast<size_t>(k)] != c.unitWeight)
                    c.unitWeight = -1.0;
            }
        c.unitWeight = std::max(c.unitWeight, 0.0);
    }
    for (int k = 0; k < p.n; ++k)
        c.fill[static_cast<size_t>(k)] = filled[static_cast<size_t>(k)] ? c.fill[static_cast<size_t>(k)] / filled[static_cast<size_t>(k)] : 0.0;

    for (auto* v : {&c.shift, &c.present, &c.count, &c.sum1, &c.sum2, &c.mean, &c.inverseNorm})
        v->assign(slots + 4, 0.0);
    for (size_t s = 0; s < slots; ++s) {
        if (!in.enabled[s])
            continue;
        const float* v = in.values[s];
        const int slot = static_cast<int>(s);
        if (p.pValueWeights) {
            // Cell weights of one sign; the plain mean as the shift.
            double sum = 0.0;
            int here = 0;
            bool signed_ = false;
            for (int k = 0; k < p.n; ++k)
                if (c.isPresent(slot, k)) {
                    const float cw = in.weights[s][k];
                    signed_ = signed_ || !(cw >= 0.0f) || !std::isfinite(cw);
                    sum += v[k];
                    ++here;
                }
            if (signed_ || here < (pearson ? 2 : 1))
                continue;
            c.shift[s] = pearson && p.centered ? sum / here : 0.0;
            c.fast[s] = 1;
            continue;
        }
        double weight = 0.0, shift = 0.0;
        int here = 0;
        for (int k = 0; k < p.n; ++k)
            if (c.isPresent(slot, k)) {
                weight += c.w[static_cast<size_t>(k)];
                shift += c.w[static_cast<size_t>(k)] * v[k];
                ++here;
            }
        if (!(weight > 0.0))
            continue;  // no common weight with anything: the definition gives 65535
        c.present[s] = weight;
        c.count[s] = here;
        c.complete[s] = c.missingStart[s] == c.missingStart[s + 1];
        if (pearson) {
            if (here < 2)
                continue;  // constant over every pair's columns: 65535
            c.shift[s] = p.centered ? shift / weight : 0.0;
            double s1 = 0.0, s2 = 0.0;
            for (int k = 0; k < p.n; ++k)
                if (c.isPresent(slot, k)) {
                    const double x = v[k] - c.shift[s], wx = c.w[static_cast<size_t>(k)] * x;
                    s1 += wx;
                    s2 += wx * x;
                }
            const double mean = p.centered ? s1 / weight : 0.0;
            double ss = 0.0;
            for (int k = 0; k < p.n; ++k)
                if (c.isPresent(slot, k)) {
                    const double d = v[k] - c.shift[s] - mean;
                    ss += c.w[static_cast<size_t>(k)] * d * d;
                }
            if (!(ss > 0.0))
                continue;  // constant profile: the definition gives 65535
            c.sum1[s] = s1;
            c.sum2[s] = s2;
            c.mean[s] = s1;  // complete profiles: the weights sum to 1
            c.inverseNorm[s] = 1.0 / std::sqrt(ss);
        }
        c.fast[s] = 1;
    }
    return true;
}

} // namespace

void setVectorKernels(bool use) { g_vectorKernels = use; }

bool vectorKernels()
{
#ifdef ARBOLIX_X86
    return hasAvx2();
#else
    return false;
#endif
}

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
    const bool kernels = prepare(c);

    void (*fill)(const Context&, Sums4, int, int) = &fillRowsByDefinition;
    Sums4 sums4 = nullptr;
    const bool weighted = input.params.pValueWeights;
    switch (kernels ? input.measure : -1) {
    case kMeasurePearson:
        fill = weighted ? &fillRowsWeightedPlain<PearsonKernel> : &fillRows<PearsonKernel>;
        sums4 = &sums4Plain<Op::Dot>;
        break;
    case kMeasureEuclidean:
        fill = weighted ? &fillRowsWeightedPlain<EuclideanKernel> : &fillRows<EuclideanKernel>;
        sums4 = &sums4Plain<Op::Square>;
        break;
    case kMeasureManhattan:
        fill = weighted ? &fillRowsWeightedPlain<ManhattanKernel> : &fillRows<ManhattanKernel>;
        sums4 = &sums4Plain<Op::Abs>;
        break;
    default: break;
    }
#ifdef ARBOLIX_X86
    if (kernels && hasAvx2()) {
        switch (input.measure) {
        case kMeasurePearson:
            fill = weighted ? &fillRowsWeightedAvx2<PearsonKernel> : &fillRowsAvx2<PearsonVector>;
            break;
        case kMeasureEuclidean:
            fill = weighted ? &fillRowsWeightedAvx2<EuclideanKernel> : &fillRowsAvx2<EuclideanVector>;
            break;
        case kMeasureManhattan:
            fill = weighted ? &fillRowsWeightedAvx2<ManhattanKernel> : &fillRowsAvx2<ManhattanVector>;
            break;
        default: break;
        }
    }
#endif

    // Work items from the longest rows down, so that the threads finish
    // together; each item holds whole strips of the matrix, so two threads
    // never write into one cache line.
    std::vector<std::pair<int, int>> blocks;
    for (int i1 = n; i1 > 1;) {
        const int i0 = std::max(1, (i1 - 1) / kRowBlock * kRowBlock);
        blocks.emplace_back(i0, i1);
        i1 = i0;
    }
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
    runOnWorkers(threads, work);  // the results do not depend on the number of threads
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
    // The kernels of p-value weights give no unrounded distances.
    const bool kernels = prepare(c) && !input.params.pValueWeights;
    switch (kernels ? m->input.measure : -1) {
    case kMeasurePearson: m->fill = &blockPlain<PearsonKernel>; m->sums4 = &sums4Plain<Op::Dot>; break;
    case kMeasureEuclidean: m->fill = &blockPlain<EuclideanKernel>; m->sums4 = &sums4Plain<Op::Square>; break;
    case kMeasureManhattan: m->fill = &blockPlain<ManhattanKernel>; m->sums4 = &sums4Plain<Op::Abs>; break;
    default: break;
    }
#ifdef ARBOLIX_X86
    if (kernels && hasAvx2()) {
        switch (m->input.measure) {
        case kMeasurePearson: m->fill = &blockAvx2<PearsonKernel>; break;
        case kMeasureEuclidean: m->fill = &blockAvx2<EuclideanKernel>; break;
        case kMeasureManhattan: m->fill = &blockAvx2<ManhattanKernel>; break;
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
