#include <gtest/gtest.h>

#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {
void expectMissing(const DataMatrix& m, int r, int k)
{
    EXPECT_EQ(m.weight(r, k), -1.0f) << "row " << r << " column " << k;
    EXPECT_EQ(m.orgValue(r, k), 0.0f);
}
} // namespace

TEST(LoadDataFile, PlainFileWithAddedNameFromDescription)
{
    TempDir dir;
    std::string p = dir.write("sub\\set.one.txt", "ID\tDESC\tS1\tS2\n"
                                                  "g1\tfirst\t1.5\t\n"
                                                  "g2\tsecond\tNA\t2\n"
                                                  "g3\tthird\tabc\t#n/a\n");
    ScopedRecordingProgress progress;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_strName, "set.one");  // folder stripped at '\' too, extension at the last '.'
    EXPECT_EQ(m.m_nRows, 3);
    EXPECT_EQ(m.m_nColumns, 2);
    EXPECT_EQ(m.m_nExpColumns, 2);
    EXPECT_EQ(m.m_nFields, 5);  // UNIQID, DESC, S1, S2, added NAME
    EXPECT_EQ(m.field(4)->m_strName, "NAME");
    EXPECT_EQ(m.field(4)->m_pOrgTexts[1], "second");
    EXPECT_EQ(m.itemName(2), "third");
    EXPECT_EQ(m.itemId(0), "g1");
    EXPECT_EQ(m.field(1)->m_nType, String);
    EXPECT_EQ(m.orgValue(0, 0), 1.5f);
    expectMissing(m, 0, 1);
    expectMissing(m, 1, 0);                 // NA is missing
    EXPECT_EQ(m.orgValue(2, 0), 0.0f);      // other text: atof, present
    EXPECT_EQ(m.weight(2, 0), 1.0f);
    expectMissing(m, 2, 1);                 // #N/A in any case
    EXPECT_EQ(m.value(1, 1), 2.0f);
    // Field arrays and pools are the same cells.
    EXPECT_EQ(m.columnField(1)->m_pValues[1], 2.0f);
    EXPECT_EQ(m.columnField(1)->m_pWeights[0], -1.0f);
    EXPECT_EQ(m.m_nWeightType, 0);
    EXPECT_EQ(progress->m_titles.front(), "Loading Data");
    EXPECT_EQ(progress->m_nOpens, progress->m_nCloses);
    EXPECT_EQ(progress->m_messages.back(), "Loading Finished! Closing ProgressBar...");
}

TEST(LoadDataFile, NameInAnyCaseAndInfiniteNumbersAreMissing)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "UID\tName\tA\nx\tX\t1e999\ny\tY\tinf\nz\tZ\t-3\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_nFields, 3);
    EXPECT_EQ(m.fieldIndex("NAME"), 1);
    expectMissing(m, 0, 0);
    expectMissing(m, 1, 0);
    EXPECT_EQ(m.orgValue(2, 0), -3.0f);
}

TEST(LoadDataFile, HeaderRowsWithoutFieldType)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "ID\tNAME\tA\tB\tWEIGHT\n"
                                       "EWEIGHT\t\t2\t0.5\t\n"
                                       "cid\t\t1\t2\t\n"
                                       "r1\tn1\t1\t2\t0.3\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_TRUE(m.m_bHasCID);
    EXPECT_EQ(m.m_nRows, 1);
    EXPECT_EQ(m.m_nColumns, 2);  // WEIGHT stays out of the pools
    EXPECT_EQ(m.columnField(0)->m_nCID, 1);
    EXPECT_EQ(m.columnField(1)->m_nCID, 2);
    EXPECT_EQ(m.columnField(0)->m_fWeight, 2.0f);
    EXPECT_EQ(m.columnField(1)->m_fWeight, 0.5f);
    const FieldInfo* w = m.fieldByName("WEIGHT");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->m_nType, Real);
    EXPECT_FLOAT_EQ(w->m_pOrgValues[0], 0.3f);
}

TEST(LoadDataFile, FieldTypeRow)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "ID\tS\tR\tI\tC\tE\tC2\tGWEIGHT\n"
                                       "FIELDTYPE\tSTRING\tREAL\tINT\tCATEGORICAL\tEXPRESSION\tcategorical\tREAL\n"
                                       "WEIGHT\t9\t9\t9\t9\t9\t9\t9\n"
                                       "a\ttext\t1.5\t2.5\tlow\t3\t2\t1\n"
                                       "b\ttext\t1\t2\thigh\t4\t7\t1\n"
                                       "c\ttext\t1\t2\tlow\t\t\t1\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_nColumns, 5);
    EXPECT_EQ(m.m_nExpColumns, 1);
    EXPECT_EQ(m.field(1)->m_nType, String);
    EXPECT_EQ(m.field(2)->m_nType, Real);
    EXPECT_EQ(m.field(3)->m_nType, Integer);
    EXPECT_EQ(m.field(4)->m_nType, CategoricalStr);
    EXPECT_EQ(m.field(5)->m_nType, Expression);
    EXPECT_EQ(m.field(6)->m_nType, Categorical);
    EXPECT_EQ(m.fieldByName("GWEIGHT")->m_nType, Real);
    EXPECT_EQ(m.m_arrColumnFields, (std::vector<unsigned>{2, 3, 4, 5, 6}));
    EXPECT_EQ(m.orgValue(0, 1), 2.5f);  // an integer column keeps its fraction
    EXPECT_EQ(m.orgValue(0, 2), 0.0f);  // low -> 0
    EXPECT_EQ(m.orgValue(1, 2), 1.0f);  // high -> 1
    EXPECT_EQ(m.orgValue(2, 2), 0.0f);
    EXPECT_EQ(m.lookupLabel("C", 1), "high");
    EXPECT_EQ(m.lookupLabel("C2", 7), "7");
    EXPECT_EQ(m.lookupLabel("C2", 5), "");
    EXPECT_EQ(m.columnField(0)->m_fWeight, 1.0f);  // the WEIGHT row is not read with a FIELDTYPE row
    expectMissing(m, 2, 4);
    ScopedRecordingMessages msgs;
    EXPECT_EQ(m.lookupLabel("S", 0), "");
    ASSERT_EQ(msgs->m_texts.size(), 1u);
    EXPECT_EQ(msgs->m_texts[0], "Trying to lookup at a non-categorical_str variable...");
}

TEST(LoadDataFile, TheHeaderDecidesTheColumnsAndLongerRowsAreWarnedOf)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "ID\tA\nr1\t1\t5\nr2\t2\n");
    DataMatrix m;
    ScopedRecordingMessages msgs;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_nColumns, 1);
    EXPECT_EQ(m.orgValue(0, 0), 1.0f);
    ASSERT_EQ(msgs->m_texts.size(), 1u);
    EXPECT_EQ(msgs->m_texts[0], p + ": 1 warning\nline 2: 3 cells, the header has 2; the extra cells are ignored");
}

TEST(LoadDataFile, PValueSideFile)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "ID\tA\tB\nr1\t1\t\nr2\t2\t3\nr3\t4\t5\n");
    dir.write("d.pvl", "ID\tA\tB\nr1\t0.01\t0.2\nr2\t\t0.5  \nr3\t2\t-0.5\n");
    dir.write("d.pma", "ID\tA\tB\nr1\tP\tP\nr2\tP\tP\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_nWeightType, 1);
    EXPECT_FLOAT_EQ(m.weight(0, 0), 0.99f);
    EXPECT_EQ(m.weight(0, 1), -1.0f);  // missing cells stay missing
    EXPECT_FLOAT_EQ(m.weight(1, 0), 0.5f);
    EXPECT_FLOAT_EQ(m.weight(1, 1), 0.5f);
    EXPECT_FLOAT_EQ(m.columnField(0)->m_pWeights[0], 0.99f);
    // p-values outside [0, 1] are kept in range: a p-value of 2 must not
    // turn into the missing marker -1.
    EXPECT_EQ(m.weight(2, 0), 0.0f);
    EXPECT_EQ(m.weight(2, 1), 1.0f);
}

TEST(LoadDataFile, DetectionCallSideFileAndMismatch)
{
    TempDir dir;
    std::string p = dir.write("d.txt", "ID\tA\tB\tC\nr1\t1\t2\t3\n");
    dir.write("d.pma", "ID\tA\tB\tC\nr1\tP\tM\tp\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(p));
    EXPECT_EQ(m.m_nWeightType, 2);
    EXPECT_EQ(m.weight(0, 0), 1.0f);
    EXPECT_EQ(m.weight(0, 1), 0.5f);
    EXPECT_EQ(m.weight(0, 2), 0.0f);  // the comparison is case-sensitive

    std::string q = dir.write("e.txt", "ID\tA\nr1\t1\nr2\t2\n");
    dir.write("e.pvl", "ID\tA\nr1\t0.1\n");
    ScopedRecordingMessages msgs;
    ASSERT_TRUE(m.loadDataFile(q));
    EXPECT_EQ(m.m_nWeightType, 0);
    EXPECT_EQ(m.weight(0, 0), 1.0f);
    ASSERT_EQ(msgs->m_texts.size(), 1u);
    EXPECT_EQ(msgs->m_texts[0],
              "The number of items in the p-value file doesn't match the expression file.\nCheck your p-value file.");

    std::string s = dir.write("f.txt", "ID\tA\nr1\t1\nr2\t2\n");
    dir.write("f.pma", "ID\tA\n");
    ASSERT_TRUE(m.loadDataFile(s));
    EXPECT_EQ(msgs->m_texts.back(), "The number of items in the detectional call file doesn't match the expression "
                                    "file.\nCheck your detection call file.");
}

TEST(LoadDataFile, FailureAndCancelLeaveTheMatrixEmpty)
{
    TempDir dir;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(dir.write("a.txt", "ID\tA\nr\t1\n")));
    EXPECT_FALSE(m.loadDataFile(dir.path("absent.txt")));
    EXPECT_TRUE(m.isEmpty());
    EXPECT_EQ(m.m_nRows, 0);
    EXPECT_FALSE(m.m_pRowExpLevelPool);

    std::string big = "ID\tA\n";
    for (int i = 0; i < 3000; ++i)
        big += "r" + std::to_string(i) + "\t" + std::to_string(i) + "\n";
    std::string p = dir.write("big.txt", big);
    for (int pumps : {1, 5, 31, 32}) {
        ScopedRecordingProgress progress;
        progress->cancelAfterPumps(pumps);
        EXPECT_FALSE(m.loadDataFile(p));
        EXPECT_TRUE(m.isEmpty());
        EXPECT_FALSE(m.m_pOrgExpLevelPool);
        EXPECT_EQ(progress->m_nOpens, progress->m_nCloses);
    }
}

TEST(LoadSequenceFile, CharactersBecomeValues)
{
    TempDir dir;
    std::string p = dir.write("s.txt", "Protein Sequence\tname\tdesc\np1\tone\tacb\np2\ttwo\t" + std::string(120, 'z') +
                                           "\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadSequenceFile(p));
    EXPECT_EQ(m.m_nRows, 2);
    EXPECT_EQ(m.m_nFields, 103);
    EXPECT_EQ(m.m_nColumns, 100);
    EXPECT_EQ(m.m_nExpColumns, 100);
    EXPECT_EQ(m.field(3)->m_strName, "S0");
    EXPECT_EQ(m.field(102)->m_strName, "S99");
    EXPECT_EQ(m.field(3)->m_nType, Integer);
    EXPECT_EQ(m.orgValue(0, 0), 0.0f);
    EXPECT_EQ(m.orgValue(0, 1), 2.0f);
    EXPECT_EQ(m.orgValue(0, 2), 1.0f);
    expectMissing(m, 0, 3);
    expectMissing(m, 0, 99);
    EXPECT_EQ(m.orgValue(1, 99), 25.0f);
    EXPECT_EQ(m.itemName(1), "two");
}

TEST(LoadClusterTable, BlockWithOffsetsAndWeights)
{
    TempDir dir;
    std::string dat = "title\t0\tAverage Linkage\tPearson\tOriginal\tPVal Weight 1\n"
                      "CLUSTER ID\t\t\t\tCLUSTER1\tCLUSTER1\t\n"
                      "CLUSTER ID\tLEAF ID\t\t\tLEAF1\tLEAF0\t\n"
                      "NAME\t\tUniqId\tWEIGHT\tB\tA\tNAME\t\n"
                      "FIELDTYPE\t\tSTRING\tREAL\tEXPRESSION\tEXPRESSION\tSTRING\t\n"
                      "CID\t\t\t\t2\t1\t\n"
                      "WEIGHT\t\t\t\t1.000000\t1.000000\t\n"
                      "CLUSTER1\tLEAF1\tg2\t1.000000\t4.000000\t\tsecond\t\n"
                      "OUTLIER\tLEAF0\tg1\t1.000000\t2.000000\t1.000000\tfirst\t\n";
    std::string p = dir.write("r.dat", dat);
    dir.write("r.wts", "LeafID\tLEAF1\tLEAF0\nLEAF1\t0.250000\t-1.000000\nLEAF0\t\t0.750000\n");
    TableFile t;
    ASSERT_EQ(t.readTable(p), 9);
    DataMatrix m;
    ASSERT_TRUE(m.loadClusterTable(t, p));
    EXPECT_EQ(m.m_nRows, 2);
    EXPECT_EQ(m.m_nColumns, 2);
    EXPECT_TRUE(m.m_bHasCID);
    EXPECT_EQ(m.m_nWeightType, 1);
    EXPECT_EQ(m.itemId(0), "g2");
    EXPECT_EQ(m.itemName(1), "first");
    EXPECT_EQ(m.columnField(0)->m_strName, "B");
    EXPECT_EQ(m.columnField(0)->m_nCID, 2);
    EXPECT_EQ(m.orgValue(0, 0), 4.0f);
    EXPECT_FLOAT_EQ(m.weight(0, 0), 0.25f);
    EXPECT_EQ(m.weight(0, 1), -1.0f);
    EXPECT_FLOAT_EQ(m.weight(1, 0), 0.5f);  // an empty weight cell
    EXPECT_FLOAT_EQ(m.weight(1, 1), 0.75f);
}
