// Row and column statistics of a data matrix, and the order statistics and
// moments they rest on.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Parallel.h"

namespace {
// Gathers the present values of a strided run into `scratch`; returns their number.
int gatherPresent(const float* values, const float* weights, int n, size_t stride, std::vector<float>& scratch)
{
    scratch.resize(static_cast<size_t>(n));
    int m = 0;
    for (int i = 0; i < n; ++i) {
        size_t at = static_cast<size_t>(i) * stride;
        if (!isMissingWeight(weights[at]))
            scratch[static_cast<size_t>(m++)] = values[at];
    }
    return m;
}

float maxOf(const float* b, const float* e) { return *std::max_element(b, e); }

// Quartiles of m present values in s (reordered in place): the same numbers
// a full sort gives, found by selection in linear time. Also gives the
// smallest and largest value.
float quartilesOf(float* s, int m, float& q1, float& q3, float& lowerWhisker, float& upperWhisker,
                  float* min = nullptr, float* max = nullptr)
{
    if (m == 0) {
        q1 = q3 = 0.0f;
        return 0.0f;
    }
    const int b = m / 2, a = m / 4, c = 3 * m / 4;
    std::nth_element(s, s + b, s + m);
    const float sb = s[b];
    const float median = (m % 2 == 1) ? sb : (maxOf(s, s + b) + sb) / 2.0f;

    float sa = sb;
    if (a < b) {
        std::nth_element(s, s + a, s + b);
        sa = s[a];
    }
    float sc = sb;
    if (c > b) {
        std::nth_element(s + b + 1, s + c, s + m);
        sc = s[c];
    }
    if (m % 4 == 0) {
        q1 = (maxOf(s, s + a) + sa) / 2.0f;
        q3 = (maxOf(s + b, s + c) + sc) / 2.0f;
    } else {
        q1 = sa;
        q3 = sc;
    }
    const float iqr = q3 - q1;
    const float lower = q1 - 1.5f * iqr, upper = q3 + 1.5f * iqr;
    // Everything from position a on is at least s[a] >= q1 >= the lower
    // fence, and everything up to c at most s[c]: only the tails need a look.
    float lw = sa, lowest = sa;
    for (int i = 0; i < a; ++i) {
        const float v = s[i];
        lw = (v >= lower && v < lw) ? v : lw;
        lowest = v < lowest ? v : lowest;
    }
    float uw = sc, highest = sc;
    for (int i = c + 1; i < m; ++i) {
        const float v = s[i];
        uw = (v <= upper && v > uw) ? v : uw;
        highest = v > highest ? v : highest;
    }
    lowerWhisker = lw;
    upperWhisker = uw;
    if (min)
        *min = lowest;
    if (max)
        *max = highest;
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
void fillRecord(StatRecord& s, std::vector<float>& scratch, int m)
{
    float* v = scratch.data();
    meanStdevOf(v, m, s.mean, s.stdev, false);
    s.median = quartilesOf(v, m, s.q1, s.q3, s.lowerWhisker, s.upperWhisker, &s.min, &s.max);
}
} // namespace

float DataMatrix::quartiles(const float* values, const float* weights, int n, float& q1, float& q3,
                            float& lowerWhisker, float& upperWhisker, size_t stride)
{
    std::vector<float> scratch;
    int m = gatherPresent(values, weights, n, stride, scratch);
    return quartilesOf(scratch.data(), m, q1, q3, lowerWhisker, upperWhisker);
}

bool DataMatrix::meanStdev(const float* values, const float* weights, int n, double& mean, double& stdev,
                           bool sample, size_t stride)
{
    std::vector<float> scratch;
    int m = gatherPresent(values, weights, n, stride, scratch);
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
            float lo = FLT_MAX, hi = -FLT_MAX;
            for (size_t r = b; r < e; ++r) {
                const size_t at = r * cols;
                int m = gatherPresent(pool + at, weights + at, K, 1, scratch);
                StatRecord& s = stats[r];
                if (m == 0) {
                    s.min = s.max = 0.0f;
                    continue;
                }
                fillRecord(s, scratch, m);
                hi = std::max(hi, s.max);
                lo = std::min(lo, s.min);
            }
            if (b < e)
                ranges[b] = {lo, hi};
        });
        for (const auto& [lo, hi] : ranges) {
            gMin = std::min(gMin, lo);
            gMax = std::max(gMax, hi);
        }
        // Columns, a block of columns per pass over the rows so that the
        // row-major pool is read sequentially.
        parallelFor(static_cast<size_t>(K), 4, [&](size_t kb, size_t ke) {
            const size_t blockSize = 16;
            std::vector<std::vector<float>> scratch(blockSize);
            for (size_t k0 = kb; k0 < ke; k0 += blockSize) {
                const size_t k1 = std::min(ke, k0 + blockSize);
                for (size_t k = k0; k < k1; ++k) {
                    scratch[k - k0].clear();
                    scratch[k - k0].reserve(rows);
                }
                for (size_t r = 0; r < rows; ++r) {
                    const float* v = pool + r * cols;
                    const float* w = weights + r * cols;
                    for (size_t k = k0; k < k1; ++k)
                        if (!isMissingWeight(w[k]))
                            scratch[k - k0].push_back(v[k]);
                }
                for (size_t k = k0; k < k1; ++k) {
                    FieldInfo& f = *columnField(static_cast<int>(k));
                    StatRecord& s = original ? f.m_statOrg : f.m_statNor;
                    std::vector<float>& present = scratch[k - k0];
                    int m = static_cast<int>(present.size());
                    if (m == 0) {
                        f.m_bHasData = 0;
                        s.min = s.max = 0.0f;
                        continue;
                    }
                    fillRecord(s, present, m);
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
