#include <gtest/gtest.h>

#include "app/CutInfo.h"
#include "app/FlatTree.h"
#include "cluster/Evaluation.h"
#include "platform/Format.h"
#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"

namespace {
// The sample's rows and columns clustered with the default options.
void clusterSample(DataMatrix& data, std::unique_ptr<CForest>& rows, std::unique_ptr<CForest>& cols)
{
    ASSERT_TRUE(data.loadDataFile(std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt"));
    data.computeStatistics(false, true);
    data.computeStatistics(false, false);
    ASSERT_TRUE(makeForestPair(data, rows, cols));
    ASSERT_TRUE(clusterPartition(*rows, *cols, ClusteringOptions{}));
}
} // namespace

TEST(FlatTree, CutsLikeTheForest)
{
    DataMatrix data;
    std::unique_ptr<CForest> rows, cols;
    ASSERT_NO_FATAL_FAILURE(clusterSample(data, rows, cols));
    for (CForest* f : {rows.get(), cols.get()}) {
        FlatTree t;
        t.build(*f);
        ASSERT_EQ(t.pre.size(), static_cast<size_t>(f->m_nNodes));
        EXPECT_EQ(t.firstLeaf[static_cast<size_t>(t.root)], 0);
        EXPECT_EQ(t.lastLeaf[static_cast<size_t>(t.root)], f->m_nLeaves - 1);
        std::vector<int> ids;
        for (float s : {0.0f, 0.3f, 0.5f, 0.75f, 0.9f, 1.0f}) {
            f->cut(s);
            flatCut(t, s, ids);
            ASSERT_EQ(ids.size(), f->m_clusters.size()) << s;
            for (size_t c = 0; c < ids.size(); ++c) {
                EXPECT_EQ(f->m_pNodes[static_cast<size_t>(ids[c])], f->m_clusters[c]);
                auto [a, b] = f->leafRange(f->m_clusters[c]);
                EXPECT_EQ(t.firstLeaf[static_cast<size_t>(ids[c])], a);
                EXPECT_EQ(t.lastLeaf[static_cast<size_t>(ids[c])], b);
            }
        }
    }
}

TEST(ClusteringInfo, TextWithAndWithoutClasses)
{
    DataMatrix data;
    std::unique_ptr<CForest> rows, cols;
    ASSERT_NO_FATAL_FAILURE(clusterSample(data, rows, cols));
    rows->cut(0.75f);
    const int alones = rows->itemsLeft();
    EXPECT_EQ(clusteringInfoText(*rows, 0.75f),
              strFormat("Minimum Similarity = 0.750  # of Clusters = %d  # of Items Left = %d  # of Alones = %d",
                        static_cast<int>(rows->m_clusters.size()), rows->m_nLeaves - alones, alones));
    // The samples carry classes (the CID row): the F-measure of the cut.
    ASSERT_TRUE(cols->m_bHasClasses);
    cols->cut(0.9f);
    const std::string text = clusteringInfoText(*cols, 0.9f);
    EXPECT_NE(text.find(strFormat("  F-measure = %.3f  # of Items Left = ", fMeasure(*cols))), std::string::npos) << text;
    EXPECT_EQ(text.rfind("Minimum Similarity = 0.900  # of Clusters = ", 0), 0u);
}

// A flip followed in place leaves the flat tree as a fresh walk of the
// flipped forest builds it: the root, a branch deep on the left, one on the
// right edge and the same branch twice, with hidden leaves moving along.
TEST(FlatTree, FollowsFlipsAsAFreshBuildSeesThem)
{
    DataMatrix data;
    std::unique_ptr<CForest> rows, cols;
    ASSERT_NO_FATAL_FAILURE(clusterSample(data, rows, cols));
    CForest& f = *rows;
    f.hideLeaves(10, 40);
    FlatTree t;
    t.build(f);
    auto descend = [&](const CNode* n, bool left, int depth) {
        for (int d = 0; d < depth && !n->m_pFirst->isLeaf() && !n->m_pSecond->isLeaf(); ++d)
            n = left ? n->m_pFirst : n->m_pSecond;
        return n->m_nIndex;
    };
    const int deepLeft = descend(f.root(), true, 6), rightEdge = descend(f.root(), false, 3);
    for (int id : {f.root()->m_nIndex, deepLeft, rightEdge, rightEdge, f.root()->m_nIndex}) {
        ASSERT_TRUE(f.flipNode(f.m_pNodes[static_cast<size_t>(id)]));
        ASSERT_TRUE(t.flipBranch(id));
        FlatTree fresh;
        fresh.build(f);
        EXPECT_EQ(t.pre, fresh.pre) << id;
        EXPECT_EQ(t.first, fresh.first) << id;
        EXPECT_EQ(t.second, fresh.second) << id;
        EXPECT_EQ(t.sim, fresh.sim) << id;
        EXPECT_EQ(t.firstLeaf, fresh.firstLeaf) << id;
        EXPECT_EQ(t.lastLeaf, fresh.lastLeaf) << id;
        EXPECT_EQ(t.shown, fresh.shown) << id;
        EXPECT_EQ(t.root, fresh.root);
    }
    // A leaf is not flipped.
    EXPECT_FALSE(t.flipBranch(0));
}
