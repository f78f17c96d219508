// The Help menu's item-list tools: reading lists (header lines skipped,
// repeats once), the intersection line, num.txt against the selection and
// the summaries, through the document as the menu and the command line run
// them.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/CArxDoc.h"
#include "app/ItemLists.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

TEST(ItemLists, ReadsFirstColumnsSkippingHeaders)
{
    TempDir dir;
    // What Save Selected Items writes: a title line, header rows, items.
    const std::string saved = dir.write("saved.exp", "UNIQID\tNAME\tS1\tDESC\n"
                                                     "WEIGHT\t\t\t1.000000\n"
                                                     "CID\t\t\t1\n"
                                                     "a_at\tA\t1.0\tx\n"
                                                     "b_at\tB\t2.0\ty\n"
                                                     "a_at\tA\t1.0\tx\n");
    std::vector<std::string> ids;
    ASSERT_TRUE(readItemList(saved, ids));
    EXPECT_EQ(ids, (std::vector<std::string>{"a_at", "b_at"}));
    // A plain list; blank lines, blank cells and padding do not count.
    const std::string plain = dir.write("plain.txt", "c_at\n\n  d_at \t whatever\n\t\nWEIGHT_x\n");
    ASSERT_TRUE(readItemList(plain, ids));
    EXPECT_EQ(ids, (std::vector<std::string>{"c_at", "d_at", "WEIGHT_x"}));
    EXPECT_FALSE(readItemList(dir.path("absent.txt"), ids));
    EXPECT_TRUE(isItemListHeader("Probe Set ID", 0));
    EXPECT_FALSE(isItemListHeader("Probe Set ID", 1));
    EXPECT_TRUE(isItemListHeader("cid", 2));
    EXPECT_FALSE(isItemListHeader("CID", 4));
}

TEST(ItemLists, IntersectionLineIsAppended)
{
    TempDir dir;
    const std::string a = dir.write("hclust.txt", "ID\nx\ny\nz\nw\n");
    const std::string b = dir.write("kmeans.txt", "y\nw\nv\n");
    const std::string out = dir.path("pairs.txt");
    ScopedRecordingMessages messages;
    ListIntersection r;
    ASSERT_TRUE(intersectListFiles(a, b, out, r));
    EXPECT_EQ(r.line(), "hclust.txt\t4\tand\t3\t2");
    ASSERT_TRUE(intersectListFiles(b, a, out, r));
    EXPECT_EQ(TempDir::read(out), "hclust.txt\t4\tand\t3\t2\nkmeans.txt\t3\tand\t4\t2\n");
    EXPECT_NE(r.message("hclust.txt").find("In both: 2 items"), std::string::npos);
    EXPECT_FALSE(intersectListFiles(a, dir.path("gone.txt"), out, r));
    EXPECT_EQ(messages->m_texts.back(), "Cannot open the file : " + dir.path("gone.txt"));
}

TEST(ItemLists, SelectionCountsAndSummariesFromTheDocument)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    CArxDoc doc;
    EXPECT_EQ(doc.countSelectionInLists(dir.path("")), -1);
    EXPECT_EQ(messages->m_texts.back(), "Load data file first !");
    ASSERT_TRUE(doc.readDataFile(kSample, false, -1, -1, 0.0f, 1.0f, false));
    const DataMatrix& data = *doc.data();
    const std::string id0 = data.itemId(0), id1 = data.itemId(1), id2 = data.itemId(2);
    dir.write("lists/one.txt", id0 + "\n" + id1 + "\nnot_there\n");
    dir.write("lists/two.exp", "UNIQID\tNAME\n" + id2 + "\t" + data.itemName(2) + "\n");
    dir.write("lists/ignored.csv", id0 + "\n");
    const std::string folder = dir.path("lists");
    // The selection: items 1 and 2.
    const std::string chosen = dir.write("chosen.txt", id1 + "\n" + id2 + "\n");
    ASSERT_EQ(doc.importItemsList(chosen), 2);
    EXPECT_EQ(doc.countSelectionInLists(folder), 2);
    EXPECT_EQ(TempDir::read(dir.path("lists/num.txt")), "one.txt\t1\ntwo.exp\t1\n");
    // The tools' own outputs are not lists.
    EXPECT_EQ(doc.summariseItemLists(folder), 2);
    EXPECT_EQ(TempDir::read(dir.path("lists/summary_one.txt")),
              id0 + "\t" + data.itemName(0) + "\n" + id1 + "\t" + data.itemName(1) + "\n");
    EXPECT_EQ(TempDir::read(dir.path("lists/summary_two.txt")), id2 + "\t" + data.itemName(2) + "\n");
    EXPECT_EQ(listFilesIn(folder), (std::vector<std::string>{"one.txt", "two.exp"}));
}

} // namespace
