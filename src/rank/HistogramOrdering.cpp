#include "rank/HistogramOrdering.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "platform/Format.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

const char* histogramCriterionName(int criterion)
{
    static const char* const names[kHistogramCriteria] = {"Original Order",          "Normality",
                                                          "Uniformity",              "Number of Outliers",
                                                          "Number of Unique Values", "Size of the Biggest Gap"};
    return criterion >= 0 && criterion < kHistogramCriteria ? names[criterion] : "";
}

const char* histogramCriterionDescription(int criterion)
{
    static const char* const texts[kHistogramCriteria] = {
        "Orginal Order",
        "Omnibus Moments Test\r\n |skewness|+|kurtosis-3|",
        "How uniform is \r\na histogram?\r\nEntropy",
        "1.5xIQR Criterion\r\nInterquartile Range:\r\nIQR=Q3-Q1",
        "Number of Unique Values",
        "The biggest gaps"};
    return criterion >= 0 && criterion < kHistogramCriteria ? texts[criterion] : "";
}

const char* histogramListTitle(int listColumn, int criterion)
{
    static const char* const titles[kHistogramListColumns] = {"Rank", "Column Name", "Score",   "Min",  "Q1(25%)",
                                                              "Median", "Q3(75%)",  "Max",   "Mean", "Stdev"};
    if (listColumn == kListScore && criterion == kNormality)
        return "Error";
    return listColumn >= 0 && listColumn < kHistogramListColumns ? titles[listColumn] : "";
}

namespace {

// Copies the n values of columns [c0, c1) of the chosen source, column after
// column, into out. The pools are row-major: one pass over the rows reads
// neighbouring columns together.
void columnValues(const DataMatrix& data, int c0, int c1, bool original, std::vector<float>& out)
{
    const size_t n = static_cast<size_t>(data.m_nRows), k = static_cast<size_t>(data.m_nColumns);
    const size_t width = static_cast<size_t>(c1 - c0);
    out.resize(n * width);
    const float* pool = original ? data.m_pOrgExpLevelPool.get() : data.m_pRowExpLevelPool.get();
    for (size_t r = 0; r < n; ++r) {
        const float* row = pool + r * k + static_cast<size_t>(c0);
        for (size_t j = 0; j < width; ++j)
            out[j * n + r] = row[j];
    }
}

// Sorts floats ascending in three counting passes over an order-keeping
// integer key (equal floats end up side by side; -0 and +0 are neighbours).
void radixSort(std::vector<float>& v)
{
    const size_t n = v.size();
    if (n < 1024) {  // the counting passes cost more than they save
        std::sort(v.begin(), v.end());
        return;
    }
    std::vector<uint32_t> keys(n), other(n);
    for (size_t i = 0; i < n; ++i) {
        uint32_t u;
        std::memcpy(&u, &v[i], sizeof u);
        keys[i] = (u & 0x80000000u) ? ~u : (u | 0x80000000u);
    }
    for (int shift = 0; shift < 32; shift += 11) {
        size_t count[2049] = {};
        for (uint32_t k : keys)
            ++count[((k >> shift) & 0x7FFu) + 1];
        for (int b = 0; b < 2048; ++b)
            count[b + 1] += count[b];
        for (uint32_t k : keys)
            other[count[(k >> shift) & 0x7FFu]++] = k;
        keys.swap(other);
    }
    for (size_t i = 0; i < n; ++i) {
        const uint32_t k = keys[i];
        const uint32_t u = (k & 0x80000000u) ? (k & 0x7FFFFFFFu) : ~k;
        std::memcpy(&v[i], &u, sizeof u);
    }
}

HistogramScore normality(std::vector<float>& v)
{
    const size_t n = v.size();
    if (n == 0)
        return {0.0, false};
    double sum = 0.0;
    for (float x : v)
        sum += x;
    const double mean = sum / static_cast<double>(n);
    double m2 = 0.0, m3 = 0.0, m4 = 0.0;
    for (float x : v) {
        const double d = x - mean, d2 = d * d;
        m2 += d2;
        m3 += d2 * d;
        m4 += d2 * d2;
    }
    m2 /= static_cast<double>(n);
    m3 /= static_cast<double>(n);
    m4 /= static_cast<double>(n);
    if (m2 == 0.0)
        return {0.0, false};
    const double g1 = m3 / std::pow(m2, 1.5), g2 = m4 / (m2 * m2);
    return {std::fabs(g1) + std::fabs(g2 - 3.0), true};
}

double uniformity(const std::vector<float>& v, const StatRecord& stats, int buckets)
{
    const size_t n = v.size();
    if (n == 0)
        return 0.0;
    const BucketRule rule(stats.min, stats.max, buckets);
    std::vector<int> counts(static_cast<size_t>(buckets), 0);
    for (float x : v)
        ++counts[static_cast<size_t>(rule.bucketOf(x))];
    double entropy = 0.0;
    for (int c : counts)
        if (c > 0) {
            const double p = static_cast<double>(c) / static_cast<double>(n);
            entropy -= p * std::log2(p);
        }
    return entropy;
}

double biggestGap(const HistogramRecord& record, const StatRecord& stats, int& runStart, int& runEnd)
{
    runStart = runEnd = -1;
    if (!record.hasBuckets())
        return 0.0;
    const int maxCount = *std::max_element(record.m_bucketCounts.begin(), record.m_bucketCounts.end());
    const int threshold = static_cast<int>(std::lround(maxCount * 0.0));
    int best = 0, bestStart = -1;
    for (int b = 0; b < record.m_nBuckets;) {
        if (record.m_bucketCounts[static_cast<size_t>(b)] > threshold) {
            ++b;
            continue;
        }
        int e = b;
        while (e < record.m_nBuckets && record.m_bucketCounts[static_cast<size_t>(e)] <= threshold)
            ++e;
        if (e - b > best) {
            best = e - b;
            bestStart = b;
        }
        b = e;
    }
    runStart = bestStart;
    runEnd = bestStart + best;
    const double range = static_cast<double>(stats.max) - stats.min;
    return range / record.m_nBuckets * best;
}

} // namespace

HistogramScore histogramScore(int criterion, std::vector<float>& values, const StatRecord& stats,
                              HistogramRecord& record)
{
    record.m_details.push_back(criterion);
    HistogramScore s;
    switch (criterion) {
    case kNormality:
        s = normality(values);
        break;
    case kUniformity:
        s.score = uniformity(values, stats, record.hasBuckets() ? record.m_nBuckets : HistogramOrdering::kBuckets);
        break;
    case kOutliers: {
        int count = 0;
        for (float x : values)
            count += (x < stats.lowerWhisker || x > stats.upperWhisker) ? 1 : 0;
        s.score = count;
        record.m_details.push_back(stats.lowerWhisker);
        record.m_details.push_back(stats.upperWhisker);
        break;
    }
    case kUniqueValues: {
        radixSort(values);
        int count = values.empty() ? 0 : 1;
        for (size_t i = 1; i < values.size(); ++i)
            count += values[i] != values[i - 1] ? 1 : 0;
        s.score = count;
        break;
    }
    case kBiggestGap: {
        int start = -1, end = -1;
        s.score = biggestGap(record, stats, start, end);
        record.m_details.push_back(start);
        record.m_details.push_back(end);
        break;
    }
    default:
        s.score = 0.0;
        break;
    }
    if (s.available && !std::isfinite(s.score))
        s.available = false;
    return s;
}

// ------------------------------------------------------------ the ordering

void HistogramOrdering::build(const DataMatrix* data, bool original)
{
    m_pData = data && !data->isEmpty() && data->m_nColumns > 0 ? data : nullptr;
    const int columns = m_pData ? m_pData->m_nColumns : 0;
    m_records.assign(static_cast<size_t>(columns), HistogramRecord());
    m_countPool.reset();
    m_itemPool.reset();
    if (m_pData) {
        const DataMatrix& d = *m_pData;
        const int n = d.m_nRows;
        const size_t k = static_cast<size_t>(d.m_nColumns);
        const float* pool = original ? d.m_pOrgExpLevelPool.get() : d.m_pRowExpLevelPool.get();
        const float* weights = d.m_pRowWeightPool.get();
        // Zeroed tile by tile, just before use, while the tile is in cache.
        m_countPool = std::make_unique_for_overwrite<int[]>(k * kBuckets);
        m_itemPool = std::make_unique_for_overwrite<unsigned char[]>(k * static_cast<size_t>(n));
        parallelFor(static_cast<size_t>(columns), 4, [&](size_t cb, size_t ce) {
            constexpr size_t kTile = 256;
            BucketRule rules[kTile];
            int* counts[kTile];
            unsigned char* items[kTile];
            for (size_t t0 = cb; t0 < ce; t0 += kTile) {
                const size_t width = std::min(ce, t0 + kTile) - t0;
                for (size_t j = 0; j < width; ++j) {
                    HistogramRecord& rec = m_records[t0 + j];
                    const StatRecord& s = stats(static_cast<int>(t0 + j), original);
                    rec.m_nColumn = static_cast<int>(t0 + j);
                    rec.m_nBuckets = kBuckets;
                    rec.m_fBucketMin = s.min;
                    rec.m_fBucketMax = s.max;
                    rec.m_bucketCounts = std::span<int>(m_countPool.get() + (t0 + j) * kBuckets, kBuckets);
                    std::fill(rec.m_bucketCounts.begin(), rec.m_bucketCounts.end(), 0);
                    rec.m_itemBucket = std::span<unsigned char>(m_itemPool.get() + (t0 + j) * static_cast<size_t>(n),
                                                                static_cast<size_t>(n));
                    rules[j] = BucketRule(s.min, s.max, kBuckets);
                    counts[j] = rec.m_bucketCounts.data();
                    items[j] = rec.m_itemBucket.data();
                }
                // One pass over the rows for the tile's columns (row-major pools).
                for (size_t r = 0; r < static_cast<size_t>(n); ++r) {
                    const float* row = pool + r * k + t0;
                    const float* w = weights + r * k + t0;
                    for (size_t j = 0; j < width; ++j) {
                        if (isMissingWeight(w[j])) {
                            items[j][r] = HistogramRecord::kNoBucket;
                            continue;
                        }
                        const int b = rules[j].bucketOf(row[j]);
                        ++counts[j][b];
                        items[j][r] = static_cast<unsigned char>(b);
                    }
                }
            }
        });
    }
    m_rank.assign(static_cast<size_t>(columns), 0);
    m_rowOf.assign(static_cast<size_t>(columns), 0);
    m_order.clear();
    fillOriginalOrder(original);
}

const StatRecord& HistogramOrdering::stats(int column) const { return stats(column, m_bOriginal); }

const StatRecord& HistogramOrdering::stats(int column, bool original) const
{
    const FieldInfo& f = *m_pData->columnField(column);
    return original ? f.m_statOrg : f.m_statNor;
}

void HistogramOrdering::resetScores()
{
    for (HistogramRecord& r : m_records) {
        r.m_dScore = 0.0;
        r.m_bScored = false;
        r.m_details.clear();
    }
    m_dScoreMin = DBL_MAX;
    m_dScoreMax = -DBL_MAX;
}

void HistogramOrdering::fillOriginalOrder(bool original)
{
    m_nCriterion = kOriginalOrder;
    m_bOriginal = original;
    resetScores();
    for (HistogramRecord& r : m_records)
        r.m_details.push_back(kOriginalOrder);
    const int columns = variableCount();
    m_order.resize(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        m_order[static_cast<size_t>(c)] = c;
    m_nSortColumn = -1;
    m_bSortAscending = true;
    renumber();
}

void HistogramOrdering::renumber()
{
    for (int i = 0; i < rowCount(); ++i) {
        const int c = m_order[static_cast<size_t>(i)];
        m_rowOf[static_cast<size_t>(c)] = i;
        m_rank[static_cast<size_t>(c)] = i + 1;
    }
}

bool HistogramOrdering::score(int criterion, bool original, IProgress* progress)
{
    if (criterion <= kOriginalOrder || criterion >= kHistogramCriteria || !m_pData) {
        fillOriginalOrder(original);
        return true;
    }
    m_bOriginal = original;
    resetScores();
    m_nCriterion = criterion;
    const int columns = variableCount();
    if (progress) {
        progress->open("");
        progress->setMessage("Populating the histogram list...");
        progress->setRange(0, columns);
    }
    // Blocks of variables are scored on all cores; between blocks the window
    // moves and is asked for Cancel. Each variable's score depends only on
    // its own values, so the outcome does not depend on the number of cores.
    const int block = std::max(64, progressInterval(columns));
    for (int b0 = 0; b0 < columns; b0 += block) {
        const int b1 = std::min(columns, b0 + block);
        parallelFor(static_cast<size_t>(b1 - b0), 8, [&](size_t i0, size_t i1) {
            constexpr int kTile = 16;
            const size_t n = static_cast<size_t>(m_pData->m_nRows);
            std::vector<float> tile, values;
            for (int t0 = b0 + static_cast<int>(i0); t0 < b0 + static_cast<int>(i1); t0 += kTile) {
                const int t1 = std::min(b0 + static_cast<int>(i1), t0 + kTile);
                columnValues(*m_pData, t0, t1, original, tile);
                for (int c = t0; c < t1; ++c) {
                    HistogramRecord& rec = m_records[static_cast<size_t>(c)];
                    const float* v = tile.data() + static_cast<size_t>(c - t0) * n;
                    values.assign(v, v + n);
                    const HistogramScore s = histogramScore(criterion, values, stats(c, original), rec);
                    rec.m_dScore = s.available ? s.score : 0.0;
                    rec.m_bScored = s.available;
                }
            }
        });
        if (progress && cancelledAt(*progress, b1, 1)) {
            progress->close();
            fillOriginalOrder(original);
            return false;
        }
    }
    for (const HistogramRecord& r : m_records)
        if (r.m_bScored) {
            m_dScoreMin = std::min(m_dScoreMin, r.m_dScore);
            m_dScoreMax = std::max(m_dScoreMax, r.m_dScore);
        }
    if (progress)
        progress->setMessage("Sorting the list...");
    m_order.resize(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        m_order[static_cast<size_t>(c)] = c;
    sortBy(kListScore, criterion == kNormality);
    renumber();
    if (progress)
        progress->close();
    return true;
}

void HistogramOrdering::sortBy(int listColumn, bool ascending)
{
    m_nSortColumn = listColumn;
    m_bSortAscending = ascending;
    auto numberOf = [this](int c, int col) -> double {
        const StatRecord& s = stats(c);
        switch (col) {
        case kListRank: return m_rank[static_cast<size_t>(c)];
        case kListScore: return m_records[static_cast<size_t>(c)].m_dScore;
        case kListMin: return s.min;
        case kListQ1: return s.q1;
        case kListMedian: return s.median;
        case kListQ3: return s.q3;
        case kListMax: return s.max;
        case kListMean: return s.mean;
        case kListStdev: return s.stdev;
        default: return 0.0;
        }
    };
    if (listColumn == kListName) {
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            const int cmp = std::strcmp(m_pData->columnField(a)->m_strName.c_str(),
                                        m_pData->columnField(b)->m_strName.c_str());
            return ascending ? cmp < 0 : cmp > 0;
        });
    } else {
        const bool scores = listColumn == kListScore;
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            if (scores) {
                const bool sa = m_records[static_cast<size_t>(a)].m_bScored,
                           sb = m_records[static_cast<size_t>(b)].m_bScored;
                if (sa != sb)
                    return sa;  // not available after every scored variable
                if (!sa)
                    return false;
            }
            const double x = numberOf(a, listColumn), y = numberOf(b, listColumn);
            return ascending ? x < y : x > y;
        });
    }
    for (int i = 0; i < rowCount(); ++i)
        m_rowOf[static_cast<size_t>(m_order[static_cast<size_t>(i)])] = i;
}

std::string HistogramOrdering::cellText(int row, int listColumn) const
{
    const int c = columnAt(row);
    const HistogramRecord& rec = m_records[static_cast<size_t>(c)];
    const StatRecord& s = stats(c);
    switch (listColumn) {
    case kListRank: return strFormat("%d", m_rank[static_cast<size_t>(c)]);
    case kListName: return m_pData->columnField(c)->m_strName;
    case kListScore:
        if (m_nCriterion == kOriginalOrder || !rec.m_bScored)
            return "N/A";
        if (m_nCriterion == kOutliers || m_nCriterion == kUniqueValues)
            return strFormat("%d", static_cast<int>(rec.m_dScore));
        return strFormat("%.3f", rec.m_dScore);
    case kListMin: return strFormat("%.3f", s.min);
    case kListQ1: return strFormat("%.3f", s.q1);
    case kListMedian: return strFormat("%.3f", s.median);
    case kListQ3: return strFormat("%.3f", s.q3);
    case kListMax: return strFormat("%.3f", s.max);
    case kListMean: return strFormat("%.3f", s.mean);
    case kListStdev: return strFormat("%.3f", s.stdev);
    default: return {};
    }
}
