// The hypergeometric tail, Benjamini-Hochberg and the enrichment of the
// current cut, against values computed with scipy (hypergeom.sf) and numpy.
#include <gtest/gtest.h>

#include <memory>

#include "app/CArxDoc.h"
#include "linked/GoAnnotation.h"
#include "linked/GoEnrichment.h"
#include "linked/GoFiles.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"
#include "support/DocSupport.h"

TEST(GoEnrichment, HypergeometricUpperTailMatchesScipy)
{
    struct Case {
        int k, n, K, N;
        double p;
    };
    // scipy.stats.hypergeom.sf(k - 1, N, K, n)
    const Case cases[] = {{128, 321, 427, 1923, 2.126213483767488e-15}, {2, 5, 10, 100, 0.0768567220702714},
                          {3, 3, 3, 20, 0.0008771929824561404},       {1, 10, 5, 50, 0.6894372179954313},
                          {5, 40, 12, 300, 0.012854378665760766},     {20, 25, 30, 2000, 3.976946714151189e-36},
                          {0, 4, 3, 10, 1.0}};
    for (const Case& c : cases)
        EXPECT_NEAR(hypergeometricUpperTail(c.k, c.n, c.K, c.N) / c.p, 1.0, 1e-9) << c.k << " " << c.n;
    EXPECT_EQ(hypergeometricUpperTail(4, 3, 3, 20), 0.0);  // more than can be drawn
    EXPECT_EQ(hypergeometricUpperTail(1, 0, 3, 20), 0.0);
    EXPECT_EQ(hypergeometricUpperTail(1, 5, 3, 0), 1.0);   // nothing annotated
}

TEST(GoEnrichment, BenjaminiHochbergMatchesNumpy)
{
    const std::vector<double> q = benjaminiHochberg({0.01, 0.04, 0.03, 0.2, 0.5, 0.001, 0.04});
    const double expected[] = {0.035, 0.056, 0.056, 0.23333333333333336, 0.5, 0.007, 0.056};
    ASSERT_EQ(q.size(), 7u);
    for (size_t i = 0; i < q.size(); ++i)
        EXPECT_NEAR(q[i], expected[i], 1e-12) << i;
    EXPECT_TRUE(benjaminiHochberg({}).empty());
    EXPECT_EQ(benjaminiHochberg({0.9, 0.95}), (std::vector<double>{0.95, 0.95}));
}

TEST(GoEnrichment, TestsOnlyTermsWithTwoItemsOfAClusterAndSortsByClusterThenP)
{
    TempDir dir;
    auto o = std::make_shared<GoOntology>();
    RecordingProgress p;
    ASSERT_TRUE(loadOntology(dir.write("s.obo",
                                       "[Term]\nid: GO:0000010\nname: ten\nnamespace: biological_process\n"
                                       "is_a: GO:0008150\n"
                                       "[Term]\nid: GO:0000011\nname: eleven\nnamespace: biological_process\n"
                                       "is_a: GO:0000010\n"
                                       "[Term]\nid: GO:0000020\nname: twenty\nnamespace: cellular_component\n"
                                       "is_a: GO:0005575\n"),
                             *o, p)
                    .ok);
    auto a = std::make_shared<GoAttachment>();
    a->m_rows = {{11}, {11}, {10}, {20}, {20}, {}, {99}, {11}, {20}, {10}};
    const GoIndex index(o, a);
    EXPECT_EQ(index.annotatedCount(), 8);
    // Cluster 1: rows 0, 1, 5 (5 not annotated); cluster 2: rows 3, 4, 6, 9; row 2 alone.
    const std::vector<int> clusters{1, 1, 0, 2, 2, 1, 2, 0, 0, 2};
    const std::vector<GoEnrichmentRow> rows = enrichClusters(index, clusters);
    std::vector<std::pair<int, int>> tested;
    for (const GoEnrichmentRow& r : rows)
        tested.emplace_back(r.m_nCluster, r.m_nNumber);
    // Cluster 1: both items under 11 (K 3), 10 and process (K 5, a tie kept
    // in GO order) and the top root (K 8); cluster 2: two of three
    // annotated items under 20 and component, all three under the top root.
    const std::vector<std::pair<int, int>> expected{{1, 11}, {1, 10},   {1, 8150},   {1, 3673},
                                                    {2, 20}, {2, 5575}, {2, 3673}};
    ASSERT_EQ(tested.size(), 7u);
    EXPECT_EQ(tested, expected);
    const GoEnrichmentRow& first = rows[0];
    EXPECT_EQ(first.m_k, 2);
    EXPECT_EQ(first.m_n, 2);
    EXPECT_EQ(first.m_K, 3);
    EXPECT_EQ(first.m_N, 8);
    EXPECT_NEAR(first.m_dP, 3.0 / 28.0, 1e-12);  // C(3,2) / C(8,2)
    for (size_t i = 1; i < rows.size(); ++i) {
        EXPECT_LE(rows[i - 1].m_nCluster, rows[i].m_nCluster);
        if (rows[i - 1].m_nCluster == rows[i].m_nCluster) {
            EXPECT_LE(rows[i - 1].m_dP, rows[i].m_dP);
        }
    }
    for (const GoEnrichmentRow& r : rows)
        EXPECT_GE(r.m_k, 2);
    EXPECT_EQ(rowsUpToFdr(rows, 1.0).size(), rows.size());
    EXPECT_TRUE(rowsUpToFdr(rows, 0.01).empty());
    EXPECT_EQ(enrichmentLine(index, first), "1\tGO:0000011\televen\t2\t2\t3\t8\t0.107143\t0.428571");
    EXPECT_EQ(enrichmentHeader(), "cluster\tGO identifier\tterm\tk\tn\tK\tN\tp-value\tFDR");

    std::atomic<bool> cancel{true};
    EXPECT_TRUE(enrichClusters(index, clusters, &cancel).empty());
}

TEST(GoEnrichment, LeukemiaClustersAtTheCutMatchScipy)
{
    CArxDoc doc;
    const std::string samples = ARBOLIX_SAMPLES_DIR;
    ASSERT_TRUE(doc.readDataFile(samples + "/all_leukemia_top2000.txt", false, -1, -1, 0, 1, false));
    CClusteringParameters params = everyColumn(doc);
    params.m_options.clusterColumns = false;
    ASSERT_TRUE(doc.hierarchicalClustering(params));
    doc.m_pRowForest->cut(0.8f);
    ASSERT_EQ(doc.m_pRowForest->m_clusters.size(), 323u);

    ASSERT_TRUE(doc.attachAnnotation(samples + "/all_leukemia_top2000_annotation.csv"));
    RecordingProgress p;
    auto a = std::make_shared<GoAttachment>();
    ASSERT_TRUE(attachGoIdentifiers(*doc.data(), doc.annotation(), *a, p));
    auto o = std::make_shared<GoOntology>();
    ASSERT_TRUE(loadOntology(samples + "/go-basic.obo.gz", *o, p).ok);
    const GoIndex index(o, a);
    const std::vector<GoEnrichmentRow> rows = enrichClusters(index, clusterOfItems(*doc.m_pRowForest));

    // An independent run: the same files read with Python, the cut's
    // clusters from `arbolix-cli cluster --order`, scipy's hypergeom.sf and
    // Benjamini-Hochberg in numpy. (cluster, GO, k, n, K, N, p, FDR); the
    // first three rows of clusters 1 and 3; 138 and 96 terms tested.
    struct Row {
        int cluster, number, k, n, K, N;
        double p, fdr;
    };
    const Row expected[] = {{1, 45638, 3, 5, 28, 1923, 2.714639374417383e-05, 0.0037462023366959885},
                            {1, 60216, 2, 5, 9, 1923, 0.00019338849089769016, 0.00786073619943782},
                            {1, 9790, 4, 5, 165, 1923, 0.0002444926075973146, 0.00786073619943782},
                            {3, 1990589, 2, 2, 3, 1923, 1.6233739880292405e-06, 0.0001558439028508071},
                            {3, 8140, 2, 2, 4, 1923, 3.246747976058481e-06, 0.0001558439028508071},
                            {3, 7283, 2, 2, 59, 1923, 0.0009258642978393433, 0.01496101467367748}};
    size_t tested1 = 0, tested3 = 0;
    for (const GoEnrichmentRow& r : rows) {
        tested1 += r.m_nCluster == 1;
        tested3 += r.m_nCluster == 3;
    }
    EXPECT_EQ(tested1, 138u);
    EXPECT_EQ(tested3, 96u);
    for (const Row& e : expected) {
        size_t i = 0;
        while (i < rows.size() && rows[i].m_nCluster != e.cluster)
            ++i;
        const size_t at = i + static_cast<size_t>(&e - expected) % 3;
        ASSERT_LT(at, rows.size());
        const GoEnrichmentRow& r = rows[at];
        EXPECT_EQ(r.m_nNumber, e.number);
        EXPECT_EQ(r.m_k, e.k);
        EXPECT_EQ(r.m_n, e.n);
        EXPECT_EQ(r.m_K, e.K);
        EXPECT_EQ(r.m_N, e.N);
        EXPECT_NEAR(r.m_dP / e.p, 1.0, 1e-9);
        EXPECT_NEAR(r.m_dFdr / e.fdr, 1.0, 1e-9);
    }
}
