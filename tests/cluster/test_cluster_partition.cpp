// Clustering a forest pair: row order, column order with unchecked columns,
// and the partitions of a matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

// 12 items x 6 columns of random values, columns C0..C5.
std::string randomTable(unsigned seed, int rows = 12, int columns = 6)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> v(-3.0f, 3.0f);
    std::string s = "ID\tNAME";
    for (int k = 0; k < columns; ++k)
        s += "\tC" + std::to_string(k);
    s += "\n";
    for (int r = 0; r < rows; ++r) {
        s += "id" + std::to_string(r) + "\tn" + std::to_string(r);
        for (int k = 0; k < columns; ++k)
            s += "\t" + std::to_string(v(rng));
        s += "\n";
    }
    return s;
}

struct Pair {
    TempDir dir;
    DataMatrix data;
    std::unique_ptr<CForest> rows, columns;
    explicit Pair(const std::string& table)
    {
        EXPECT_TRUE(data.loadDataFile(dir.write("t.txt", table)));
        EXPECT_TRUE(makeForestPair(data, rows, columns));
    }
    // Every profile element of both forests is the matrix cell its two
    // leaves name.
    void expectProfilesFollowOrders() const
    {
        for (int p = 0; p < rows->m_nLeaves; ++p)
            for (int q = 0; q < columns->m_nLeaves; ++q) {
                const float cell = data.value(rows->dataIndex(p), columns->dataIndex(q));
                ASSERT_EQ(rows->leaf(p)->m_pValues[q], cell) << p << "," << q;
                ASSERT_EQ(columns->leaf(q)->m_pValues[p], cell) << p << "," << q;
            }
    }
};

TEST(ClusterPartition, RowLeavesComeInDisplayOrderWithTheirDataRows)
{
    Pair pair(randomTable(1));
    ClusteringOptions o;
    o.clusterColumns = false;
    ASSERT_TRUE(clusterPartition(*pair.rows, *pair.columns, o));
    EXPECT_TRUE(pair.rows->m_bClustered);
    EXPECT_FALSE(pair.columns->m_bClustered);
    for (int p = 0; p < 12; ++p) {
        EXPECT_EQ(pair.rows->leaf(p)->m_nIndex, pair.rows->m_arrOrder[static_cast<size_t>(p)]);
        EXPECT_EQ(pair.rows->leaf(p)->m_strName, "n" + std::to_string(pair.rows->dataIndex(p)));
    }
    pair.expectProfilesFollowOrders();
}

TEST(ClusterPartition, UncheckedColumnsEndAtTheRightWithColumnClustering)
{
    Pair pair(randomTable(2));
    EXPECT_EQ(enableColumnsByName(*pair.columns, {"c0", "C2", "C3", "C5"}), 4);
    ClusteringOptions o;
    o.measure = kMeasureEuclidean;
    ASSERT_TRUE(clusterPartition(*pair.rows, *pair.columns, o));
    ASSERT_TRUE(pair.columns->m_bClustered);
    std::vector<int> right = {pair.columns->dataIndex(4), pair.columns->dataIndex(5)};
    std::sort(right.begin(), right.end());
    EXPECT_EQ(right, (std::vector<int>{1, 4}));
    EXPECT_EQ(pair.columns->root()->m_fSimilarity, 0.0f);
    pair.expectProfilesFollowOrders();
    // The rows were clustered on the checked columns only.
    const std::vector<float> weights = columnWeightVector(*pair.columns);
    EXPECT_EQ(weights[4], -1.0f);
    EXPECT_EQ(weights[5], -1.0f);
}

TEST(ClusterPartition, UncheckedColumnsEndAtTheRightWithoutColumnClustering)
{
    Pair pair(randomTable(3));
    enableColumnsByName(*pair.columns, {"C1", "C3", "C4", "C5"});
    ClusteringOptions o;
    o.clusterColumns = false;
    ASSERT_TRUE(clusterPartition(*pair.rows, *pair.columns, o));
    EXPECT_EQ(pair.columns->m_arrOrder, (std::vector<int>{1, 3, 4, 5, 0, 2}));
    pair.expectProfilesFollowOrders();
}

TEST(ClusterPartition, FewerThanThreeLeavesAreNotClustered)
{
    Pair pair(randomTable(4, 2, 5));
    ClusteringOptions o;
    o.measure = kMeasureManhattan;
    ASSERT_TRUE(clusterPartition(*pair.rows, *pair.columns, o));
    EXPECT_FALSE(pair.rows->m_bClustered);
    EXPECT_TRUE(pair.columns->m_bClustered);
}

TEST(ClusterPartition, ACancelledRowRunStopsTheOperation)
{
    Pair pair(randomTable(5));
    ScopedRecordingMessages messages;
    ScopedRecordingProgress progress;
    progress->cancelAfterPumps(1);
    EXPECT_FALSE(clusterPartition(*pair.rows, *pair.columns, ClusteringOptions{}));
    EXPECT_FALSE(pair.rows->m_bClustered);
    EXPECT_FALSE(pair.columns->m_bClustered);
    EXPECT_EQ(pair.columns->m_arrOrder, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(Partitions, ByRowOnePartitionPerCategoryMappedToTheFullMatrix)
{
    TempDir dir;
    std::string s = "ID\tNAME\tLEVEL\tA\tB\tC\tD\nFIELDTYPE\tSTRING\tCATEGORICAL\tEXPRESSION\tEXPRESSION\tEXPRESSION\t"
                    "EXPRESSION\n";
    for (int r = 0; r < 9; ++r)
        s += "id" + std::to_string(r) + "\tn" + std::to_string(r) + "\t" + (r % 3 ? "high" : "low") + "\t" +
             std::to_string(r) + "\t" + std::to_string(r * r % 7) + "\t" + std::to_string(r % 4) + "\t" +
             std::to_string(10 - r) + "\n";
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(dir.write("p.txt", s)));
    std::vector<CPartition> parts;
    ASSERT_TRUE(partitionByRow(data, "LEVEL", PartitionTransform{}, parts));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].m_strName, "LEVEL=low");
    EXPECT_EQ(parts[1].m_strName, "LEVEL=high");
    ASSERT_EQ(parts[0].m_pRows->m_nLeaves, 3);
    EXPECT_EQ(parts[0].m_pRows->dataIndex(1), 3);  // rows 0, 3, 6 of the full matrix
    EXPECT_EQ(parts[0].m_pRows->leaf(1)->m_strName, "n3");

    ClusteringOptions o;
    o.measure = kMeasureEuclidean;
    for (CPartition& p : parts)
        ASSERT_TRUE(clusterPartition(*p.m_pRows, *p.m_pColumns, o));
    std::vector<int> order = parts[1].m_pRows->m_arrOrder;
    std::sort(order.begin(), order.end());
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4, 5, 7, 8}));
    EXPECT_FALSE(partitionByRow(data, "A", PartitionTransform{}, parts));
}

TEST(Partitions, ByColumnTwoPartitionsOverAllRows)
{
    TempDir dir;
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(dir.write("c.txt", randomTable(6, 8, 5))));
    std::vector<CPartition> parts;
    ASSERT_TRUE(partitionByColumn(data, {"C3", "C1", "C4"}, {"C0", "C2"}, PartitionTransform{}, parts));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].m_strName, "3/5");
    EXPECT_EQ(parts[1].m_strName, "2/5");
    ASSERT_EQ(parts[0].m_pColumns->m_nLeaves, 3);
    EXPECT_EQ(parts[0].m_pColumns->dataIndex(0), 3);  // value column numbers of the full matrix
    EXPECT_EQ(parts[0].m_pColumns->dataIndex(2), 4);
    EXPECT_EQ(parts[1].m_pRows->m_nLeaves, 8);
    ClusteringOptions o;
    o.measure = kMeasureManhattan;
    for (CPartition& p : parts)
        EXPECT_TRUE(clusterPartition(*p.m_pRows, *p.m_pColumns, o));
}

} // namespace
