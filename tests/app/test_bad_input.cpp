// Hostile and damaged input through the document: what is refused (with the
// file and the reason), what is read with warnings (with the line and what
// was done), and that the sample's own files read without a word.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "app/CArxDoc.h"
#include "cluster/ResultFiles.h"
#include "data/FilePreview.h"
#include "linked/GoFiles.h"
#include "platform/ReadReport.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"
#include "support/TextLines.h"

namespace {

bool readData(CArxDoc& doc, const std::string& path) { return doc.readDataFile(path, false, -1, -1, 0, 1, false); }

std::string repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Six items of four values.
const char* const kGood = "ID\tNAME\tA\tB\tC\tD\n"
                          "i1\tone\t1\t2\t3\t4\n"
                          "i2\ttwo\t2\t3\t4\t5\n"
                          "i3\tthree\t3\t1\t2\t2\n"
                          "i4\tfour\t4\t4\t1\t3\n"
                          "i5\tfive\t5\t2\t2\t1\n"
                          "i6\tsix\t6\t1\t4\t2\n";

} // namespace

TEST(BadInput, FilesThatCannotBeTablesAreRefusedWithTheirReason)
{
    TempDir dir;
    CArxDoc doc;
    struct Case {
        std::string name, content, reason;
    };
    std::string binary = "\x7f" "ELF\x02\x01\x01";
    binary += std::string(64, '\0') + "text\tafter\n";
    std::string control;
    for (int i = 0; i < 2000; ++i)
        control += static_cast<char>(1 + i % 8);
    const std::string passwd = "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1:daemon:/usr/sbin:/usr/sbin/nologin\n";
    const Case cases[] = {
        {"ls.txt", binary, "the file is not text (it holds NUL bytes)"},
        {"control.txt", control + "\n", "the file is not text (it is mostly control characters)"},
        {"passwd.txt", passwd, "the file has no value columns"},
        {"oneline.txt", std::string(1 << 20, 'x'), "the file has no item lines"},
        {"header.txt", "ID\tA\tB\n", "the file has no item lines"},
        {"blank.txt", "  \n\t\n", "the file is empty"},
    };
    for (const Case& c : cases) {
        ScopedRecordingMessages rec;
        const std::string path = dir.write(c.name, c.content);
        EXPECT_FALSE(readData(doc, path)) << c.name;
        ASSERT_EQ(rec->m_texts.size(), 1u) << c.name;
        EXPECT_EQ(rec->m_texts[0], path + ": " + c.reason);
        EXPECT_FALSE(doc.m_bDataLoaded);
    }
    // A folder, through the document and through the load dialog's preview.
    const std::string folder = dir.path("folder.txt");
    std::filesystem::create_directories(folder);
    ScopedRecordingMessages rec;
    FilePreview preview;
    EXPECT_FALSE(readData(doc, folder));
    EXPECT_FALSE(previewFile(folder, preview));
    EXPECT_EQ(rec->m_texts, std::vector<std::string>(2, folder + ": the file is a folder"));
}

TEST(BadInput, LinesOfAnotherWidthAreWarnedOfWithTheirLines)
{
    TempDir dir;
    CArxDoc doc;
    ScopedRecordingMessages rec;
    // Line 6 holds 105 cells under a header of 5; line 3 (after a blank
    // line, which counts) holds 3; line 4 ends in a tab that stands for its
    // last, empty cell and is not short.
    std::string text = "ID\tNAME\tA\tB\tC\n"
                       "i1\tone\t1\t2\t3\n"
                       "\n"
                       "i2\ttwo\t2\n"
                       "i3\tthree\t3\t4\t\n"
                       "i4\tfour\t4\t5\t6" +
                       repeat("\t7", 100) + "\n" + "i5\tfive\t5\t6\t7\t\t\n";
    const std::string path = dir.write("widths.txt", text);
    ASSERT_TRUE(readData(doc, path));
    ASSERT_EQ(rec->m_texts.size(), 1u);
    EXPECT_EQ(rec->m_texts[0], path + ": 2 warnings\n"
                                      "line 4: 3 cells, the header has 5; the missing cells are read as missing values\n"
                                      "line 6: 105 cells, the header has 5; the extra cells are ignored");
    const DataMatrix& m = *doc.data();
    EXPECT_EQ(m.m_nColumns, 3);  // not 103
    EXPECT_EQ(m.m_nRows, 5);
    EXPECT_TRUE(isMissingWeight(m.rowWeights(1)[1]));
    EXPECT_TRUE(isMissingWeight(m.rowWeights(2)[2]));
    EXPECT_FLOAT_EQ(m.rowOrgValues(3)[2], 6.0f);
}

TEST(BadInput, ManyWarningsShowTheFirstTenAndACount)
{
    TempDir dir;
    CArxDoc doc;
    ScopedRecordingMessages rec;
    std::string text = "ID\tA\tB\n";
    for (int i = 0; i < 25; ++i)
        text += "i" + std::to_string(i) + (i % 2 ? "\t1\t2\n" : "\t1\n");
    const std::string path = dir.write("short.txt", text);
    ASSERT_TRUE(readData(doc, path));
    ASSERT_EQ(rec->m_texts.size(), 1u);
    const std::string& t = rec->m_texts[0];
    EXPECT_EQ(t.rfind(path + ": 13 warnings\nline 2: 2 cells", 0), 0u) << t;
    EXPECT_NE(t.find("\nline 20: 2 cells"), std::string::npos);
    EXPECT_EQ(t.find("line 22:"), std::string::npos);
    EXPECT_EQ(t.substr(t.size() - 16), "\n... and 3 more.");
}

TEST(BadInput, ValuesTooLargeToRepresentAreMissingWhateverTheirLength)
{
    TempDir dir;
    CArxDoc doc;
    ScopedRecordingMessages rec;
    const std::string d308 = "1" + std::string(307, '0'), d309 = "1" + std::string(308, '0');
    const std::string d400 = "9" + std::string(399, '9') + ".5";
    const std::string tiny = "0." + std::string(400, '0') + "1";
    std::string text = "ID\tA\tB\tC\tD\n"
                       "i1\t" + d308 + "\t" + d309 + "\t-" + d400 + "\t" + tiny + "\n"
                       "i2\t1e400\t2\t3\t4\n"
                       "i3\t1\t2\t3\t4e-400\n";
    const std::string path = dir.write("large.txt", text);
    ASSERT_TRUE(readData(doc, path));
    const DataMatrix& m = *doc.data();
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(isMissingWeight(m.rowWeights(0)[k])) << k;
    EXPECT_FALSE(isMissingWeight(m.rowWeights(0)[3]));
    EXPECT_EQ(m.rowOrgValues(0)[3], 0.0f);  // below the smallest value: zero, present
    EXPECT_TRUE(isMissingWeight(m.rowWeights(1)[0]));
    EXPECT_FALSE(isMissingWeight(m.rowWeights(2)[3]));
    ASSERT_EQ(rec->m_texts.size(), 1u);
    EXPECT_EQ(rec->m_texts[0],
              path + ": 4 warnings\n"
                     "line 2: the value in column \"A\" is too large to represent; it is read as missing\n"
                     "line 2: the value in column \"B\" is too large to represent; it is read as missing\n"
                     "line 2: the value in column \"C\" is too large to represent; it is read as missing\n"
                     "line 3: the value in column \"A\" is too large to represent; it is read as missing");
}

TEST(BadInput, LineNumbersHoldAcrossTheSplitOfLargeFiles)
{
    // Files of 2 MB and more are split by several threads; the lines each
    // counts must add up to the file's own numbers.
    TempDir dir;
    CArxDoc doc;
    ScopedRecordingMessages rec;
    std::string text = "ID\tA\tB\tC\n";
    int line = 1;
    std::vector<int> faulty;
    for (int i = 0; text.size() < (3u << 20); ++i) {
        if (i % 1000 == 999) {
            text += "\n\r\n";
            line += 2;
        }
        ++line;
        if (i % 20011 == 20010) {
            text += "x" + std::to_string(i) + "\t1\t2\t3\t4\n";
            faulty.push_back(line);
        } else {
            text += "x" + std::to_string(i) + "\t1.25\t2.5\t3.75\n";
        }
    }
    ASSERT_GE(faulty.size(), 3u);
    const std::string path = dir.write("big.txt", text);
    ASSERT_TRUE(readData(doc, path));
    ASSERT_EQ(rec->m_texts.size(), 1u);
    std::string expected = path + ": " + std::to_string(faulty.size()) + " warnings";
    for (int l : faulty)
        expected += "\nline " + std::to_string(l) + ": 5 cells, the header has 4; the extra cells are ignored";
    EXPECT_EQ(rec->m_texts[0], expected);
}

TEST(BadInput, QuotesOfCsvFilesAreWarnedOf)
{
    TempDir dir;
    CArxDoc doc;
    ASSERT_TRUE(readData(doc, dir.write("d.txt", kGood)));
    ScopedRecordingMessages rec;
    // Line 3 has a quote left open, line 4 a stray quote that merges its
    // third and fourth fields; "" inside quotes and quotes after blanks are
    // well formed.
    const std::string path = dir.write("annotation.csv", "\"Probe Set ID\",\"Gene Title\",\"Gene Symbol\"\n"
                                                         "\"i1\",\"first \"\"one\"\"\", \"G1\"\n"
                                                         "\"i2\",\"second,G2\n"
                                                         "\"i3\",thi\"rd,G3\",x\n");
    ASSERT_TRUE(doc.attachAnnotation(path));
    ASSERT_EQ(rec->m_texts.size(), 1u);
    EXPECT_EQ(rec->m_texts[0],
              path + ": 3 warnings\n"
                     "line 3: the quote in field 2 is not closed; the rest of the line is read as that field\n"
                     "line 3: 2 cells, the header has 3; the missing cells are read as empty texts\n"
                     "line 4: a stray quote in field 2; the commas up to the next quote are read as part of that "
                     "field");
    EXPECT_EQ(doc.annotationCell(0, "title"), "first one");
    EXPECT_EQ(doc.annotationCell(1, "title"), "second,G2");
    EXPECT_EQ(doc.annotationCell(2, "title"), "third,G3");
}

TEST(BadInput, OntologyCyclesAreRefusedAndDepthJumpsWarnedOf)
{
    TempDir dir;
    RecordingProgress p;
    const std::string terms = "GO:0000001\tone\tP\nGO:0000002\ttwo\tP\nGO:0000003\tthree\tP\n";
    auto flatFolder = [&](const std::string& name, const std::string& process) {
        dir.write(name + "/GO.terms_and_ids", terms);
        dir.write(name + "/function.ontology", "$Gene_Ontology ; GO:0003673\n <molecular_function ; GO:0003674\n");
        dir.write(name + "/component.ontology", "$Gene_Ontology ; GO:0003673\n <cellular_component ; GO:0005575\n");
        dir.write(name + "/process.ontology", process);
        return dir.path(name);
    };
    {
        // Depth jumps by five levels on line 4: the term goes under the line above.
        ScopedRecordingMessages rec;
        GoOntology o;
        const std::string folder = flatFolder("jump", "$Gene_Ontology ; GO:0003673\n"
                                                      " <biological_process ; GO:0008150\n"
                                                      "  %one ; GO:0000001\n"
                                                      "       %two ; GO:0000002\n"
                                                      "  %three ; GO:0000003\n");
        ASSERT_TRUE(loadOntology(folder, o, p).ok);
        ASSERT_EQ(rec->m_texts.size(), 1u);
        EXPECT_EQ(rec->m_texts[0], folder + "/process.ontology: 1 warning\nline 4: the term is 5 levels deeper than "
                                            "the term above it; it is placed one level below that term");
        EXPECT_EQ(o.term(o.termIndex(2)).m_parents, std::vector<int>{o.termIndex(1)});
    }
    {
        // A term under itself, and two terms each under the other.
        GoOntology o;
        const std::string self = flatFolder("self", "  %one ; GO:0000001\n   %one ; GO:0000001\n");
        GoLoadOutcome out = loadOntology(self, o, p);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, self + "/process.ontology, line 2: GO:0000001 is placed under itself (a cycle of is_a / "
                                      "part_of links)");
        const std::string pair = flatFolder("pair", "  %one ; GO:0000001\n   %two ; GO:0000002\n"
                                                    "  %two ; GO:0000002\n   %one ; GO:0000001\n");
        out = loadOntology(pair, o, p);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, pair + "/process.ontology: the is_a / part_of links form a cycle: GO:0000001 -> "
                                      "GO:0000002 -> GO:0000001");
    }
    {
        const std::string head = "format-version: 1.2\n\n";
        auto term = [](int n, const std::string& parents) {
            return "[Term]\nid: GO:000000" + std::to_string(n) + "\nname: t" + std::to_string(n) +
                   "\nnamespace: biological_process\n" + parents + "\n";
        };
        GoOntology o;
        const std::string cycle = dir.write("cycle.obo", head + term(1, "is_a: GO:0000003\n") +
                                                             term(2, "relationship: part_of GO:0000001\n") +
                                                             term(3, "is_a: GO:0000002\n"));
        GoLoadOutcome out = loadOntology(cycle, o, p);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, cycle + ": the is_a / part_of links form a cycle: GO:0000001 -> GO:0000003 -> "
                                       "GO:0000002 -> GO:0000001");
        const std::string self = dir.write("self.obo", head + term(1, "is_a: GO:0000001\n"));
        out = loadOntology(self, o, p);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.message, self + ": GO:0000001 is its own parent (a cycle of is_a / part_of links)");
        EXPECT_EQ(o.termCount(), 4);  // back to the four roots
    }
}

TEST(BadInput, TreeViewFilesOfAnotherWidthAreWarnedOfWithTheirLines)
{
    TempDir dir;
    CArxDoc doc;
    ASSERT_TRUE(readData(doc, dir.write("d.txt", kGood)));
    ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "t", true, ResultFormat::TreeView));
    const std::string cdt = TempDir::read(dir.path("t.cdt"));
    const std::vector<std::string> lines = splitLines(cdt);
    for (const char* name : {"bad", "short_header"})
        for (const char* ext : {".gtr", ".atr"})
            std::filesystem::copy_file(dir.path(std::string("t") + ext), dir.path(name + std::string(ext)));
    const size_t headerCells = static_cast<size_t>(std::count(lines[0].begin(), lines[0].end(), '\t')) + 1;
    {
        // The item of line 3 five cells too long, that of line 6 five short.
        std::vector<std::string> bad = lines;
        bad[2] += "\t9\t9\t9\t9\t9";
        bad[5] = bad[5].substr(0, bad[5].find('\t', bad[5].find('\t') + 1));
        const size_t shortCells = 2;
        const std::string path = dir.write("bad.cdt", joinLines(bad));
        ScopedRecordingMessages rec;
        CArxDoc imported;
        const int droppedBefore = droppedReads();
        ASSERT_TRUE(imported.importResult(path));
        ASSERT_EQ(rec->m_texts.size(), 1u);
        EXPECT_EQ(rec->m_texts[0],
                  path + ": 2 warnings\n" + "line 3: " + std::to_string(headerCells + 5) + " cells, the header has " +
                      std::to_string(headerCells) + "; the extra cells are ignored\n" + "line 6: " +
                      std::to_string(shortCells) + " cells, the header has " + std::to_string(headerCells) +
                      "; the missing cells are read as missing values");
        EXPECT_EQ(imported.data()->m_nColumns, 4);
        // Cells beyond the header are no part of the table: the result is
        // whole, and the command line finishes with success.
        EXPECT_EQ(droppedReads(), droppedBefore);
    }
    {
        // A header five cells short: every longer line is warned of.
        std::vector<std::string> bad = lines;
        for (int i = 0; i < 5; ++i)
            bad[0] = bad[0].substr(0, bad[0].rfind('\t'));
        const std::string path = dir.write("short_header.cdt", joinLines(bad));
        ScopedRecordingMessages rec;
        CArxDoc imported;
        const bool ok = imported.importResult(path);
        ASSERT_EQ(rec->m_texts.size(), 1u);
        if (ok)
            EXPECT_NE(rec->m_texts[0].find("line 2: "), std::string::npos) << rec->m_texts[0];
        else
            EXPECT_EQ(rec->m_texts[0].rfind(path + ", line 1: ", 0), 0u) << rec->m_texts[0];
    }
}

TEST(BadInput, TreesThatDoNotFitTheItemsRefuseTheWholeResult)
{
    TempDir dir;
    CArxDoc doc;
    ASSERT_TRUE(readData(doc, dir.write("d.txt", kGood)));
    ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "r", true));
    const std::string rcr = TempDir::read(dir.path("r.rcr"));
    const std::string first = rcr.substr(0, rcr.find('\n'));  // BRCH10 child child similarity
    const std::string rest = rcr.substr(rcr.find('\n'));
    struct Case {
        std::string firstLine, reason;
    };
    auto cellsOf = [](const std::string& l) {
        std::vector<std::string> c;
        for (size_t b = 0, e; b <= l.size(); b = e + 1)
            c.push_back(l.substr(b, (e = std::min(l.find('\t', b), l.size())) - b));
        return c;
    };
    const std::vector<std::string> c = cellsOf(first);
    const Case cases[] = {
        {c[0] + "\tLEAF99\t" + c[2] + "\t" + c[3], "LEAF99 is out of range"},
        {c[0] + "\t" + c[1] + "\tBRCH500\t" + c[3], ""},
        {c[0] + "\t" + c[0] + "\t" + c[2] + "\t" + c[3], c[0] + " is its own ancestor"},
        {c[0] + "\tLEAF-1\t" + c[2] + "\t" + c[3], "\"LEAF-1\" is neither a leaf (LEAF%d) nor a branch (BRCH%d)"},
        {c[0] + "\tLEAF99999999999\t" + c[2] + "\t" + c[3], ""},
    };
    for (const Case& k : cases) {
        TempDir copy;
        for (const char* ext : {".dat", ".ccr"})
            std::filesystem::copy_file(dir.path(std::string("r") + ext), copy.path(std::string("r") + ext));
        copy.write("r.rcr", k.firstLine + rest);
        ScopedRecordingMessages rec;
        CArxDoc imported;
        EXPECT_FALSE(imported.importResult(copy.path("r.dat"))) << k.firstLine;
        ASSERT_EQ(rec->m_texts.size(), 1u) << k.firstLine;
        EXPECT_EQ(rec->m_texts[0].rfind(copy.path("r.rcr") + ", line 1: " + k.reason, 0), 0u) << rec->m_texts[0];
        EXPECT_FALSE(imported.m_bDataLoaded);
    }
}

TEST(BadInput, OpeningAnotherFileOffersToSaveAnUnexportedResult)
{
    TempDir dir;
    CArxDoc doc;
    ASSERT_TRUE(readData(doc, dir.write("mine.txt", kGood)));
    int exports = 0;
    auto exportIt = [&] {
        ++exports;
        return doc.exportResult(dir.path(""), "saved", true);
    };
    {
        ScopedRecordingMessages rec;
        EXPECT_TRUE(doc.saveModified(exportIt));  // nothing made yet: no question
        EXPECT_TRUE(rec->m_questions.empty());
    }
    ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
    {
        ScopedRecordingMessages rec;
        rec->m_answers = {Answer::Cancel, Answer::No, Answer::Yes};
        EXPECT_FALSE(doc.saveModified(exportIt));
        EXPECT_TRUE(doc.saveModified(exportIt));
        EXPECT_EQ(exports, 0);
        EXPECT_TRUE(doc.saveModified(exportIt));
        EXPECT_EQ(exports, 1);
        EXPECT_TRUE(std::filesystem::exists(dir.path("saved.dat")));
        ASSERT_EQ(rec->m_questions.size(), 3u);
        EXPECT_EQ(rec->m_questions[0], "Save changes to mine?");
        // Exported: no more question.
        EXPECT_TRUE(doc.saveModified(exportIt));
        EXPECT_EQ(rec->m_questions.size(), 3u);
    }
    {
        // Yes with the export dialog cancelled stops the open.
        ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
        ScopedRecordingMessages rec;
        EXPECT_FALSE(doc.saveModified([] { return false; }));
    }
}

TEST(BadInput, TheSamplesOwnFilesReadWithoutAWord)
{
    ScopedRecordingMessages rec;
    const std::string samples = ARBOLIX_SAMPLES_DIR;
    TempDir dir;
    CArxDoc doc;
    ASSERT_TRUE(readData(doc, samples + "/all_leukemia_top2000.txt"));
    ASSERT_TRUE(doc.attachAnnotation(samples + "/all_leukemia_top2000_annotation.csv"));
    ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
    for (ResultFormat f : {ResultFormat::Arbolix, ResultFormat::TreeView}) {
        ASSERT_TRUE(doc.exportResult(dir.path(""), "all", true, f));
        CArxDoc back;
        ASSERT_TRUE(back.importResult(dir.path(f == ResultFormat::Arbolix ? "all.dat" : "all.cdt")));
    }
    RecordingProgress p;
    GoOntology flat, obo;
    ASSERT_TRUE(loadOntology(samples, flat, p).ok);
    ASSERT_TRUE(loadOntology(samples + "/go-basic.obo.gz", obo, p).ok);
    const std::string fixtures = ARBOLIX_FIXTURES_DIR;
    for (const char* name : {"expression.xls", "expression.xlsx", "withcalls.txt", "withpvalues.xls", "wide.xlsx",
                             "offset.xlsx", "long.xlsx"}) {
        CArxDoc d;
        readData(d, fixtures + "/" + name);
    }
    EXPECT_TRUE(rec->m_texts.empty()) << rec->m_texts.front();
}
