// The caption that says how the values shown were derived: the texts for
// every choice, the overridden logarithm, and the document's caption after
// opening data and after reopening an exported result.
#include <gtest/gtest.h>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {
const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";
}

TEST(TransformCaption, NamesEveryChoice)
{
    EXPECT_EQ(transformationCaption(false, -1, -1, 0, 1), "No Log, Without Normalization");
    EXPECT_EQ(transformationCaption(true, -1, -1, 0, 1), "Natural Log, Without Normalization");
    EXPECT_EQ(transformationCaption(false, 0, 0, 0, 1), "No Log, Row-by-Row Standardization (Mean and Stdev)");
    EXPECT_EQ(transformationCaption(false, 1, 1, 0, 1), "No Log, Column-by-Column Contol");
    EXPECT_EQ(transformationCaption(false, 1, 2, 0, 1), "No Log, Column-by-Column Median");
    EXPECT_EQ(transformationCaption(false, 0, 3, -1, 2.5f), "No Log, Row-by-Row Rescaling from -1.00 to 2.50");
    // A normalisation starts from the values as loaded: the logarithm is
    // chosen but has no effect.
    EXPECT_EQ(transformationCaption(true, 0, 0, 0, 1),
              "Natural Log overridden, Row-by-Row Standardization (Mean and Stdev)");
    // A direction without a method, or a method out of range, normalises nothing.
    EXPECT_EQ(transformationCaption(false, 0, -1, 0, 1), "No Log, Without Normalization");
    EXPECT_EQ(transformationCaption(true, 1, 7, 0, 1), "Natural Log, Without Normalization");
    EXPECT_EQ(transformationCaption(true, 0, 0, 0, 1, true), "Protein Sequence (no transformation)");
}

TEST(TransformCaption, FollowsTheDocumentThroughExportAndReopen)
{
    ScopedRecordingMessages messages;
    CArxDoc doc;
    EXPECT_EQ(transformationCaption(doc), "");
    EXPECT_EQ(valuesShownCaption(&doc, false), "");
    EXPECT_EQ(valuesShownCaption(nullptr, true), "");
    ASSERT_TRUE(doc.openDataFile(kSample, false, 0, 0, 0.0f, 1.0f, false));
    EXPECT_EQ(transformationCaption(doc), "No Log, Row-by-Row Standardization (Mean and Stdev)");
    EXPECT_EQ(valuesShownCaption(&doc, true), "Showing the values as loaded");
    EXPECT_EQ(valuesShownCaption(&doc, false), "Showing: No Log, Row-by-Row Standardization (Mean and Stdev)");

    // Exported with the values the window shows, the reopened result says
    // the same; exported as original values, it says so.
    TempDir dir;
    ASSERT_TRUE(doc.exportResult(dir.path(""), "shown", false));
    ASSERT_TRUE(doc.exportResult(dir.path(""), "original", true));
    CArxDoc shown, original;
    ASSERT_TRUE(shown.openClusteringResult(dir.path("shown.dat")));
    ASSERT_TRUE(original.openClusteringResult(dir.path("original.dat")));
    EXPECT_EQ(transformationCaption(shown), transformationCaption(doc));
    EXPECT_EQ(transformationCaption(original), "No Log, Without Normalization");
}
