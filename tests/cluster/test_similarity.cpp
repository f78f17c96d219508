// Distances, similarities, normalisers and the names of measures and
// linkages.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cluster/Forest.h"
#include "cluster/Similarity.h"
#include "platform/RecordingMessages.h"

namespace {

struct Pair {
    std::vector<float> a, b, wa, wb, cw;
    Pair(std::vector<float> x, std::vector<float> y) : a(std::move(x)), b(std::move(y))
    {
        wa.assign(a.size(), 1.0f);
        wb.assign(a.size(), 1.0f);
        cw.assign(a.size(), 1.0f);
    }
    DistanceParams params(bool centered = true, bool absolute = false) const
    {
        DistanceParams p;
        p.columnWeights = cw.data();
        p.n = static_cast<int>(a.size());
        p.centered = centered;
        p.absolute = absolute;
        p.euclideanNormaliser = 10.0;
        p.manhattanNormaliser = 10.0;
        return p;
    }
    double d(DistanceFn fn, const DistanceParams& p) const { return fn(a.data(), wa.data(), b.data(), wb.data(), p); }
};

TEST(Pearson, IdenticalAntiCorrelatedAndUncorrelatedProfiles)
{
    Pair same({1, 2, 3, 5}, {1, 2, 3, 5});
    EXPECT_NEAR(same.d(pearsonDistance, same.params()), 0.0, 1e-9);
    EXPECT_EQ(roundDistance(same.d(pearsonDistance, same.params())), 0);
    EXPECT_EQ(similarityOf(0), 1.0f);

    Pair anti({1, 2, 3}, {3, 2, 1});
    EXPECT_EQ(roundDistance(anti.d(pearsonDistance, anti.params())), 65535);
    EXPECT_EQ(roundDistance(anti.d(pearsonDistance, anti.params(true, true))), 0);

    // r = 0 exactly: 32767.5 is stored as 32768 (round half up).
    Pair none({1, -1, 1, -1}, {1, 1, -1, -1});
    EXPECT_DOUBLE_EQ(none.d(pearsonDistance, none.params()), 32767.5);
    EXPECT_EQ(roundDistance(32767.5), 32768);
    EXPECT_NEAR(similarityOf(32768), 0.5f, 1e-4f);
}

TEST(Pearson, UncenteredAndDegenerateProfiles)
{
    Pair scaled({1, 2}, {2, 4});
    EXPECT_NEAR(scaled.d(pearsonDistance, scaled.params(false)), 0.0, 1e-9);
    Pair swapped({1, 2}, {2, 1});
    EXPECT_NEAR(correlation(swapped.a.data(), swapped.wa.data(), swapped.b.data(), swapped.wb.data(),
                            swapped.params(false)),
                0.8, 1e-12);

    // Constant over the valid columns: the largest distance whatever the other.
    Pair constant({3, 3, 7}, {1, 5, 2});
    constant.wa[2] = -1.0f;
    EXPECT_EQ(constant.d(pearsonDistance, constant.params()), 65535.0);
    EXPECT_EQ(correlation(constant.a.data(), constant.wa.data(), constant.b.data(), constant.wb.data(),
                          constant.params()),
              -1.0);
    EXPECT_EQ(correlation(constant.a.data(), constant.wa.data(), constant.b.data(), constant.wb.data(),
                          constant.params(true, true)),
              0.0);
}

TEST(Measures, NoCommonColumnGivesTheLargestDistanceForEveryMeasure)
{
    Pair p({1, 2, 3}, {1, 2, 3});
    p.wa = {-1, 1, -1};
    p.wb = {1, -1, 1};
    for (DistanceFn fn : {pearsonDistance, euclideanDistance, manhattanDistance, matchingDistance})
        EXPECT_EQ(p.d(fn, p.params()), 65535.0);
}

TEST(Measures, ColumnWeightMinusOneExcludesTheColumn)
{
    Pair p({1, 2, 3, 100}, {1, 2, 3, -100});
    p.cw[3] = -1.0f;
    EXPECT_NEAR(p.d(pearsonDistance, p.params()), 0.0, 1e-9);
    EXPECT_EQ(p.d(euclideanDistance, p.params()), 0.0);
    EXPECT_EQ(p.d(manhattanDistance, p.params()), 0.0);
    EXPECT_EQ(p.d(matchingDistance, p.params()), 0.0);
    // Any other negative weight is an ordinary weight.
    p.cw[3] = -0.5f;
    EXPECT_NE(p.d(matchingDistance, p.params()), 0.0);
}

TEST(Measures, ManhattanAndEuclideanSpanTheScale)
{
    // Two profiles at the column minimum and maximum everywhere.
    Pair p({0, 0, 0, 0}, {1, 2, 3, 4});
    DistanceParams params = p.params();
    params.manhattanNormaliser = 4 * (1 + 2 + 3 + 4) / 4.0;
    params.euclideanNormaliser = std::sqrt(4 * (1 + 4 + 9 + 16) / 4.0);
    EXPECT_EQ(roundDistance(p.d(manhattanDistance, params)), 65535);
    EXPECT_EQ(roundDistance(p.d(euclideanDistance, params)), 65535);
    // Unequal weights can exceed the scale; the result is limited to it.
    p.cw = {1, 1, 1, 20};
    EXPECT_EQ(p.d(manhattanDistance, params), 65535.0);
    // A zero normaliser (constant data) does not divide by zero.
    params.euclideanNormaliser = params.manhattanNormaliser = 0.0;
    EXPECT_EQ(p.d(euclideanDistance, params), 65535.0);
    Pair same({1, 1}, {1, 1});
    DistanceParams zero = same.params();
    zero.euclideanNormaliser = zero.manhattanNormaliser = 0.0;
    EXPECT_EQ(same.d(euclideanDistance, zero), 0.0);
    EXPECT_EQ(same.d(manhattanDistance, zero), 0.0);
}

TEST(Measures, PValueWeightsComeFromTheTwoCells)
{
    Pair p({0, 0}, {0.5f, 3});
    p.wa = {1.0f, 0.0f};
    p.wb = {1.0f, 0.0f};
    DistanceParams params = p.params();
    params.pValueWeights = true;
    // Pair weights 1 and 0; m = 2 valid columns; normaliser 10.
    EXPECT_DOUBLE_EQ(p.d(manhattanDistance, params), 0.5 * 2 / 10.0 * 65535);
    params.pValueWeights = false;
    EXPECT_DOUBLE_EQ(p.d(manhattanDistance, params), (0.5 * 0.5 + 0.5 * 3) * 2 / 10.0 * 65535);
    // Simple matching never uses the cell weights.
    Pair m({1, 2}, {1, 5});
    m.wa = {0.0f, 0.0f};
    DistanceParams mp = m.params();
    mp.pValueWeights = true;
    EXPECT_DOUBLE_EQ(m.d(matchingDistance, mp), 32767.5);
}

TEST(Measures, SimpleMatchingCountsExactEqualityOnly)
{
    Pair p({1.0f, 2.0f}, {1.0000001f, 2.0f});
    ASSERT_NE(p.a[0], p.b[0]);
    EXPECT_DOUBLE_EQ(p.d(matchingDistance, p.params()), 32767.5);
}

TEST(Measures, RoundingIsHalfUpAndLimited)
{
    EXPECT_EQ(roundDistance(0.49), 0);
    EXPECT_EQ(roundDistance(0.5), 1);
    EXPECT_EQ(roundDistance(65534.5), 65535);
    EXPECT_EQ(roundDistance(70000.0), 65535);
    EXPECT_EQ(roundDistance(-1e-12), 0);
    EXPECT_EQ(distanceFunction(4), nullptr);
    EXPECT_EQ(distanceFunction(-1), nullptr);
}

TEST(Normalisers, EnabledPartnerLeavesOnlyWeightedByTheirShare)
{
    // Partner: three column leaves with profiles over two items.
    CForest partner(5, 2, 3, false);
    std::vector<float> values = {0, 4, 1, 2, 5, 5}, weights(6, 1.0f);
    float w[3] = {1.0f, 3.0f, 1.0f};
    for (int k = 0; k < 3; ++k) {
        partner.leaf(k)->m_pValues = values.data() + 2 * k;
        partner.leaf(k)->m_pWeights = weights.data() + 2 * k;
        partner.leaf(k)->m_fWeight = w[k];
    }
    partner.leaf(2)->m_bEnabled = 0;
    auto [manhattan, euclidean] = computeNormalisers(partner);
    // k = 2, v = 1/4, 3/4, ranges 4 and 1.
    EXPECT_DOUBLE_EQ(manhattan, 2 * (0.25 * 4 + 0.75 * 1));
    EXPECT_DOUBLE_EQ(euclidean, std::sqrt(2 * (0.25 * 16 + 0.75 * 1)));
    // A missing cell does not count towards the range.
    weights[1] = -1.0f;
    EXPECT_DOUBLE_EQ(computeNormalisers(partner).first, 2 * (0.75 * 1));
}

TEST(Names, DisplayNamesAndDialogCaptions)
{
    EXPECT_EQ(linkageDisplayName(0), "Average");
    EXPECT_EQ(linkageDisplayName(4), "Velmar's 1by1");
    EXPECT_EQ(linkageDisplayName(5), "");
    EXPECT_EQ(linkageDialogCaption(0), "Average Linkage (UPGMA)");
    EXPECT_EQ(measureDisplayName(0, true, false, false), "Pearson's r : Centered, Unabsolute");
    EXPECT_EQ(measureDisplayName(0, false, true, true), "Pearson's r : Uncentered, Absoute: P-Values as Weight");
    EXPECT_EQ(measureDisplayName(1, true, false, false), "Euclidean ");
    EXPECT_EQ(measureDisplayName(2, true, false, true), "Manhattan :: P-Values as Weight");
    EXPECT_EQ(measureDisplayName(3, true, false, true), "Simple Matching");
    EXPECT_EQ(measureDisplayName(7, true, false, false), "");
}

TEST(Names, EveryDisplayNameReadsBackAsItsKey)
{
    ScopedRecordingMessages messages;
    for (int l = 0; l < 5; ++l) {
        std::string key = linkageDisplayName(l);
        for (char& c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(parseLinkageName(key), l);
        EXPECT_EQ(parseLinkageName(linkageDisplayName(l)), l);
    }
    for (int m = 0; m < 4; ++m)
        for (int flags = 0; flags < 8; ++flags) {
            const bool centered = flags & 1, absolute = flags & 2, pv = flags & 4;
            bool c = !centered, a = !absolute;
            EXPECT_EQ(parseMeasureName(measureDisplayName(m, centered, absolute, pv), c, a), m)
                << measureDisplayName(m, centered, absolute, pv);
            if (m == 0) {
                EXPECT_EQ(c, centered);
                EXPECT_EQ(a, absolute);
            }
        }
    bool c, a;
    EXPECT_EQ(parseMeasureName("MANHATTAN", c, a), 2);
    EXPECT_EQ(parseMeasureName("SIMPLE MATCHING", c, a), 3);
    EXPECT_EQ(parseMeasureName("  EUCLIDEAN  ", c, a), 1);
    EXPECT_EQ(parseMeasureName("PEARSON'S R : UNCENTERED, UNABSOLUTE", c, a), 0);
    EXPECT_FALSE(c);
    EXPECT_FALSE(a);
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(Names, UnknownNamesAreReportedWithTheirText)
{
    ScopedRecordingMessages messages;
    bool c, a;
    EXPECT_EQ(parseLinkageName("WARD"), -1);
    EXPECT_EQ(parseMeasureName("COSINE", c, a), -1);
    ASSERT_EQ(messages->m_texts.size(), 2u);
    EXPECT_EQ(messages->m_texts[0], "Strange Linkage Name :WARD");
    EXPECT_EQ(messages->m_texts[1], "Strange Distance Measure Name :COSINE");
}

} // namespace
