// TreeView's triple (.cdt, .gtr, .atr) and Newick trees: what we write reads
// back as the same trees, leaf order and cuts; TreeView files written by
// other programs (titles, 1-based numbers, root last, one tree file) open as
// results; damaged files are refused with the file and line.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CArxDoc.h"
#include "cluster/ResultFiles.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/RecordingMessages.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// Every branch as "index: first second similarity" with the children's ids
// (leaves by data index), exactly.
std::vector<std::string> branches(const CForest& f)
{
    std::vector<std::string> out;
    auto id = [](const CNode* n) { return strFormat(n->isLeaf() ? "L%d" : "B%d", n->m_nIndex); };
    for (int i = f.m_nLeaves; i < f.m_nNodes; ++i) {
        const CNode* b = f.m_pNodes[static_cast<size_t>(i)];
        out.push_back(id(b) + ": " + id(b->m_pFirst) + " " + id(b->m_pSecond) + " " +
                      strFormat("%.9g", static_cast<double>(b->m_fSimilarity)));
    }
    return out;
}

bool cluster(CArxDoc& doc, const std::string& path, bool rows, bool columns)
{
    if (!doc.readDataFile(path, false, -1, -1, 0.0f, 1.0f, false))
        return false;
    CClusteringParameters params = everyColumn(doc);
    params.m_options.clusterRows = rows;
    params.m_options.clusterColumns = columns;
    return doc.hierarchicalClustering(params);
}

// Exports `before` as TreeView files and reads them back; compares trees,
// leaf order, the cut at three similarities, identifiers, names and values.
void roundTrip(CArxDoc& before, const TempDir& dir, bool rows, bool columns)
{
    ScopedRecordingMessages messages;
    ASSERT_TRUE(before.exportResult(dir.path(""), "tv", true, ResultFormat::TreeView));
    EXPECT_EQ(std::filesystem::exists(dir.path("tv.gtr")), rows);
    EXPECT_EQ(std::filesystem::exists(dir.path("tv.atr")), columns);
    CArxDoc after;
    ASSERT_TRUE(after.importResult(dir.path("tv.cdt")));
    if (rows) {
        EXPECT_TRUE(messages->m_texts.empty()) << messages->m_texts.front();
    } else {
        EXPECT_EQ(messages->m_texts, std::vector<std::string>{"No available gene clustering result file"});
    }
    EXPECT_EQ(after.m_pRowForest->hasTree(), rows);
    EXPECT_EQ(after.m_pColForest->hasTree(), columns);

    const CForest* pairs[2][2] = {{before.m_pRowForest, after.m_pRowForest}, {before.m_pColForest, after.m_pColForest}};
    for (auto& [a, b] : pairs) {
        ASSERT_EQ(a->m_nLeaves, b->m_nLeaves);
        EXPECT_EQ(leafOrder(*a), leafOrder(*b));
        if (!a->hasTree())
            continue;
        EXPECT_EQ(branches(*a), branches(*b));
        for (float s : {0.3f, 0.6f, 0.9f}) {
            const_cast<CForest*>(a)->cut(s);
            const_cast<CForest*>(b)->cut(s);
            EXPECT_EQ(a->clusterNumbers(), b->clusterNumbers()) << "s = " << s;
        }
    }
    const DataMatrix& m0 = *before.mainPair()->m_pData;
    const DataMatrix& m1 = *after.mainPair()->m_pData;
    const CForest& r0 = *before.m_pRowForest;
    const CForest& c0 = *before.m_pColForest;
    for (int p = 0; p < r0.m_nLeaves; ++p) {
        ASSERT_EQ(m0.itemId(r0.dataIndex(p)), m1.itemId(p));
        ASSERT_EQ(r0.leaf(p)->m_strName, after.m_pRowForest->leaf(p)->m_strName);
        for (int q = 0; q < c0.m_nLeaves; ++q) {
            const int k = c0.dataIndex(q);
            ASSERT_EQ(m0.weight(r0.dataIndex(p), k) == -1.0f, m1.weight(p, q) == -1.0f);
            if (m0.weight(r0.dataIndex(p), k) != -1.0f) {
                ASSERT_EQ(strFormat("%f", m0.orgValue(r0.dataIndex(p), k)), strFormat("%f", m1.orgValue(p, q)));
            }
        }
    }
    for (int q = 0; q < c0.m_nLeaves; ++q)
        EXPECT_EQ(c0.leaf(q)->m_strName, after.m_pColForest->leaf(q)->m_strName);
}

TEST(TreeViewFiles, SampleRoundTripBothTrees)
{
    TempDir dir;
    ScopedRecordingMessages quiet;
    CArxDoc before;
    ASSERT_TRUE(cluster(before, kSample, true, true));
    roundTrip(before, dir, true, true);
}

TEST(TreeViewFiles, MissingCellsAndOneTree)
{
    TempDir dir;
    const std::string path = dir.write("small.txt",
                                       "ID\tNAME\tA\tB\tC\tD\n"
                                       "i0\tn0\t1\t2\t3\t4\n"
                                       "i1\tn1\t2\t\t6\t8\n"
                                       "i2\tn2\t4\t3\t2\t1\n"
                                       "i3\tn3\t1\t3\t2\t5\n"
                                       "i4\tn4\t0.5\t1\t1.5\t2.25\n");
    for (int variant = 0; variant < 2; ++variant) {
        ScopedRecordingMessages quiet;
        CArxDoc before;
        ASSERT_TRUE(cluster(before, path, variant == 0, variant == 1));
        roundTrip(before, dir, variant == 0, variant == 1);
        // The layout TreeView expects.
        const std::string cdt = TempDir::read(dir.path("tv.cdt"));
        if (variant == 0) {
            EXPECT_EQ(cdt.substr(0, cdt.find('\n')), "GID\tUNIQID\tNAME\tGWEIGHT\tA\tB\tC\tD");
            EXPECT_NE(cdt.find("\nEWEIGHT\t\t\t\t1.000000\t1.000000\t1.000000\t1.000000\n"), std::string::npos);
            EXPECT_NE(cdt.find("\nGENE1X\ti1\tn1\t1.000000\t2.000000\t\t6.000000\t8.000000\n"), std::string::npos);
        } else {
            EXPECT_EQ(cdt.substr(0, cdt.find('\n')), "UNIQID\tNAME\tGWEIGHT\tA\tB\tC\tD");
            EXPECT_EQ(cdt.find("\nAID\t\t\t"), cdt.find('\n'));
        }
        std::filesystem::remove(dir.path("tv.gtr"));
        std::filesystem::remove(dir.path("tv.atr"));
    }
}

// A triple as other programs write it: a title line in the tree file, node
// and leaf numbers from 1, the root last, children in either order, only the
// gene tree; correlations as similarities (v + 1) / 2.
TEST(TreeViewFiles, ForeignTripleOpens)
{
    TempDir dir;
    dir.write("f.cdt", "GID\tORF\tNAME\tGWEIGHT\tx\ty\tz\n"
                       "EWEIGHT\t\t\t\t1\t2\t1\n"
                       "GENE3X\tc\tgamma\t1\t3\t1\t2\n"
                       "GENE1X\ta\talpha\t1\t1\t2\t3\n"
                       "GENE2X\tb\tbeta\t0.5\t1.1\t2.2\t3.1\n"
                       "GENE4X\td\tdelta\t1\t\t5\t4\n");
    dir.write("f.gtr", "NODEID\tLEFT\tRIGHT\tCORRELATION\n"
                       "NODE1X\tGENE2X\tGENE1X\t0.99\n"
                       "NODE2X\tNODE1X\tGENE3X\t0.5\n"
                       "NODE3X\tGENE4X\tNODE2X\t-0.25\n");
    ScopedRecordingMessages messages;
    CArxDoc doc;
    ASSERT_TRUE(doc.importResult(dir.path("f.cdt")));
    EXPECT_TRUE(messages->m_texts.empty());
    const CForest& rows = *doc.m_pRowForest;
    ASSERT_TRUE(rows.hasTree());
    EXPECT_FALSE(doc.m_pColForest->hasTree());
    // The order of the data lines is kept; numbers 1..4 became 0..3.
    EXPECT_EQ(leafOrder(rows), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_FLOAT_EQ(rows.root()->m_fSimilarity, 0.375f);
    EXPECT_FLOAT_EQ(rows.root()->m_pFirst->m_fSimilarity, 0.75f);
    EXPECT_FLOAT_EQ(rows.root()->m_pFirst->m_pSecond->m_fSimilarity, 0.995f);
    EXPECT_EQ(rows.leaf(1)->m_strName, "alpha");
    EXPECT_FLOAT_EQ(rows.leaf(2)->m_fWeight, 0.5f);
    const DataMatrix& m = *doc.mainPair()->m_pData;
    EXPECT_EQ(m.itemId(0), "c");
    EXPECT_EQ(m.weight(3, 0), -1.0f);
    EXPECT_FLOAT_EQ(m.columnField(1)->m_fWeight, 2.0f);
    doc.m_pRowForest->cut(0.7f);
    EXPECT_EQ(doc.m_pRowForest->clusterNumbers(), (std::vector<int>{1, 1, 1, 0}));
}

TEST(TreeViewFiles, DamagedFilesAreRefusedWithTheLine)
{
    TempDir dir;
    const std::string cdt = "GID\tID\tNAME\tGWEIGHT\tx\ty\n"
                            "GENE0X\ta\ta\t1\t1\t2\n"
                            "GENE1X\tb\tb\t1\t2\t1\n"
                            "GENE2X\tc\tc\t1\t3\t3\n";
    struct Case {
        std::string cdt, gtr, message;
    } cases[] = {
        {"GID\tID\tNAME\tGWEIGHT\tx\ny\tb\tb\t1\t1\n", "", "line 2: \"y\" is not an identifier GENE%dX"},
        {"GID\tID\tNAME\tGWEIGHT\tx\nGENE0X\ta\ta\t1\t1\nGENE0X\tb\tb\t1\t2\n", "", "line 3: \"GENE0X\" appears twice"},
        {cdt, "NODE1X\tGENE0X\tGENE9X\t0.5\nNODE2X\tNODE1X\tGENE2X\t0.1\n", "f.gtr, line 1: \"GENE9X\" is neither"},
        {cdt, "NODE1X\tGENE0X\tGENE1X\tabc\nNODE2X\tNODE1X\tGENE2X\t0.1\n", "f.gtr, line 1: the similarity"},
        {cdt, "NODE1X\tNODE2X\tGENE1X\t0.5\nNODE2X\tNODE1X\tGENE2X\t0.1\n", "is its own ancestor"},
    };
    for (const Case& c : cases) {
        dir.write("f.cdt", c.cdt);
        std::filesystem::remove(dir.path("f.gtr"));
        if (!c.gtr.empty())
            dir.write("f.gtr", c.gtr);
        ScopedRecordingMessages messages;
        CArxDoc doc;
        const bool ok = doc.importResult(dir.path("f.cdt"));
        ASSERT_FALSE(messages->m_texts.empty()) << c.message;
        EXPECT_NE(messages->m_texts.front().find(c.message), std::string::npos) << messages->m_texts.front();
        // A damaged tree leaves the rows unclustered; a damaged data file fails.
        if (ok) {
            EXPECT_FALSE(doc.m_pRowForest->hasTree());
        }
    }
}

TEST(Newick, LabelsAreQuotedWhereNeeded)
{
    EXPECT_EQ(newickLabel("AFFX-1"), "AFFX-1");
    EXPECT_EQ(newickLabel("1000_at"), "'1000_at'");
    EXPECT_EQ(newickLabel("a b"), "'a b'");
    EXPECT_EQ(newickLabel("it's"), "'it''s'");
    EXPECT_EQ(newickLabel("(x,y):z;"), "'(x,y):z;'");
    EXPECT_EQ(newickLabel(""), "''");
}

TEST(Newick, BranchLengthsFromTheSimilarityScale)
{
    TempDir dir;
    const std::string path = dir.write("n.txt", "ID\tA\tB\tC\tD\n"
                                                "p\t1\t2\t3\t4\n"
                                                "q\t1\t2\t3\t4.5\n"
                                                "r\t4\t3\t2\t1\n");
    ScopedRecordingMessages quiet;
    CArxDoc doc;
    ASSERT_TRUE(cluster(doc, path, true, false));
    const CForest& f = *doc.m_pRowForest;
    const double sr = f.root()->m_fSimilarity;
    const double si = f.root()->m_pFirst->m_fSimilarity;
    ASSERT_TRUE(doc.exportResult(dir.path(""), "n", true, ResultFormat::Newick));
    EXPECT_FALSE(std::filesystem::exists(dir.path("n_columns.nwk")));
    const std::string text = TempDir::read(dir.path("n_rows.nwk"));
    // Heights 1 - S; a branch is the parent's height minus the child's.
    // p and q join first (inside the parentheses), r last.
    EXPECT_EQ(text.substr(0, 2), "((") << text;
    ASSERT_EQ(text.back(), '\n');
    EXPECT_EQ(text[text.size() - 2], ';');
    // r joins last: its branch is the root's height.
    EXPECT_NE(text.find("r:"), std::string::npos);
    double rLength = std::stod(text.substr(text.find("r:") + 2));
    EXPECT_NEAR(rLength, 1.0 - sr, 1e-12);
    double innerLength = std::stod(text.substr(text.find("):") + 2));
    EXPECT_NEAR(innerLength, si - sr, 1e-12);
}

} // namespace
