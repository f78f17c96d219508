#include <gtest/gtest.h>

#include "data/DataMatrix.h"
#include "support/TempDir.h"

namespace {
std::unique_ptr<DataMatrix> tenRows(const TempDir& dir)
{
    std::string s = "ID\tNAME\tLEVEL\tCODE\tA\tB\tC\nFIELDTYPE\tSTRING\tCATEGORICAL\tCATEGORICAL\tEXPRESSION\tEXPRESSION\tREAL\n";
    for (int r = 0; r < 10; ++r)
        s += "id" + std::to_string(r) + "\tn" + std::to_string(r) + "\t" + (r % 3 ? "high" : "low") + "\t" +
             std::to_string(r % 2 + 1) + "\t" + std::to_string(r) + "\t" + (r == 5 ? "" : std::to_string(r * 10)) +
             "\t0.5\n";
    auto m = std::make_unique<DataMatrix>();
    EXPECT_TRUE(m->loadDataFile(dir.write("ten.txt", s)));
    return m;
}
} // namespace

TEST(Subsets, CopyRowsKeepsRowsFieldsAndLabels)
{
    TempDir dir;
    auto m = tenRows(dir);
    DataMatrix c;
    ASSERT_TRUE(m->copyRows({2, 5}, c));
    EXPECT_EQ(c.m_nRows, 2);
    EXPECT_EQ(c.m_arrRowIndex, (std::vector<unsigned>{2, 5}));
    EXPECT_EQ(c.itemId(0), "id2");
    EXPECT_EQ(c.itemId(1), "id5");
    EXPECT_EQ(c.orgValue(1, 2), 5.0f);
    EXPECT_EQ(c.weight(1, 3), -1.0f);
    EXPECT_EQ(c.columnField(2)->m_pOrgValues[1], 5.0f);  // field views follow the new pools
    EXPECT_EQ(c.lookupLabel("LEVEL", 1), "high");
    EXPECT_EQ(c.lookupLabel("CODE", 2), "2");  // the code map of integer categories is copied too
    EXPECT_EQ(c.m_arrColumnFields, m->m_arrColumnFields);
}

TEST(Subsets, SplitByCategoryAndColumns)
{
    TempDir dir;
    auto m = tenRows(dir);
    std::vector<std::unique_ptr<DataMatrix>> parts;
    EXPECT_FALSE(m->splitByCategory("NAME", parts));
    EXPECT_FALSE(m->splitByCategory("NOPE", parts));
    ASSERT_TRUE(m->splitByCategory("LEVEL", parts));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0]->m_strSubset, "LEVEL=low");
    EXPECT_EQ(parts[0]->m_nRows, 4);
    EXPECT_EQ(parts[1]->m_strSubset, "LEVEL=high");
    EXPECT_EQ(parts[1]->m_arrRowIndex, (std::vector<unsigned>{1, 2, 4, 5, 7, 8}));

    parts.clear();
    ASSERT_TRUE(m->splitColumns({"B", "A", "X"}, {"C"}, parts));
    ASSERT_EQ(parts.size(), 2u);
    const DataMatrix& first = *parts[0];
    EXPECT_EQ(first.m_strSubset, "3/5");
    EXPECT_EQ(first.m_nColumns, 2);
    EXPECT_EQ(first.m_nExpColumns, 2);
    EXPECT_EQ(first.m_nFields, 4);
    EXPECT_EQ(first.columnField(0)->m_strName, "B");
    EXPECT_EQ(first.orgValue(3, 0), 30.0f);
    EXPECT_EQ(first.orgValue(3, 1), 3.0f);
    EXPECT_EQ(first.itemName(3), "n3");
    EXPECT_EQ(parts[1]->m_strSubset, "1/5");
    EXPECT_EQ(parts[1]->m_nColumns, 1);
}

TEST(Subsets, SetValuesAndWeightsWriteThePoolAndTheFields)
{
    TempDir dir;
    auto m = tenRows(dir);
    std::vector<float> column(10, 7.0f), row(5, 3.0f);
    m->setValues(2, column.data(), false, false);
    EXPECT_EQ(m->value(4, 2), 7.0f);
    EXPECT_EQ(m->columnField(2)->m_pValues[4], 7.0f);
    EXPECT_EQ(m->orgValue(4, 2), 4.0f);  // original values untouched
    m->setValues(1, row.data(), true, true);
    EXPECT_EQ(m->orgValue(1, 4), 3.0f);
    EXPECT_EQ(m->columnField(4)->m_pOrgValues[1], 3.0f);
    m->setWeights(3, column.data(), false);
    EXPECT_EQ(m->columnField(3)->m_pWeights[9], 7.0f);
}

TEST(Subsets, ParseColumnCodesLabelsInOrderOfAppearance)
{
    FieldInfo f(CategoricalStr, 4);
    f.parseColumn({"high", "low", "", "high"});
    EXPECT_EQ(f.m_pOrgValues[0], 0.0f);
    EXPECT_EQ(f.m_pOrgValues[1], 1.0f);
    EXPECT_EQ(f.m_pWeights[2], -1.0f);
    EXPECT_EQ(f.m_pOrgValues[3], 0.0f);
    EXPECT_EQ(f.labelOf(1), "low");
    f.parseColumn({"b"});  // maps start afresh; cells beyond the list are missing
    EXPECT_EQ(f.labelOf(0), "b");
    EXPECT_EQ(f.labelOf(1), "");
    EXPECT_EQ(f.m_pWeights[3], -1.0f);
}
