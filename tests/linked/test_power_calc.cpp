// The power calculation: the normal functions and every target of both
// models against values computed independently with scipy.stats.norm and
// numpy (std with ddof=1), the edge cases, the present-call filter and the
// three export files.
#include <gtest/gtest.h>

#include <cmath>

#include "data/DataMatrix.h"
#include "linked/NormalDistribution.h"
#include "linked/PowerCalc.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

// p1: two groups apart; p2: equal groups; p3: a missing cell in A;
// p4: one present value in A. The effect is base x (fold - 1) whatever the
// difference of the means, so p2 has a result like the others.
const char* const kPower = "ID\tNAME\tA1\tA2\tA3\tA4\tB1\tB2\tB3\tB4\n"
                           "CID\t\t1\t1\t1\t1\t2\t2\t2\t2\n"
                           "p1\tg1\t5\t6\t7\t8\t9\t10\t12\t11.5\n"
                           "p2\tg2\t4\t5\t6.5\t7\t4\t5\t6.5\t7\n"
                           "p3\tg3\t3\t\t5\t4\t8\t6\t7\t9\n"
                           "p4\tg4\t3\t\t\t\t8\t6\t7\t9\n";

const std::vector<int> kA = {0, 1, 2, 3};
const std::vector<int> kB = {4, 5, 6, 7};

class PowerData : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_data.loadDataFile(m_dir.write("pw.txt", kPower))); }
    PowerRun run(int model, int target, const PowerInputs& base = {})
    {
        PowerInputs in = base;
        in.model = model;
        in.target = target;
        PowerRun r;
        EXPECT_TRUE(calculatePower(m_data, kA, kB, in, nullptr, r));
        return r;
    }
    TempDir m_dir;
    DataMatrix m_data;
};

} // namespace

TEST(NormalDistribution, QuantilesAgainstReference)
{
    EXPECT_EQ(normalQuantile(0.5), 0.0);
    const struct { double p, z; } cases[] = {
        {0.975, 1.959963984540054},  {0.995, 2.5758293035489004}, {1e-5, -4.264890793922825},
        {0.01, -2.3263478740408408}, {0.02, -2.053748910631823},  {0.99, 2.3263478740408408},
        {0.999999, 4.753424308817087}, {0.03, -1.880793608151251}, {0.9, 1.2815515655446004}};
    for (const auto& c : cases)
        EXPECT_NEAR(normalQuantile(c.p), c.z, 1.2e-9 * std::fabs(c.z)) << c.p;
    EXPECT_TRUE(std::isinf(normalQuantile(0.0)) && normalQuantile(0.0) < 0);
    EXPECT_TRUE(std::isnan(normalQuantile(1.5)));
}

TEST(NormalDistribution, DistributionFunctionAgainstReference)
{
    const struct { double x, phi; } cases[] = {
        {0, 0.5}, {0.5, 0.6914624612740131}, {-0.5, 0.3085375387259869}, {2, 0.9772498680518208},
        {-2, 0.022750131948179195}, {5, 0.9999997133484281}, {-5, 2.866515718791933e-07},
        {0.3, 0.6179114221889526}, {1.0, 0.8413447460685429}, {-3.5, 0.00023262907903552502},
        {7, 0.9999999999987201}, {-9, 1.1285884059538324e-19}};
    for (const auto& c : cases)
        EXPECT_NEAR(normalCdf(c.x), c.phi, 1e-14 * std::max(1.0, 0.0) + 1e-13 * c.phi) << c.x;
    EXPECT_DOUBLE_EQ(erfCody(0.0), 0.0);
    EXPECT_NEAR(erfCody(1.0), std::erf(1.0), 1e-15);
    EXPECT_NEAR(erfcCody(3.0), std::erfc(3.0), 1e-18);
    EXPECT_NEAR(erfcCody(-0.3), std::erfc(-0.3), 1e-15);
    EXPECT_EQ(normalCdf(-INFINITY), 0.0);
}

TEST(PowerGroups, StatisticsOverPresentCells)
{
    const float v[] = {3, 0, 5, 4};
    const float w[] = {1, -1, 1, 1};
    const GroupStats g = groupStats(v, w, {0, 1, 2, 3});
    EXPECT_EQ(g.m, 3);
    EXPECT_DOUBLE_EQ(g.mean, 4.0);
    EXPECT_DOUBLE_EQ(g.sd, 1.0);
    const GroupStats none = groupStats(v, w, {1});
    EXPECT_EQ(none.m, 0);
    EXPECT_EQ(none.mean, 0.0);
    EXPECT_EQ(groupStats(v, w, {2}).sd, 0.0);

    EXPECT_EQ(powerGroupCheck(kPowerOneSample, 1, 0), "There should be two items in the first group.");
    EXPECT_EQ(powerGroupCheck(kPowerOneSample, 2, 0), "");
    EXPECT_EQ(powerGroupCheck(kPowerTwoSample, 3, 1),
              "There should be two groups each of which has more than two items.");
    EXPECT_EQ(powerGroupCheck(kPowerTwoSample, 2, 2), "");
}

TEST_F(PowerData, TwoSampleTargetsAgainstReference)
{
    // p1 and p3 (a missing cell left out).
    const PowerRun size = run(kPowerTwoSample, kTargetSize);
    EXPECT_NEAR(size.f[0], 2.6472552950171484, 1e-7);
    EXPECT_NEAR(size.second[0], 3.25, 1e-12);
    EXPECT_NEAR(size.f[2], 5.494215814044361, 1e-7);
    EXPECT_NEAR(size.f[1], 3.7622942858312007, 1e-7);
    EXPECT_TRUE(std::isnan(size.f[3]));  // one present value: no result
    EXPECT_EQ(size.computed, 3);
    EXPECT_NEAR(size.minF, 2.6472552950171484, 1e-7);
    EXPECT_NEAR(size.maxF, 5.494215814044361, 1e-7);

    const PowerRun power = run(kPowerTwoSample, kTargetPower);
    EXPECT_NEAR(power.f[0], 0.9981944874638432, 1e-9);
    EXPECT_NEAR(power.second[0], 4.239514919185157e-12, 1e-18);
    EXPECT_NEAR(power.f[2], 0.922291173786623, 1e-9);
    EXPECT_NEAR(power.second[2], 4.6324583773463354e-08, 1e-15);
    EXPECT_TRUE(std::isnan(power.f[3]));

    // No effect (fold 1): no sample size, and a power of alpha / 2.
    PowerInputs none;
    none.fold = 1.0;
    const PowerRun noSize = run(kPowerTwoSample, kTargetSize, none);
    EXPECT_TRUE(std::isnan(noSize.f[0]) && std::isnan(noSize.f[2]));
    EXPECT_EQ(noSize.computed, 0);
    EXPECT_NEAR(run(kPowerTwoSample, kTargetPower, none).f[0], 0.025, 1e-9);

    const PowerRun sig = run(kPowerTwoSample, kTargetSignificance);
    EXPECT_NEAR(sig.f[0], 2.8052015423329912e-05, 1e-12);
    EXPECT_NEAR(sig.second[0], 0.9999999944128446, 1e-12);
    EXPECT_NEAR(sig.f[2], 0.005558558125269841, 1e-10);
    EXPECT_NEAR(sig.second[2], 0.9999879055888413, 1e-12);

    const PowerRun effect = run(kPowerTwoSample, kTargetEffect);
    EXPECT_NEAR(effect.f[0], 1.2876225442646767, 1e-9);
    EXPECT_NEAR(effect.second[0], 1.8695465377203981, 1e-8);
    EXPECT_NEAR(effect.f[2], 1.4143600417377216, 1e-9);
    EXPECT_NEAR(effect.second[2], 1.657440166950886, 1e-8);
}

TEST_F(PowerData, UsesTheValuesAsLoadedWhateverTheTransformation)
{
    // The reference sample sizes above are on the values as loaded; a row
    // standardisation (or a logarithm) of the current values leaves them.
    m_data.computeStatistics(false, true);
    ASSERT_TRUE(m_data.normalize(false, 0, 0, 0.0f, 1.0f));
    m_data.computeStatistics(false, false);
    ASSERT_NE(m_data.value(0, 0), 5.0f);
    const PowerRun size = run(kPowerTwoSample, kTargetSize);
    EXPECT_NEAR(size.f[0], 2.6472552950171484, 1e-7);
    EXPECT_NEAR(size.f[2], 5.494215814044361, 1e-7);
    m_data.takeLog(1);
    EXPECT_NEAR(run(kPowerTwoSample, kTargetSize).f[0], 2.6472552950171484, 1e-7);
}

TEST_F(PowerData, OneSampleTargetsAgainstReference)
{
    EXPECT_NEAR(run(kPowerOneSample, kTargetSize).f[0], 1.2384820093647475, 1e-7);
    EXPECT_NEAR(run(kPowerOneSample, kTargetSize).f[2], 1.962219933587272, 1e-7);
    EXPECT_NEAR(run(kPowerOneSample, kTargetSize).f[1], 1.8811471429156004, 1e-7);
    const PowerRun power = run(kPowerOneSample, kTargetPower);
    EXPECT_NEAR(power.f[0], 0.9999998768078773, 1e-12);
    EXPECT_NEAR(power.f[2], 0.9998908716858828, 1e-11);
    EXPECT_NEAR(power.second[2], 1.3000253033796559e-14, 1e-20);
    const PowerRun sig = run(kPowerOneSample, kTargetSignificance);
    EXPECT_NEAR(sig.f[0], 1.706287333647083e-10, 1e-16);
    EXPECT_NEAR(sig.f[2], 7.351411065448232e-07, 1e-13);
    const PowerRun effect = run(kPowerOneSample, kTargetEffect);
    EXPECT_NEAR(effect.f[0], 1.1967296693248082, 1e-9);
    EXPECT_NEAR(effect.second[2], 0.9905099528998365, 1e-8);
    EXPECT_TRUE(std::isnan(effect.f[3]));

    // "H0's mean:" 4: the effect is the distance of the group mean from it.
    PowerInputs h0;
    h0.hasH0 = true;
    h0.h0 = 4.0;
    EXPECT_NEAR(run(kPowerOneSample, kTargetSize, h0).f[0], 2.0930345958264236, 1e-7);
    EXPECT_NEAR(run(kPowerOneSample, kTargetPower, h0).f[0], 0.999781988077784, 1e-9);
    EXPECT_NEAR(run(kPowerOneSample, kTargetEffect, h0).f[0], 1.3196857126528132, 1e-9);
    EXPECT_TRUE(std::isnan(run(kPowerOneSample, kTargetSize, h0).f[2]));  // p3's mean is 4
    EXPECT_NEAR(run(kPowerOneSample, kTargetPower, h0).f[2], 0.025, 1e-9);
}

TEST(PowerEdges, LambdaAtTheCriticalValueGivesOneHalf)
{
    // s^2 = 4, n = 8: lambda = delta, so a delta of z(0.975) gives 0.5.
    const double z = normalQuantile(0.975);
    GroupStats g1{4, 10.0, 2.0}, g2{4, 10.0 + z, 2.0};
    PowerInputs in;
    in.target = kTargetPower;
    in.fold = 1.0 + z / 10.0;
    EXPECT_NEAR(powerOfItem(g1, g2, in).f, 0.5, 1e-12);
    // The effect size target inverts the sample size equation.
    in.target = kTargetEffect;
    in.n = 12.0;
    const double fold = powerOfItem(g1, g2, in).f;
    in.target = kTargetSize;
    in.fold = fold;
    EXPECT_NEAR(powerOfItem(g1, g2, in).f, 12.0, 1e-9);
}

TEST_F(PowerData, GroupCheckRefusesWithItsMessage)
{
    ScopedRecordingMessages rec;
    PowerRun r;
    PowerInputs in;
    EXPECT_FALSE(calculatePower(m_data, kA, {4}, in, nullptr, r));
    EXPECT_TRUE(r.empty());
    in.model = kPowerOneSample;
    EXPECT_FALSE(calculatePower(m_data, {0}, {}, in, nullptr, r));
    EXPECT_EQ(rec->m_texts, (std::vector<std::string>{
                                "There should be two groups each of which has more than two items.",
                                "There should be two items in the first group."}));
}

TEST_F(PowerData, SelectedRowsFilterAndFilterRange)
{
    PowerInputs in;
    PowerRun r;
    const std::vector<int> rows = {2, 3};
    ASSERT_TRUE(calculatePower(m_data, kA, kB, in, &rows, r));
    EXPECT_FALSE(r.allItems);
    EXPECT_TRUE(std::isnan(r.f[0]));  // not chosen
    EXPECT_EQ(r.computed, 1);
    double lo, hi;
    r.filterRange(lo, hi);
    EXPECT_DOUBLE_EQ(lo, hi);

    const PowerRun all = run(kPowerTwoSample, kTargetSize);
    EXPECT_EQ(all.filter(2.0, 6.0), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(all.filter(3.0, 5.0), (std::vector<int>{1}));
    EXPECT_EQ(all.filter(-INFINITY, INFINITY).size(), 3u);  // NaN never listed
    // A sample size filter ends at 50 at most.
    PowerInputs tiny;
    tiny.fold = 1.01;
    PowerInputs tinyTwo = tiny;
    const PowerRun big = run(kPowerTwoSample, kTargetSize, tinyTwo);
    big.filterRange(lo, hi);
    EXPECT_GT(big.minF, 50.0);
    EXPECT_EQ(lo, 50.0);
    EXPECT_EQ(hi, 50.0);
    EXPECT_TRUE(big.filter(lo, hi).empty());
}

TEST_F(PowerData, ExportFilesByteForByte)
{
    const PowerRun r = run(kPowerTwoSample, kTargetSize);
    const std::vector<int> listed = {0, 2};  // p1 and p3 listed
    EXPECT_EQ(powerExportName(kExportSelected, "pw", r), "pw-PowerFilter-All-4s-4s.txt");
    EXPECT_EQ(powerExportName(kExportSummary, "pw", r), "pw-PowerFilter-All-4s-4s-summary.txt");
    PowerRun sel = r;
    sel.allItems = false;
    EXPECT_EQ(powerExportName(kExportSelected, "pw", sel), "pw-PowerFilter-Selected-4s-4s.txt");
    EXPECT_EQ(powerExportName(kExportSummary, "pw", sel), "pw-PowerFilter-Selected-4s-summary.txt");
    sel.inputs.model = kPowerOneSample;
    EXPECT_EQ(powerExportName(kExportSelected, "pw", sel), "pw-PowerFilter-Selected-4s.txt");

    ASSERT_TRUE(writePowerSelected(m_dir.path("s.txt"), m_data, r, listed));
    EXPECT_EQ(TempDir::read(m_dir.path("s.txt")), "Probe Set Name\tSample size per group\tNote\n"
                                                  "p1\t2.65\tdifference 3.25\n"
                                                  "p3\t5.49\tdifference 2\n");
    ASSERT_TRUE(writePowerSummary(m_dir.path("m.txt"), m_data, r, listed, {"Group1", "Group2"}));
    EXPECT_EQ(TempDir::read(m_dir.path("m.txt")), "Group1:A1,A2,A3,A4,\n"
                                                  "Group2:B1,B2,B3,B4,\n"
                                                  "Two-sample t-Test\n"
                                                  "sample size\tnumber of powered probe sets\n"
                                                  "3\t1\n"
                                                  "6\t1\n"
                                                  "Total\t2\n");
    ASSERT_TRUE(writePowerInteractive(m_dir.path("i.txt"), m_data, r, listed));
    EXPECT_EQ(TempDir::read(m_dir.path("i.txt")),
              "Interactive Power Analysis Result generated by the Arbolix (4, 4, 2)\n"
              "probe set\t# of chips required per group\n"
              "p1\t3\n"
              "p3\t6\n");
    ScopedRecordingMessages rec;
    EXPECT_FALSE(writePowerInteractive(m_dir.path("no/such/dir/i.txt"), m_data, r, listed));
    ASSERT_EQ(rec->m_texts.size(), 1u);
}

TEST_F(PowerData, PresentCallFilter)
{
    // Calls: p1 all present, p2 half, p3 one of eight, p4 none.
    const float calls[4][8] = {{1, 1, 1, 1, 1, 1, 1, 1},
                               {1, 0.5f, 1, 0, 1, 0, 1, 0},
                               {0, -1, 1, 0, 0, 0, 0, 0.5f},
                               {0, -1, -1, -1, 0, 0, 0, 0}};
    for (int r = 0; r < 4; ++r)
        std::copy(calls[r], calls[r] + 8, m_data.rowWeights(r));
    EXPECT_EQ(presentCallRows(m_data, 50), (std::vector<int>{0, 1}));
    EXPECT_EQ(presentCallRows(m_data, 12.5), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(presentCallRows(m_data, 100), (std::vector<int>{0}));
    EXPECT_EQ(allAbsentRows(m_data), (std::vector<int>{3}));
    EXPECT_EQ(remainsText(2, 4), "2 out of 4");
}
