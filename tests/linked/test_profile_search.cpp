// The profile search on data values, the plot's pixel mapping, and the
// command-line search. Reference similarities were computed independently
// with scipy.stats.pearsonr and numpy on the bundled sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/DataMatrix.h"
#include "linked/ProfileSearch.h"
#include "linked/TrendMapping.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// Model m, a parallel profile above it (a), one crossing it (c), one below
// (b) and one far above with a missing last cell (x).
const char* const kSmall = "ID\tNAME\tV1\tV2\tV3\tV4\n"
                           "m\tmodel\t1\t2\t3\t2\n"
                           "a\tabove\t2\t3\t4\t3\n"
                           "c\tcross\t2\t1\t4\t1\n"
                           "b\tbelow\t0.5\t1.5\t2.5\t1.5\n"
                           "x\tExtra HLA\t5\t5\t5\t\n";

std::vector<std::string> ids(const DataMatrix& m, const std::vector<int>& rows)
{
    std::vector<std::string> out;
    for (int r : rows)
        out.push_back(m.itemId(r));
    return out;
}

class SampleSearch : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_data = new DataMatrix;
        ASSERT_TRUE(s_data->loadDataFile(kSample));
    }
    static void TearDownTestSuite()
    {
        delete s_data;
        s_data = nullptr;
    }
    void SetUp() override { m_search.setData(s_data); }
    // The matches by brute force from the stored scores.
    std::vector<int> expected(double lo, double hi) const
    {
        std::vector<int> out;
        for (int r = 0; r < s_data->rowCount(); ++r)
            if (m_search.score(r) >= lo && m_search.score(r) <= hi)
                out.push_back(r);
        return out;
    }
    static DataMatrix* s_data;
    CProfileSearch m_search;
};
DataMatrix* SampleSearch::s_data = nullptr;

} // namespace

TEST_F(SampleSearch, PearsonAndEuclideanScoresMatchReference)
{
    m_search.setModelFromItem(0);
    m_search.searchModel(0.8, 1.0);
    const double pearson[] = {0.5959661122903447, 0.5960565690569599, 0.5270002956228037, 0.48943643377762747};
    for (int r = 1; r <= 4; ++r)
        EXPECT_NEAR(m_search.score(r), pearson[r - 1], 2e-6) << r;
    EXPECT_EQ(m_search.matchedCount(), 8);
    m_search.searchModel(0.85, 1.0);
    EXPECT_EQ(ids(*s_data, m_search.matchedRows()), (std::vector<std::string>{"1005_at", "2094_s_at", "37028_at"}));

    m_search.setMeasure(kTrendEuclidean);
    m_search.searchModel(0.9, 1.0);
    const double euclid[] = {0.8036905797535033, 0.6970029109138827, 0.7085853827081652, 0.7820628532176509};
    for (int r = 1; r <= 4; ++r)
        EXPECT_NEAR(m_search.score(r), euclid[r - 1], 2e-6) << r;
    EXPECT_EQ(m_search.matchedCount(), 10);
}

TEST_F(SampleSearch, WideningNeverRemovesNarrowingNeverAdds)
{
    m_search.setModelFromItem(5);
    m_search.searchModel(0.6, 0.7);
    EXPECT_EQ(m_search.lastTested(), 2000);  // from scratch
    std::vector<int> before = m_search.matchedRows();
    ASSERT_EQ(before, expected(0.6, 0.7));

    const int unmatched = 2000 - m_search.matchedCount();
    m_search.searchModel(0.55, 0.8);  // widen
    EXPECT_EQ(m_search.lastTested(), unmatched);
    std::vector<int> wide = m_search.matchedRows();
    EXPECT_EQ(wide, expected(0.55, 0.8));
    EXPECT_TRUE(std::includes(wide.begin(), wide.end(), before.begin(), before.end()));

    const int matched = m_search.matchedCount();
    m_search.searchModel(0.65, 0.75);  // narrow
    EXPECT_EQ(m_search.lastTested(), matched);
    std::vector<int> narrow = m_search.matchedRows();
    EXPECT_EQ(narrow, expected(0.65, 0.75));
    EXPECT_TRUE(std::includes(wide.begin(), wide.end(), narrow.begin(), narrow.end()));

    m_search.searchModel(0.7, 0.9);  // shifted both ways: every candidate again
    EXPECT_EQ(m_search.matchedRows(), expected(0.7, 0.9));
    // The split keeps the matched part first.
    for (int i = 0; i < m_search.matchedCount(); ++i)
        EXPECT_TRUE(m_search.isMatched(m_search.candidates()[static_cast<size_t>(i)]));
}

TEST_F(SampleSearch, NameSearchPinAndConsiderAll)
{
    EXPECT_EQ(m_search.searchName("HLA"), 22);
    EXPECT_EQ(m_search.searchName("hla"), 22);
    EXPECT_EQ(m_search.searchName(""), 0);  // empty clears
    EXPECT_TRUE(m_search.matchedRows().empty());
    EXPECT_FALSE(m_search.pin());           // nothing to pin
    EXPECT_EQ(m_search.candidates().size(), 2000u);

    EXPECT_EQ(m_search.searchName("hla"), 22);
    ASSERT_TRUE(m_search.pin());
    EXPECT_EQ(m_search.candidates().size(), 22u);
    EXPECT_EQ(m_search.searchName("_at"), 22);  // refines the pinned 22 only
    EXPECT_EQ(m_search.searchName("32035"), 1);
    m_search.considerAll();
    EXPECT_EQ(m_search.candidates().size(), 2000u);
    EXPECT_EQ(m_search.matchedCount(), 1);  // the matches stay until the next search
    EXPECT_EQ(m_search.searchName("_at"), 1999);
}

TEST(ProfileSearch, AbsoluteBandRejectsCrossingItems)
{
    TempDir dir;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(dir.write("small.txt", kSmall)));
    CProfileSearch s;
    s.setData(&m);
    s.setMeasure(kTrendAbsolute);
    s.setModelFromItem(0);
    s.searchModel(0.4, 1.0);  // on one side, 0.4 to 1 away
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"a", "b"}));
    s.searchModel(0.0, 1.0);  // within 1 on either side
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"m", "a", "c", "b"}));
    s.searchModel(0.0, 0.5);
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"m", "b"}));
    // Only part of the model defined: the crossing at V2 and V4 no longer counts.
    s.setModel({1.0f, NAN, 3.0f, NAN});
    s.searchModel(0.4, 1.0);
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"a", "c", "b"}));
}

TEST(ProfileSearch, CeilingsFloorsAndMissingCells)
{
    TempDir dir;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(dir.write("small.txt", kSmall)));
    CProfileSearch s;
    s.setData(&m);
    EXPECT_FLOAT_EQ(s.dataMin(), 0.5f);
    EXPECT_FLOAT_EQ(s.dataMax(), 5.0f);
    s.searchCeilFloor();
    EXPECT_EQ(s.matchedCount(), 0);  // no constraint, no match
    s.setCeiling(1, 2.5f);
    s.setFloor(0, 1.0f);
    s.searchCeilFloor();
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"m", "c"}));
    // x's missing V4 lies on the bottom line: under a ceiling, above no floor.
    s.clearConstraints();
    s.setCeiling(3, 0.5f);
    s.searchCeilFloor();
    EXPECT_EQ(ids(m, s.matchedRows()), (std::vector<std::string>{"x"}));
    s.removeCeiling(3);
    EXPECT_FALSE(s.hasConstraints());
    // Names and identifiers both count.
    EXPECT_EQ(s.searchName("HLA"), 1);
    EXPECT_EQ(s.searchName("ELO"), 1);  // "below"
    // Envelopes: all candidates, then the matched ones.
    std::vector<float> lo, hi;
    ASSERT_TRUE(s.envelope(false, lo, hi));
    EXPECT_EQ(lo, (std::vector<float>{0.5f, 1.0f, 2.5f, 0.5f}));
    EXPECT_EQ(hi, (std::vector<float>{5.0f, 5.0f, 5.0f, 3.0f}));
    ASSERT_TRUE(s.envelope(true, lo, hi));
    EXPECT_EQ(lo, (std::vector<float>{0.5f, 1.5f, 2.5f, 1.5f}));
}

TEST(TrendMapping, PixelsAndValuesShareOneMapping)
{
    const TrendMapping map(480, 260, 5, 2.0f, 12.0f);
    EXPECT_DOUBLE_EQ(map.xStep(), 100.0);
    EXPECT_DOUBLE_EQ(map.xOf(0), 40.0);
    EXPECT_DOUBLE_EQ(map.xOf(4), 440.0);
    EXPECT_DOUBLE_EQ(map.yOf(12.0f), 30.0);   // maximum at the top
    EXPECT_DOUBLE_EQ(map.yOf(2.0f), 230.0);   // minimum at the bottom
    EXPECT_DOUBLE_EQ(map.yOf(9.0f, true), 230.0);  // missing: bottom line
    EXPECT_FLOAT_EQ(map.valueAt(130.0), 7.0f);
    EXPECT_FLOAT_EQ(map.valueAt(-50.0), 12.0f);  // clamped to the plot
    EXPECT_DOUBLE_EQ(map.valueDistance(20.0), 1.0);
    EXPECT_EQ(map.variablesNear(144.0), (std::vector<int>{1}));
    EXPECT_TRUE(map.variablesNear(150.0).empty());
    EXPECT_EQ(map.nearestVariable(380.0), 3);
    // Narrow plots put several variables within reach.
    const TrendMapping tight(100, 100, 11, 0.0f, 1.0f);
    EXPECT_EQ(tight.variablesNear(42.0), (std::vector<int>{0, 1, 2, 3}));
}
