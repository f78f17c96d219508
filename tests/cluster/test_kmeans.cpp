// K-means: starts, ties, refusals, dead centroids, the order and the export.
#include <gtest/gtest.h>

#include <cmath>

#include "ManualTree.h"
#include "app/CArxDoc.h"
#include "app/DialogChecks.h"
#include "cluster/Evaluation.h"
#include "cluster/KMeans.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

std::vector<int> markers(const CForest& f)
{
    std::vector<int> out;
    for (int p = 0; p < f.m_nLeaves; ++p)
        out.push_back(f.leaf(p)->m_nMarker1);
    return out;
}

const char* const kSmall = "ID\tNAME\tA\tB\tC\n"
                           "g1\tn1\t1\t2\t3\n"
                           "g2\tn2\t1.1\t2.1\t3.1\n"
                           "g3\tn3\t9\t1\t7\n"
                           "g4\tn4\t9.2\t1.1\t7.3\n";

} // namespace

TEST(KMeans, KEqualToTheLeavesStartsEachLeafAsACentroidAndConvergesAfterOneIteration)
{
    Profiles p;
    auto f = pointsForest(p, {0.0f, 1.0f, 3.0f, 7.0f});
    int iterations = -1;
    EXPECT_EQ(runKMeans(*f, 4, false, 2000, 5u, &iterations), KMeansOutcome::Converged);
    EXPECT_EQ(iterations, 1);
    std::vector<int> m = markers(*f);
    std::sort(m.begin(), m.end());
    EXPECT_EQ(m, (std::vector<int>{0, 1, 2, 3}));
}

TEST(KMeans, AnEquidistantLeafGoesToTheLowerCentroid)
{
    // Clusters {0, 0} and {2, 2} of the cut; the leaf at 1 lies between.
    Profiles p;
    auto f = pointsForest(p, {0.0f, 0.0f, 2.0f, 2.0f, 1.0f});
    CNode* left = joinNodes(*f, 5, 0, 1, 0.9f);
    CNode* right = joinNodes(*f, 6, 2, 3, 0.9f);
    joinNodes(*f, 7, 5, 6, 0.2f);
    joinNodes(*f, 8, 7, 4, 0.1f);
    f->m_clusters = {left, right};
    EXPECT_EQ(runKMeans(*f, 0, true, 2000), KMeansOutcome::Converged);
    EXPECT_EQ(markers(*f), (std::vector<int>{0, 0, 1, 1, 0}));
}

TEST(KMeans, KAboveTheLeafCountIsRefusedBeforeARandomRun)
{
    Profiles p;
    auto f = pointsForest(p, {0.0f, 1.0f, 3.0f});
    EXPECT_EQ(runKMeans(*f, 4, false, 2000, 1u), KMeansOutcome::Refused);
    EXPECT_EQ(markers(*f), (std::vector<int>{-1, -1, -1}));
    CKMeansParameters params;
    params.m_rows = {true, 4, false};
    EXPECT_EQ(checkKMeansParameters(params, 3, 10), "K = 4 is more than the number of rows (3).\nPlease specify at most 3 clusters.");
    params.m_rows.m_nK = 1;
    EXPECT_EQ(checkKMeansParameters(params, 3, 10), "Please specify more than one cluster to generate");
    params.m_rows = {false, 1, false};
    params.m_columns = {true, 3, false};
    EXPECT_EQ(checkKMeansParameters(params, 3, 10), "");
}

// The middle cluster {1, 9} has its mean 5 far from both its members.
static std::unique_ptr<CForest> centroidLeftWithoutMembers(Profiles& p)
{
    auto f = pointsForest(p, {0.0f, 0.5f, 1.0f, 9.0f, 9.5f, 10.0f});
    CNode* a = joinNodes(*f, 6, 0, 1, 0.9f);
    CNode* x = joinNodes(*f, 7, 2, 3, 0.8f);
    CNode* c = joinNodes(*f, 8, 4, 5, 0.9f);
    joinNodes(*f, 9, 6, 7, 0.3f);
    joinNodes(*f, 10, 9, 8, 0.1f);
    f->m_clusters = {a, x, c};
    return f;
}

TEST(KMeans, ACentroidLeftWithoutMembersTakesNoLeavesAndLeavesNoNaN)
{
    Profiles p;
    auto f = centroidLeftWithoutMembers(p);
    EXPECT_EQ(runKMeans(*f, 0, true, 2000), KMeansOutcome::Converged);
    EXPECT_EQ(markers(*f), (std::vector<int>{0, 0, 0, 2, 2, 2}));
    refreshKMeansOrder(*f);
    f->m_bKMeans = true;
    const ClusterEvaluation e = evaluateKMeans(*f, true, false);
    EXPECT_EQ(e.clusters, 2);
    ASSERT_TRUE(e.within && e.between && e.ratio);
    EXPECT_TRUE(std::isfinite(*e.within) && std::isfinite(*e.between) && std::isfinite(*e.ratio));
    // With one pass allowed, the limit is reached and that pass's assignment kept.
    Profiles q;
    f = centroidLeftWithoutMembers(q);
    EXPECT_EQ(runKMeans(*f, 0, true, 1), KMeansOutcome::LimitReached);
    EXPECT_EQ(markers(*f), (std::vector<int>{0, 0, 0, 2, 2, 2}));
}

TEST(KMeans, TheSameSeedGivesTheSameClusters)
{
    Profiles p = randomProfiles(60, 5, 3);
    auto f = forestOver(p, kMeasureEuclidean);
    ASSERT_NE(runKMeans(*f, 4, false, 2000, 42u), KMeansOutcome::Refused);
    const std::vector<int> first = markers(*f);
    ASSERT_NE(runKMeans(*f, 4, false, 2000, 42u), KMeansOutcome::Refused);
    EXPECT_EQ(markers(*f), first);
}

TEST(KMeans, TheOrderGroupsPositionsByCluster)
{
    Profiles p;
    auto f = pointsForest(p, {0, 0, 0, 0, 0});
    const int clusters[] = {2, 0, 1, 0, 2};
    for (int q = 0; q < 5; ++q)
        f->leaf(q)->m_nMarker1 = clusters[q];
    refreshKMeansOrder(*f);
    EXPECT_EQ(f->m_kmeansOrder, (std::vector<int>{1, 3, 2, 0, 4}));
    const auto groups = kMeansClusters(*f);
    EXPECT_EQ(groups, (std::vector<std::vector<int>>{{1, 3}, {2}, {0, 4}}));
}

TEST(KMeansCommand, GuardsAndTheHierarchicalChoice)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    EXPECT_EQ(doc.kMeansGuard(), "Please load data first!");
    EXPECT_EQ(doc.kMeansTreeChoice(true).m_strMessage, "Please load data first!");
    CKMeansParameters params;
    params.m_rows = {true, 2, false};
    EXPECT_FALSE(doc.kMeansClustering(params));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Please load data first!"});
    EXPECT_EQ(doc.kMeansExportGuard(), "Please load data first!");

    ASSERT_TRUE(doc.readDataFile(dir.write("small.txt", kSmall), false, -1, -1, 0, 1, false));
    messages->m_texts.clear();
    params.m_rows = {true, 10, false};
    EXPECT_FALSE(doc.kMeansClustering(params));
    EXPECT_EQ(messages->m_texts,
              std::vector<std::string>{"K = 10 is more than the number of rows (4).\nPlease specify at most 4 clusters."});
    EXPECT_FALSE(doc.m_pRowForest->m_bKMeans);
    params.m_rows = {true, 2, false};
    EXPECT_EQ(doc.kMeansTreeChoice(true).m_strMessage, "Please do the hierarchical clustering first!");
    EXPECT_EQ(doc.kMeansExportGuard(), "Do K-means Clustering first!");
    CClusteringParameters cp;
    cp.m_options.measure = kMeasureEuclidean;
    for (const char* c : {"A", "B", "C"})
        cp.m_columns.push_back({c, true});
    ASSERT_TRUE(doc.hierarchicalClustering(cp));
    doc.m_pRowForest->cut(0.0f);
    const CKMeansTreeChoice one = doc.kMeansTreeChoice(true);
    EXPECT_EQ(one.m_strLabel, "Current number of clusters in Hierarchical clustering is 1.");
    EXPECT_EQ(one.m_nK, 1);
    messages->m_texts.clear();
    params.m_rows = {true, 5, true};
    EXPECT_FALSE(doc.kMeansClustering(params));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Please specify more than one cluster to generate"});
    doc.m_pRowForest->cut(0.9f);
    EXPECT_EQ(doc.kMeansTreeChoice(true).m_nK, 2);
    EXPECT_TRUE(doc.kMeansClustering(params));
    EXPECT_TRUE(doc.m_pRowForest->m_bKMeans);
    EXPECT_FALSE(doc.m_pColForest->m_bKMeans);
}

TEST(KMeansExport, RowsInKMeansOrderWithTheirClusters)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(dir.write("small.txt", kSmall), false, -1, -1, 0, 1, false));
    // Fix the clusters: g1 and g2 in cluster 1, g3 and g4 in cluster 0.
    const int clusters[] = {1, 1, 0, 0};
    for (int q = 0; q < 4; ++q)
        doc.m_pRowForest->leaf(q)->m_nMarker1 = clusters[q];
    doc.m_pRowForest->m_bKMeans = true;
    refreshKMeansOrder(*doc.m_pRowForest);
    ASSERT_TRUE(doc.exportKMeans(dir.path("k.txt"), true));
    EXPECT_EQ(TempDir::read(dir.path("k.txt")), "K-means Clustering Result generated by the Arbolix\n"
                                                "CLUSTER ID\tID\tA\tB\tC\tNAME\n"
                                                "KCLUSTER1\tg3\t9.000000\t1.000000\t7.000000\tn3\n"
                                                "KCLUSTER1\tg4\t9.200000\t1.100000\t7.300000\tn4\n"
                                                "KCLUSTER2\tg1\t1.000000\t2.000000\t3.000000\tn1\n"
                                                "KCLUSTER2\tg2\t1.100000\t2.100000\t3.100000\tn2\n");
    // Columns as well: their line of clusters, and the columns in their order.
    const int columnClusters[] = {1, 0, 1};
    for (int q = 0; q < 3; ++q)
        doc.m_pColForest->leaf(q)->m_nMarker1 = columnClusters[q];
    doc.m_pColForest->m_bKMeans = true;
    refreshKMeansOrder(*doc.m_pColForest);
    doc.m_pRowForest->m_bKMeans = false;
    ASSERT_TRUE(doc.exportKMeans(dir.path("k2.txt"), true));
    EXPECT_EQ(TempDir::read(dir.path("k2.txt")), "K-means Clustering Result generated by the Arbolix\n"
                                                 "ID\tB\tA\tC\tNAME\n"
                                                 "\tKCLUSTER1\tKCLUSTER2\tKCLUSTER2\n"
                                                 "g1\t2.000000\t1.000000\t3.000000\tn1\n"
                                                 "g2\t2.100000\t1.100000\t3.100000\tn2\n"
                                                 "g3\t1.000000\t9.000000\t7.000000\tn3\n"
                                                 "g4\t1.100000\t9.200000\t7.300000\tn4\n");
    EXPECT_EQ(doc.kMeansExportName(), "small-Kmeans");
}
