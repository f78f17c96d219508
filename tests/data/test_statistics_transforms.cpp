#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {
std::unique_ptr<DataMatrix> load(const TempDir& dir, const std::string& content)
{
    auto m = std::make_unique<DataMatrix>();
    EXPECT_TRUE(m->loadDataFile(dir.write("m.txt", content)));
    m->computeStatistics(false, true);
    return m;
}

StatRecord statsOf(std::vector<float> v)
{
    std::vector<float> w(v.size(), 1.0f);
    StatRecord s;
    s.median = DataMatrix::quartiles(v.data(), w.data(), static_cast<int>(v.size()), s.q1, s.q3, s.lowerWhisker,
                                     s.upperWhisker);
    DataMatrix::meanStdev(v.data(), w.data(), static_cast<int>(v.size()), s.mean, s.stdev);
    return s;
}
} // namespace

TEST(Quartiles, FixedExamples)
{
    StatRecord s = statsOf({5, 3, 1, 4, 2});
    EXPECT_EQ(s.median, 3.0f);
    EXPECT_EQ(s.q1, 2.0f);
    EXPECT_EQ(s.q3, 4.0f);
    EXPECT_EQ(s.lowerWhisker, 1.0f);
    EXPECT_EQ(s.upperWhisker, 5.0f);
    EXPECT_DOUBLE_EQ(s.mean, 3.0);
    EXPECT_DOUBLE_EQ(s.stdev, std::sqrt(2.0));

    s = statsOf({4, 1, 3, 2});
    EXPECT_EQ(s.median, 2.5f);
    EXPECT_EQ(s.q1, 1.5f);
    EXPECT_EQ(s.q3, 3.5f);

    s = statsOf({7});
    EXPECT_EQ(s.median, 7.0f);
    EXPECT_EQ(s.q1, 7.0f);
    EXPECT_EQ(s.q3, 7.0f);

    // An outlier lies beyond the whisker.
    s = statsOf({1, 2, 3, 4, 5, 6, 7, 100});
    EXPECT_EQ(s.upperWhisker, 7.0f);

    std::vector<float> v{1, 2, 3}, w{1, -1, 1};
    double mean, sd;
    EXPECT_TRUE(DataMatrix::meanStdev(v.data(), w.data(), 3, mean, sd, true));
    EXPECT_DOUBLE_EQ(mean, 2.0);
    EXPECT_DOUBLE_EQ(sd, std::sqrt(2.0));
    w = {-1, -1, -1};
    EXPECT_FALSE(DataMatrix::meanStdev(v.data(), w.data(), 3, mean, sd));
}

TEST(Quartiles, SelectionAgreesWithSorting)
{
    std::mt19937 rng(7);
    for (int n = 1; n < 60; ++n) {
        std::vector<float> v(static_cast<size_t>(n));
        std::uniform_int_distribution<int> d(-20, 20);  // ties on purpose
        for (float& x : v)
            x = static_cast<float>(d(rng));
        std::vector<float> s = v;
        std::sort(s.begin(), s.end());
        size_t m = s.size();
        float q1 = m % 4 == 0 ? (s[m / 4 - 1] + s[m / 4]) / 2 : s[m / 4];
        float q3 = m % 4 == 0 ? (s[3 * m / 4 - 1] + s[3 * m / 4]) / 2 : s[3 * m / 4];
        float med = m % 2 ? s[m / 2] : (s[m / 2 - 1] + s[m / 2]) / 2;
        StatRecord r = statsOf(v);
        EXPECT_EQ(r.q1, q1) << n;
        EXPECT_EQ(r.q3, q3) << n;
        EXPECT_EQ(r.median, med) << n;
        float lo = q1 - 1.5f * (q3 - q1), hi = q3 + 1.5f * (q3 - q1);
        EXPECT_EQ(r.lowerWhisker, *std::find_if(s.begin(), s.end(), [&](float x) { return x >= lo; })) << n;
        EXPECT_EQ(r.upperWhisker, *std::find_if(s.rbegin(), s.rend(), [&](float x) { return x <= hi; })) << n;
    }
}

TEST(ComputeStatistics, RowsColumnsAndGlobalRange)
{
    TempDir dir;
    auto m = load(dir, "ID\tA\tB\tC\nr1\t1\t2\t3\nr2\t\t\t\nr3\t-4\t10\t\n");
    const StatRecord& r1 = m->m_pStatOrgPool[0];
    EXPECT_EQ(r1.min, 1.0f);
    EXPECT_EQ(r1.max, 3.0f);
    EXPECT_EQ(r1.median, 2.0f);
    EXPECT_EQ(m->m_pStatOrgPool[1].min, 0.0f);
    EXPECT_EQ(m->m_pStatOrgPool[1].max, 0.0f);
    EXPECT_EQ(m->m_fOrgMin, -4.0f);
    EXPECT_EQ(m->m_fOrgMax, 10.0f);
    EXPECT_EQ(m->columnField(0)->m_statOrg.median, -1.5f);
    EXPECT_EQ(m->columnField(2)->m_statOrg.max, 3.0f);
    EXPECT_EQ(m->columnField(2)->m_bHasData, 1);
    auto e = load(dir, "ID\tA\tB\nr1\t1\t\nr2\t2\t\n");
    EXPECT_EQ(e->columnField(1)->m_bHasData, 0);
}

TEST(TakeLog, ValuesAndOneMessagePerCall)
{
    TempDir dir;
    auto m = load(dir, "ID\tA\tB\tC\tD\nr1\t1\t0\t-2\t\nr2\t100\t8\t" + std::to_string(std::exp(1.0)) + "\t4\n");
    ScopedRecordingMessages msgs;
    EXPECT_EQ(m->takeLog(1), 3);
    ASSERT_EQ(msgs->m_texts.size(), 1u);
    EXPECT_EQ(msgs->m_texts[0].rfind("Taking log of a number less than or equal to zero... -> Set the result to 0", 0),
              0u);
    EXPECT_EQ(m->value(0, 0), 0.0f);
    EXPECT_EQ(m->value(0, 1), 0.0f);
    EXPECT_EQ(m->value(0, 3), 0.0f);
    EXPECT_EQ(m->weight(0, 3), -1.0f);  // the missing cell stays missing
    EXPECT_NEAR(m->value(1, 2), 1.0f, 1e-6);
    EXPECT_NEAR(m->columnField(0)->m_pValues[1], std::log(100.0f), 1e-6);
    EXPECT_EQ(m->orgValue(1, 0), 100.0f);
    m->takeLog(10);
    EXPECT_NEAR(m->value(1, 0), 2.0f, 1e-6);
    m->takeLog(2);
    EXPECT_NEAR(m->value(1, 1), 3.0f, 1e-6);
    msgs->m_texts.clear();
    auto p = load(dir, "ID\tA\nr1\t1\n");
    EXPECT_EQ(p->takeLog(1), 0);
    EXPECT_TRUE(msgs->m_texts.empty());
}

TEST(Normalize, StandardizeRescaleControlMedian)
{
    TempDir dir;
    auto m = load(dir, "ID\tA\tB\tC\tD\nr1\t1\t2\t3\t\nr2\t5\t5\t5\t5\nr3\t2\t4\t6\t8\n");
    ASSERT_TRUE(m->normalize(false, 0, 0, 0, 1));
    EXPECT_FLOAT_EQ(m->value(0, 0), static_cast<float>(-1.0 / std::sqrt(2.0 / 3.0)));
    EXPECT_EQ(m->value(1, 2), 0.0f);  // a constant row becomes 0
    EXPECT_EQ(m->value(0, 3), 0.0f);  // missing stays 0
    ASSERT_TRUE(m->normalize(false, 1, 3, 0, 1));
    EXPECT_EQ(m->value(0, 0), 0.0f);  // each column's minimum -> 0, maximum -> 1
    EXPECT_EQ(m->value(1, 0), 1.0f);
    EXPECT_FLOAT_EQ(m->value(2, 0), 0.25f);
    ASSERT_TRUE(m->normalize(false, 0, 3, -1, 1));
    EXPECT_EQ(m->value(1, 1), 0.0f);  // constant row -> (lo + hi) / 2
    EXPECT_EQ(m->value(2, 3), 1.0f);
    ASSERT_TRUE(m->normalize(false, 0, 1, 0, 1));
    EXPECT_EQ(m->value(2, 3), 4.0f);  // x / control (first column)
    ASSERT_TRUE(m->normalize(false, 1, 2, 0, 1));
    EXPECT_EQ(m->value(2, 1), 1.0f);  // x / column median
    EXPECT_TRUE(m->normalize(false, 0, 7, 0, 1));  // unknown method: nothing, success
    EXPECT_EQ(m->orgValue(2, 1), 4.0f);
}

TEST(Normalize, FailureMessages)
{
    TempDir dir;
    auto m = load(dir, "ID\tA\tB\tC\tD\nr1\t1\t2\t3\t0\nr2\t0\t0\t5\t0\nr3\t2\t0\t6\t3\n");
    ScopedRecordingMessages msgs;
    EXPECT_FALSE(m->normalize(false, 1, 1, 0, 1));
    EXPECT_EQ(msgs->m_texts.back(), "Control value at 3-th column is zero.\nTry another Normalization or delete the column.");
    // Columns before the offending one are done, later ones untouched.
    EXPECT_FLOAT_EQ(m->value(2, 0), 2.0f);
    EXPECT_FALSE(m->normalize(false, 0, 1, 0, 1));
    EXPECT_EQ(msgs->m_texts.back(), "Control value at 1-th row is zero.\nTry another Normalization or delete the row.");
    EXPECT_FALSE(m->normalize(false, 1, 2, 0, 1));
    EXPECT_EQ(msgs->m_texts.back(), "Median of 1th column is zero");
    EXPECT_FALSE(m->normalize(false, 0, 2, 0, 1));
    EXPECT_EQ(msgs->m_texts.back(), "Median of 1th row is zero");
}

TEST(Normalize, LogAndNormalizationGiveTheNormalizationAlone)
{
    TempDir dir;
    auto a = load(dir, "ID\tA\tB\tC\nr1\t1\t2\t4\nr2\t3\t9\t27\n");
    auto b = load(dir, "ID\tA\tB\tC\nr1\t1\t2\t4\nr2\t3\t9\t27\n");
    a->takeLog(1);
    ASSERT_TRUE(a->normalize(false, 0, 0, 0, 1));
    ASSERT_TRUE(b->normalize(false, 0, 0, 0, 1));
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(a->value(r, k), b->value(r, k));
    EXPECT_EQ(DataMatrix::normalizationName(3, 0, 1), "Rescaling from 0.00 to 1.00");
    EXPECT_EQ(DataMatrix::normalizationName(1, 0, 1), "Contol");
}

TEST(Quartiles, LongRunsWithTiesAndOutliers)
{
    // Long runs take the bucketed selection; it must agree with sorting,
    // whatever the spread of the values.
    std::mt19937 rng(11);
    for (int n : {61, 100, 257, 1000, 4096, 20001}) {
        for (int shape = 0; shape < 4; ++shape) {
            std::vector<float> v(static_cast<size_t>(n));
            for (float& x : v) {
                switch (shape) {
                case 0: x = std::normal_distribution<float>(7.0f, 2.0f)(rng); break;
                case 1: x = static_cast<float>(rng() % 5); break;                      // heavy ties
                case 2: x = std::exponential_distribution<float>(0.01f)(rng); break;  // skewed
                default: x = rng() % 100 == 0 ? 1e30f : 1.0f + static_cast<float>(rng() % 1000) * 1e-7f; break;
                }
            }
            std::vector<float> s = v;
            std::sort(s.begin(), s.end());
            size_t m = s.size();
            StatRecord r = statsOf(v);
            EXPECT_EQ(r.median, m % 2 ? s[m / 2] : (s[m / 2 - 1] + s[m / 2]) / 2) << n << " " << shape;
            EXPECT_EQ(r.q1, m % 4 == 0 ? (s[m / 4 - 1] + s[m / 4]) / 2 : s[m / 4]) << n << " " << shape;
            EXPECT_EQ(r.q3, m % 4 == 0 ? (s[3 * m / 4 - 1] + s[3 * m / 4]) / 2 : s[3 * m / 4]) << n << " " << shape;
        }
    }
}
