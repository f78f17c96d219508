// Real workbooks (tests/fixtures, made by make_spreadsheets.py) through
// readTable and the data loader.
#include <gtest/gtest.h>

#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TableLines.h"
#include "support/TempDir.h"

namespace {
std::string fixture(const std::string& name) { return std::string(ARBOLIX_FIXTURES_DIR) + "/" + name; }

class Workbook : public testing::TestWithParam<const char*> {
protected:
    std::string path(const std::string& stem) const { return fixture(stem + "." + GetParam()); }
    bool isXls() const { return std::string(GetParam()) == "xls"; }
};
} // namespace

TEST_P(Workbook, NumbersTextDatesBlankRowsAndOnlyTheFirstSheet)
{
    ScopedRecordingMessages messages;
    TableFile t;
    ASSERT_EQ(t.readTable(path("expression")), 6);
    EXPECT_EQ(lineOf(t, 0), (Fields{"ID", "NAME", "S1", "S2", "S3"}));
    EXPECT_EQ(lineOf(t, 1), (Fields{"g1", "alpha", "1.500000", "3.000000", "2.250000"}));
    EXPECT_EQ(lineOf(t, 2), (Fields{"g2", "beta", "4.000000", "", "7.125000"}));   // a date is empty
    EXPECT_EQ(lineOf(t, 3), (Fields{"", "", "", "", ""}));                          // the blank row is kept
    // FreeXL reports an .xls boolean as the number it stores.
    EXPECT_EQ(lineOf(t, 4), (Fields{"g3", "gamma", isXls() ? "1.000000" : "", "-2.000000", "high"}));
    EXPECT_EQ(lineOf(t, 5), (Fields{"g4", "delta", "0.500000", "", "8.000000"}));
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST_P(Workbook, UsedRangeFromB3IsReadWhole)
{
    TableFile t;
    ASSERT_EQ(t.readTable(path("offset")), 4);   // B3:D6, every row and column of it
    EXPECT_EQ(lineOf(t, 0), (Fields{"ID", "A", "B"}));
    EXPECT_EQ(lineOf(t, 1), (Fields{"r1", "1.000000", "2.000000"}));
    EXPECT_EQ(lineOf(t, 3), (Fields{"r3", "5.000000", "6.000000"}));
    EXPECT_EQ(t.readTable(path("offset"), nullptr, 10), 4);   // a 10-line preview of 4 rows
}

TEST_P(Workbook, MoreThan26Columns)
{
    TableFile t;
    ASSERT_EQ(t.readTable(path("wide")), 3);
    ASSERT_EQ(t.widestFieldCount(), 30);
    EXPECT_EQ(t.cell(0, 26), "C26");              // column AA
    EXPECT_EQ(t.cell(0, 29), "C29");              // column AD
    EXPECT_EQ(t.cell(2, 26), "226.000000");
    EXPECT_EQ(t.cell(2, 29), "229.000000");
}

TEST_P(Workbook, DataFileLoadsWithTheBlankRowAsAnItemWithoutValues)
{
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path("expression")));
    EXPECT_EQ(m.m_strName, "expression");
    ASSERT_EQ(m.m_nRows, 5);
    ASSERT_EQ(m.m_nColumns, 3);
    EXPECT_EQ(m.orgValue(0, 0), 1.5f);
    EXPECT_EQ(m.orgValue(0, 1), 3.0f);        // "3.000000" reads back as 3
    EXPECT_EQ(m.weight(1, 1), -1.0f);         // the date
    EXPECT_EQ(m.itemId(2), "");
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(m.weight(2, k), -1.0f);
    EXPECT_EQ(m.orgValue(3, 2), 0.0f);        // text in a number column: 0, present
    EXPECT_EQ(m.weight(3, 2), 1.0f);
    EXPECT_EQ(m.weight(3, 0), isXls() ? 1.0f : -1.0f);
    EXPECT_EQ(m.itemName(4), "delta");
}

TEST_P(Workbook, UnreadableFilesFailWithAMessageNamingTheFile)
{
    for (const char* stem : {"not_a_workbook", "encrypted", "no_such_file"}) {
        ScopedRecordingMessages messages;
        TableFile t;
        const std::string p = path(stem);
        EXPECT_EQ(t.readTable(p), -1) << p;
        EXPECT_EQ(t.lineCount(), 0);
        ASSERT_EQ(messages->m_texts.size(), 1u) << p;
        EXPECT_NE(messages->m_texts[0].find(p), std::string::npos) << messages->m_texts[0];
        EXPECT_EQ(messages->m_captions[0], std::string(stem) == "no_such_file" ? "COM Error" : "Server Error");
        if (std::string(stem) == "encrypted") {
            EXPECT_EQ(messages->m_texts[0].rfind("Run-time error '2':\n\n", 0), 0u) << messages->m_texts[0];
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Workbook, testing::Values("xls", "xlsx"));

TEST(XlsxWorkbook, FirstWorksheetInTabOrderSkipsChartSheets)
{
    TableFile t;
    ASSERT_EQ(t.readTable(fixture("chart_first.xlsx")), 4);
    EXPECT_EQ(lineOf(t, 0), (Fields{"ID", "A", "B"}));
    EXPECT_EQ(lineOf(t, 3), (Fields{"r3", "5.000000", "6.000000"}));
}

TEST(XlsxWorkbook, SharedStringsStylesPrefixesAndUnreferencedCells)
{
    TableFile t;
    ASSERT_EQ(t.readTable(fixture("handmade.xlsx")), 4);
    EXPECT_EQ(lineOf(t, 0), (Fields{"ID", "VALUE", "", "", ""}));
    // Rich text joined (phonetic run left out); a quoted "d" in a number
    // format is no date; a built-in date format is.
    EXPECT_EQ(lineOf(t, 1), (Fields{"rich ", "2.500000", "", "", ""}));
    EXPECT_EQ(lineOf(t, 2), (Fields{"", "", "", "", ""}));
    // UTF-8 text with "_xHHHH_" escapes, a formula's text result; error, ISO
    // date and elapsed time are empty; the styled cell without a value (F4)
    // is outside the used range.
    EXPECT_EQ(lineOf(t, 3), (Fields{"caf\xC3\xA9 A _x0042_", "formula text", "", "", ""}));
}

TEST(XlsxWorkbook, TruncatedPackageAndEmptySheet)
{
    ScopedRecordingMessages messages;
    TableFile t;
    EXPECT_EQ(t.readTable(fixture("truncated.xlsx")), -1);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_NE(messages->m_texts[0].find("truncated.xlsx"), std::string::npos);
    EXPECT_EQ(t.readTable(fixture("empty.xlsx")), 0);
    EXPECT_EQ(messages->m_texts.size(), 1u);
}

TEST(SpreadsheetSideFiles, PValuesFromAnXlsSideFileOfAnXlsDataFile)
{
    ScopedRecordingMessages messages;
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(fixture("withpvalues.xls")));
    EXPECT_TRUE(messages->m_texts.empty());
    ASSERT_EQ(m.m_nWeightType, 1);
    ASSERT_EQ(m.m_nRows, 3);
    EXPECT_FLOAT_EQ(m.weight(0, 0), 0.99f);
    EXPECT_FLOAT_EQ(m.weight(0, 1), 0.5f);
    EXPECT_FLOAT_EQ(m.weight(1, 0), 0.5f);    // empty p-value cell
    EXPECT_FLOAT_EQ(m.weight(1, 1), 0.97f);
    EXPECT_FLOAT_EQ(m.weight(2, 1), 0.999f);
}

TEST(SpreadsheetSideFiles, DetectionCallsFromAnXlsSideFileOfATextDataFile)
{
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(fixture("withcalls.txt")));
    ASSERT_EQ(m.m_nWeightType, 2);
    EXPECT_EQ(m.weight(0, 0), 1.0f);
    EXPECT_EQ(m.weight(0, 1), 0.5f);
    EXPECT_EQ(m.weight(1, 0), 0.0f);
    EXPECT_EQ(m.weight(1, 1), 1.0f);
}

TEST(XlsxWorkbook, LongSheetReadAcrossParsingSlices)
{
    TableFile t;
    ASSERT_EQ(t.readTable(fixture("long.xlsx")), 2500);
    for (int r : {0, 996, 997, 1002, 1003, 1998, 2000, 2499}) {
        EXPECT_EQ(t.cell(r, 0), "t" + std::to_string(r + 1)) << r;
        EXPECT_EQ(t.cell(r, 1), std::to_string(r + 1) + ".000000") << r;
    }
    EXPECT_EQ(lineOf(t, 1999), (Fields{"", ""}));   // the empty row 2000
}

TEST(SpreadsheetContent, RenamedWorkbooksAreReadByWhatTheyAre)
{
    TempDir dir;
    std::string xlsxAsXls = dir.write("a.xls", TempDir::read(fixture("expression.xlsx")));
    std::string xlsAsXlsx = dir.write("b.xlsx", TempDir::read(fixture("expression.xls")));
    std::string lockedAsXls = dir.write("c.xls", TempDir::read(fixture("encrypted.xlsx")));
    ScopedRecordingMessages messages;
    TableFile t;
    ASSERT_EQ(t.readTable(xlsxAsXls), 6);
    EXPECT_EQ(t.cell(1, 2), "1.500000");
    EXPECT_EQ(t.cell(4, 2), "");                 // the .xlsx boolean
    ASSERT_EQ(t.readTable(xlsAsXlsx), 6);
    EXPECT_EQ(t.cell(4, 2), "1.000000");         // the .xls boolean, through FreeXL
    EXPECT_EQ(t.readTable(lockedAsXls), -1);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_NE(messages->m_texts[0].find("protected by a password"), std::string::npos);
}
