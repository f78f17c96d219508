// F-measure, within/between distances, the cluster-by-cluster scores, set
// operations and the batch run's counts.
#include <gtest/gtest.h>

#include "ManualTree.h"
#include "cluster/BatchRun.h"
#include "cluster/Evaluation.h"
#include "cluster/SetOperation.h"
#include "platform/Format.h"

namespace {

// Four leaves: classes 1, 1, 2, 2.
void setClasses(CForest& f, const std::vector<int>& classes)
{
    f.m_bHasClasses = true;
    f.m_classSizes.clear();
    for (int p = 0; p < f.m_nLeaves; ++p) {
        const int c = classes[static_cast<size_t>(p)];
        f.leaf(p)->m_nMarker2 = c;
        if (f.m_classSizes.size() < static_cast<size_t>(c))
            f.m_classSizes.resize(static_cast<size_t>(c), 0);
        ++f.m_classSizes[static_cast<size_t>(c - 1)];
    }
}

} // namespace

TEST(FMeasure, ACutThatReproducesTheClassesScoresOne)
{
    Profiles p;
    auto f = pointsForest(p, {0, 0, 1, 1});
    joinNodes(*f, 4, 0, 1, 0.9f);
    joinNodes(*f, 5, 2, 3, 0.9f);
    joinNodes(*f, 6, 4, 5, 0.2f);
    setClasses(*f, {1, 1, 2, 2});
    f->cut(0.5f);
    EXPECT_DOUBLE_EQ(fMeasure(*f), 1.0);
    f->cut(0.95f);  // no cluster
    EXPECT_DOUBLE_EQ(fMeasure(*f), 0.0);
}

TEST(FMeasure, OneClusterOfAllLeaves)
{
    Profiles p;
    auto f = pointsForest(p, {0, 0, 0, 1});
    joinNodes(*f, 4, 0, 1, 0.9f);
    joinNodes(*f, 5, 4, 2, 0.8f);
    joinNodes(*f, 6, 5, 3, 0.7f);
    setClasses(*f, {1, 1, 1, 2});
    f->cut(0.0f);
    // best_j = 2 (size_j / n) / (size_j / n + 1), weighted by size_j / n.
    const double a = 3.0 / 4, b = 1.0 / 4;
    EXPECT_NEAR(fMeasure(*f), a * 2 * a / (a + 1) + b * 2 * b / (b + 1), 1e-12);
}

TEST(FMeasure, AClassOutsideEveryClusterScoresTwoOverSizePlusOne)
{
    Profiles p;
    auto f = pointsForest(p, {0, 0, 5, 9});
    joinNodes(*f, 4, 0, 1, 0.9f);
    joinNodes(*f, 5, 4, 2, 0.3f);
    joinNodes(*f, 6, 5, 3, 0.2f);
    setClasses(*f, {1, 1, 2, 2});
    f->cut(0.5f);
    EXPECT_NEAR(fMeasure(*f), 0.5 * 1.0 + 0.5 * 2.0 / 3.0, 1e-12);
}

TEST(Evaluation, AverageDistancesWithinAndBetween)
{
    // Points 0, 1, 3 on a line: Euclidean distances |a - b| / 3 of the scale.
    Profiles p;
    auto f = pointsForest(p, {0, 1, 3});
    const std::vector<int> all{0, 1, 2}, left{0, 1}, right{2};
    EXPECT_NEAR(*averageDistance(*f, all, all, true, false), (21845.0 + 65535.0 + 43690.0) / 3, 1e-6);
    EXPECT_NEAR(*averageDistance(*f, left, right, true, false), (65535.0 + 43690.0) / 2, 1e-6);
    EXPECT_FALSE(averageDistance(*f, right, right, true, false));
    const ClusterEvaluation e = evaluateClusters(*f, {left, right}, true, false);
    EXPECT_EQ(e.clusters, 2);
    EXPECT_NEAR(*e.within, 21845.0, 1e-6);  // the single-leaf cluster has no pair
    EXPECT_NEAR(*e.between, (65535.0 + 43690.0) / 2, 1e-6);
    EXPECT_NEAR(*e.ratio, 21845.0 / ((65535.0 + 43690.0) / 2), 1e-12);
}

TEST(Evaluation, ValuesThatWouldDivideByZeroAreNotAvailable)
{
    Profiles p;
    auto f = pointsForest(p, {0, 1, 3});
    const ClusterEvaluation single = evaluateClusters(*f, {{0}, {1}, {2}}, true, false);
    EXPECT_FALSE(single.within);
    EXPECT_TRUE(single.between);
    EXPECT_FALSE(single.ratio);
    const ClusterEvaluation one = evaluateClusters(*f, {{0, 1, 2}}, true, false);
    EXPECT_TRUE(one.within);
    EXPECT_FALSE(one.between);
    EXPECT_FALSE(one.ratio);
    EXPECT_EQ(evaluationText(one.between), "N/A");
    EXPECT_EQ(evaluationText(1.0), " 1.000");
    ClusterEvaluation e;
    e.clusters = 2;
    e.within = 1234.5;
    e.between = 23456.25;
    EXPECT_EQ(evaluationLogLine(e, 0.5f), "2\t0.5000\t1234.500\t23456.250\n");
    EXPECT_EQ(evaluationLogLine(one, 0.25f), strFormat("1\t0.2500\t%6.3f\tN/A\n", *one.within));

    // The panel's texts give the mean as a similarity and say why a value is missing.
    const EvaluationTexts shown = evaluationTexts(e);
    EXPECT_EQ(shown.within, "1234.500 (similarity 0.981)");  // 1 - 1234.5 / 65535 = 0.98116
    EXPECT_EQ(shown.between, "23456.250 (similarity 0.642)");  // 0.64208
    EXPECT_EQ(evaluationTexts(single).within, "N/A (no cluster has two members)");
    EXPECT_EQ(evaluationTexts(single).ratio, "N/A (no cluster has two members)");
    EXPECT_EQ(evaluationTexts(one).between, "N/A (fewer than two clusters)");
    EXPECT_EQ(evaluationTexts(one).ratio, "N/A (fewer than two clusters)");
    ClusterEvaluation same = e;
    same.between = 0.0;
    EXPECT_EQ(evaluationTexts(same).between, " 0.000 (similarity 1.000)");
    EXPECT_EQ(evaluationTexts(same).ratio, "N/A (between-cluster distance is 0)");
}

TEST(Evaluation, HierarchicalEvaluationUsesTheCut)
{
    Profiles p;
    auto f = pointsForest(p, {0, 1, 3});
    joinNodes(*f, 3, 0, 1, 0.6f);
    joinNodes(*f, 4, 3, 2, 0.2f);
    f->cut(0.5f);
    const ClusterEvaluation e = evaluateHierarchical(*f, true, false);
    EXPECT_EQ(e.clusters, 1);
    EXPECT_NEAR(*e.within, 21845.0, 1e-6);
    EXPECT_FALSE(e.between);
}

TEST(ClusterComparison, EveryPairOfClustersGetsItsFScore)
{
    Profiles p;
    auto first = pointsForest(p, {0, 0, 0, 0});
    joinNodes(*first, 4, 0, 1, 0.9f);
    joinNodes(*first, 5, 2, 3, 0.9f);
    joinNodes(*first, 6, 4, 5, 0.1f);
    first->cut(0.5f);  // {0,1} {2,3}
    Profiles q;
    auto second = pointsForest(q, {0, 0, 0, 0});
    joinNodes(*second, 4, 0, 1, 0.9f);
    joinNodes(*second, 5, 4, 2, 0.8f);
    joinNodes(*second, 6, 5, 3, 0.1f);
    second->cut(0.5f);  // {0,1,2}
    const auto scores = compareClusterCuts(*first, *second);
    ASSERT_EQ(scores.size(), 2u);
    // Cluster 0 of the first shares 2 of the 3 items: P = 2/3, R = 1.
    EXPECT_NEAR(scores[0].score, 2 * (2.0 / 3) / (2.0 / 3 + 1), 1e-12);
    // Cluster 1 shares item 2: P = 1/3, R = 1/2.
    EXPECT_NEAR(scores[1].score, 2 * (1.0 / 3) * 0.5 / (1.0 / 3 + 0.5), 1e-12);
    EXPECT_EQ(clusterPairRow(scores[1]), (std::vector<std::string>{"Row Cluster 1", "Col Cluster 0", "0.400"}));
}

TEST(SetOperation, MergesTheImportedItemsWithTheSelection)
{
    const std::vector<int> selection{5, 1, 3}, imported{4, 3, 4};
    EXPECT_EQ(applySetOperation(selection, imported, kSetIntersection), (std::vector<int>{3}));
    EXPECT_EQ(applySetOperation(selection, imported, kSetUnion), (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(applySetOperation(selection, imported, kSetDifference), (std::vector<int>{1, 5}));
    EXPECT_EQ(applySetOperation(selection, imported, kSetNew), (std::vector<int>{3, 4}));
}

TEST(BatchRun, CountsClustersChangesAndAlonesFromTopToBottom)
{
    Profiles p;
    auto f = pointsForest(p, {0, 0, 0, 0, 0});
    joinNodes(*f, 5, 0, 1, 0.8f);
    joinNodes(*f, 6, 2, 3, 0.6f);
    joinNodes(*f, 7, 5, 6, 0.3f);
    joinNodes(*f, 8, 7, 4, 0.1f);
    const auto steps = batchSteps(*f, 4);
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(batchTable(steps), "minsim\t# of Cluster\t# of Change\t# of Alone\n"
                                 "1.000\t0\t0\t5\n"
                                 "0.750\t1\t1\t3\n"
                                 "0.500\t2\t1\t1\n"
                                 "0.250\t1\t1\t1\n");
    f->hideLeaves(4, 4);
    EXPECT_EQ(batchSteps(*f, 4).back().alone, 0);
    EXPECT_EQ(batchFileName("leuk", true), "leuk_gene_batch.txt");
    EXPECT_EQ(batchFileName("leuk", false), "leuk_sample_batch.txt");
}
