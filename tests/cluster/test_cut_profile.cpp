// The cut-quality profile against the evaluation of each cut on its own:
// every step's figures, as the evaluate command prints them, equal those of
// cutting the forest at that step and evaluating the cut; on the bundled
// sample and on generated data over every measure, with missing cells, and
// for linkages whose trees nest differently (Pearson without missing cells
// takes the sums of profiles, every other case the sums over pairs). Plus a
// hand-checked line of points and cancelling.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>

#include "ClusterFixtures.h"
#include "app/CArxDoc.h"
#include "cluster/CutProfile.h"
#include "cluster/Evaluation.h"
#include "cluster/HierarchicalClustering.h"
#include "platform/Format.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

std::string text(const std::optional<double>& v, const char* format)
{
    return v ? strFormat(format, *v) : std::string("N/A");
}

// The figures of one step in the formats of the evaluate command.
std::string line(float s, int clusters, int alones, const std::optional<double>& f, const ClusterEvaluation& e)
{
    return strFormat("%4.3f\t%d\t%d\t", static_cast<double>(s), clusters, alones) + text(f, "%.3f") + "\t" +
           evaluationText(e.within) + "\t" + evaluationText(e.between) + "\t" + text(e.ratio, "%.4f");
}

void expectClose(const std::optional<double>& a, const std::optional<double>& b, const std::string& what)
{
    ASSERT_EQ(a.has_value(), b.has_value()) << what;
    if (a) {
        EXPECT_NEAR(*a, *b, 1e-9 * std::max(1.0, std::fabs(*b))) << what;
    }
}

// Cuts the forest at every step and evaluates each cut by itself.
void expectProfileMatchesEachCut(CForest& forest, int steps, bool centered, bool absolute, const std::string& name)
{
    const auto profile = computeCutProfile(cutProfileInput(forest, steps, centered, absolute));
    ASSERT_TRUE(profile);
    ASSERT_EQ(profile->size(), static_cast<size_t>(steps) + 1);
    int withBetween = 0;
    for (int k = 0; k <= steps; ++k) {
        const CutProfileStep& step = (*profile)[static_cast<size_t>(k)];
        const float s = static_cast<float>(k) / static_cast<float>(steps);
        ASSERT_EQ(step.minSimilarity, s);
        forest.cut(s);
        const ClusterEvaluation e = evaluateHierarchical(forest, centered, absolute);
        const std::optional<double> f = forest.m_bHasClasses ? std::optional<double>(fMeasure(forest)) : std::nullopt;
        const std::string what = name + strFormat(" step %d", k);
        EXPECT_EQ(line(step.minSimilarity, step.evaluation.clusters, step.alones, step.fMeasure, step.evaluation),
                  line(s, e.clusters, forest.itemsLeft(), f, e))
            << what;
        expectClose(step.evaluation.within, e.within, what + " within");
        expectClose(step.evaluation.between, e.between, what + " between");
        expectClose(step.fMeasure, f, what + " F-measure");
        withBetween += e.between.has_value();
    }
    // The data give several cuts of more than one cluster.
    EXPECT_GE(withBetween, 5) << name;
}

// Profiles in `groups` groups around random centres, with noise.
Profiles groupedProfiles(int n, int length, int groups, unsigned seed, double missing)
{
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 0.6f);
    Profiles centres = randomProfiles(groups, length, seed + 1);
    Profiles p = randomProfiles(n, length, seed + 2, missing);
    for (int i = 0; i < n; ++i) {
        const int g = static_cast<int>(rng() % static_cast<unsigned>(groups));
        for (int c = 0; c < length; ++c)
            if (p.weightRow(i)[c] != -1.0f)
                p.row(i)[c] = centres.row(g)[c] + noise(rng);
    }
    return p;
}

} // namespace

TEST(CutProfile, EveryStepOfTheSampleEqualsItsOwnCut)
{
    // The sample's first 400 items with its CID row: evaluating every cut
    // of all 2000 one at a time takes too long for a test, and a slice
    // keeps what matters (real profiles, missing cells, the classes).
    TempDir dir;
    std::string slice;
    {
        std::ifstream in(kSample);
        std::string line;
        for (int i = 0; i < 2 + 400 && std::getline(in, line); ++i)
            slice += line + "\n";
    }
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(dir.write("slice.txt", slice), false, -1, -1, 0.0f, 1.0f, false));
    ASSERT_EQ(doc.m_pRowForest->m_nLeaves, 400);
    CClusteringParameters params;
    params.m_options.linkage = kLinkageAverage;
    params.m_options.measure = kMeasurePearson;
    params.m_options.clusterRows = params.m_options.clusterColumns = true;
    for (int p = 0; p < doc.m_pColForest->m_nLeaves; ++p)
        params.m_columns.push_back({doc.m_pColForest->leaf(p)->m_strName, true});
    ASSERT_TRUE(doc.hierarchicalClustering(params));
    ASSERT_TRUE(doc.m_pColForest->m_bHasClasses);  // the sample's CID row: F-measure at every step
    expectProfileMatchesEachCut(*doc.m_pColForest, 50, doc.m_run[0].m_bCentered, doc.m_run[0].m_bAbsolute,
                                "sample columns");
    expectProfileMatchesEachCut(*doc.m_pRowForest, 20, doc.m_run[0].m_bCentered, doc.m_run[0].m_bAbsolute,
                                "sample rows");
}

TEST(CutProfile, GeneratedDataOverEveryMeasureAndLinkage)
{
    struct Case {
        int measure, linkage;
        bool centered, absolute;
        double missing;
    };
    const Case cases[] = {
        {kMeasurePearson, kLinkageAverage, true, false, 0.0},
        {kMeasurePearson, kLinkageSingle, false, false, 0.0},  // uncentered
        {kMeasurePearson, kLinkageComplete, false, true, 0.0},
        {kMeasureEuclidean, kLinkageSingle, true, false, 0.0},
        {kMeasureManhattan, kLinkageAverageGroup, true, false, 0.0},
        {kMeasureEuclidean, kLinkageAverage, true, false, 0.05},  // missing cells
        {kMeasurePearson, kLinkageOneByOne, true, false, 0.02},
    };
    unsigned seed = 7;
    for (const Case& c : cases) {
        Profiles p = groupedProfiles(300, 23, 6, seed++, c.missing);
        auto f = forestOver(p, c.measure);
        ASSERT_TRUE(buildDendrogram(*f, c.linkage, kKeepRightChildSmall, c.centered, c.absolute,
                                    unitWeights(p.length)));
        f->applyOrder();
        expectProfileMatchesEachCut(*f, 50, c.centered, c.absolute,
                                    strFormat("measure %d linkage %d missing %.2f", c.measure, c.linkage, c.missing));
    }
    // Matching distances on values of a few levels.
    Profiles p = groupedProfiles(200, 16, 4, 99, 0.0);
    for (float& v : p.values)
        v = std::round(v);
    auto f = forestOver(p, kMeasureMatching);
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildSmall, true, false, unitWeights(p.length)));
    f->applyOrder();
    expectProfileMatchesEachCut(*f, 40, true, false, "matching");
}

TEST(CutProfile, PointsOnALineByHand)
{
    // Points 0, 1, 10, 11 (Euclidean, scale 11 = 65535): pairs {0,1} and
    // {10,11} join at 1 - 1/11, the root at 1 - 10/11 (average linkage).
    Profiles p = profilesOf({{0}, {1}, {10}, {11}});
    auto f = forestOver(p, kMeasureEuclidean);
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildSmall, true, false, unitWeights(1)));
    f->applyOrder();
    const auto profile = computeCutProfile(cutProfileInput(*f, 10, true, false));
    ASSERT_TRUE(profile);
    const double unit = 65535.0 / 11;
    // Step 0: one cluster of all four; within = mean of the six pairs, no
    // pair of clusters.
    {
        const CutProfileStep& s = profile->front();
        EXPECT_EQ(s.evaluation.clusters, 1);
        EXPECT_EQ(s.alones, 0);
        EXPECT_NEAR(*s.evaluation.within, (1 + 10 + 11 + 9 + 10 + 1) * unit / 6, 1e-6);
        EXPECT_FALSE(s.evaluation.between);
        EXPECT_FALSE(s.evaluation.ratio);
        EXPECT_FALSE(s.fMeasure);  // no classes
    }
    // 0.1 .. 0.9: the two pairs.
    for (int k = 1; k <= 9; ++k) {
        const CutProfileStep& s = (*profile)[static_cast<size_t>(k)];
        EXPECT_EQ(s.evaluation.clusters, 2) << k;
        EXPECT_NEAR(*s.evaluation.within, unit, 1e-6);
        EXPECT_NEAR(*s.evaluation.between, (10 + 11 + 9 + 10) * unit / 4, 1e-6);
        EXPECT_NEAR(*s.evaluation.ratio, 1.0 / 10, 1e-12);
    }
    // 1: every leaf alone.
    const CutProfileStep& top = profile->back();
    EXPECT_EQ(top.evaluation.clusters, 0);
    EXPECT_EQ(top.alones, 4);
    EXPECT_FALSE(top.evaluation.within);
    EXPECT_FALSE(top.evaluation.between);
}

TEST(CutProfile, UnclusteredForestAndCancelling)
{
    Profiles p = groupedProfiles(400, 12, 5, 3, 0.0);
    auto f = forestOver(p, kMeasurePearson);
    const auto none = computeCutProfile(cutProfileInput(*f, 10, true, false));
    ASSERT_TRUE(none);
    ASSERT_EQ(none->size(), 11u);
    for (const CutProfileStep& s : *none) {
        EXPECT_EQ(s.evaluation.clusters, 0);
        EXPECT_EQ(s.alones, 400);
    }

    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildSmall, true, false, unitWeights(p.length)));
    f->applyOrder();
    const CutProfileInput input = cutProfileInput(*f, 100, true, false);
    std::atomic<bool> cancel{true};
    EXPECT_FALSE(computeCutProfile(input, &cancel));
    // Cancelled part way: the first progress report sets the flag.
    cancel = false;
    int reports = 0;
    EXPECT_FALSE(computeCutProfile(input, &cancel, [&](double) {
        ++reports;
        cancel = true;
    }));
    EXPECT_EQ(reports, 1);
    cancel = false;
    double last = 0.0;
    EXPECT_TRUE(computeCutProfile(input, &cancel, [&](double done) {
        EXPECT_GE(done, last);
        last = done;
    }));
    EXPECT_NEAR(last, 1.0, 1e-9);
}
