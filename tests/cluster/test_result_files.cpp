// The layouts of the clustering result files, the overwrite questions, the
// import's rules and messages, and the saved nodes file.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CArxDoc.h"
#include "cluster/ClusterPartition.h"
#include "cluster/ResultFiles.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"
#include "support/TextLines.h"

namespace {

const char* const kSmall = "ID\tNAME\tA\tB\tC\n"
                           "CID\t\t1\t1\t2\n"
                           "EWEIGHT\t\t1\t2\t0.5\n"
                           "g1\tn1\t1\t2\t3\n"
                           "g2\tn2\t2\t4\t\n"
                           "g3\tn3\t3\t1\t7\n";
const char* const kSmallPValues = "ID\tA\tB\tC\n"
                                  "g1\t0.01\t0.5\t0.2\n"
                                  "g2\t0.1\t0\t0.3\n"
                                  "g3\t1\t0.25\t0.75\n";

// A 3-leaf forest whose first merge joins leaves 0 and 1.
std::unique_ptr<CForest> threeLeafTree()
{
    auto f = std::make_unique<CForest>(5, 0, 3, true);
    CNode* b3 = f->m_pNodes[3];
    CNode* b4 = f->m_pNodes[4];
    b3->initialise(0, false, 3, 2, 0.9f, 1.0f, true, nullptr, nullptr, f->m_pNodes[0], f->m_pNodes[1], "");
    b4->initialise(0, false, 4, 3, 0.4f, 1.0f, true, nullptr, nullptr, b3, f->m_pNodes[2], "");
    return f;
}

// The small table (with its p-values when asked) read into `doc` and
// clustered both ways by Euclidean distance.
::testing::AssertionResult clusteredSmall(const TempDir& dir, CArxDoc& doc, bool withPValues = false)
{
    if (withPValues)
        dir.write("small.pvl", kSmallPValues);
    if (!doc.readDataFile(dir.write("small.txt", kSmall), false, -1, -1, 0, 1, false))
        return ::testing::AssertionFailure() << "small.txt not read";
    if (!doc.hierarchicalClustering(everyColumn(doc, kMeasureEuclidean)))
        return ::testing::AssertionFailure() << "small.txt not clustered";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(TreeFile, ThreeLeavesWriteTheRootThenTheFirstMerge)
{
    TempDir dir;
    auto f = threeLeafTree();
    ASSERT_TRUE(writeTree(*f, dir.path("t.rcr")));
    EXPECT_EQ(TempDir::read(dir.path("t.rcr")), "BRCH4\tBRCH3\tLEAF2\t0.400000\nBRCH3\tLEAF0\tLEAF1\t0.900000\n");
}

TEST(TreeFile, AnUnclusteredForestWritesNoFile)
{
    TempDir dir;
    CForest f(5, 0, 3, true);
    EXPECT_FALSE(writeTree(f, dir.path("t.rcr")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("t.rcr")));
}

TEST(TreeFile, ReadingRebuildsBranchesProfilesAndOrder)
{
    TempDir dir;
    // Leaves 0..2 with one value each; the tree puts leaf 2 first.
    std::vector<float> values{1.0f, 3.0f, 8.0f}, weights{1.0f, 1.0f, -1.0f};
    CForest f(5, 1, 3, true);
    for (int k = 0; k < 3; ++k) {
        f.m_pOrgNodes[static_cast<size_t>(k)]->m_pValues = &values[static_cast<size_t>(k)];
        f.m_pOrgNodes[static_cast<size_t>(k)]->m_pWeights = &weights[static_cast<size_t>(k)];
    }
    dir.write("t.rcr", "BRCH4\tLEAF2\tBRCH3\t0.250000\nBRCH3\tLEAF1\tLEAF0\t0.750000\n");
    std::string error;
    ASSERT_TRUE(readTree(f, dir.path("t.rcr"), &error)) << error;
    EXPECT_TRUE(f.m_bClustered);
    EXPECT_EQ(f.m_arrOrder, (std::vector<int>{2, 1, 0}));
    const CNode* root = f.root();
    EXPECT_EQ(root->m_nIndex, 4);
    EXPECT_EQ(root->m_nSize, 3);
    EXPECT_FLOAT_EQ(root->m_fSimilarity, 0.25f);
    EXPECT_EQ(root->m_pFirst, f.m_pOrgNodes[2]);
    const CNode* b3 = root->m_pSecond;
    EXPECT_EQ(b3->m_nIndex, 3);
    EXPECT_FLOAT_EQ(b3->m_pValues[0], 2.0f);     // mean of 3 and 1
    EXPECT_FLOAT_EQ(root->m_pValues[0], 2.0f);   // the missing leaf 2 does not count
    EXPECT_FLOAT_EQ(root->m_pWeights[0], 1.0f);
}

TEST(TreeFile, BranchNumbersOutsideTheNodeRangeAreRenumberedChildrenFirst)
{
    TempDir dir;
    CForest f(5, 0, 3, true);
    dir.write("t.rcr", "BRCH100\tBRCH7\tLEAF2\t0.5\nBRCH7\tLEAF0\tLEAF1\t0.9\n");
    ASSERT_TRUE(readTree(f, dir.path("t.rcr")));
    EXPECT_EQ(f.root()->m_nIndex, 4);
    EXPECT_EQ(f.root()->m_pFirst, f.m_pNodes[3]);
    EXPECT_EQ(f.m_pNodes[3]->m_pFirst, f.m_pOrgNodes[0]);
}

TEST(TreeFile, DamagedFilesAreRefusedWithFileAndLine)
{
    TempDir dir;
    struct Case {
        const char* text;
        const char* what;
    } cases[] = {
        {"BRCH4\tBRCH3\tLEAF2\t0.4\n", "1 branch lines where 3 leaves need 2"},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH3\tLEAF0\tLEAF1\t0.9\nBRCH5\tLEAF0\tLEAF1\t0.9\n", "line 3: 3 branch lines"},
        {"BRCH4\tBRCH3\tLEAF7\t0.4\nBRCH3\tLEAF0\tLEAF1\t0.9\n", "line 1: LEAF7 is out of range"},
        {"BRCH4\tBRCH3\tLEAF1\t0.4\nBRCH3\tLEAF0\tLEAF1\t0.9\n", "line 2: LEAF1 appears twice"},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH3\tLEAF0\tBRCH3\t0.9\n", "line 2: BRCH3 is its own ancestor"},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH4\tLEAF0\tLEAF1\t0.9\n", "line 2: BRCH4 appears twice"},
        {"BRCH4\tBRCH3\tLEAF2\tabc\nBRCH3\tLEAF0\tLEAF1\t0.9\n", "line 1: the similarity \"abc\""},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH3\tLEAF0\tLEAF1\t1.5\n", "line 2: the similarity \"1.5\""},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH6\tLEAF0\tLEAF1\t0.9\n", "line 1: BRCH3 has no line of its own"},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH3\tBRCH4\tLEAF1\t0.9\n", "BRCH4 is its own ancestor"},
        {"BRCH4\tBRCH3\tLEAF2\t0.4\nBRCH3\tLEAF0\n", "line 2: \"\" is neither a leaf"},
    };
    for (const Case& c : cases) {
        auto f = std::make_unique<CForest>(5, 0, 3, true);
        const std::string path = dir.write("bad.rcr", c.text);
        std::string error;
        EXPECT_FALSE(readTree(*f, path, &error)) << c.text;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
        EXPECT_FALSE(f->hasTree()) << c.text;
        EXPECT_FALSE(f->m_bClustered);
    }
}

TEST(ResultHeader, NormalisationCellCarriesTheRangeExactlyForRescaling)
{
    ResultHeader h;
    EXPECT_EQ(normalisationCell(h), "Original");
    h.normMethod = 0;
    h.normDirection = 1;
    EXPECT_EQ(normalisationCell(h), "Normalize 0 1");
    h.normMethod = 2;
    h.normDirection = 0;
    EXPECT_EQ(normalisationCell(h), "Normalize 2 0");
    h.normMethod = 3;
    h.lo = -1.5f;
    h.hi = 2.0f;
    EXPECT_EQ(normalisationCell(h), "Normalize 3 0(-1.500000,2.000000)");
    h.originalValues = true;
    EXPECT_EQ(normalisationCell(h), "Original");
}

TEST(ResultHeader, TheReaderUsesTheSameRule)
{
    ResultHeader h;
    ASSERT_TRUE(parseNormalisationCell("Normalize 3 1(-1.500000,2.000000)", h));
    EXPECT_EQ(h.normMethod, 3);
    EXPECT_EQ(h.normDirection, 1);
    EXPECT_FLOAT_EQ(h.lo, -1.5f);
    EXPECT_FLOAT_EQ(h.hi, 2.0f);
    ASSERT_TRUE(parseNormalisationCell("Normalize 1 0", h));
    EXPECT_EQ(h.normMethod, 1);
    EXPECT_EQ(h.normDirection, 0);
    EXPECT_FALSE(h.originalValues);
    ASSERT_TRUE(parseNormalisationCell("Original", h));
    EXPECT_EQ(h.normMethod, -1);
    EXPECT_EQ(h.normDirection, -1);
    for (const char* bad : {"Normalize", "Normalize 3 0", "Normalize 3 0(1,x)", "Normalize 0 1(0,1)", "Normalize 7 0",
                            "Normalise 0 1", ""})
        EXPECT_FALSE(parseNormalisationCell(bad, h)) << bad;
}

TEST(ResultHeader, SixthCellGivesTheWeightTypeOrTheSequenceMark)
{
    ScopedRecordingMessages messages;
    ResultHeader h;
    std::string error;
    ASSERT_TRUE(parseHeaderCells({"x", "1", "Single", "Pearson's r : Uncentered, Absoute: P-Values as Weight",
                                  "Original", "PVal Weight 2"},
                                 h, error));
    EXPECT_TRUE(h.logTransformed);
    EXPECT_EQ(h.linkage, kLinkageSingle);
    EXPECT_EQ(h.measure, kMeasurePearson);
    EXPECT_FALSE(h.centered);
    EXPECT_TRUE(h.absolute);
    EXPECT_TRUE(h.pValueWeights);
    EXPECT_EQ(h.weightType, 2);
    ASSERT_TRUE(parseHeaderCells({"x", "0", "Average", "Euclidean", "Original", "protein sequence"}, h, error));
    EXPECT_TRUE(h.sequence);
    EXPECT_EQ(h.weightType, 0);
    EXPECT_TRUE(messages->m_texts.empty());
    ASSERT_TRUE(parseHeaderCells({"x", "0", "Ward", "Euclidean", "Original"}, h, error));
    EXPECT_EQ(h.linkage, -1);
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Strange Linkage Name :Ward"});
}

TEST(ResultExport, DatAndWtsLayoutLineByLine)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string path = dir.write("small.txt", kSmall);
    dir.write("small.pvl", kSmallPValues);
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(path));
    data.computeStatistics(false, true);
    data.computeStatistics(false, false);
    std::unique_ptr<CForest> rows, columns;
    ASSERT_TRUE(makeForestPair(data, rows, columns));
    ExportSource s;
    s.rows = rows.get();
    s.columns = columns.get();
    s.data = &data;
    s.header.title = "small";
    s.header.logTransformed = true;
    s.header.linkage = kLinkageComplete;
    s.header.measure = kMeasureEuclidean;
    s.header.weightType = 1;
    ASSERT_TRUE(exportResult(s, dir.path("out")));
    EXPECT_FALSE(std::filesystem::exists(dir.path("out.rcr")));
    EXPECT_EQ(splitLines(TempDir::read(dir.path("out.dat"))),
              (std::vector<std::string>{
                  "small\t1\tComplete\tEuclidean \tOriginal\tPVal Weight 1",
                  "CLUSTER ID\t\t\t\tOUTLIER\tOUTLIER\tOUTLIER\t",
                  "CLUSTER ID\tLEAF ID\t\t\tLEAF0\tLEAF1\tLEAF2\t",
                  "NAME\t\tUniqId\tWEIGHT\tA\tB\tC\tNAME\t",
                  "FIELDTYPE\t\tSTRING\tREAL\tEXPRESSION\tEXPRESSION\tEXPRESSION\tSTRING\t",
                  "CID\t\t\t\t1\t1\t2\t",
                  "WEIGHT\t\t\t\t1.000000\t2.000000\t0.500000\t",
                  "OUTLIER\tLEAF0\tg1\t1.000000\t1.000000\t2.000000\t3.000000\tn1\t",
                  "OUTLIER\tLEAF1\tg2\t1.000000\t2.000000\t4.000000\t\tn2\t",
                  "OUTLIER\tLEAF2\tg3\t1.000000\t3.000000\t1.000000\t7.000000\tn3\t",
              }));
    EXPECT_EQ(splitLines(TempDir::read(dir.path("out.wts"))), (std::vector<std::string>{
                                                             "LeafID\tLEAF0\tLEAF1\tLEAF2",
                                                             "LEAF0\t0.990000\t0.500000\t0.800000",
                                                             "LEAF1\t0.900000\t1.000000\t-1.000000",
                                                             "LEAF2\t0.000000\t0.750000\t0.250000",
                                                         }));
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(ResultExport, IntegerColumnsKeepTheirFractionsAndCategoriesTheirLabels)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string path = dir.write("typed.txt", "ID\tN\tI\tKIND\n"
                                                    "FIELDTYPE\tEXPRESSION\tINTEGER\tCATEGORICAL\n"
                                                    "g1\t1.5\t2\tred\n"
                                                    "g2\t2\t2.5\tblue\n");
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(path, false, -1, -1, 0, 1, false));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "typed", true));
    const std::vector<std::string> l = splitLines(TempDir::read(dir.path("typed.dat")));
    ASSERT_EQ(l.size(), 8u);
    EXPECT_EQ(l[4], "FIELDTYPE\t\tSTRING\tREAL\tEXPRESSION\tINTEGER\tCATEGORICAL\tSTRING\t");
    EXPECT_EQ(l[5].substr(0, 7), "WEIGHT\t");
    EXPECT_EQ(l[6].substr(l[6].find("g1")), "g1\t1.000000\t1.500000\t2\tred\tg1\t");
    EXPECT_EQ(l[7].substr(l[7].find("g2")), "g2\t1.000000\t2.000000\t2.500000\tblue\tg2\t");
    // The round trip keeps both numbers and the category.
    CArxDoc again;
    ASSERT_TRUE(again.importResult(dir.path("typed.dat")));
    const DataMatrix& m = *again.mainPair()->m_pData;
    EXPECT_FLOAT_EQ(m.orgValue(0, 1), 2.0f);
    EXPECT_FLOAT_EQ(m.orgValue(1, 1), 2.5f);
    EXPECT_EQ(m.columnField(2)->labelOf(static_cast<int>(m.orgValue(1, 2))), "blue");
}

TEST(ResultExport, TheCutAtExportDecidesTheClusterCellsNotTheTrees)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(clusteredSmall(dir, doc));
    doc.m_pRowForest->cut(0.0f);
    doc.m_pColForest->cut(0.0f);
    ASSERT_TRUE(doc.exportResult(dir.path(""), "low", true));
    doc.m_pRowForest->cut(1.0f);
    doc.m_pColForest->cut(1.0f);
    ASSERT_TRUE(doc.exportResult(dir.path(""), "high", true));
    EXPECT_EQ(TempDir::read(dir.path("low.rcr")), TempDir::read(dir.path("high.rcr")));
    EXPECT_EQ(TempDir::read(dir.path("low.ccr")), TempDir::read(dir.path("high.ccr")));
    const auto low = splitLines(TempDir::read(dir.path("low.dat"))), high = splitLines(TempDir::read(dir.path("high.dat")));
    EXPECT_EQ(low[1], "CLUSTER ID\t\t\t\tCLUSTER1\tCLUSTER1\tCLUSTER1\t");
    EXPECT_EQ(high[1], "CLUSTER ID\t\t\t\tOUTLIER\tOUTLIER\tOUTLIER\t");
    for (size_t l = 7; l < low.size(); ++l) {
        EXPECT_EQ(low[l].substr(0, 9), "CLUSTER1\t");
        EXPECT_EQ(high[l].substr(0, 8), "OUTLIER\t");
    }
}

TEST(ResultExport, OverwriteQuestionsSkipATreeAndEndAtTheDat)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(clusteredSmall(dir, doc));
    for (const char* ext : {".rcr", ".ccr", ".dat"})
        dir.write(std::string("r") + ext, "old");
    messages->m_answers = {Answer::No, Answer::Yes, Answer::Cancel};
    EXPECT_FALSE(doc.exportResult(dir.path(""), "r", true));
    EXPECT_EQ(messages->m_questions, (std::vector<std::string>{dir.path("r.rcr") + " already exists. Do you want to overwrite it?",
                                                              dir.path("r.ccr") + " already exists. Do you want to overwrite it?",
                                                              dir.path("r.dat") + " already exists. Do you want to overwrite it?"}));
    EXPECT_EQ(messages->m_questionCaptions[2], "Overwrite?");
    EXPECT_EQ(TempDir::read(dir.path("r.rcr")), "old");
    EXPECT_NE(TempDir::read(dir.path("r.ccr")), "old");
    EXPECT_EQ(TempDir::read(dir.path("r.dat")), "old");
}

TEST(ResultExport, AFolderThatCannotBeWrittenShowsTheOpeningError)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string path = dir.write("small.txt", kSmall);
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(path, false, -1, -1, 0, 1, false));
    EXPECT_FALSE(doc.exportResult(dir.path("no/such/folder"), "r", true));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Error in opening the file"});
}

TEST(ResultExport, FilesToSaveText)
{
    EXPECT_EQ(filesToSaveText("res", true, true, false),
              "res.rcr\t: Row Clustering Result\r\nres.ccr\t: Column Clustering Result\r\nres.dat\t: Raw Data");
    EXPECT_EQ(filesToSaveText("res", true, false, true),
              "res.rcr\t: Row Clustering Result\r\nres.dat\t: Raw Data\r\nres.wts\t: Weights Data");
    EXPECT_EQ(filesToSaveText("res", true, true, false, true),
              "res.rcr\t: Gene Clustering Result\r\nres.ccr\t: Array Clustering Result\r\nres.dat\t: Raw Data");
    EXPECT_EQ(filesToSaveText("res", false, false, true), "Nothing to export!");
}

TEST(ResultImport, ColumnWeightsAndClassesComeBack)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string path = dir.write("small.txt", kSmall);
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(path, false, -1, -1, 0, 1, false));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    CArxDoc again;
    ASSERT_TRUE(again.importResult(dir.path("r.dat")));
    const DataMatrix& m = *again.mainPair()->m_pData;
    EXPECT_FLOAT_EQ(m.columnField(1)->m_fWeight, 2.0f);
    EXPECT_FLOAT_EQ(m.columnField(2)->m_fWeight, 0.5f);
    EXPECT_EQ(again.m_pColForest->m_classSizes, (std::vector<int>{2, 1}));
    EXPECT_EQ(m.weight(1, 2), -1.0f);
}

TEST(ResultImport, LeafNumbersComeFromTheFirstItemLineWithOrWithoutACidRow)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string header = "t\t0\tAverage\tEuclidean\tOriginal\n"
                               "CLUSTER ID\t\t\t\tOUTLIER\tOUTLIER\t\n"
                               "CLUSTER ID\tLEAF ID\t\t\tLEAF1\tLEAF0\t\n"
                               "NAME\t\tUniqId\tWEIGHT\tB\tA\t\n"
                               "FIELDTYPE\t\tSTRING\tREAL\tEXPRESSION\tEXPRESSION\t\n";
    const std::string items = "WEIGHT\t\t\t\t1\t1\t\n"
                              "OUTLIER\tLEAF2\tc\t1\t5\t6\t\n"
                              "OUTLIER\tLEAF0\ta\t1\t1\t2\t\n"
                              "OUTLIER\tLEAF1\tb\t1\t3\t4\t\n";
    for (bool cid : {false, true}) {
        const std::string path = dir.write(cid ? "cid.dat" : "plain.dat", header + (cid ? "CID\t\t\t\t1\t2\t\n" : "") + items);
        CArxDoc doc;
        ASSERT_TRUE(doc.importResult(path)) << cid;
        EXPECT_EQ(leafOrder(*doc.m_pRowForest), (std::vector<int>{2, 0, 1}));
        EXPECT_EQ(leafOrder(*doc.m_pColForest), (std::vector<int>{1, 0}));
        EXPECT_EQ(doc.m_pRowForest->leaf(0)->m_strLabel2, "c");
        EXPECT_FLOAT_EQ(doc.m_pRowForest->leaf(0)->m_pValues[1], 6.0f);
        EXPECT_EQ(doc.mainPair()->m_pData->m_bHasCID, cid);
        EXPECT_FALSE(doc.m_pRowForest->hasTree());
    }
    // Without any header row the items begin right after the names.
    const std::string bare = dir.write("bare.dat", "t\t0\tAverage\tEuclidean\tOriginal\n"
                                                   "CLUSTER ID\t\t\t\tOUTLIER\t\n"
                                                   "CLUSTER ID\tLEAF ID\t\t\tLEAF0\t\n"
                                                   "NAME\t\tUniqId\tWEIGHT\tA\t\n"
                                                   "OUTLIER\tLEAF1\tb\t1\t3\t\n"
                                                   "OUTLIER\tLEAF0\ta\t1\t1\t\n");
    CArxDoc doc;
    ASSERT_TRUE(doc.importResult(bare));
    EXPECT_EQ(doc.m_pRowForest->dataIndex(0), 1);
    EXPECT_FLOAT_EQ(doc.m_pRowForest->leaf(0)->m_pValues[0], 3.0f);
    // None of the files has a .rcr.
    EXPECT_EQ(messages->m_texts, std::vector<std::string>(3, "No available gene clustering result file"));
}

TEST(ResultImport, WithoutCcrTheColumnsStayInTheExportedOrder)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(clusteredSmall(dir, doc));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    std::filesystem::remove(dir.path("r.ccr"));
    CArxDoc again;
    ASSERT_TRUE(again.importResult(dir.path("r.dat")));
    EXPECT_TRUE(again.m_pRowForest->hasTree());
    EXPECT_FALSE(again.m_pColForest->hasTree());
    EXPECT_TRUE(again.m_bClusterRows);
    EXPECT_FALSE(again.m_bClusterColumns);
    EXPECT_EQ(leafOrder(*again.m_pColForest), leafOrder(*doc.m_pColForest));
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(ResultImport, AnUnreadableDatNamesTheFile)
{
    ScopedRecordingMessages messages;
    CArxDoc doc;
    EXPECT_FALSE(doc.importResult("/no/such/result.dat"));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Cannot open the file : /no/such/result.dat"});
    EXPECT_FALSE(doc.m_bDataLoaded);
    EXPECT_TRUE(doc.m_forestPairs.empty());
}

TEST(ResultImport, DamagedDatAndWtsAreRefusedWithFileAndLine)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(clusteredSmall(dir, doc, true));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    const std::string dat = TempDir::read(dir.path("r.dat")), wts = TempDir::read(dir.path("r.wts"));
    auto replaceFirst = [](std::string s, const std::string& from, const std::string& to) {
        const size_t at = s.find(from);
        return at == std::string::npos ? s : s.replace(at, from.size(), to);
    };
    const std::string lastItem = splitLines(dat).back();
    struct Case {
        std::string dat, wts, what;
    } cases[] = {
        {replaceFirst(dat, "\tLEAF2\t", "\tLEAF9\t"), wts, "r.dat, line"},
        {replaceFirst(dat, "LEAF ID", "LEAF"), wts, "r.dat, line 3"},
        {dat.substr(0, dat.size() - lastItem.size() - 1), wts, ", line"},
        {dat + lastItem + "\n", wts, "appears twice"},
        {dat, wts.substr(0, wts.rfind("LEAF")), "r.wts, line"},
        {dat, replaceFirst(wts, "0.500000", "half"), "r.wts, line"},
        {dat, replaceFirst(wts, "LeafID", "Leaves"), "r.wts, line 1"},
        {replaceFirst(dat, "Original", "Normalize"), wts, "r.dat, line 1"},
    };
    for (const Case& c : cases) {
        dir.write("r.dat", c.dat);
        dir.write("r.wts", c.wts);
        messages->m_texts.clear();
        CArxDoc again;
        EXPECT_FALSE(again.importResult(dir.path("r.dat"))) << c.what;
        ASSERT_EQ(messages->m_texts.size(), 1u) << c.what;
        EXPECT_NE(messages->m_texts[0].find(c.what), std::string::npos) << messages->m_texts[0];
        EXPECT_FALSE(again.m_bDataLoaded);
        EXPECT_TRUE(again.m_forestPairs.empty());
    }
}

TEST(ResultImport, ADamagedTreeFileRefusesTheWholeResult)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(clusteredSmall(dir, doc));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    dir.write("r.rcr", "BRCH4\tBRCH3\tLEAF2\t0.4\n");
    dir.write("r.ccr", "garbage\n");
    CArxDoc again;
    EXPECT_FALSE(again.importResult(dir.path("r.dat")));
    EXPECT_FALSE(again.m_bDataLoaded);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0].rfind(dir.path("r.rcr") + ", line", 0), 0u) << messages->m_texts[0];
    // The rows' tree sound, the columns' damaged: refused as well.
    ASSERT_TRUE(doc.exportResult(dir.path(""), "s", true));
    dir.write("s.ccr", "garbage\n");
    messages->m_texts.clear();
    EXPECT_FALSE(again.importResult(dir.path("s.dat")));
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0].rfind(dir.path("s.ccr") + ", line 1: ", 0), 0u) << messages->m_texts[0];
}

TEST(SaveNodes, ChosenItemsWithTheirPValueSideFileOpenAgain)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    DataMatrix data;
    dir.write("small.pvl", kSmallPValues);
    ASSERT_TRUE(data.loadDataFile(dir.write("small.txt", kSmall)));
    ASSERT_TRUE(saveNodes(data, {2, 1}, dir.path("picked.exp")));
    EXPECT_EQ(splitLines(TempDir::read(dir.path("picked.exp"))), (std::vector<std::string>{
                                                                "UNIQID\tNAME\tA\tB\tC\tDESC",
                                                                "WEIGHT\t\t1.000000\t2.000000\t0.500000",
                                                                "CID\t\t1\t1\t2",
                                                                "g3\tn3\t3.000000\t1.000000\t7.000000\t",
                                                                "g2\tn2\t2.000000\t4.000000\t\t",
                                                            }));
    EXPECT_EQ(splitLines(TempDir::read(dir.path("picked.pvl"))), (std::vector<std::string>{
                                                                "UNIQID\tA\tB\tC",
                                                                "g3\t1.000000\t0.250000\t0.750000",
                                                                "g2\t0.100000\t0.000000\t",
                                                            }));
    DataMatrix back;
    ASSERT_TRUE(back.loadDataFile(dir.path("picked.exp")));
    EXPECT_EQ(back.m_nRows, 2);
    EXPECT_EQ(back.m_nWeightType, 1);
    EXPECT_FLOAT_EQ(back.weight(1, 0), 0.9f);
    EXPECT_EQ(back.weight(1, 2), -1.0f);
    EXPECT_FLOAT_EQ(back.columnField(1)->m_fWeight, 2.0f);
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(SaveNodes, NothingChosenIsRefused)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(dir.write("small.txt", kSmall), false, -1, -1, 0, 1, false));
    EXPECT_FALSE(doc.saveSelectedItems(dir.path("none.exp")));
    EXPECT_EQ(messages->m_texts, std::vector<std::string>{"Nothing to save! Select some first!"});
    EXPECT_FALSE(std::filesystem::exists(dir.path("none.exp")));
}

TEST(ResultImport, ItemWeightsComeBack)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(dir.write("w.txt", "ID\tGWEIGHT\tA\tB\ng1\t2\t1\t2\ng2\t0.5\t3\t4\n"), false, -1, -1,
                                 0, 1, false));
    ASSERT_FLOAT_EQ(doc.m_pRowForest->leaf(0)->m_fWeight, 2.0f);
    ASSERT_TRUE(doc.exportResult(dir.path(""), "w", true));
    CArxDoc again;
    ASSERT_TRUE(again.importResult(dir.path("w.dat")));
    EXPECT_FLOAT_EQ(again.m_pRowForest->leaf(0)->m_fWeight, 2.0f);
    EXPECT_FLOAT_EQ(again.m_pRowForest->leaf(1)->m_fWeight, 0.5f);
}
