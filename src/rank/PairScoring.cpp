#include "rank/PairScoring.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <numeric>

#include "cluster/Evaluation.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

namespace {

const char* const kRunTimeError = "Run-time error in Order Calculation!";

// The cell (i, j), i > j, of a pair index.
void pairOfIndex(size_t p, int& i, int& j)
{
    size_t r = static_cast<size_t>((1.0 + std::sqrt(1.0 + 8.0 * static_cast<double>(p))) / 2.0);
    while (r * (r - 1) / 2 > p)
        --r;
    while ((r + 1) * r / 2 <= p)
        ++r;
    i = static_cast<int>(r);
    j = static_cast<int>(p - r * (r - 1) / 2);
}

void setRange(PairTable& t)
{
    bool any = false;
    double lo = 0.0, hi = 0.0;
    for (const PairScore& s : t.m_pairs) {
        if (s.m_bFailed)
            continue;
        lo = any ? std::min(lo, s.m_dScore) : s.m_dScore;
        hi = any ? std::max(hi, s.m_dScore) : s.m_dScore;
        any = true;
    }
    t.m_dMin = lo;
    t.m_dMax = hi;
}

void naturalOrder(PairTable& t)
{
    t.m_order.resize(t.m_pairs.size());
    std::iota(t.m_order.begin(), t.m_order.end(), 0);
    t.m_rankOfPair.resize(t.m_pairs.size());
    std::iota(t.m_rankOfPair.begin(), t.m_rankOfPair.end(), 1);
    rebuildRowMap(t);
}

} // namespace

const PairScore* PairTable::find(int a, int b, bool* reversed) const
{
    size_t index;
    if (isClusterComparison()) {
        if (a < 0 || b < 0 || a >= m_nFirstClusters || b >= m_nSecondClusters)
            return nullptr;
        index = static_cast<size_t>(a) * static_cast<size_t>(m_nSecondClusters) + static_cast<size_t>(b);
    } else {
        if (a == b || a < 0 || b < 0 || a >= m_nVariables || b >= m_nVariables)
            return nullptr;
        index = pairIndex(std::max(a, b), std::min(a, b));
    }
    if (index >= m_pairs.size())
        return nullptr;
    const PairScore& s = m_pairs[index];
    if (reversed)
        *reversed = !(s.m_nX == a && s.m_nY == b);
    return &s;
}

int PairTable::rowOf(int a, int b) const
{
    const PairScore* s = find(a, b);
    if (!s)
        return -1;
    return m_rowOfPair[static_cast<size_t>(s - m_pairs.data())];
}

PairTable noOrderTable(int variables, int criterion)
{
    PairTable t;
    t.m_nCriterion = criterion;
    t.m_nVariables = variables;
    t.m_pairs.resize(static_cast<size_t>(pairCount(variables)));
    for (size_t p = 0; p < t.m_pairs.size(); ++p) {
        PairScore& s = t.m_pairs[p];
        pairOfIndex(p, s.m_nX, s.m_nY);
        s.m_dScore = -1000.0;
        s.m_details.assign(1, static_cast<double>(kPairNoOrder));
    }
    t.m_dMin = t.m_dMax = t.m_pairs.empty() ? 0.0 : -1000.0;
    naturalOrder(t);
    return t;
}

PairTable scoreAllPairs(int criterion, const PairColumns& columns, const PairSettings& settings, int threads)
{
    const int n = columns.m_nColumns;
    const long long total = pairCount(n);
    if (total > kPairsBeforeAsking &&
        messages().question(strFormat("Scoring all %lld pairs of variables may take a long time. Continue?", total)) !=
            Answer::Yes) {
        PairTable t = noOrderTable(n);
        t.m_bCancelled = true;
        return t;
    }
    PairTable t;
    t.m_nCriterion = criterion;
    t.m_nVariables = n;
    t.m_pairs.resize(static_cast<size_t>(total));

    ProgressScope progress("Progress", "Populating the scatterplot list...");
    progress->setRange(0, std::llround(static_cast<double>(static_cast<long long>(n) * (n - 1) + 1) / 2.0));
    // Blocks of pairs: each block is shared out among the cores, then the
    // window moves and Cancel is looked at.
    const long long block = std::max<long long>(progressInterval(total), 4LL * workerCount());
    bool reported = false;
    for (long long begin = 0; begin < total; begin += block) {
        const long long end = std::min(total, begin + block);
        std::atomic<const char*> failure{nullptr};
        auto scoreRange = [&](size_t b, size_t e) {
            PairScorer scorer(columns, settings);
            for (size_t p = static_cast<size_t>(begin) + b; p < static_cast<size_t>(begin) + e; ++p) {
                int i, j;
                pairOfIndex(p, i, j);
                scorer.score(criterion, i, j, t.m_pairs[p]);
                if (t.m_pairs[p].m_bFailed)
                    failure.store(scorer.failure());
            }
        };
        if (threads == 1)
            scoreRange(0, static_cast<size_t>(end - begin));
        else
            parallelFor(static_cast<size_t>(end - begin), 1, scoreRange);
        if (failure.load() && !reported) {
            showMessage(kRunTimeError);
            reported = true;
        }
        if (cancelledAt(progress.get(), end, 1)) {
            PairTable none = noOrderTable(n);
            none.m_bCancelled = true;
            return none;
        }
    }
    for (const PairScore& s : t.m_pairs)
        t.m_nFailed += s.m_bFailed ? 1 : 0;
    setRange(t);
    progress->setMessage("Sorting the list...");
    naturalOrder(t);
    sortByScore(t);
    return t;
}

PairTable clusterPairTable(const std::vector<ClusterPairScore>& scores, int firstClusters, int secondClusters)
{
    PairTable t;
    t.m_nCriterion = kPairClusterSimilarity;
    t.m_nFirstClusters = firstClusters;
    t.m_nSecondClusters = secondClusters;
    t.m_pairs.resize(static_cast<size_t>(firstClusters) * static_cast<size_t>(secondClusters));
    for (const ClusterPairScore& c : scores) {
        if (c.first < 0 || c.second < 0 || c.first >= firstClusters || c.second >= secondClusters)
            continue;
        PairScore& s = t.m_pairs[static_cast<size_t>(c.first) * static_cast<size_t>(secondClusters) +
                                 static_cast<size_t>(c.second)];
        s.m_nX = c.first;
        s.m_nY = c.second;
        s.m_dScore = c.score;
        s.m_details.assign(1, static_cast<double>(kPairClusterSimilarity));
    }
    setRange(t);
    naturalOrder(t);
    sortByScore(t);
    return t;
}

void rebuildRowMap(PairTable& t)
{
    t.m_rowOfPair.assign(t.m_pairs.size(), -1);
    for (size_t r = 0; r < t.m_order.size(); ++r)
        t.m_rowOfPair[static_cast<size_t>(t.m_order[r])] = static_cast<int>(r);
}

void sortByScore(PairTable& t)
{
    if (t.isScored()) {
        const bool ascending = pairCriterionAscending(t.m_nCriterion);
        std::stable_sort(t.m_order.begin(), t.m_order.end(), [&](int a, int b) {
            const PairScore& sa = t.m_pairs[static_cast<size_t>(a)];
            const PairScore& sb = t.m_pairs[static_cast<size_t>(b)];
            if (sa.m_bFailed != sb.m_bFailed)
                return sb.m_bFailed;
            if (sa.m_bFailed)
                return false;
            return ascending ? sa.m_dScore < sb.m_dScore : sa.m_dScore > sb.m_dScore;
        });
    }
    t.m_rankOfPair.resize(t.m_pairs.size());
    for (size_t r = 0; r < t.m_order.size(); ++r)
        t.m_rankOfPair[static_cast<size_t>(t.m_order[r])] = static_cast<int>(r) + 1;
    rebuildRowMap(t);
}

void sortByColumn(PairTable& t, int column, bool ascending, const std::vector<std::string>& names)
{
    auto less = [&](int a, int b) {
        const PairScore& sa = t.m_pairs[static_cast<size_t>(a)];
        const PairScore& sb = t.m_pairs[static_cast<size_t>(b)];
        switch (column) {
        case 1:
        case 2: return pairAxisText(t, sa, column == 1, names) < pairAxisText(t, sb, column == 1, names);
        case 3: {
            const double lowest = -std::numeric_limits<double>::infinity();
            return (sa.m_bFailed ? lowest : sa.m_dScore) < (sb.m_bFailed ? lowest : sb.m_dScore);
        }
        default: return t.m_rankOfPair[static_cast<size_t>(a)] < t.m_rankOfPair[static_cast<size_t>(b)];
        }
    };
    if (ascending)
        std::stable_sort(t.m_order.begin(), t.m_order.end(), less);
    else
        std::stable_sort(t.m_order.begin(), t.m_order.end(), [&](int a, int b) { return less(b, a); });
    rebuildRowMap(t);
}

const char* pairScoreHeader(int criterion)
{
    return criterion == kPairLinearError || criterion == kPairQuadraticError ? "Error" : "Score";
}

std::string pairAxisText(const PairTable& t, const PairScore& s, bool xAxis, const std::vector<std::string>& names)
{
    if (t.isClusterComparison())
        return clusterPairRow({s.m_nX, s.m_nY, s.m_dScore})[xAxis ? 0 : 1];
    const int k = xAxis ? s.m_nX : s.m_nY;
    return k >= 0 && static_cast<size_t>(k) < names.size() ? names[static_cast<size_t>(k)] : std::string();
}

std::string pairScoreNumber(int criterion, double score)
{
    // Counts of points are whole numbers.
    if (criterion == kPairOutliers || criterion == kPairRoi)
        return strFormat("%.0f", score);
    return strFormat("%.3f", score);
}

std::string pairScoreText(const PairTable& t, const PairScore& s)
{
    if (!t.isScored() || s.m_bFailed)
        return "N/A";
    return pairScoreNumber(t.m_nCriterion, s.m_dScore);
}
