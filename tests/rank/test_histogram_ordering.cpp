#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <memory>

#include "data/DataMatrix.h"
#include "data/LoadPipeline.h"
#include "platform/RecordingProgress.h"
#include "rank/HistogramOrdering.h"
#include "support/TempDir.h"

namespace {

// A: 1..8; B: constant; C: one outlier; D: a missing cell (counts as 0.0 in
// the scores, not in the statistics or the buckets); E: two equally long
// empty runs of buckets (1..69 and 130..198 with width 1).
const char* kSmall =
    "ID\tNAME\tA\tB\tC\tD\tE\n"
    "r0\tn0\t1\t5\t1\t2\t0\n"
    "r1\tn1\t2\t5\t1\t\t70.5\n"
    "r2\tn2\t3\t5\t1\t4\t129.5\n"
    "r3\tn3\t4\t5\t1\t4\t200\n"
    "r4\tn4\t5\t5\t1\t6\t0\n"
    "r5\tn5\t6\t5\t1\t8\t0\n"
    "r6\tn6\t7\t5\t1\t8\t200\n"
    "r7\tn7\t8\t5\t20\t8\t200\n";

std::unique_ptr<DataMatrix> load(const TempDir& dir, const std::string& content)
{
    auto m = std::make_unique<DataMatrix>();
    EXPECT_TRUE(m->loadDataFile(dir.write("m.txt", content)));
    TransformChoice none;
    none.direction = -1;
    EXPECT_TRUE(applyTransformations(*m, none));
    return m;
}

std::vector<std::string> names(const HistogramOrdering& o)
{
    std::vector<std::string> v;
    for (int r = 0; r < o.rowCount(); ++r)
        v.push_back(o.cellText(r, kListName));
    return v;
}

class SmallOrdering : public ::testing::Test {
protected:
    void SetUp() override
    {
        m = load(dir, kSmall);
        o.build(m.get(), false);
    }
    const HistogramRecord& rec(const char* name) { return o.record(m->fieldIndex(name) - 2); }
    TempDir dir;
    std::unique_ptr<DataMatrix> m;
    HistogramOrdering o;
};

} // namespace

TEST(BucketRule, FirstUpperEdgeAboveTheValue)
{
    const BucketRule r(0.0f, 200.0f, 200);
    EXPECT_EQ(r.bucketOf(0.0f), 0);
    EXPECT_EQ(r.bucketOf(0.999f), 0);
    EXPECT_EQ(r.bucketOf(1.0f), 1);  // the edge itself belongs above
    EXPECT_EQ(r.bucketOf(70.5f), 70);
    EXPECT_EQ(r.bucketOf(200.0f), 199);
    EXPECT_EQ(r.bucketOf(250.0f), 199);
    EXPECT_EQ(r.bucketOf(-3.0f), 0);
    // Width 0.1 is not exact in binary: the computed edges decide.
    const BucketRule t(0.0f, 1.0f, 10);
    for (int b = 0; b < 9; ++b) {
        const float v = static_cast<float>(t.upperEdge(b));
        EXPECT_GT(t.upperEdge(t.bucketOf(v)), v);
        if (t.bucketOf(v) > 0) {
            EXPECT_FALSE(t.upperEdge(t.bucketOf(v) - 1) > v);
        }
    }
    // A value that is not a number is below no edge: the last bucket.
    EXPECT_EQ(r.bucketOf(NAN), 199);
    // No width: everything not below the minimum goes to the last bucket.
    const BucketRule z(5.0f, 5.0f, 200);
    EXPECT_EQ(z.bucketOf(5.0f), 199);
    EXPECT_EQ(z.bucketOf(0.0f), 0);
}

TEST_F(SmallOrdering, BucketsAndMembersAtLoad)
{
    const HistogramRecord& d = rec("D");
    ASSERT_EQ(d.m_nBuckets, 200);
    // 2 -> 0, 4 -> 66, 6 -> 133, 8 -> 199 (width 0.03); the missing cell is in none.
    EXPECT_EQ(d.m_bucketCounts[0], 1);
    EXPECT_EQ(d.m_bucketCounts[66], 2);
    EXPECT_EQ(d.m_bucketCounts[133], 1);
    EXPECT_EQ(d.m_bucketCounts[199], 3);
    EXPECT_EQ(d.m_itemBucket[1], HistogramRecord::kNoBucket);
    auto members = [&d](int b) { return d.bucketMembers(b); };
    EXPECT_EQ(members(66), (std::vector<int>{2, 3}));
    EXPECT_EQ(members(199), (std::vector<int>{5, 6, 7}));
    EXPECT_TRUE(members(1).empty());
    const HistogramRecord& b = rec("B");
    EXPECT_EQ(b.m_bucketCounts[199], 8);
}

TEST_F(SmallOrdering, NormalityAgainstScipyConstantLast)
{
    // |scipy.stats.skew| + |scipy.stats.kurtosis| (population moments) of the
    // values with the missing cell as 0.
    ASSERT_TRUE(o.score(kNormality, false));
    EXPECT_EQ(o.headerText(kListScore), "Error");
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "D", "E", "C", "B"}));
    EXPECT_NEAR(rec("A").m_dScore, 1.2380952380952381, 1e-9);
    EXPECT_NEAR(rec("D").m_dScore, 1.538372564417433, 1e-9);
    EXPECT_NEAR(rec("E").m_dScore, 1.737603080396767, 1e-9);
    EXPECT_NEAR(rec("C").m_dScore, 5.410643980912507, 1e-9);
    EXPECT_FALSE(rec("B").m_bScored);
    EXPECT_EQ(o.cellText(4, kListScore), "N/A");
    EXPECT_EQ(o.cellText(0, kListScore), "1.238");
    EXPECT_EQ(o.cellText(0, kListRank), "1");
    EXPECT_EQ(o.cellText(4, kListRank), "5");
    EXPECT_EQ(o.rowOfColumn(1), 4);
    // The strip's range leaves the unavailable score out.
    EXPECT_NEAR(o.scoreMin(), 1.2380952380952381, 1e-9);
    EXPECT_NEAR(o.scoreMax(), 5.410643980912507, 1e-9);
    EXPECT_EQ(rec("A").m_details, (std::vector<double>{1.0}));
}

TEST_F(SmallOrdering, UniformityOutliersUniqueValues)
{
    ASSERT_TRUE(o.score(kUniformity, false));
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "D", "E", "C", "B"}));
    EXPECT_NEAR(rec("A").m_dScore, 3.0, 1e-12);
    EXPECT_NEAR(rec("D").m_dScore, 1.9056390622295662, 1e-12);
    EXPECT_NEAR(rec("E").m_dScore, 1.8112781244591327, 1e-12);
    EXPECT_NEAR(rec("C").m_dScore, 0.5435644431995964, 1e-12);
    EXPECT_EQ(rec("B").m_dScore, 0.0);
    EXPECT_EQ(o.headerText(kListScore), "Score");

    ASSERT_TRUE(o.score(kOutliers, false));
    // C: q1 = q3 = 1, so 20 is out; D: the missing 0.0 lies below the lower
    // whisker 2. Ties keep column order.
    EXPECT_EQ(names(o), (std::vector<std::string>{"C", "D", "A", "B", "E"}));
    EXPECT_EQ(o.cellText(0, kListScore), "1");
    EXPECT_EQ(rec("D").m_details, (std::vector<double>{3.0, 2.0, 8.0}));
    EXPECT_EQ(rec("A").m_dScore, 0.0);

    ASSERT_TRUE(o.score(kUniqueValues, false));
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "D", "E", "C", "B"}));
    EXPECT_EQ(rec("B").m_dScore, 1.0);
    EXPECT_EQ(rec("D").m_dScore, 5.0);  // 0 (missing), 2, 4, 6, 8
    EXPECT_EQ(o.cellText(0, kListScore), "8");
}

TEST_F(SmallOrdering, BiggestGapLowerRunWinsATie)
{
    ASSERT_TRUE(o.score(kBiggestGap, false));
    // E: runs 1..69 and 130..198, both 69 long: the lower one, width 1.
    EXPECT_EQ(rec("E").m_details, (std::vector<double>{5.0, 1.0, 70.0}));
    EXPECT_DOUBLE_EQ(rec("E").m_dScore, 69.0);
    // D: the run 67..132 (66 buckets of 0.03).
    EXPECT_EQ(rec("D").m_details, (std::vector<double>{5.0, 67.0, 133.0}));
    EXPECT_NEAR(rec("D").m_dScore, 1.98, 1e-6);
    // A constant variable has range 0.
    EXPECT_EQ(rec("B").m_dScore, 0.0);
    EXPECT_EQ(o.cellText(0, kListName), "E");
    EXPECT_EQ(o.cellText(0, kListScore), "69.000");
}

TEST_F(SmallOrdering, OriginalOrderAgainAndHeaderSorting)
{
    ASSERT_TRUE(o.score(kNormality, false));
    o.sortBy(kListName, false);
    EXPECT_EQ(names(o), (std::vector<std::string>{"E", "D", "C", "B", "A"}));
    // The rank stays with its variable.
    EXPECT_EQ(o.cellText(0, kListRank), "3");
    o.sortBy(kListMax, true);  // maxima 8, 5, 20, 8, 200
    EXPECT_EQ(names(o), (std::vector<std::string>{"B", "D", "A", "C", "E"}));
    o.sortBy(kListScore, false);  // descending error, N/A still last
    EXPECT_EQ(names(o), (std::vector<std::string>{"C", "E", "D", "A", "B"}));
    o.sortBy(kListRank, true);
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "D", "E", "C", "B"}));

    ASSERT_TRUE(o.score(kOriginalOrder, false));
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(o.cellText(r, kListScore), "N/A");
        EXPECT_EQ(o.cellText(r, kListRank), std::to_string(r + 1));
    }
    EXPECT_EQ(o.scoreMin(), DBL_MAX);
    EXPECT_EQ(o.cellText(3, kListMin), "2.000");  // statistics of present values
    EXPECT_EQ(o.cellText(3, kListMedian), "6.000");
}

TEST_F(SmallOrdering, CancelRefillsOriginalOrder)
{
    RecordingProgress p;
    p.cancelAfterPumps(0);
    EXPECT_FALSE(o.score(kUniqueValues, false, &p));
    EXPECT_EQ(o.criterion(), kOriginalOrder);
    EXPECT_EQ(names(o), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    EXPECT_FALSE(p.m_bOpenNow);
    EXPECT_EQ(o.cellText(0, kListScore), "N/A");
}

TEST(HistogramOrdering, SampleAgainstScipy)
{
    // The head of each list on the bundled sample (original values) as
    // scipy/numpy compute it: skew + kurtosis (population), entropy of the
    // 200-bucket histogram, 1.5 IQR outliers, distinct values, the widest run
    // of empty buckets times the width.
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt"));
    TransformChoice none;
    none.direction = -1;
    ASSERT_TRUE(applyTransformations(m, none));
    HistogramOrdering o;
    o.build(&m, true);
    ASSERT_EQ(o.variableCount(), 128);
    const struct {
        int criterion;
        const char* names[3];
        double scores[3];
    } heads[] = {
        {kNormality, {"24022", "26003", "28042"}, {0.23293819860990517, 0.26443159115107207, 0.2646387127744313}},
        {kUniformity, {"18001", "57001", "26005"}, {7.238799180010729, 7.223095325196894, 7.2116113309857806}},
        {kOutliers, {"26009", "25006", "01010"}, {34, 32, 29}},
        {kUniqueValues, {"25003", "31007", "02020"}, {2000, 2000, 2000}},
        {kBiggestGap, {"16002", "02020", "19008"}, {1.909764504432678, 1.698217499256134, 1.5042495918273926}},
    };
    for (const auto& h : heads) {
        ASSERT_TRUE(o.score(h.criterion, true));
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(o.cellText(r, kListName), h.names[r]) << h.criterion;
            EXPECT_NEAR(o.record(o.columnAt(r)).m_dScore, h.scores[r], 1e-6) << h.criterion;
        }
    }
}

TEST(HistogramOrdering, UniqueValuesOfALongColumn)
{
    // Long enough for the counting sort: -0 equals 0, negative values and
    // repeats are counted once each.
    std::vector<float> v;
    for (int i = 0; i < 2000; ++i)
        v.push_back(static_cast<float>(i % 37) - 18.5f);
    v.push_back(0.0f);
    v.push_back(-0.0f);
    v.push_back(1e30f);
    v.push_back(-1e30f);
    HistogramRecord rec;
    StatRecord stats;
    EXPECT_EQ(histogramScore(kUniqueValues, v, stats, rec).score, 37 + 3);
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
}
