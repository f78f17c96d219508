// Flipped subtrees and class strips: the order a flip gives (against a walk
// of the swapped tree), the profiles that follow it, undo one flip at a time,
// what a flip must not change, flips surviving every export format; the
// strips' categories, colours and legend counts, and their refusals.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "app/CArxDoc.h"
#include "app/ui/HintLog.h"
#include "data/ClassStrip.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// The leaves' data indices by a recursive walk, the given branch's children
// taken in swapped order.
void walk(const CNode* n, const CNode* swapped, std::vector<int>& out)
{
    if (n->isLeaf()) {
        out.push_back(n->m_nIndex);
        return;
    }
    const bool swap = n == swapped;
    walk(swap ? n->m_pSecond : n->m_pFirst, swapped, out);
    walk(swap ? n->m_pFirst : n->m_pSecond, swapped, out);
}

// Every profile of both forests against the data matrix: a row leaf's value
// at column position q is the matrix value of its item and the column shown
// at q, and the same for the column leaves.
void expectProfilesFollowOrder(const CArxDoc& doc)
{
    const DataMatrix& m = *doc.m_forestPairs.front().m_pData;
    const CForest& rows = *doc.m_pRowForest;
    const CForest& cols = *doc.m_pColForest;
    for (int p = 0; p < rows.m_nLeaves; ++p)
        for (int q = 0; q < cols.m_nLeaves; ++q) {
            const float v = m.value(rows.dataIndex(p), cols.dataIndex(q));
            ASSERT_EQ(rows.leaf(p)->m_pValues[q], v) << p << "," << q;
            ASSERT_EQ(cols.leaf(q)->m_pValues[p], v) << p << "," << q;
        }
}

// A column branch's profile by item (data index), whatever the order.
std::map<int, float> profileByItem(const CForest& cols, const CForest& rows, int branch)
{
    std::map<int, float> out;
    const CNode* n = cols.m_pNodes[static_cast<size_t>(branch)];
    for (int p = 0; p < rows.m_nLeaves; ++p)
        out[rows.dataIndex(p)] = n->m_pValues[p];
    return out;
}

class Arrangement : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(doc.readDataFile(kSample, false, -1, -1, 0, 1, false));
        ASSERT_TRUE(doc.hierarchicalClustering(everyColumn(doc)));
        doc.m_pRowForest->cut(0.6f);
        doc.m_pColForest->cut(0.6f);
    }
    // A branch some levels under the root, with leaves on both sides of it.
    int innerBranch(const CForest& f) const
    {
        const CNode* n = f.root()->m_pFirst->isLeaf() ? f.root()->m_pSecond : f.root()->m_pFirst;
        while (!n->m_pFirst->isLeaf() && n->m_nSize > f.m_nLeaves / 8)
            n = n->m_pFirst->m_nSize > n->m_pSecond->m_nSize ? n->m_pFirst : n->m_pSecond;
        return n->m_nIndex;
    }
    ScopedRecordingMessages messages;
    CArxDoc doc;
    TempDir dir;
};

} // namespace

TEST_F(Arrangement, FlipGivesTheSwappedWalksOrderAndUndoTakesFlipsBackOneAtATime)
{
    CForest& rows = *doc.m_pRowForest;
    const std::vector<int> original = leafOrder(rows);
    HintLog log;
    doc.attach(&log);

    const int inner = innerBranch(rows);
    std::vector<int> expected;
    walk(rows.root(), rows.m_pNodes[static_cast<size_t>(inner)], expected);
    ASSERT_NE(expected, original);
    ASSERT_TRUE(doc.flipSubtree(&rows, inner));
    EXPECT_EQ(leafOrder(rows), expected);
    const std::vector<int> afterFirst = expected;
    // Every leaf knows its new place.
    for (int p = 0; p < rows.m_nLeaves; ++p)
        ASSERT_EQ(rows.leaf(p)->m_nPosition, p);

    expected.clear();
    walk(rows.root(), rows.root(), expected);
    ASSERT_TRUE(doc.flipSubtree(&rows, rows.root()->m_nIndex));
    EXPECT_EQ(leafOrder(rows), expected);
    expectProfilesFollowOrder(doc);
    EXPECT_EQ(log.hints, (std::vector<int>{kHintLeafOrder, kHintLeafOrder}));

    ASSERT_TRUE(doc.undoFlip());
    EXPECT_EQ(leafOrder(rows), afterFirst);
    ASSERT_TRUE(doc.undoFlip());
    EXPECT_EQ(leafOrder(rows), original);
    EXPECT_FALSE(doc.canUndoFlip());
    EXPECT_FALSE(doc.undoFlip());
    expectProfilesFollowOrder(doc);

    // Leaves cannot be flipped; neither can nodes of a forest the document
    // does not hold.
    EXPECT_FALSE(doc.flipSubtree(&rows, 0));
    EXPECT_FALSE(doc.flipSubtree(&rows, rows.m_nNodes));
    EXPECT_FALSE(doc.canUndoFlip());
    doc.detach(&log);
}

TEST_F(Arrangement, FlipChangesNoSimilarityCutOrEvaluationFigure)
{
    CForest& rows = *doc.m_pRowForest;
    CForest& cols = *doc.m_pColForest;
    auto similarities = [](const CForest& f) {
        std::map<int, float> s;
        for (int i = f.m_nLeaves; i < f.m_nNodes; ++i)
            s[i] = f.m_pNodes[static_cast<size_t>(i)]->m_fSimilarity;
        return s;
    };
    auto clusterSets = [](const CForest& f) {
        std::vector<std::vector<int>> out;
        for (const CNode* c : f.m_clusters) {
            auto [a, b] = f.leafRange(c);
            std::vector<int> items;
            for (int p = a; p <= b; ++p)
                items.push_back(f.dataIndex(p));
            std::sort(items.begin(), items.end());
            out.push_back(items);
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const auto simRows = similarities(rows), simCols = similarities(cols);
    const auto setsBefore = clusterSets(rows);
    const auto evalBefore = doc.evaluateHierarchical(false, 0.6f);
    const auto countsBefore = rows.countClusters(0.6f, true);
    const int branch = cols.m_nLeaves + cols.m_nLeaves / 2;
    const auto profileBefore = profileByItem(cols, rows, branch);

    ASSERT_TRUE(doc.flipSubtree(&rows, innerBranch(rows)));
    ASSERT_TRUE(doc.flipSubtree(&cols, innerBranch(cols)));
    EXPECT_EQ(similarities(rows), simRows);
    EXPECT_EQ(similarities(cols), simCols);
    EXPECT_EQ(clusterSets(rows), setsBefore);
    // The cut list stays left to right.
    for (size_t c = 1; c < rows.m_clusters.size(); ++c)
        EXPECT_LT(rows.leafRange(rows.m_clusters[c - 1]).first, rows.leafRange(rows.m_clusters[c]).first);
    EXPECT_EQ(rows.countClusters(0.6f, true), countsBefore);
    const auto evalAfter = doc.evaluateHierarchical(false, 0.6f);
    ASSERT_TRUE(evalBefore && evalAfter);
    EXPECT_EQ(evalAfter->clusters, evalBefore->clusters);
    EXPECT_DOUBLE_EQ(evalAfter->within.value_or(-1), evalBefore->within.value_or(-1));
    EXPECT_DOUBLE_EQ(evalAfter->between.value_or(-1), evalBefore->between.value_or(-1));
    EXPECT_EQ(profileByItem(cols, rows, branch), profileBefore);
    expectProfilesFollowOrder(doc);
}

TEST_F(Arrangement, FlipsSurviveExportAndImportInEveryFormat)
{
    CForest& rows = *doc.m_pRowForest;
    CForest& cols = *doc.m_pColForest;
    ASSERT_TRUE(doc.flipSubtree(&rows, innerBranch(rows)));
    ASSERT_TRUE(doc.flipSubtree(&rows, rows.root()->m_nIndex));
    ASSERT_TRUE(doc.flipSubtree(&cols, innerBranch(cols)));
    const std::vector<int> rowOrder = leafOrder(rows), colOrder = leafOrder(cols);
    std::vector<std::string> itemIds, columnNames;
    for (int p = 0; p < rows.m_nLeaves; ++p)
        itemIds.push_back(doc.m_forestPairs.front().m_pData->itemId(rows.dataIndex(p)));
    for (int q = 0; q < cols.m_nLeaves; ++q)
        columnNames.push_back(cols.leaf(q)->m_strName);

    ASSERT_TRUE(doc.exportResult(dir.path(""), "arb", true, ResultFormat::Arbolix));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "tv", true, ResultFormat::TreeView));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "nw", true, ResultFormat::Newick));
    for (const char* file : {"arb.dat", "tv.cdt"}) {
        CArxDoc again;
        ASSERT_TRUE(again.importResult(dir.path(file))) << file;
        const CForest& r = *again.m_pRowForest;
        const CForest& c = *again.m_pColForest;
        ASSERT_EQ(r.m_nLeaves, rows.m_nLeaves);
        for (int p = 0; p < r.m_nLeaves; ++p)
            ASSERT_EQ(again.m_forestPairs.front().m_pData->itemId(again.rowOfItem(r.dataIndex(p))),
                      itemIds[static_cast<size_t>(p)])
                << file << " position " << p;
        for (int q = 0; q < c.m_nLeaves; ++q)
            ASSERT_EQ(c.leaf(q)->m_strName, columnNames[static_cast<size_t>(q)]) << file << " column " << q;
        // The tree read back walks to the same order.
        std::vector<int> walked;
        walk(r.root(), nullptr, walked);
        EXPECT_EQ(walked, leafOrder(r)) << file;
    }
    // Newick: the leaves' labels in the order the text names them.
    auto labels = [](const std::string& path) {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string t = ss.str();
        std::vector<std::string> out;
        size_t i = 0;
        while (i < t.size()) {
            const char ch = t[i];
            if (ch == '(' || ch == ',') {
                ++i;
                if (i < t.size() && t[i] != '(') {
                    std::string label;
                    if (t[i] == '\'') {
                        for (++i; i < t.size(); ++i) {
                            if (t[i] == '\'' && i + 1 < t.size() && t[i + 1] == '\'') {
                                label += '\'';
                                ++i;
                            } else if (t[i] == '\'') {
                                ++i;
                                break;
                            } else {
                                label += t[i];
                            }
                        }
                    } else {
                        while (i < t.size() && t[i] != ':' && t[i] != ',' && t[i] != ')')
                            label += t[i++];
                    }
                    out.push_back(label);
                }
                continue;
            }
            ++i;
        }
        return out;
    };
    EXPECT_EQ(labels(dir.path("nw_rows.nwk")), itemIds);
    EXPECT_EQ(labels(dir.path("nw_columns.nwk")), columnNames);
}

TEST_F(Arrangement, NewClusteringForgetsTheFlips)
{
    ASSERT_TRUE(doc.flipSubtree(doc.m_pRowForest, doc.m_pRowForest->root()->m_nIndex));
    ASSERT_TRUE(doc.canUndoFlip());
    doc.resultsChanged();
    EXPECT_FALSE(doc.canUndoFlip());
}

// ------------------------------------------------------------------ strips

TEST(ClassStrips, PaletteIsOkabeItoThenTwelveMoreAndMissingIsLightGrey)
{
    const Rgb okabeIto[8] = {{230, 159, 0}, {86, 180, 233}, {0, 158, 115}, {240, 228, 66},
                             {0, 114, 178}, {213, 94, 0},   {204, 121, 167}, {0, 0, 0}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(categoryColor(i), okabeIto[i]) << i;
    // Twenty distinct colours, none of them the missing grey.
    for (int i = 0; i < kCategoryColorCount; ++i) {
        EXPECT_FALSE(categoryColor(i) == kMissingCategoryColor);
        for (int j = 0; j < i; ++j)
            EXPECT_FALSE(categoryColor(i) == categoryColor(j)) << i << " " << j;
    }
    EXPECT_EQ(categoryColor(-1), (Rgb{211, 211, 211}));
}

TEST(ClassStrips, CategoriesSortedAndCountedWithTheMissingLast)
{
    ClassStrip s;
    std::string message;
    ASSERT_TRUE(buildClassStrip("Dose", false, {"10", "2", "", "10", "2", "2", "1.5"}, 12, s, message));
    EXPECT_EQ(s.m_categories, (std::vector<std::string>{"1.5", "2", "10"}));  // numerically
    EXPECT_EQ(s.m_category, (std::vector<int>{2, 1, -1, 2, 1, 1, 0}));
    const auto legend = stripLegend(s);
    ASSERT_EQ(legend.size(), 4u);
    EXPECT_EQ(legend[0].m_strName, "1.5");
    EXPECT_EQ(legend[0].m_nCount, 1);
    EXPECT_EQ(legend[1].m_nCount, 3);
    EXPECT_EQ(legend[2].m_nCount, 2);
    EXPECT_EQ(legend[3].m_strName, "missing");
    EXPECT_EQ(legend[3].m_nCount, 1);
    EXPECT_TRUE(legend[3].m_colour == kMissingCategoryColor);
    // Counted over some elements only.
    const auto some = stripLegend(s, {0, 3, 6});
    EXPECT_EQ(some[0].m_nCount, 1);
    EXPECT_EQ(some[1].m_nCount, 0);
    EXPECT_EQ(some[2].m_nCount, 2);
    EXPECT_EQ(some.size(), 3u);  // no missing among them

    ASSERT_TRUE(buildClassStrip("Kind", false, {"b", "a", "B"}, 12, s, message));
    EXPECT_EQ(s.m_categories, (std::vector<std::string>{"B", "a", "b"}));
}

TEST(ClassStrips, MoreThanTwelveValuesAreRefusedWithAMessage)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 13; ++i)
        texts.push_back("v" + std::to_string(i));
    ClassStrip s;
    s.m_strName = "kept";
    std::string message;
    EXPECT_FALSE(buildClassStrip("Tissue", false, texts, kMaxStripCategories, s, message));
    EXPECT_EQ(message, "Tissue has 13 distinct values; a class strip shows at most 12.");
    EXPECT_EQ(s.m_strName, "kept");
    texts.pop_back();
    EXPECT_TRUE(buildClassStrip("Tissue", false, texts, kMaxStripCategories, s, message));
    EXPECT_EQ(s.m_categories.size(), 12u);
}

TEST_F(Arrangement, ColumnStripHoldsTheCidRowsClasses)
{
    // The CID row read independently of the loader.
    std::ifstream in(kSample);
    std::string header, cid;
    std::getline(in, header);
    std::getline(in, cid);
    std::vector<std::string> cells;
    std::stringstream ss(cid);
    for (std::string c; std::getline(ss, c, '\t');)
        cells.push_back(c);
    std::map<std::string, int> counts;
    for (size_t k = 2; k < cells.size(); ++k)
        ++counts[cells[k]];
    ASSERT_EQ(counts.size(), 2u);

    ASSERT_TRUE(doc.hasColumnClasses());
    const ClassStrip* strip = doc.columnStrip();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->m_bColumns);
    const auto legend = stripLegend(*strip);
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[0].m_strName, "1");
    EXPECT_EQ(legend[0].m_nCount, counts["1"]);
    EXPECT_EQ(legend[1].m_strName, "2");
    EXPECT_EQ(legend[1].m_nCount, counts["2"]);
    // Column k's class is the CID cell of column k.
    for (size_t k = 0; k + 2 < cells.size(); ++k)
        ASSERT_EQ(strip->m_categories[static_cast<size_t>(strip->categoryOf(static_cast<int>(k)))], cells[k + 2]);
    EXPECT_EQ(doc.stripsOver(false).size(), 1u);
    doc.setColumnStripShown(false);
    EXPECT_EQ(doc.columnStrip(), nullptr);
    EXPECT_TRUE(doc.stripsOver(false).empty());
}

TEST(ClassStrips, ItemStripsFromCategoricalFieldsAndAnnotationColumns)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    const std::string data = dir.write("typed.txt",
                                       "ID\tNAME\tA\tB\tKIND\n"
                                       "FIELDTYPE\tSTRING\tEXPRESSION\tEXPRESSION\tCATEGORICAL\n"
                                       "g1\tn1\t1\t2\tred\n"
                                       "g2\tn2\t1.2\t2.1\tred\n"
                                       "g3\tn3\t9\t1\tblue\n"
                                       "g4\tn4\t9.5\t1.2\t\n");
    std::string annotation = "\"Probe Set ID\",\"Chromosome\",\"Cell\"\n";
    const char* chromosomes[4] = {"1", "X", "1", "12"};
    for (int i = 0; i < 4; ++i)
        annotation += "\"g" + std::to_string(i + 1) + "\",\"" + chromosomes[i] + "\",\"c" + std::to_string(i) + "\"\n";
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(data, false, -1, -1, 0, 1, false));
    EXPECT_FALSE(doc.hasColumnClasses());
    EXPECT_EQ(doc.columnStrip(), nullptr);
    ASSERT_TRUE(doc.attachAnnotation(dir.write("ann.csv", annotation)));
    const auto candidates = doc.itemStripCandidates();
    EXPECT_EQ(candidates, (std::vector<std::string>{"KIND", "Chromosome", "Cell"}));

    HintLog log;
    doc.attach(&log);
    ASSERT_TRUE(doc.setItemStrips({"kind", "Chromosome"}));
    ASSERT_EQ(doc.itemStrips().size(), 2u);
    EXPECT_EQ(log.hints, (std::vector<int>{kHintClassStrips}));
    const ClassStrip& kind = doc.itemStrips()[0];
    EXPECT_EQ(kind.m_strName, "KIND");
    EXPECT_EQ(kind.m_categories, (std::vector<std::string>{"blue", "red"}));
    EXPECT_EQ(kind.m_category, (std::vector<int>{1, 1, 0, -1}));
    const ClassStrip& chr = doc.itemStrips()[1];
    EXPECT_EQ(chr.m_categories, (std::vector<std::string>{"1", "12", "X"}));
    EXPECT_EQ(chr.m_category, (std::vector<int>{0, 2, 0, 1}));
    EXPECT_EQ(doc.stripsOver(true).size(), 2u);

    // Unknown names are refused and change nothing.
    EXPECT_FALSE(doc.setItemStrips({"Chromosome", "Nope"}));
    EXPECT_EQ(messages->m_texts.back(), "No categorical field or annotation column is named Nope.");
    EXPECT_EQ(doc.itemStrips().size(), 2u);
    doc.detach(&log);
}

TEST(ClassStrips, AnAnnotationColumnWithMoreThanTwelveValuesIsRefused)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    std::string data = "ID\tNAME\tA\tB\n";
    std::string annotation = "\"Probe Set ID\",\"Gene Title\",\"Group\"\n";
    for (int i = 0; i < 20; ++i) {
        data += "g" + std::to_string(i) + "\tn" + std::to_string(i) + "\t" + std::to_string(i) + "\t" +
                std::to_string(i % 3) + "\n";
        annotation += "\"g" + std::to_string(i) + "\",\"title " + std::to_string(i) + "\",\"grp" +
                      std::to_string(i % 4) + "\"\n";
    }
    CArxDoc doc;
    ASSERT_TRUE(doc.readDataFile(dir.write("d.txt", data), false, -1, -1, 0, 1, false));
    ASSERT_TRUE(doc.attachAnnotation(dir.write("a.csv", annotation)));
    // The title column is not offered; choosing it anyway is refused.
    EXPECT_EQ(doc.itemStripCandidates(), (std::vector<std::string>{"Group"}));
    ASSERT_TRUE(doc.setItemStrips({"Group"}));
    EXPECT_FALSE(doc.setItemStrips({"Gene Title"}));
    EXPECT_EQ(messages->m_texts.back(), "Gene Title has 20 distinct values; a class strip shows at most 12.");
    ASSERT_EQ(doc.itemStrips().size(), 1u);
    EXPECT_EQ(doc.itemStrips()[0].m_strName, "Group");
    const auto legend = stripLegend(doc.itemStrips()[0]);
    ASSERT_EQ(legend.size(), 4u);
    for (const LegendEntry& e : legend)
        EXPECT_EQ(e.m_nCount, 5);
}
