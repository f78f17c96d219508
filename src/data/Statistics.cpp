// Row and column statistics of a data matrix, and the order statistics and
// moments they rest on.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/RankSelect.h"
#include "platform/Parallel.h"

namespace {
// Gathers the present values of a strided run into `scratch` with their
// smallest and largest; returns their number. NaN has no place in an order: a
// present cell never holds one, but a transformation could make one.
int gatherPresent(const float* values, const float* weights, int n, size_t stride, std::vector<float>& scratch,
                  float& lo, float& hi)
{
    scratch.resize(static_cast<size_t>(n));
    int m = 0;
    float l = FLT_MAX, h = -FLT_MAX;
    for (int i = 0; i < n; ++i) {
        const size_t at = static_cast<size_t>(i) * stride;
        const float x = values[at];
        const bool keep = !isMissingWeight(weights[at]) && x == x;
        scratch[static_cast<size_t>(m)] = x;
        m += keep;
        l = keep && x < l ? x : l;
        h = keep && x > h ? x : h;
    }
    lo = l;
    hi = h;
    return m;
}

// Quartiles of m present values: the numbers a full sort gives (q1 and q3
// average two neighbours when m is divisible by 4, the median when m is
// even), with the whiskers and the smallest and largest value.
float quartilesOf(RankSelect& selector, const float* s, int m, float lowest, float highest, float& q1, float& q3,
                  float& lowerWhisker, float& upperWhisker)
{
    if (m == 0) {
        q1 = q3 = 0.0f;
        return 0.0f;
    }
    const int b = m / 2, a = m / 4, c = 3 * m / 4;
    const bool even = m % 2 == 0, quarters = m % 4 == 0;
    int ranks[6];
    int count = 0;
    if (quarters)
        ranks[count++] = a - 1;
    ranks[count++] = a;
    if (even)
        ranks[count++] = b - 1;
    ranks[count++] = b;
    if (quarters)
        ranks[count++] = c - 1;
    ranks[count++] = c;
    float v[6];
    selector.select(s, m, lowest, highest, ranks, count, v);
    int i = 0;
    const float sa1 = quarters ? v[i++] : 0.0f;
    const float sa = v[i++];
    const float sb1 = even ? v[i++] : 0.0f;
    const float sb = v[i++];
    const float sc1 = quarters ? v[i++] : 0.0f;
    const float sc = v[i++];
    q1 = quarters ? (sa1 + sa) / 2.0f : sa;
    q3 = quarters ? (sc1 + sc) / 2.0f : sc;
    const float median = even ? (sb1 + sb) / 2.0f : sb;

    // The fences in double, so that a value on a fence is not lost to rounding.
    const double iqr = static_cast<double>(q3) - q1;
    const double lower = q1 - 1.5 * iqr, upper = q3 + 1.5 * iqr;
    float lw = highest, uw = lowest;
    for (int k = 0; k < m; ++k) {
        const float x = s[k];
        lw = (x >= lower && x < lw) ? x : lw;
        uw = (x <= upper && x > uw) ? x : uw;
    }
    lowerWhisker = lw;
    upperWhisker = uw;
    return median;
}

bool meanStdevOf(const float* v, int m, double& mean, double& stdev, bool sample)
{
    if (m == 0) {
        mean = stdev = 0.0;
        return false;
    }
    // Deviations from a reference value keep the sums small and accurate.
    const double ref = v[m / 2];
    double sum = 0.0;
    for (int i = 0; i < m; ++i)
        sum += static_cast<double>(v[i]) - ref;
    mean = ref + sum / m;
    double sq = 0.0;
    for (int i = 0; i < m; ++i) {
        double d = static_cast<double>(v[i]) - mean;
        sq += d * d;
    }
    int divisor = sample ? m - 1 : m;
    stdev = divisor > 0 ? std::sqrt(sq / divisor) : 0.0;
    return true;
}

// Fills one record from the present values in scratch (m > 0).
void fillRecord(StatRecord& s, RankSelect& selector, const float* v, int m, float lo, float hi)
{
    meanStdevOf(v, m, s.mean, s.stdev, false);
    s.min = lo;
    s.max = hi;
    s.median = quartilesOf(selector, v, m, lo, hi, s.q1, s.q3, s.lowerWhisker, s.upperWhisker);
}
} // namespace

float DataMatrix::quartiles(const float* values, const float* weights, int n, float& q1, float& q3,
                            float& lowerWhisker, float& upperWhisker, size_t stride)
{
    std::vector<float> scratch;
    float lo, hi;
    int m = gatherPresent(values, weights, n, stride, scratch, lo, hi);
    RankSelect selector;
    return quartilesOf(selector, scratch.data(), m, lo, hi, q1, q3, lowerWhisker, upperWhisker);
}

bool DataMatrix::meanStdev(const float* values, const float* weights, int n, double& mean, double& stdev,
                           bool sample, size_t stride)
{
    std::vector<float> scratch;
    float lo, hi;
    int m = gatherPresent(values, weights, n, stride, scratch, lo, hi);
    return meanStdevOf(scratch.data(), m, mean, stdev, sample);
}

void DataMatrix::computeStatistics(bool expressionOnly, bool original)
{
    const int K = expressionOnly ? m_nExpColumns : m_nColumns;
    const float* pool = original ? m_pOrgExpLevelPool.get() : m_pRowExpLevelPool.get();
    StatRecord* stats = original ? m_pStatOrgPool.get() : m_pStatNorPool.get();
    const float* weights = m_pRowWeightPool.get();
    float gMax = -FLT_MAX, gMin = FLT_MAX;
    if (pool && stats && weights) {
        const size_t cols = static_cast<size_t>(m_nColumns);
        const size_t rows = static_cast<size_t>(m_nRows);
        // Rows, split across the cores; each chunk keeps its own range in
        // the slot of its first row.
        std::vector<std::pair<float, float>> ranges(rows, {FLT_MAX, -FLT_MAX});
        parallelFor(rows, 256, [&](size_t b, size_t e) {
            std::vector<float> scratch;
            RankSelect selector;
            float lo = FLT_MAX, hi = -FLT_MAX;
            for (size_t r = b; r < e; ++r) {
                const size_t at = r * cols;
                float rowLo, rowHi;
                int m = gatherPresent(pool + at, weights + at, K, 1, scratch, rowLo, rowHi);
                StatRecord& s = stats[r];
                if (m == 0) {
                    s.min = s.max = 0.0f;
                    continue;
                }
                fillRecord(s, selector, scratch.data(), m, rowLo, rowHi);
                hi = std::max(hi, rowHi);
                lo = std::min(lo, rowLo);
            }
            if (b < e)
                ranges[b] = {lo, hi};
        });
        for (const auto& [lo, hi] : ranges) {
            gMin = std::min(gMin, lo);
            gMax = std::max(gMax, hi);
        }
        // Columns, a block of columns per pass over the rows so that the
        // row-major pool is read in order; the block is copied out column by
        // column, then each column is handled like a row.
        parallelFor(static_cast<size_t>(K), 4, [&](size_t kb, size_t ke) {
            const size_t blockSize = 16;
            std::vector<float> values(blockSize * rows), present(blockSize * rows), scratch;
            RankSelect selector;
            for (size_t k0 = kb; k0 < ke; k0 += blockSize) {
                const size_t k1 = std::min(ke, k0 + blockSize);
                for (size_t r = 0; r < rows; ++r) {
                    const float* v = pool + r * cols;
                    const float* w = weights + r * cols;
                    for (size_t k = k0; k < k1; ++k) {
                        values[(k - k0) * rows + r] = v[k];
                        present[(k - k0) * rows + r] = w[k];
                    }
                }
                for (size_t k = k0; k < k1; ++k) {
                    FieldInfo& f = *columnField(static_cast<int>(k));
                    StatRecord& s = original ? f.m_statOrg : f.m_statNor;
                    float lo, hi;
                    int m = gatherPresent(values.data() + (k - k0) * rows, present.data() + (k - k0) * rows,
                                          m_nRows, 1, scratch, lo, hi);
                    if (m == 0) {
                        f.m_bHasData = 0;
                        s.min = s.max = 0.0f;
                        continue;
                    }
                    fillRecord(s, selector, scratch.data(), m, lo, hi);
                }
            }
        });
    }
    if (original) {
        m_fOrgMax = gMax;
        m_fOrgMin = gMin;
    } else {
        m_fNorMax = gMax;
        m_fNorMin = gMin;
    }
}
