// Row and column statistics of a data matrix, and the order statistics and
// moments they rest on.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "data/CellValue.h"
#include "data/DataMatrix.h"

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
// a full sort gives, found by selection in linear time.
float quartilesOf(float* s, int m, float& q1, float& q3, float& lowerWhisker, float& upperWhisker)
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
    float lw = FLT_MAX, uw = -FLT_MAX;
    for (int i = 0; i < m; ++i) {
        if (s[i] >= lower && s[i] < lw)
            lw = s[i];
        if (s[i] <= upper && s[i] > uw)
            uw = s[i];
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
void fillRecord(StatRecord& s, std::vector<float>& scratch, int m)
{
    float* v = scratch.data();
    meanStdevOf(v, m, s.mean, s.stdev, false);
    auto [mn, mx] = std::minmax_element(v, v + m);
    s.min = *mn;
    s.max = *mx;
    s.median = quartilesOf(v, m, s.q1, s.q3, s.lowerWhisker, s.upperWhisker);
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
    float gMax = -FLT_MAX, gMin = FLT_MAX;
    std::vector<float> scratch;
    if (pool && stats) {
        const size_t cols = static_cast<size_t>(m_nColumns);
        for (int r = 0; r < m_nRows; ++r) {
            const size_t at = static_cast<size_t>(r) * cols;
            int m = gatherPresent(pool + at, m_pRowWeightPool.get() + at, K, 1, scratch);
            StatRecord& s = stats[r];
            if (m == 0) {
                s.min = s.max = 0.0f;
                continue;
            }
            fillRecord(s, scratch, m);
            gMax = std::max(gMax, s.max);
            gMin = std::min(gMin, s.min);
        }
        for (int k = 0; k < K; ++k) {
            FieldInfo& f = *columnField(k);
            StatRecord& s = original ? f.m_statOrg : f.m_statNor;
            int m = gatherPresent(pool + k, m_pRowWeightPool.get() + k, m_nRows, cols, scratch);
            if (m == 0) {
                f.m_bHasData = 0;
                s.min = s.max = 0.0f;
                continue;
            }
            fillRecord(s, scratch, m);
        }
    }
    if (original) {
        m_fOrgMax = gMax;
        m_fOrgMin = gMin;
    } else {
        m_fNorMax = gMax;
        m_fNorMin = gMin;
    }
}
