// The spreadsheet reading rules, driven through a provider of our own.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "data/SpreadsheetProvider.h"
#include "data/SpreadsheetReader.h"
#include "data/XlsxNumberFormat.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TableLines.h"

using Cell = SpreadsheetCell;
using Type = SpreadsheetCellType;

namespace {
// A sheet held in memory: rows of cells from A1, and the used range's size.
class FakeProvider final : public ISpreadsheetProvider {
public:
    bool open(const std::string& path) override
    {
        m_strOpened = path;
        ++m_nOpens;
        m_bOpen = !m_bFailOpen;
        return m_bOpen;
    }
    bool selectFirstWorksheet() override { return true; }
    bool usedRange(SheetRange& range) override
    {
        range = SheetRange{0, 0, m_nUsedRows, m_nUsedColumns};
        return true;
    }
    bool readRow(int row, int firstColumn, int columns, std::vector<Cell>& cells) override
    {
        ++m_nRowsRead;
        cells.assign(static_cast<size_t>(columns), Cell{});
        if (static_cast<size_t>(row) < m_grid.size())
            for (size_t c = 0; c < cells.size() && c + static_cast<size_t>(firstColumn) < m_grid[static_cast<size_t>(row)].size(); ++c)
                cells[c] = m_grid[static_cast<size_t>(row)][c + static_cast<size_t>(firstColumn)];
        return true;
    }
    void close() override { m_bOpen = false; ++m_nCloses; }
    const SpreadsheetError& error() const override { return m_error; }

    std::vector<std::vector<Cell>> m_grid;
    int m_nUsedRows = 0, m_nUsedColumns = 0;
    bool m_bFailOpen = false;
    SpreadsheetError m_error;
    std::string m_strOpened;
    bool m_bOpen = false;
    int m_nOpens = 0, m_nCloses = 0, m_nRowsRead = 0;
};

Cell num(double v) { return Cell::makeNumber(v); }
Cell text(const char* s) { return Cell::makeText(s); }
Cell of(Type t, double v = 0) { return {t, v, {}}; }

} // namespace

TEST(SpreadsheetCellText, FullReadAndPreviewConvertByType)
{
    auto full = [](const Cell& c) { return spreadsheetCellText(c, SpreadsheetReadMode::Full); };
    auto preview = [](const Cell& c) { return spreadsheetCellText(c, SpreadsheetReadMode::Preview); };
    EXPECT_EQ(full(num(12.5)), "12.500000");
    EXPECT_EQ(preview(num(12.5)), "12.500000");
    EXPECT_EQ(full(num(3)), "3.000000");
    EXPECT_EQ(full(num(-0.0000004)), "-0.000000");
    for (double v : {0.0000005, 0.0000015, 2.5e-7, 123456.7890125, 1e20, -1e300, 0.1 + 0.2})
        EXPECT_EQ(full(num(v)), strFormat("%f", v)) << v;   // exactly printf's "%f"
    EXPECT_EQ(full(of(Type::Float, 2.25)), "");
    EXPECT_EQ(preview(of(Type::Float, 2.25)), "2.250000");
    EXPECT_EQ(full(of(Type::ShortInt, 7)), "");
    EXPECT_EQ(preview(of(Type::ShortInt, 7)), "7");
    EXPECT_EQ(full(of(Type::MachineInt, 9)), "9");
    EXPECT_EQ(preview(of(Type::MachineInt, 9)), "");
    EXPECT_EQ(full(text(" as is ")), " as is ");
    EXPECT_EQ(preview(text("x")), "x");
    for (Type t : {Type::Empty, Type::Date, Type::Boolean, Type::Error, Type::Currency}) {
        EXPECT_EQ(full(of(t, 1)), "");
        EXPECT_EQ(preview(of(t, 1)), "");
    }
}

TEST(SpreadsheetReader, FullReadIsTheBlockFromA1OverTheUsedRangeSizeWithBlankRowsKept)
{
    FakeProvider p;
    // Used range B2:D4 (3 x 3): the block read is A1:C3, so column D and
    // row 4 stay out and the blank row 1 is kept.
    p.m_grid = {{},
                {Cell{}, text("ID"), text("S1"), text("S2")},
                {Cell{}, text("g1"), num(1.5), num(2)},
                {Cell{}, text("g2"), num(3), num(4)}};
    p.m_nUsedRows = 3;
    p.m_nUsedColumns = 3;
    ScopedRecordingMessages messages;
    TableFile t;
    ASSERT_EQ(readSpreadsheet(t, &p, "book.xls", nullptr, 0), 3);
    EXPECT_EQ(lineOf(t, 0), (Fields{"", "", ""}));
    EXPECT_EQ(lineOf(t, 1), (Fields{"", "ID", "S1"}));
    EXPECT_EQ(lineOf(t, 2), (Fields{"", "g1", "1.500000"}));
    EXPECT_EQ(p.m_strOpened, "book.xls");
    EXPECT_FALSE(p.m_bOpen);
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(SpreadsheetReader, PreviewReadsAtMostMaxLinesByThePreviewRules)
{
    FakeProvider p;
    p.m_grid = {{text("ID"), text("A")}, {text("a"), of(Type::ShortInt, 5)}, {}, {text("c"), of(Type::MachineInt, 6)}};
    p.m_nUsedRows = 4;
    p.m_nUsedColumns = 2;
    RecordingProgress progress;
    TableFile t;
    ASSERT_EQ(readSpreadsheet(t, &p, "b.xlsx", &progress, 10), 4);
    EXPECT_EQ(lineOf(t, 1), (Fields{"a", "5"}));
    EXPECT_EQ(lineOf(t, 2), (Fields{"", ""}));
    EXPECT_EQ(lineOf(t, 3), (Fields{"c", ""}));
    EXPECT_TRUE(progress.m_messages.empty());  // a preview shows no progress

    ASSERT_EQ(readSpreadsheet(t, &p, "b.xlsx", nullptr, 2), 2);
    EXPECT_EQ(p.m_nRowsRead, 4 + 2);
}

TEST(SpreadsheetReader, FullReadShowsItsStepsAndAdvancesEveryTenth)
{
    FakeProvider p;
    p.m_nUsedRows = 25;
    p.m_nUsedColumns = 1;
    p.m_grid.assign(25, {num(1)});
    RecordingProgress progress;
    TableFile t;
    ASSERT_EQ(readSpreadsheet(t, &p, "/d/x.xls", &progress, 0), 25);
    EXPECT_EQ(progress.m_messages, (Fields{"Instantiating Excel...", "Opening the first sheet...",
                                           "Getting dimension info...", "Reading /d/x.xls ..."}));
    EXPECT_EQ(progress.m_model.low(), 0);
    EXPECT_EQ(progress.m_model.high(), 25);
    EXPECT_EQ(progress.m_nPumps, 8);   // interval round(2.5) = 3: rows 3, 6, ..., 24
    EXPECT_EQ(progress.m_model.position(), 25);
}

TEST(SpreadsheetReader, CancelClearsTheTableAndClosesTheWorkbookSilently)
{
    FakeProvider p;
    p.m_nUsedRows = 30;
    p.m_nUsedColumns = 2;
    RecordingProgress progress;
    progress.cancelAfterPumps(1);
    ScopedRecordingMessages messages;
    TableFile t;
    t.addLine(Fields{"old"});
    EXPECT_EQ(readSpreadsheet(t, &p, "x.xls", &progress, 0), -1);
    EXPECT_EQ(t.lineCount(), 0);
    EXPECT_EQ(p.m_nRowsRead, 6);    // cancel seen at the second test (interval 3)
    EXPECT_FALSE(p.m_bOpen);
    EXPECT_EQ(p.m_nCloses, 1);
    EXPECT_TRUE(messages->m_texts.empty());
}

TEST(SpreadsheetReader, FailuresShowTheirMessageAndFailCleanly)
{
    ScopedRecordingMessages messages;
    TableFile t;
    t.addLine(Fields{"old"});
    EXPECT_EQ(readSpreadsheet(t, nullptr, "x.xls", nullptr, 0), -1);
    EXPECT_EQ(t.lineCount(), 0);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0],
              "CreateDispatch failed. Microsoft Excel is necessary to load an input file (*.xls).");
    EXPECT_EQ(messages->m_captions[0], "CreateDispatch failed");

    FakeProvider p;
    p.m_bFailOpen = true;
    setWorkbookError(p.m_error, kWorkbookEncrypted, "/d/secret.xls");
    EXPECT_EQ(readSpreadsheet(t, &p, "/d/secret.xls", nullptr, 0), -1);
    ASSERT_EQ(messages->m_texts.size(), 2u);
    EXPECT_EQ(messages->m_texts[1],
              "Run-time error '2':\n\n/d/secret.xls is protected by a password (encrypted) and cannot be read.");
    EXPECT_EQ(messages->m_captions[1], "Server Error");
    EXPECT_EQ(p.m_nCloses, 1);

    setSystemError(p.m_error, ENOENT, "/d/gone.xls");
    EXPECT_EQ(readSpreadsheet(t, &p, "/d/gone.xls", nullptr, 5), -1);
    EXPECT_EQ(messages->m_texts[2], std::string(std::strerror(ENOENT)) + "\n\n/d/gone.xls");
    EXPECT_EQ(messages->m_captions[2], "COM Error");
}

TEST(SpreadsheetReader, EmptySheetGivesNoLineAndAHugeUsedRangeIsRefused)
{
    FakeProvider p;
    TableFile t;
    EXPECT_EQ(readSpreadsheet(t, &p, "e.xlsx", nullptr, 0), 0);
    EXPECT_EQ(readSpreadsheet(t, &p, "e.xlsx", nullptr, 10), 0);

    // One value at XFD1048576 makes a used range of 17 billion cells.
    p.m_nUsedRows = 1048576;
    p.m_nUsedColumns = 16384;
    ScopedRecordingMessages messages;
    EXPECT_EQ(readSpreadsheet(t, &p, "huge.xlsx", nullptr, 0), -1);
    EXPECT_EQ(p.m_nRowsRead, 0);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0], "Run-time error '5':\n\nhuge.xlsx has a first worksheet too large to read.\n"
                                    "(1048576 rows x 16384 columns)");
    EXPECT_EQ(readSpreadsheet(t, &p, "huge.xlsx", nullptr, 10), 10);   // the preview still works
}

TEST(XlsxNumberFormat, DatesAreToldByTheFirstSectionsPlaceholders)
{
    EXPECT_TRUE(isBuiltinDateFormat(14) && isBuiltinDateFormat(47));
    EXPECT_FALSE(isBuiltinDateFormat(0) || isBuiltinDateFormat(23));
    for (const char* date : {"yyyy-mm-dd", "mmm", "[h]:mm", "h:mm AM/PM", "[$-409]d-mmm", "[ss]"})
        EXPECT_TRUE(isDateFormatCode(date)) << date;
    for (const char* number : {"General", "0.00\"d\"", "[Red]0.00", "0.00;[Red]dd", "\\d0", "#,##0 \"days\"",
                               "0.00E+00", "_(* #,##0_)", ""})
        EXPECT_FALSE(isDateFormatCode(number)) << number;
}
