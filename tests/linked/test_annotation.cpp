// Annotation files matched to the items, their cells by header, the leaves
// they relabel, the look-ups their cells offer, and the value cell texts the
// table and the detail panel share.
#include <gtest/gtest.h>

#include "app/CArxDoc.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/CellText.h"
#include "linked/Lookup.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

const char* const kData = "ID\tNAME\tS1\tS2\n"
                          "g1\tn1\t1\t2\n"
                          "g2\tn2\t3\t\n"
                          "g3\tn3\t5\t6\n"
                          "g4\tn4\t7\t8\n";

// Quoted cells holding commas; g2 twice (the later line wins); g3 with
// blanks around its quoted identifier; g4 absent; x9 matches nothing.
const char* const kCsv = "\"Probe Set ID\",\"Gene Title\",\"Gene Symbol\",\"UniGene ID\"\n"
                         "\"g1\",\"kinase, alpha\",\"KA\",\"Hs.1 /// Hs.2\"\n"
                         "\"g2\",\"first g2\",\"F2\",\"\"\n"
                         " \"g3\" ,\"\",\"G3\",\"Hs.3 // comment\"\n"
                         "\"g2\",\"second g2\",\"S2\",\"Hs.22\"\n"
                         "\"x9\",\"nobody\",\"X\",\"\"\n";

struct HintView : CDocObserver {
    void onUpdate(CDocObserver*, int hint) override { hints.push_back(hint); }
    std::vector<int> hints;
};

class AnnotationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc.readDataFile(dir.write("d.txt", kData), false, -1, -1, 0, 1, false));
        doc.attach(&view);
    }
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    HintView view;
};

} // namespace

TEST_F(AnnotationTest, QuotedCsvCellsMatchWithTheLaterDuplicateWinning)
{
    ASSERT_TRUE(doc.attachAnnotation(dir.write("a.csv", kCsv)));
    const Annotation* a = doc.annotation();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->matchedItems(), 3);
    EXPECT_EQ(a->columnCount(), 4);
    EXPECT_EQ(a->header(1), "Gene Title");
    EXPECT_EQ(doc.annotationCell(0, "title"), "kinase, alpha");
    EXPECT_EQ(doc.annotationCell(1, "TITLE"), "second g2");
    EXPECT_EQ(doc.annotationCell(1, "symbol"), "S2");
    EXPECT_EQ(doc.annotationCell(2, "Symbol"), "G3");
    // No line, no such header, no item.
    EXPECT_EQ(doc.annotationCell(3, "title"), "");
    EXPECT_EQ(doc.annotationCell(0, "no such header"), "");
    EXPECT_EQ(doc.annotationCell(99, "title"), "");
    // The engine's look-up by identifier trims blanks and quotes.
    EXPECT_EQ(annotationCell(*a, " \"g1\"\t", "gene symbol"), "KA");
    EXPECT_EQ(a->lineOf("g2"), 4);
    EXPECT_EQ(a->lineOf("x9"), 5);
    EXPECT_EQ(a->lineOf("Probe Set ID"), -1);  // the header is no item
    EXPECT_TRUE(messages->m_texts.empty());
    EXPECT_EQ(view.hints, std::vector<int>{kHintAnnotation});
}

TEST_F(AnnotationTest, TabTextAndWorkbooksMatchTheSame)
{
    ASSERT_TRUE(doc.attachAnnotation(dir.write("a.txt", "ID\tTitle\n\"g4\"\tfour\n  g1 \tone\n")));
    EXPECT_EQ(doc.annotation()->matchedItems(), 2);
    EXPECT_EQ(doc.annotationCell(3, "title"), "four");
    EXPECT_EQ(doc.annotationCell(0, "title"), "one");
    for (const char* book : {"annotation.xls", "annotation.xlsx"}) {
        ASSERT_TRUE(doc.attachAnnotation(std::string(ARBOLIX_FIXTURES_DIR) + "/" + book)) << book;
        EXPECT_EQ(doc.annotation()->matchedItems(), 2) << book;
        EXPECT_EQ(doc.annotationCell(1, "title"), "beta protein") << book;
        EXPECT_EQ(doc.annotationCell(2, "symbol"), "GAM") << book;
        EXPECT_EQ(doc.annotationCell(0, "title"), "") << book;
    }
}

TEST_F(AnnotationTest, NoMatchShowsTheMessageAndKeepsNothingNew)
{
    ASSERT_TRUE(doc.attachAnnotation(dir.write("good.csv", kCsv)));
    view.hints.clear();
    EXPECT_FALSE(doc.attachAnnotation(dir.write("bad.csv", "ID,Title\nzz1,one\nzz2,two\n")));
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0], "No annotation is matched to your data.\n"
                                    "This doesn't seem to be an appropriate annotation file for your data.");
    // The file is discarded; the annotation attached before stays, and no view is told.
    EXPECT_EQ(doc.annotationCell(0, "title"), "kinase, alpha");
    EXPECT_TRUE(view.hints.empty());

    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(dir.path("d.txt")));
    Annotation fresh;
    EXPECT_FALSE(loadAnnotation(dir.path("bad.csv"), data, fresh));
    EXPECT_EQ(fresh.lineCount(), 0);
    EXPECT_EQ(fresh.lineOf("zz1"), -1);
}

TEST_F(AnnotationTest, UnreadableFileAndNoDataAreRefused)
{
    EXPECT_FALSE(doc.attachAnnotation(dir.path("missing.csv")));
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0], "Cannot open the file : " + dir.path("missing.csv"));
    EXPECT_EQ(doc.annotation(), nullptr);

    CArxDoc empty;
    EXPECT_FALSE(empty.attachAnnotation(dir.write("a.csv", kCsv)));
    EXPECT_EQ(empty.annotation(), nullptr);
}

TEST_F(AnnotationTest, LeavesTakeTheTitleAndKeepItAcrossClustering)
{
    ASSERT_TRUE(doc.attachAnnotation(dir.write("a.csv", kCsv)));
    auto nameOf = [&](int item) { return doc.m_pRowForest->m_pOrgNodes[static_cast<size_t>(item)]->m_strName; };
    EXPECT_EQ(nameOf(0), "kinase, alpha");
    EXPECT_EQ(nameOf(1), "second g2");
    EXPECT_EQ(nameOf(2), "n3");  // an empty title keeps the label
    EXPECT_EQ(nameOf(3), "n4");  // no annotation line
    // The variables are no items: their labels stay.
    EXPECT_EQ(doc.m_pColForest->m_pOrgNodes[0]->m_strName, "S1");

    CClusteringParameters p;
    p.m_options.measure = kMeasureEuclidean;
    p.m_columns = {{"S1", true}, {"S2", true}};
    ASSERT_TRUE(doc.hierarchicalClustering(p));
    EXPECT_EQ(nameOf(0), "kinase, alpha");
    // Opening other data drops the annotation.
    ASSERT_TRUE(doc.readDataFile(dir.path("d.txt"), false, -1, -1, 0, 1, false));
    EXPECT_EQ(doc.annotation(), nullptr);
    EXPECT_EQ(nameOf(0), "n1");
}

TEST(AnnotationSample, EveryItemOfTheBundledSampleMatches)
{
    // Reference (pandas): all 2000 items have a line; 1005_at is "dual
    // specificity phosphatase 1"; AFFX-M27830_5_at reads "---".
    ScopedRecordingMessages messages;
    CArxDoc doc;
    const std::string samples = ARBOLIX_SAMPLES_DIR;
    ASSERT_TRUE(doc.readDataFile(samples + "/all_leukemia_top2000.txt", false, -1, -1, 0, 1, false));
    ASSERT_TRUE(doc.attachAnnotation(samples + "/all_leukemia_top2000_annotation.csv"));
    EXPECT_EQ(doc.annotation()->matchedItems(), 2000);
    EXPECT_EQ(doc.annotation()->columnCount(), 7);
    EXPECT_EQ(doc.annotationCell(0, "title"), "dual specificity phosphatase 1");
    EXPECT_EQ(doc.annotationCell(0, "symbol"), "DUSP1");
    EXPECT_EQ(doc.annotationCell(1998, "title"), "---");
    EXPECT_EQ(doc.m_pRowForest->m_pOrgNodes[0]->m_strName, "dual specificity phosphatase 1");
    EXPECT_EQ(doc.annotationCell(0, "molecular").substr(0, 10), "GO:0004721");
}

TEST(Lookup, PartsAndTermsFromAnnotationCells)
{
    EXPECT_EQ(lookupParts("Hs.1 /// Hs.2"), (std::vector<std::string>{"Hs.1", "Hs.2"}));
    EXPECT_EQ(lookupParts("  NM_1 // comment /// ///NM_2"), (std::vector<std::string>{"NM_1 // comment", "NM_2"}));
    EXPECT_TRUE(lookupParts(" \t ").empty());
    EXPECT_EQ(lookupTerm("NM_1 // comment // more"), "NM_1");
    EXPECT_EQ(lookupTerm("  Hs.22 "), "Hs.22");
    EXPECT_EQ(lookupEntryText("NM_1 // x"), "Look up \"NM_1 // x\" in a linked database");
    EXPECT_EQ(lookupUrl("https://h/q?term=%s&x=%s", "a b&c"), "https://h/q?term=a%20b%26c&x=a%20b%26c");
    EXPECT_EQ(lookupUrl("https://h/plain", "x"), "https://h/plain");
}

TEST(Lookup, DefaultTemplatesByHeader)
{
    EXPECT_EQ(defaultUrlTemplate("UniGene ID"), "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?db=unigene&cmd=search&term=%s");
    EXPECT_EQ(defaultUrlTemplate("LocusLink"), "https://www.ncbi.nlm.nih.gov/LocusLink/LocRpt.cgi?l=%s");
    EXPECT_EQ(defaultUrlTemplate("SwissProt"),
              "https://srs.ebi.ac.uk/srsbin/wgetz?-newId+[SWALL-AllText:%s]+-lv+30+-view+SeqSimpleView+-page+qResult");
    EXPECT_EQ(defaultUrlTemplate("Representative Full Length Ref. Sequences"),
              "https://www.ncbi.nlm.nih.gov/entrez/query.fcgi?cmd=Search&db=Nucleotide&term=%s");
    // The first test in order decides.
    EXPECT_EQ(defaultUrlTemplate("Unigene / LocusLink"), defaultUrlTemplate("Unigene"));
    EXPECT_EQ(defaultUrlTemplate("Gene Title"), "");
}

TEST(CellText, ValuesByFieldType)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(dir.write("t.txt", "ID\tE\tR\tI\tC\tK\n"
                                                  "FIELDTYPE\tEXPRESSION\tREAL\tINT\tCATEGORICAL\tCATEGORICAL\n"
                                                  "g1\t1.234\t-2.5\t7\t3\tred\n"
                                                  "g2\t\t4\t-1\t2\tblue\n")));
    auto text = [&](int r, int k, ValueShown shown) {
        return valueCellText(*m.columnField(k), shown == ValueShown::Original ? m.orgValue(r, k) : m.value(r, k),
                             m.weight(r, k), shown, false);
    };
    ASSERT_EQ(m.m_nColumns, 5);
    EXPECT_EQ(m.columnField(3)->m_nType, Categorical);
    EXPECT_EQ(m.columnField(4)->m_nType, CategoricalStr);
    EXPECT_EQ(text(0, 0, ValueShown::Current), "1.23");
    EXPECT_EQ(text(0, 1, ValueShown::Original), "-2.50");
    EXPECT_EQ(text(0, 2, ValueShown::Current), "7");
    EXPECT_EQ(text(0, 2, ValueShown::Transformed), "7.00");
    EXPECT_EQ(text(0, 3, ValueShown::Original), "3");
    EXPECT_EQ(text(0, 3, ValueShown::Transformed), "3.00");
    EXPECT_EQ(text(0, 4, ValueShown::Current), "red");
    EXPECT_EQ(text(1, 4, ValueShown::Transformed), "blue");
    EXPECT_EQ(text(1, 2, ValueShown::Current), "-1");
    // A missing cell is empty whatever its stored value.
    EXPECT_EQ(valueCellText(*m.columnField(0), 5.0f, -1.0f, ValueShown::Current, false), "");
    EXPECT_EQ(valueCellText(*m.columnField(0), 5.0f, -1.0f, ValueShown::Transformed, true), "");
    // Sequence data: the letter of value + 97.
    EXPECT_EQ(valueCellText(*m.columnField(0), 0.0f, 1.0f, ValueShown::Current, true), "a");
    EXPECT_EQ(valueCellText(*m.columnField(0), 25.0f, 1.0f, ValueShown::Transformed, true), "z");
    // Out-of-range numbers stay defined.
    EXPECT_EQ(valueCellText(*m.columnField(2), 1e20f, 1.0f, ValueShown::Current, false), "2147483647");
}

TEST(CellText, SelectionCount)
{
    EXPECT_EQ(selectionCountText(0), "Select items");
    EXPECT_EQ(selectionCountText(1), "1 item seleted");
    EXPECT_EQ(selectionCountText(5000), "5000 items selected");
}
