#include <gtest/gtest.h>

#include "data/TableFile.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

using Fields = std::vector<std::string>;

TEST(TableSplitting, TabRules)
{
    EXPECT_EQ(TableFile::splitDelimited("id\t\t3.5", '\t'), (Fields{"id", "", "3.5"}));
    EXPECT_EQ(TableFile::splitDelimited("\tb", '\t'), (Fields{"", "b"}));
    // A lone trailing tab adds no field; an even run at the end adds all.
    EXPECT_EQ(TableFile::splitDelimited("a\tb\t", '\t'), (Fields{"a", "b"}));
    EXPECT_EQ(TableFile::splitDelimited("a\t\t", '\t'), (Fields{"a", "", ""}));
    EXPECT_EQ(TableFile::splitDelimited("a\t\t\t", '\t'), (Fields{"a", "", ""}));
    EXPECT_EQ(TableFile::splitDelimited("a\t\t\t\t", '\t'), (Fields{"a", "", "", "", ""}));
    // Fields are stripped of blanks, then of quotes.
    EXPECT_EQ(TableFile::splitDelimited("  \"x y\" \t ' q '", '\t'), (Fields{"x y", "' q '"}));
    EXPECT_EQ(TableFile::splitDelimited("a;b;;c", ';'), (Fields{"a", "b", "", "c"}));
}

TEST(TableSplitting, CsvRules)
{
    EXPECT_EQ(TableFile::splitCsv("a,\"x, y\",,2"), (Fields{"a", "x, y", "", "2"}));
    EXPECT_EQ(TableFile::splitCsv(" a , b"), (Fields{" a ", " b"}));
    EXPECT_EQ(TableFile::splitCsv("a,b,"), (Fields{"a", "b", ""}));
    EXPECT_EQ(TableFile::splitCsv("\"\"\"q\"\"\""), (Fields{"q"}));
}

TEST(TableFileRead, SkipsBlankLinesFillsUpAndHandlesCrLf)
{
    TempDir dir;
    std::string p = dir.write("t.txt", "h1\th2\th3\r\n   \r\n\t\t\r\nA\t1\r\nB\t2\t3\t4\r\nC");
    TableFile t;
    ASSERT_EQ(t.readTable(p), 4);
    EXPECT_EQ(t.widestFieldCount(), 4);
    EXPECT_EQ(t.lineAt(0).size(), 4u);
    EXPECT_EQ(t.cell(0, 2), "h3");  // no carriage return in the last field
    EXPECT_EQ(t.cell(1, 1), "1");
    EXPECT_EQ(t.cell(1, 3), "");
    EXPECT_EQ(t.cell(2, 3), "4");
    EXPECT_EQ(t.cell(3, 0), "C");
    std::vector<std::string> col;
    t.getColumn(col, 1, 1);
    EXPECT_EQ(col, (Fields{"1", "2", ""}));
    t.getColumn(col, 0, 1, 1);
    EXPECT_EQ(col, (Fields{"A"}));
}

TEST(TableFileRead, CsvWithCrLfKeepsNoCarriageReturn)
{
    TempDir dir;
    std::string p = dir.write("t.CSV", "a,b\r\n1,\"2\"\r\n");
    TableFile t;
    ASSERT_EQ(t.readTable(p), 2);
    EXPECT_EQ(t.cell(0, 1), "b");
    EXPECT_EQ(t.cell(1, 1), "2");
}

TEST(TableFileRead, ReaderChosenByTheFileNamesOwnExtension)
{
    TempDir dir;
    // A text file in a folder whose name looks like a workbook is read as text.
    std::string p = dir.write("results.xls/data.txt", "a,b\tc\n");
    TableFile t;
    ASSERT_EQ(t.readTable(p), 1);
    EXPECT_EQ(t.cell(0, 0), "a,b");
    EXPECT_EQ(TableFile::extensionOf("C:\\dir.csv\\name.XLS"), "xls");
    EXPECT_EQ(TableFile::extensionOf("dir.csv/name"), "");
}

TEST(TableFileRead, PreviewStopsAtMaximumAndMissingFileFails)
{
    TempDir dir;
    std::string content;
    for (int i = 0; i < 50; ++i)
        content += "line" + std::to_string(i) + "\tx\n\n";
    std::string p = dir.write("t.txt", content);
    TableFile t;
    EXPECT_EQ(t.readTable(p, nullptr, 10), 10);
    EXPECT_EQ(t.cell(9, 0), "line9");
    EXPECT_EQ(t.readTable(dir.path("absent.txt")), -1);
    EXPECT_EQ(t.lineCount(), 0);
}

TEST(TableFileRead, CancelClearsTheTable)
{
    TempDir dir;
    std::string content;
    for (int i = 0; i < 2000; ++i)
        content += "x\t" + std::to_string(i) + "\n";
    std::string p = dir.write("t.txt", content);
    RecordingProgress progress;
    progress.cancelAfterPumps(3);
    TableFile t;
    EXPECT_EQ(t.readTable(p, &progress), -1);
    EXPECT_EQ(t.lineCount(), 0);
    EXPECT_EQ(progress.m_messages.front(), "Reading " + p + " ...");
}

TEST(TableFileWrite, WritesTabsAndLineFeedsAndReadsBack)
{
    TempDir dir;
    TableFile t;
    t.addLine(Fields{"a", "", "c"});
    t.addTabLine("1\t\t3");
    std::string p = dir.path("out.txt");
    ASSERT_TRUE(t.writeTable(p));
    EXPECT_EQ(TempDir::read(p), "a\t\tc\n1\t\t3\n");
    ScopedRecordingMessages msgs;
    EXPECT_FALSE(t.writeTable(dir.path("no/such/dir/out.txt")));
    EXPECT_EQ(msgs->m_texts.size(), 1u);
}

#include <random>

#include "data/CellValue.h"

TEST(CellValue, NumbersAsAtofReadsThem)
{
    EXPECT_EQ(parseLeadingDouble("3.5abc"), 3.5);
    EXPECT_EQ(parseLeadingDouble("  -2"), -2.0);
    EXPECT_EQ(parseLeadingDouble("+.25"), 0.25);
    EXPECT_EQ(parseLeadingDouble("abc"), 0.0);
    EXPECT_EQ(parseLeadingDouble("1e3"), 1000.0);
    EXPECT_EQ(parseLeadingDouble("1e-400"), 0.0);
    EXPECT_EQ(parseLeadingInt(" 12abc"), 12);
    EXPECT_EQ(parseLeadingInt("-7.9"), -7);
    EXPECT_EQ(parseLeadingInt("x"), 0);
    float v = 1.0f;
    EXPECT_FALSE(parseNumericCell(" n/a ", v));
    EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(parseNumericCell("NULL", v));
    EXPECT_FALSE(parseNumericCell("-Inf", v));
    EXPECT_FALSE(parseNumericCell("nan", v));
    EXPECT_TRUE(parseNumericCell("NAB", v));  // other text: present, 0
    EXPECT_EQ(v, 0.0f);
    // The quick path for plain decimals gives exactly what strtod gives.
    std::mt19937_64 rng(3);
    for (int i = 0; i < 20000; ++i) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(rng() % 12),
                      (static_cast<double>(rng() % 2000000) - 1000000.0) / static_cast<double>(1 + rng() % 1000));
        ASSERT_EQ(parseLeadingDouble(buf), std::strtod(buf, nullptr)) << buf;
    }
}

TEST(TableFileRead, LargeFilesSplitInPartsGiveTheSameTable)
{
    // Files of some megabytes are split by several threads; the table must
    // be the one that splitting each line alone gives.
    TempDir dir;
    std::mt19937 rng(5);
    for (bool csv : {false, true}) {
        std::string content;
        std::vector<std::string> lines;
        const char d = csv ? ',' : '\t';
        while (content.size() < (3u << 20)) {
            std::string line;
            int cells = 1 + static_cast<int>(rng() % 40);
            for (int c = 0; c < cells; ++c) {
                if (c)
                    line += d;
                switch (rng() % 6) {
                case 0: break;
                case 1: line += "\"q" + std::to_string(rng() % 100) + "\""; break;
                case 2: line += " " + std::to_string(rng() % 1000) + " "; break;
                default: line += std::to_string(static_cast<double>(rng() % 100000) / 7.0); break;
                }
            }
            if (rng() % 10 == 0)
                line += d;
            if (line.find_first_not_of(" \t") != std::string::npos)
                lines.push_back(line);  // a line of blanks alone is no line
            content += line + (rng() % 3 == 0 ? "\r\n" : "\n");
            if (rng() % 20 == 0)
                content += " \t \n";  // blank: skipped
        }
        std::string p = dir.write(csv ? "big.csv" : "big.txt", content);
        TableFile t;
        ASSERT_EQ(t.readTable(p), static_cast<int>(lines.size()));
        size_t widest = 0;
        for (size_t l = 0; l < lines.size(); ++l) {
            std::vector<std::string> expected = csv ? TableFile::splitCsv(lines[l]) : TableFile::splitDelimited(lines[l], d);
            widest = std::max(widest, expected.size());
            TableLine got = t.lineAt(static_cast<int>(l));
            for (size_t c = 0; c < expected.size(); ++c)
                ASSERT_EQ(got[c], expected[c]) << "line " << l << " cell " << c;
        }
        EXPECT_EQ(t.widestFieldCount(), static_cast<int>(widest));
        RecordingProgress progress;
        progress.cancelAfterPumps(2);
        EXPECT_EQ(t.readTable(p, &progress), -1);
        EXPECT_EQ(t.lineCount(), 0);
    }
}
