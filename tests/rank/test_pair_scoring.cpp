// The pair criteria of the scatterplot ordering on small data whose scores
// follow from the definitions, on the bundled sample against numpy and
// scipy, and the scoring run: order, ranks, the pair-to-row map, cancel,
// failures and the cluster-by-cluster comparison.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cluster/Evaluation.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "rank/PairScoring.h"

namespace {

// Columns from values; NAN marks a missing cell (which then holds 0.0).
PairColumns columnsOf(const std::vector<std::vector<float>>& values, std::vector<uint8_t> categorical = {})
{
    PairColumns c(static_cast<int>(values.front().size()));
    for (size_t k = 0; k < values.size(); ++k) {
        std::vector<float> v;
        std::vector<uint8_t> missing;
        for (float x : values[k]) {
            v.push_back(std::isnan(x) ? 0.0f : x);
            missing.push_back(std::isnan(x) ? 1 : 0);
        }
        c.addColumn("V" + std::to_string(k), v, missing, k < categorical.size() && categorical[k]);
    }
    return c;
}

PairScore scoreOf(int criterion, const PairColumns& c, int x, int y, PairSettings s = {})
{
    PairScorer scorer(c, s);
    PairScore record;
    scorer.score(criterion, x, y, record);
    return record;
}

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

const DataMatrix& sample()
{
    static DataMatrix data;
    if (data.isEmpty()) {
        EXPECT_TRUE(data.loadDataFile(kSample));
        data.computeStatistics(false, true);
        data.computeStatistics(false, false);
    }
    return data;
}

} // namespace

TEST(PairCriteria, NamesAndDescriptions)
{
    EXPECT_STREQ(pairCriterionName(0), "Correlation Coefficient");
    EXPECT_STREQ(pairCriterionName(6), "Number of Items in ROI");
    EXPECT_STREQ(pairCriterionName(9), "No Order");
    EXPECT_STREQ(pairCriterionDescription(3),
                 "Quadracity:\r\nThe coefficient of x^2\r\nColor: Quadracity\n\rSize: Least Square Error");
    // The outlier text names the threshold the count uses.
    EXPECT_NE(std::string(pairCriterionDescription(5)).find("Outlier if LOF>=MinLOF+(MaxLOF-MinLOF)/3"),
              std::string::npos);
    EXPECT_STREQ(pairScoreHeader(1), "Error");
    EXPECT_STREQ(pairScoreHeader(3), "Score");
}

TEST(PairCriteria, LinearPairScoresOneAndNoError)
{
    const PairColumns c = columnsOf({{0, 1, 2, 3, 4}, {1, 3, 5, 7, 9}});
    const PairScore r = scoreOf(kPairCorrelation, c, 0, 1);
    EXPECT_NEAR(r.m_dScore, 1.0, 1e-12);
    ASSERT_EQ(r.m_details.size(), 3u);
    EXPECT_EQ(r.m_details[0], 0.0);
    EXPECT_NEAR(r.m_details[1], 2.0, 1e-5);  // slope
    EXPECT_NEAR(r.m_details[2], 1.0, 1e-5);  // intercept
    EXPECT_FALSE(r.m_bSwapped);
    const PairScore e = scoreOf(kPairLinearError, c, 0, 1);
    EXPECT_NEAR(e.m_dScore, 0.0, 1e-9);
    EXPECT_EQ(e.m_dAuxiliary, 1.0);
}

TEST(PairCriteria, XAsAFunctionOfYTakesTheSwappedFit)
{
    // x = y^2: y is no function of x, x is a parabola in y.
    const PairColumns c = columnsOf({{4, 1, 0, 1, 4}, {-2, -1, 0, 1, 2}});
    for (int criterion : {kPairQuadraticError, kPairQuadracity}) {
        const PairScore s = scoreOf(criterion, c, 0, 1);
        EXPECT_TRUE(s.m_bSwapped) << criterion;
        // The record shows y across and x up, with x = a2 y^2 + a1 y + a0.
        EXPECT_EQ(s.m_nX, 1);
        EXPECT_EQ(s.m_nY, 0);
        ASSERT_EQ(s.m_details.size(), 4u);
        EXPECT_NEAR(s.m_details[1], 1.0, 1e-5);
        EXPECT_NEAR(s.m_details[2], 0.0, 1e-5);
        EXPECT_NEAR(s.m_details[3], 0.0, 1e-5);
    }
    EXPECT_NEAR(scoreOf(kPairQuadraticError, c, 0, 1).m_dScore, 0.0, 1e-9);
    EXPECT_NEAR(scoreOf(kPairQuadracity, c, 0, 1).m_dScore, 1.0, 1e-5);
    EXPECT_NEAR(scoreOf(kPairQuadracity, c, 0, 1).m_dAuxiliary, 1.0, 1e-9);
}

TEST(PairCriteria, FitTieKeepsXOnY)
{
    // Symmetric under exchanging x and y: both fits leave chisq = 4 exactly.
    const PairColumns c = columnsOf({{0, 0, 2, 2}, {0, 2, 0, 2}});
    const PairScore s = scoreOf(kPairLinearError, c, 0, 1);
    EXPECT_EQ(s.m_dScore, 1.0);
    EXPECT_TRUE(s.m_bSwapped);
    EXPECT_EQ(s.m_nX, 1);
}

TEST(PairCriteria, QuadracityAuxiliaryNeverNegative)
{
    const PairColumns c = columnsOf({{0, 10, 20, 30, 40, 50}, {300, -200, 100, -400, 250, 0}});
    const PairScore s = scoreOf(kPairQuadracity, c, 0, 1);
    EXPECT_GT(s.m_details.size(), 3u);
    EXPECT_EQ(s.m_dAuxiliary, 0.0);
}

TEST(PairCriteria, MissingValuesWithAndWithoutIgnoring)
{
    const float nan = NAN;
    const PairColumns c = columnsOf({{1, 2, 3, 4, nan}, {2, 4, 6, 8, 5}});
    // The missing x takes part as 0.0: numpy's corrcoef of (1,2,3,4,0) and (2,4,6,8,5).
    EXPECT_NEAR(scoreOf(kPairCorrelation, c, 0, 1).m_dScore, 0.707106781187, 1e-9);
    PairSettings ignore;
    ignore.m_bIgnoreMissing = true;
    EXPECT_NEAR(scoreOf(kPairCorrelation, c, 0, 1, ignore).m_dScore, 1.0, 1e-12);
    // No row left: 0, and 1.0 for the two error criteria.
    const PairColumns none = columnsOf({{nan, 1}, {2, nan}});
    EXPECT_EQ(scoreOf(kPairCorrelation, none, 0, 1, ignore).m_dScore, 0.0);
    EXPECT_EQ(scoreOf(kPairLinearError, none, 0, 1, ignore).m_dScore, 1.0);
    EXPECT_EQ(scoreOf(kPairQuadraticError, none, 0, 1, ignore).m_dScore, 1.0);
    EXPECT_FALSE(scoreOf(kPairQuadraticError, none, 0, 1, ignore).m_bSwapped);
    // The pixel criteria place a missing x at column 0: outside every region to its right.
    PairSettings roi;
    roi.m_roi = RoiRegion::rectangle({10, 0}, {420, 320});
    EXPECT_EQ(scoreOf(kPairRoi, c, 0, 1, roi).m_dScore, 4.0);
}

TEST(PairCriteria, AssociationOfClassesAndCategories)
{
    EXPECT_EQ(associationClasses(10), 20);
    EXPECT_EQ(associationClasses(250), 25);
    EXPECT_EQ(associationClasses(2000), 30);
    // Two categories in step: chisq = N, C = sqrt(1/2).
    const float nan = NAN;
    const PairColumns c = columnsOf({{1, 1, 1, 2, 2, nan}, {5, 5, 5, 9, 9, 9}}, {1, 1});
    const PairScore s = scoreOf(kPairAssociation, c, 0, 1);
    EXPECT_NEAR(s.m_dScore, std::sqrt(0.5), 1e-6);
    EXPECT_GT(s.m_dAuxiliary, 0.9);
    EXPECT_EQ(s.m_details, std::vector<double>{7.0});
}

TEST(PairCriteria, SamplePairsAgreeWithNumpy)
{
    const PairColumns c = PairColumns::from(sample(), false);
    ASSERT_EQ(c.m_nColumns, 128);
    auto near = [](double a, double b) { return std::fabs(a - b) <= 2e-3 * std::fabs(b) + 1e-6; };
    // Pair (5, 2): y on x is the better fit.
    EXPECT_NEAR(scoreOf(kPairCorrelation, c, 5, 2).m_dScore, 0.781089749, 1e-6);
    PairScore s = scoreOf(kPairLinearError, c, 5, 2);
    EXPECT_FALSE(s.m_bSwapped);
    EXPECT_TRUE(near(s.m_dScore, 1.33370117)) << s.m_dScore;
    EXPECT_TRUE(near(s.m_details[1], 0.76511395));
    EXPECT_TRUE(near(s.m_details[2], 1.80783798));
    s = scoreOf(kPairQuadraticError, c, 5, 2);
    EXPECT_TRUE(near(s.m_dScore, 1.33361616)) << s.m_dScore;
    // Pair (40, 17): x on y is better, so the record shows 17 across and 40 up.
    s = scoreOf(kPairLinearError, c, 40, 17);
    EXPECT_TRUE(s.m_bSwapped);
    EXPECT_EQ(s.m_nX, 17);
    EXPECT_TRUE(near(s.m_dScore, 0.83124297)) << s.m_dScore;
    EXPECT_TRUE(near(s.m_details[1], 0.84525469));
    EXPECT_TRUE(near(s.m_details[2], 0.86144401));
    s = scoreOf(kPairQuadracity, c, 40, 17);
    EXPECT_TRUE(s.m_bSwapped);
    // a2 of a parabola through values near 10 is where single precision
    // shows most (the normal equations hold sums of x^4).
    EXPECT_NEAR(s.m_dScore, 0.00561445, 5e-5);
    EXPECT_TRUE(near(s.m_dAuxiliary, 1.0 - 0.830726667)) << s.m_dAuxiliary;
    // Association (30 classes) and entropy at 420 x 320.
    EXPECT_NEAR(scoreOf(kPairAssociation, c, 5, 2).m_dScore, 0.882551605, 1e-5);
    EXPECT_NEAR(scoreOf(kPairAssociation, c, 40, 17).m_dScore, 0.880208606, 1e-5);
    EXPECT_NEAR(scoreOf(kPairUniformity, c, 5, 2).m_dScore, 6.773641445, 1e-9);
    EXPECT_NEAR(scoreOf(kPairUniformity, c, 40, 17).m_dScore, 6.603747905, 1e-9);
}

TEST(PairScoring, RanksPairsAndMapsThemToRows)
{
    ScopedRecordingProgress progress;
    // V1 = 2 V0 (r = 1), V2 noisy, V3 = -V0.
    const PairColumns c = columnsOf({{0, 1, 2, 3, 4, 5}, {0, 2, 4, 6, 8, 10}, {3, 1, 4, 1, 5, 9}, {0, -1, -2, -3, -4, -5}});
    const PairTable t = scoreAllPairs(kPairCorrelation, c, {});
    ASSERT_EQ(t.rowCount(), 6);
    EXPECT_EQ(progress->m_messages.front(), "Populating the scatterplot list...");
    EXPECT_EQ(progress->m_messages.back(), "Sorting the list...");
    EXPECT_EQ(progress->m_model.high(), 7);  // round((4 * 3 + 1) / 2)
    // Descending: (1, 0) first with r = 1, the two r = -1 pairs last in scoring order.
    EXPECT_EQ(t.row(0).m_nX, 1);
    EXPECT_EQ(t.row(0).m_nY, 0);
    EXPECT_NEAR(t.m_dMax, 1.0, 1e-12);
    EXPECT_NEAR(t.m_dMin, -1.0, 1e-12);
    EXPECT_EQ(t.row(4).m_nX, 3);
    EXPECT_EQ(t.row(4).m_nY, 0);
    EXPECT_EQ(t.row(5).m_nX, 3);
    EXPECT_EQ(t.row(5).m_nY, 1);
    for (int r = 0; r < t.rowCount(); ++r) {
        EXPECT_EQ(t.rowOf(t.row(r).m_nX, t.row(r).m_nY), r);
        EXPECT_EQ(t.rowOf(t.row(r).m_nY, t.row(r).m_nX), r);
        EXPECT_EQ(t.m_rankOfPair[static_cast<size_t>(t.m_order[static_cast<size_t>(r)])], r + 1);
    }
    bool reversed = false;
    ASSERT_NE(t.find(0, 1, &reversed), nullptr);
    EXPECT_TRUE(reversed);
    EXPECT_EQ(t.find(2, 2), nullptr);
    EXPECT_EQ(pairScoreText(t, t.row(0)), "1.000");
    EXPECT_EQ(pairAxisText(t, t.row(0), true, c.m_names), "V1");

    // Errors rank the smallest first; a swapped pair's row shows its names exchanged.
    const PairColumns parabola = columnsOf({{4, 1, 0, 1, 4}, {-2, -1, 0, 1, 2}, {1, 2, 3, 5, 4}});
    const PairTable e = scoreAllPairs(kPairQuadraticError, parabola, {});
    EXPECT_EQ(e.row(0).m_nX, 1);
    EXPECT_EQ(e.row(0).m_nY, 0);
    for (int r = 1; r < e.rowCount(); ++r)
        EXPECT_LE(e.row(r - 1).m_dScore, e.row(r).m_dScore);

    // Header sorting: names as text, scores as numbers, rank back again.
    PairTable s = t;
    sortByColumn(s, 1, true, c.m_names);
    EXPECT_EQ(s.row(0).m_nX, 1);
    EXPECT_EQ(s.row(5).m_nX, 3);
    sortByColumn(s, 3, true, c.m_names);
    EXPECT_NEAR(s.row(0).m_dScore, -1.0, 1e-12);
    sortByColumn(s, 0, true, c.m_names);
    EXPECT_EQ(s.m_order, t.m_order);
    EXPECT_EQ(s.rowOf(1, 0), 0);
}

TEST(PairScoring, NoOrderAndCancel)
{
    const PairTable none = noOrderTable(4);
    ASSERT_EQ(none.rowCount(), 6);
    EXPECT_EQ(none.row(0).m_nX, 1);
    EXPECT_EQ(none.row(0).m_nY, 0);
    EXPECT_EQ(none.row(5).m_nX, 3);
    EXPECT_EQ(none.row(5).m_nY, 2);
    EXPECT_EQ(none.row(3).m_dScore, -1000.0);
    EXPECT_EQ(pairScoreText(none, none.row(3)), "N/A");

    ScopedRecordingProgress progress;
    progress->cancelAfterPumps(0);
    const PairColumns c = columnsOf({{0, 1, 2}, {1, 0, 2}, {2, 2, 1}});
    const PairTable t = scoreAllPairs(kPairCorrelation, c, {});
    EXPECT_TRUE(t.m_bCancelled);
    EXPECT_FALSE(t.isScored());
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(pairScoreText(t, t.row(0)), "N/A");
}

TEST(PairScoring, FailedFitsAreReportedOnceAndRankedLast)
{
    ScopedRecordingMessages messages;
    // V1 is constant: every fit on it is singular, even where single
    // precision would miss it (5 is not 0).
    const PairColumns c = columnsOf({{0, 1, 2, 3}, {5, 5, 5, 5}, {1, 3, 2, 4}});
    const PairTable t = scoreAllPairs(kPairLinearError, c, {});
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Run-time error in Order Calculation!"});
    EXPECT_EQ(t.m_nFailed, 2);
    EXPECT_EQ(t.row(0).m_nX + t.row(0).m_nY, 2);  // (2, 0), the only pair that fits
    EXPECT_EQ(pairScoreText(t, t.row(1)), "N/A");
    EXPECT_EQ(pairScoreText(t, t.row(2)), "N/A");
}

TEST(PairScoring, AllCoresGiveTheSameTableAsOne)
{
    ScopedRecordingProgress progress;
    const PairColumns c = PairColumns::from(sample(), false);
    PairColumns few = c;  // 24 variables keep the test short
    few.m_nColumns = 24;
    for (int criterion : {kPairQuadracity, kPairUniformity, kPairOutliers, kPairAssociation}) {
        const PairTable one = scoreAllPairs(criterion, few, {}, 1);
        const PairTable all = scoreAllPairs(criterion, few, {}, 0);
        ASSERT_EQ(one.m_pairs.size(), 276u);
        EXPECT_EQ(one.m_order, all.m_order) << criterion;
        for (size_t p = 0; p < one.m_pairs.size(); ++p) {
            EXPECT_EQ(one.m_pairs[p].m_dScore, all.m_pairs[p].m_dScore);
            EXPECT_EQ(one.m_pairs[p].m_details, all.m_pairs[p].m_details);
        }
    }
}

TEST(PairScoring, ClusterPairsOfTwoCuts)
{
    // Two cuts of four items: {0,1} {2,3} against {0,1,2} {3}.
    const std::vector<ClusterPairScore> scores{{0, 0, 0.8}, {0, 1, 0.0}, {1, 0, 0.4}, {1, 1, 2.0 / 3}};
    const PairTable t = clusterPairTable(scores, 2, 2);
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_TRUE(t.isClusterComparison());
    EXPECT_EQ(t.row(0).m_nX, 0);
    EXPECT_EQ(t.row(0).m_nY, 0);
    EXPECT_EQ(t.row(1).m_nX, 1);
    EXPECT_EQ(t.row(1).m_nY, 1);
    EXPECT_EQ(t.m_dMin, 0.0);
    EXPECT_EQ(t.m_dMax, 0.8);
    EXPECT_EQ(pairAxisText(t, t.row(2), true, {}), "Row Cluster 1");
    EXPECT_EQ(pairAxisText(t, t.row(2), false, {}), "Col Cluster 0");
    EXPECT_EQ(pairScoreText(t, t.row(2)), "0.400");
    EXPECT_EQ(t.rowOf(1, 0), 2);
    EXPECT_EQ(t.rowOf(0, 1), 3);
}

TEST(PairCriteria, SampleOutliersAsRecorded)
{
    // Every eighth pair of the sample as the outlier criterion scored it when
    // it searched the Delaunay graph: the factors bit for bit, the
    // neighbours and the outlying items.
    std::ifstream in(std::string(ARBOLIX_FIXTURES_DIR) + "/sample_outliers.txt");
    ASSERT_TRUE(in);
    const PairColumns c = PairColumns::from(sample(), false);
    PairSettings s;
    PairScorer scorer(c, s);
    LofWorkspace lof;
    std::vector<PixelPoint> distinct;
    std::vector<int> positionOfPoint;
    const auto fnv = [](uint64_t h, const void* data, size_t bytes) {
        for (size_t i = 0; i < bytes; ++i)
            h = (h ^ static_cast<const unsigned char*>(data)[i]) * 1099511628211ull;
        return h;
    };
    const uint64_t basis = 1469598103934665603ull;  // the start the records were made with
    std::string line;
    int pairs = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        int x = 0, y = 0, positions = 0;
        double count = 0.0;
        std::string lofDigest, neighbourDigest, detailDigest;
        fields >> x >> y >> positions >> count >> lofDigest >> neighbourDigest >> detailDigest;
        distinctPositions(scorer.positions(x, y), distinct, positionOfPoint);
        ASSERT_EQ(static_cast<int>(distinct.size()), positions) << x << " " << y;
        const std::vector<double>& f = lof.factors(distinct);
        uint64_t neighbours = basis;
        for (int p = 0; p < positions; ++p) {
            const std::vector<int> found = lof.neighbours(p);
            const int end = -1;
            neighbours = fnv(fnv(neighbours, found.data(), found.size() * sizeof(int)), &end, sizeof end);
        }
        PairScore record;
        scorer.score(kPairOutliers, x, y, record);
        char text[3][17];
        std::snprintf(text[0], sizeof text[0], "%016" PRIx64, fnv(basis, f.data(), f.size() * sizeof(double)));
        std::snprintf(text[1], sizeof text[1], "%016" PRIx64, neighbours);
        std::snprintf(text[2], sizeof text[2], "%016" PRIx64,
                      fnv(basis, record.m_details.data(), record.m_details.size() * sizeof(double)));
        EXPECT_EQ(record.m_dScore, count) << x << " " << y;
        EXPECT_EQ(text[0], lofDigest) << x << " " << y;
        EXPECT_EQ(text[1], neighbourDigest) << x << " " << y;
        EXPECT_EQ(text[2], detailDigest) << x << " " << y;
        ++pairs;
    }
    EXPECT_EQ(pairs, 1016);
}
