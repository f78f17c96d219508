// Similarity matrices computed elsewhere: what loads, how it converts, what
// is refused and how a run uses the matrix.
#include <gtest/gtest.h>

#include <string>

#include "ClusterFixtures.h"
#include "cluster/HierarchicalClustering.h"
#include "cluster/PrecomputedMatrix.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

struct Loaded {
    Profiles profiles = randomProfiles(4, 2, 3);
    std::unique_ptr<CForest> forest = forestOver(profiles);
    bool load(const std::string& path) { return loadPrecomputedMatrix(*forest, path); }
    unsigned short at(int i, int j) const { return forest->m_pMatrix->at(i, j); }
};

TEST(PrecomputedMatrix, SquareAndLowerTriangleLoadTheSameCells)
{
    TempDir dir;
    Loaded square, lower;
    ASSERT_TRUE(square.load(dir.write("square.txt", "x\ta\tb\tc\td\n"
                                                    "a\t100\t50\t0\t7\n"
                                                    "b\t50\t100\t20\t8\n"
                                                    "c\t0\t20\t100\t9\n"
                                                    "d\t7\t8\t9\t100\n")));
    ASSERT_TRUE(lower.load(dir.write("lower.txt", "header\n"
                                                  "a\n"
                                                  "b\t50\n"
                                                  "\"c\"\t 0 \t\"20\"\n"
                                                  "d\t7\t8\t9\n")));
    for (int i = 1; i < 4; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_EQ(square.at(i, j), lower.at(i, j));
    // The diagonal and the upper triangle are not read: the largest is 50.
    EXPECT_EQ(square.at(1, 0), 0);
    EXPECT_EQ(square.at(2, 1), roundDistance((1 - 20 / 50.0) * 65535));
}

TEST(PrecomputedMatrix, LargestSimilarityBecomesDistanceZero)
{
    TempDir dir;
    Loaded m;
    ASSERT_TRUE(m.load(dir.write("m.txt", "h\na\nb\t100\nc\t50\t0\nd\t1\t2\t3\n")));
    EXPECT_EQ(m.at(1, 0), 0);
    EXPECT_EQ(m.at(2, 0), 32768);
    EXPECT_EQ(m.at(2, 1), 65535);
    EXPECT_EQ(m.at(3, 2), roundDistance((1 - 3 / 100.0) * 65535));

    // Similarities beyond 16 bits convert as well.
    Loaded big;
    ASSERT_TRUE(big.load(dir.write("big.txt", "h\na\nb\t200000\nc\t100000\t0\nd\t1\t2\t3\n")));
    EXPECT_EQ(big.at(1, 0), 0);
    EXPECT_EQ(big.at(2, 0), 32768);
}

TEST(PrecomputedMatrix, BadFilesAreRefusedNamingFileAndLine)
{
    TempDir dir;
    struct Case {
        const char* name;
        const char* text;
        const char* expected;
    } cases[] = {
        {"zero.txt", "h\na\nb\t0\nc\t0\t0\nd\t0\t0\t0\n", "line"},
        {"short.txt", "h\na\nb\t5\n", "line 3"},
        {"blank.txt", "h\na\nb\t5\n\nd\t1\t2\t3\n", "line 4"},
        {"negative.txt", "h\na\nb\t5\nc\t-4\t2\nd\t1\t2\t3\n", "line 4"},
        {"text.txt", "h\na\nb\t5\nc\t4\t2\nd\t1\tabc\t3\n", "line 5"},
        {"fewcells.txt", "h\na\nb\t5\nc\t4\nd\t1\t2\t3\n", "line 4"},
    };
    for (const Case& c : cases) {
        ScopedRecordingMessages messages;
        Loaded m;
        const std::string path = dir.write(c.name, c.text);
        EXPECT_FALSE(m.load(path)) << c.name;
        EXPECT_EQ(m.forest->m_pMatrix, nullptr);
        ASSERT_EQ(messages->m_texts.size(), 1u) << c.name;
        EXPECT_NE(messages->m_texts[0].find(path), std::string::npos) << messages->m_texts[0];
        EXPECT_NE(messages->m_texts[0].find(c.expected), std::string::npos) << messages->m_texts[0];
    }
    ScopedRecordingMessages messages;
    Loaded missing;
    EXPECT_FALSE(missing.load(dir.path("none.txt")));
    EXPECT_EQ(messages->m_texts.size(), 1u);
}

TEST(PrecomputedMatrix, ProgressTextsAndQuietCancel)
{
    TempDir dir;
    const std::string path = dir.write("m.txt", "h\na\nb\t100\nc\t50\t0\nd\t1\t2\t3\n");
    {
        ScopedRecordingProgress progress;
        Loaded m;
        ASSERT_TRUE(m.load(path));
        const auto& t = progress->m_messages;
        ASSERT_GE(t.size(), 4u);
        EXPECT_EQ(t[0], "Phase 1 of 2 : Loading the precomputed distance matrix");
        EXPECT_EQ(t[1], "Reading " + path + " ...");
        EXPECT_EQ(t[2], "Line number 1/4");
        EXPECT_EQ(t[t.size() - 2], "Converting to distance values 100");
        EXPECT_EQ(t.back(), "Closing this progress bar");
        EXPECT_EQ(progress->m_nCloses, 1);
    }
    ScopedRecordingMessages messages;
    ScopedRecordingProgress progress;
    progress->cancelAfterPumps(2);
    Loaded m;
    EXPECT_FALSE(m.load(path));
    EXPECT_EQ(m.forest->m_pMatrix, nullptr);
    EXPECT_TRUE(messages->m_texts.empty());
    EXPECT_EQ(progress->m_nCloses, progress->m_nOpens);
}

TEST(PrecomputedMatrix, ARunUsesTheMatrixInsteadOfTheMeasure)
{
    TempDir dir;
    Loaded m;
    // b and d are the most similar, then a and c.
    ASSERT_TRUE(m.load(dir.write("m.txt", "h\na\nb\t1\nc\t80\t1\nd\t1\t90\t1\n")));
    m.forest->selectMeasure(-1);  // no measure: the matrix is all it has
    ScopedRecordingProgress progress;
    ASSERT_TRUE(buildDendrogram(*m.forest, kLinkageSingle, kKeepRightChildRedder, true, false, unitWeights(2)));
    EXPECT_EQ(progress->m_messages[0], "Phase 1 of 2 : Applying Precomputed Distance Matrix");
    const CNode* first = m.forest->m_pNodes[4];
    const CNode* second = m.forest->m_pNodes[5];
    EXPECT_EQ(std::min(first->m_pFirst->m_nIndex, first->m_pSecond->m_nIndex), 1);
    EXPECT_EQ(std::max(first->m_pFirst->m_nIndex, first->m_pSecond->m_nIndex), 3);
    EXPECT_EQ(std::min(second->m_pFirst->m_nIndex, second->m_pSecond->m_nIndex), 0);
    EXPECT_EQ(std::max(second->m_pFirst->m_nIndex, second->m_pSecond->m_nIndex), 2);
    EXPECT_FLOAT_EQ(first->m_fSimilarity, similarityOf(0));
    // The matrix served one run: the next one needs a measure.
    EXPECT_FALSE(buildDendrogram(*m.forest, kLinkageSingle, kKeepRightChildRedder, true, false, unitWeights(2)));
}

} // namespace
