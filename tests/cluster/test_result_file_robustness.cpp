// Clustering result files edited or truncated by hand: whatever the .dat,
// .rcr, .ccr and .wts hold, an import either fails with a message or gives
// a document whose forests are whole trees over the loaded matrix. No
// crash, hang or read out of bounds (the sanitizer build runs this too).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "data/DataMatrix.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "platform/Format.h"
#include "app/CArxDoc.h"
#include "support/DocSupport.h"
#include "support/TempDir.h"
#include "support/TextLines.h"

namespace {

// A small clustered result with a CID row and p-values: its four files.
struct ResultFiles {
    std::string dat, rcr, ccr, wts;
};

ResultFiles makeResult(const TempDir& dir)
{
    std::mt19937 rng(5);
    std::string data = "ID\tNAME\tA\tB\tC\tD\tE\tF\nCID\t\t1\t1\t2\t2\t3\t3\n", side = "ID\tA\tB\tC\tD\tE\tF\n";
    for (int r = 0; r < 12; ++r) {
        data += strFormat("g%d\tn%d", r, r);
        side += strFormat("g%d", r);
        for (int k = 0; k < 6; ++k) {
            data += (r + k) % 11 == 3 ? std::string("\t") : strFormat("\t%.3f", (rng() % 1000) / 100.0);
            side += strFormat("\t%.2f", (rng() % 100) / 100.0);
        }
        data += "\n";
        side += "\n";
    }
    const std::string path = dir.write("base.txt", data);
    dir.write("base.pvl", side);
    CArxDoc doc;
    EXPECT_TRUE(doc.readDataFile(path, false, -1, -1, 0, 1, false));
    EXPECT_TRUE(doc.hierarchicalClustering(everyColumn(doc, kMeasureEuclidean)));
    doc.m_pRowForest->cut(0.5f);
    doc.m_pColForest->cut(0.5f);
    EXPECT_TRUE(doc.exportResult(dir.path(""), "result", true));
    return {TempDir::read(dir.path("result.dat")), TempDir::read(dir.path("result.rcr")),
            TempDir::read(dir.path("result.ccr")), TempDir::read(dir.path("result.wts"))};
}

// Edits as a person with an editor makes them, and random bytes.
std::string mutate(const std::string& text, std::mt19937& rng)
{
    static const char kInteresting[] = "\t\n\r .-+e0123456789LEAFBRCH\"NA";
    std::vector<std::string> lines = splitLines(text);
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        if (lines.empty())
            lines.emplace_back();
        const size_t at = rng() % lines.size();
        std::string& l = lines[at];
        switch (rng() % 10) {
        case 0: lines.erase(lines.begin() + static_cast<long>(at)); break;
        case 1: lines.insert(lines.begin() + static_cast<long>(rng() % lines.size()), l); break;
        case 2: std::swap(l, lines[rng() % lines.size()]); break;
        case 3: lines.resize(at); break;  // truncated
        case 4: {  // another node or leaf number
            const size_t p = l.find(rng() % 2 ? "LEAF" : "BRCH");
            if (p != std::string::npos)
                l.replace(p + 4, l.find_first_not_of("0123456789", p + 4) - (p + 4),
                          std::to_string(static_cast<int>(rng() % 40) - 5));
            break;
        }
        case 5: {  // a cell replaced
            const size_t tab = l.find('\t', rng() % (l.size() + 1));
            if (tab != std::string::npos)
                l.insert(tab + 1, std::string(1, kInteresting[rng() % (sizeof kInteresting - 1)]));
            break;
        }
        case 6:
            if (!l.empty())
                l.erase(rng() % l.size(), rng() % 12);
            break;
        case 7:
            if (!l.empty())
                l[rng() % l.size()] = static_cast<char>(rng());
            break;
        case 8: l += "\t" + std::to_string(rng() % 3); break;
        case 9: lines[at] = lines[rng() % lines.size()].substr(0, rng() % 30); break;
        }
    }
    return joinLines(lines);
}

// A branch's leaves, walked first child first, are the consecutive
// positions from its leftmost leaf, and every leaf is reached once.
void checkForest(const CForest& f, int leaves, int profileLength)
{
    ASSERT_EQ(f.m_nLeaves, leaves);
    ASSERT_EQ(f.m_nProfileLength, profileLength);
    std::vector<char> seen(static_cast<size_t>(leaves), 0);
    for (int p = 0; p < leaves; ++p) {
        ASSERT_EQ(f.leaf(p)->m_nPosition, p);
        ASSERT_EQ(f.dataIndex(p), f.leaf(p)->m_nIndex);
    }
    if (!f.hasTree())
        return;
    ASSERT_TRUE(f.m_bClustered);
    int next = 0;
    std::vector<const CNode*> stack{f.root()};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        if (n->isLeaf()) {
            ASSERT_EQ(n->m_nPosition, next++);
            continue;
        }
        ASSERT_TRUE(n->m_pFirst && n->m_pSecond);
        ASSERT_EQ(n->m_nSize, n->m_pFirst->m_nSize + n->m_pSecond->m_nSize);
        ASSERT_LE(n->m_fSimilarity, n->m_pFirst->m_fSimilarity);
        ASSERT_LE(n->m_fSimilarity, n->m_pSecond->m_fSimilarity);
        for (int c = 0; c < profileLength; ++c)
            ASSERT_TRUE(std::isfinite(n->m_pValues[c]));
        stack.push_back(n->m_pSecond);
        stack.push_back(n->m_pFirst);
        ASSERT_LE(stack.size(), static_cast<size_t>(2 * leaves));
    }
    ASSERT_EQ(next, leaves);
}

} // namespace

TEST(ResultFileRobustness, EditedAndTruncatedFilesImportWholeOrNotAtAll)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    ScopedRecordingProgress progress;
    const ResultFiles original = makeResult(dir);
    ASSERT_FALSE(original.rcr.empty());
    std::mt19937 rng(2024);
    int imported = 0, refused = 0;
    for (int i = 0; i < 3000; ++i) {
        ResultFiles f = original;
        const unsigned which = rng() % 15 + 1;  // a non-empty set of the four files
        if (which & 1)
            f.dat = mutate(f.dat, rng);
        if (which & 2)
            f.rcr = mutate(f.rcr, rng);
        if (which & 4)
            f.ccr = mutate(f.ccr, rng);
        if (which & 8)
            f.wts = i % 7 == 0 ? std::string() : mutate(f.wts, rng);
        // Fresh names each time: truncating a file in place is slow on some
        // file systems.
        const std::string base = "case" + std::to_string(i);
        dir.write(base + ".dat", f.dat);
        dir.write(base + ".rcr", f.rcr);
        dir.write(base + ".ccr", f.ccr);
        dir.write(base + ".wts", f.wts);
        messages->m_texts.clear();
        std::unique_ptr<ImportedResult> r = importResult(dir.path(base + ".dat"));
        for (const char* ext : {".dat", ".rcr", ".ccr", ".wts"})
            std::filesystem::remove(dir.path(base + ext));
        if (!r) {
            ++refused;
            ASSERT_FALSE(messages->m_texts.empty()) << "case " << i << ": refused without a message";
            continue;
        }
        ++imported;
        ASSERT_TRUE(r->data && r->rows && r->columns) << "case " << i;
        const DataMatrix& m = *r->data;
        ASSERT_GE(m.m_nRows, 1);
        ASSERT_GE(m.m_nColumns, 1);
        checkForest(*r->rows, m.m_nRows, m.m_nColumns);
        checkForest(*r->columns, m.m_nColumns, m.m_nRows);
        if (HasFatalFailure()) {
            ADD_FAILURE() << "case " << i;
            return;
        }
        ASSERT_EQ(r->rowsClustered, r->rows->hasTree());
        ASSERT_EQ(r->columnsClustered, r->columns->hasTree());
        for (int row = 0; row < m.m_nRows; ++row)
            for (int k = 0; k < m.m_nColumns; ++k) {
                const float w = m.weight(row, k);
                ASSERT_TRUE(w == -1.0f || (w >= 0.0f && w <= 1.0f)) << "case " << i;
            }
    }
    // The mutations must leave both outcomes common, or the test tests little.
    EXPECT_GT(imported, 50);
    EXPECT_GT(refused, 300);
}
