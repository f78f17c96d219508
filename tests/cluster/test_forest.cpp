// The dendrogram forest: leaves from the data matrix, the cut at a minimum
// similarity and its counts, shown leaves, leaf order and profile order.
#include <gtest/gtest.h>

#include <vector>

#include "ClusterFixtures.h"
#include "cluster/ClusterPartition.h"
#include "cluster/HierarchicalClustering.h"
#include "data/DataMatrix.h"
#include "support/TempDir.h"

namespace {

// Points 0, 1, 10, 12, 40 on a line, average linkage: {0,1} and {10,12}
// join first, then each other, then 40.
struct LineTree {
    Profiles p = profilesOf({{0}, {1}, {10}, {12}, {40}});
    std::unique_ptr<CForest> f = forestOver(p, kMeasureEuclidean);
    LineTree()
    {
        EXPECT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildRedder, true, false, unitWeights(1)));
        f->applyOrder();
    }
    const CNode* node(int i) const { return f->m_pNodes[static_cast<size_t>(i)]; }
};

TEST(ForestCut, ClustersAreTheHighestBranchesAtOrAboveTheMinimum)
{
    LineTree t;
    const CNode* pairLow = t.node(5);   // {0, 1}
    const CNode* pairHigh = t.node(6);  // {10, 12}
    ASSERT_EQ(pairLow->m_nSize, 2);
    ASSERT_EQ(pairHigh->m_nSize, 2);
    ASSERT_GT(pairLow->m_fSimilarity, pairHigh->m_fSimilarity);

    t.f->cut(0.9f);
    ASSERT_EQ(t.f->m_clusters.size(), 2u);
    EXPECT_EQ(t.f->itemsLeft(), 1);
    EXPECT_EQ(cutStatisticsText(*t.f, 0.9f),
              "Minimum Similarity = 0.900  # of Clusters = 2  # of Items Left = 4  # of Alones = 1");
    EXPECT_EQ(t.f->clusterNumbers(), (std::vector<int>{1, 1, 2, 2, 0}));
    EXPECT_EQ(t.f->clusterRange(1), std::make_pair(2, 3));
    EXPECT_EQ(t.f->clusterRange(2), std::make_pair(-1, -1));
    EXPECT_EQ(t.f->selectedClusterRange(), std::make_pair(-1, -1));
    t.f->m_nSelectedCluster = 0;
    EXPECT_EQ(t.f->selectedClusterRange(), std::make_pair(0, 1));

    // Exactly at a branch's similarity: the branch is in.
    t.f->cut(pairHigh->m_fSimilarity);
    EXPECT_EQ(t.f->m_clusters.size(), 2u);
    // Above every branch: no cluster, every leaf alone.
    t.f->cut(0.99f);
    EXPECT_TRUE(t.f->m_clusters.empty());
    EXPECT_EQ(t.f->itemsLeft(), 5);
    // Root at or above the minimum: one cluster of all leaves.
    t.f->cut(0.0f);
    ASSERT_EQ(t.f->m_clusters.size(), 1u);
    EXPECT_EQ(t.f->m_clusters[0], t.f->root());
    EXPECT_EQ(t.f->itemsLeft(), 0);
}

TEST(ForestCut, CountsLeaveTheListAloneAndSkipHiddenLeaves)
{
    LineTree t;
    t.f->cut(0.99f);
    EXPECT_EQ(t.f->countClusters(0.9f, true), std::make_pair(2, 4));
    EXPECT_TRUE(t.f->m_clusters.empty());
    EXPECT_EQ(t.f->countClusters(0.0f, true), std::make_pair(1, 5));

    t.f->hideLeaves(0, 1);  // the whole first cluster
    EXPECT_EQ(t.f->countClusters(0.9f, true), std::make_pair(1, 2));
    EXPECT_EQ(t.f->countClusters(0.9f, false), std::make_pair(1, 3));
    EXPECT_EQ(t.f->shownLeaves(t.f->root()), 3);
    EXPECT_EQ(t.f->firstShownLeaf(t.f->root()), t.f->dataIndex(2));
    EXPECT_EQ(t.f->firstShownLeaf(t.node(5)), -1);

    t.f->showOnlyLeaves(4, 4);
    EXPECT_EQ(t.f->shownLeaves(t.f->root()), 1);
    t.f->setAllShown();
    EXPECT_EQ(t.f->shownLeaves(t.f->root()), 5);

    CForest unclustered(9, 2, 5, true);
    EXPECT_EQ(unclustered.countClusters(0.5f, true), std::make_pair(0, 5));
}

TEST(ForestCut, OneLeafForestHasNoBranchesAndNoCluster)
{
    CForest f(1, 4, 1, true);
    ASSERT_TRUE(f.ok());
    EXPECT_EQ(f.m_pExpressionPool, nullptr);
    EXPECT_EQ(f.m_pWeightPool, nullptr);
    f.cut(0.0f);
    EXPECT_TRUE(f.m_clusters.empty());
    EXPECT_EQ(f.itemsLeft(), 1);
    EXPECT_EQ(f.countClusters(0.0f, true), std::make_pair(0, 1));
}

TEST(ForestOrder, EnabledLeavesFirstOnAnUnclusteredForest)
{
    CForest columns(9, 3, 5, false);
    columns.enableLeaves({true, true, false, true, false});
    const std::vector<int> from = columns.orderEnabledFirst();
    EXPECT_EQ(columns.m_arrOrder, (std::vector<int>{0, 1, 3, 2, 4}));
    EXPECT_EQ(from, (std::vector<int>{0, 1, 3, 2, 4}));
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(columns.dataIndex(p), columns.m_arrOrder[static_cast<size_t>(p)]);
}

TEST(ForestOrder, EnabledLeavesFirstOnAClusteredForestSwapsChildren)
{
    LineTree t;
    t.f->m_pOrgNodes[0]->m_bEnabled = 0;
    t.f->m_pOrgNodes[1]->m_bEnabled = 0;
    t.f->orderEnabledFirst();
    // {0, 1} holds no enabled leaf and moves to the right of {10, 12}.
    EXPECT_EQ(t.f->m_arrOrder, (std::vector<int>{2, 3, 0, 1, 4}));
}

TEST(ForestOrder, PermutedProfilesFollowThePartnerAndSpareTheMatrix)
{
    TempDir dir;
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(dir.write("d.txt", "ID\tNAME\tA\tB\tC\ng1\tx\t1\t2\t3\ng2\ty\t4\t5\t6\n")));
    std::unique_ptr<CForest> rows, columns;
    ASSERT_TRUE(makeForestPair(data, rows, columns));
    ASSERT_TRUE(rows->permuteProfiles({2, 0, 1}));
    EXPECT_EQ(rows->leaf(1)->m_pValues[0], 6.0f);
    EXPECT_EQ(rows->leaf(1)->m_pValues[1], 4.0f);
    EXPECT_EQ(rows->leaf(1)->m_pOrgValues[2], 5.0f);
    EXPECT_EQ(data.value(1, 0), 4.0f);  // the data matrix keeps its order
    EXPECT_EQ(rows->m_columnWeights.size(), 3u);
    EXPECT_FALSE(rows->permuteProfiles({0, 1}));  // wrong length

    // The leaf order: applyOrder reports where each leaf came from.
    columns->m_arrOrder = {2, 0, 1};
    EXPECT_EQ(columns->applyOrder(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(columns->leaf(0)->m_strName, "C");
    columns->m_arrOrder = {0, 0, 1};  // not a permutation: nothing moves
    EXPECT_EQ(columns->applyOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(columns->leaf(0)->m_strName, "C");
}

TEST(ForestLeaves, LeavesTakeNamesWeightsProfilesAndClassesFromTheMatrix)
{
    TempDir dir;
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(dir.write("c.txt",
                                            "ID\tNAME\tGWEIGHT\tS1\tS2\tS3\n"
                                            "CID\t\t\t1\t2\t2\n"
                                            "EWEIGHT\t\t\t1\t0.5\t2\n"
                                            "g1\tAlpha\t2\t1\t2\t3\n"
                                            "g2\tBeta\t1\t4\t\t6\n")));
    std::unique_ptr<CForest> rows, columns;
    ASSERT_TRUE(makeForestPair(data, rows, columns));
    EXPECT_EQ(rows->leaf(0)->m_strName, "Alpha");
    EXPECT_EQ(rows->leaf(0)->m_strLabel2, "g1");
    EXPECT_EQ(rows->leaf(0)->m_fWeight, 2.0f);
    EXPECT_EQ(rows->leaf(1)->m_pValues, data.rowValues(1));
    EXPECT_FALSE(rows->m_bHasClasses);

    ASSERT_EQ(columns->m_nLeaves, 3);
    EXPECT_EQ(columns->leaf(1)->m_strName, "S2");
    EXPECT_EQ(columns->leaf(1)->m_fWeight, 0.5f);
    EXPECT_EQ(columns->leaf(2)->m_pValues[1], 6.0f);
    EXPECT_EQ(columns->leaf(1)->m_pWeights[1], -1.0f);
    EXPECT_TRUE(columns->m_bHasClasses);
    EXPECT_EQ(columns->leaf(0)->m_nMarker2, 1);
    EXPECT_EQ(columns->leaf(2)->m_nMarker2, 2);
    EXPECT_EQ(columns->m_classSizes, (std::vector<int>{1, 2}));
    EXPECT_EQ(rows->m_pPartner, columns.get());
    EXPECT_EQ(columns->m_pPartner, rows.get());
}

TEST(ForestLeaves, CopyLeavesReproducesTreeOrderAndProfiles)
{
    LineTree t;
    CForest copy(9, 1, 5, true);
    ASSERT_TRUE(copy.copyLeaves(*t.f));
    EXPECT_EQ(copy.m_arrOrder, t.f->m_arrOrder);
    EXPECT_TRUE(copy.m_bClustered);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(copy.m_pNodes[static_cast<size_t>(i)]->m_nSize, t.node(i)->m_nSize);
        EXPECT_EQ(copy.m_pNodes[static_cast<size_t>(i)]->m_fSimilarity, t.node(i)->m_fSimilarity);
        EXPECT_EQ(copy.m_pNodes[static_cast<size_t>(i)]->m_pValues[0], t.node(i)->m_pValues[0]);
        EXPECT_NE(copy.m_pNodes[static_cast<size_t>(i)]->m_pValues, t.node(i)->m_pValues);
    }
    copy.cut(0.9f);
    EXPECT_EQ(copy.clusterNumbers(), (std::vector<int>{1, 1, 2, 2, 0}));
    CForest otherShape(7, 1, 4, true);
    EXPECT_FALSE(otherShape.copyLeaves(*t.f));
}

} // namespace
