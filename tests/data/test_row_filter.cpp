// Present-call and standard-deviation filtering of rows.
#include <gtest/gtest.h>

#include "data/DataMatrix.h"
#include "data/RowFilter.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {
// A data file of `columns` value columns with one line per row, and
// optionally its side file.
std::string dataFile(const TempDir& dir, int columns, const std::vector<std::string>& rows)
{
    std::string text = "ID";
    for (int k = 0; k < columns; ++k)
        text += "\tS" + std::to_string(k);
    text += "\n";
    for (const std::string& r : rows)
        text += r + "\n";
    return dir.write("d.txt", text);
}

std::string repeat(const std::string& cell, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += "\t" + cell;
    return out;
}

std::vector<std::string> ids(const DataMatrix& m)
{
    std::vector<std::string> out;
    for (int r = 0; r < m.m_nRows; ++r)
        out.push_back(m.itemId(r));
    return out;
}
} // namespace

TEST(FilterRows, PValuesNeedTheGivenShareOfCellsBelowTheThreshold)
{
    TempDir dir;
    // 20 columns, threshold 0.04, 10 %: at least 2 cells with p < 0.04.
    std::string values = repeat("5", 20);
    std::string path = dataFile(dir, 20, {"two" + values, "one" + values, "atLimit" + values, "below" + values,
                                          "missing\t" + repeat("5", 19)});
    dir.write("d.pvl", "ID" + repeat("S", 20) + "\n" +
                           "two\t0.01\t0.01" + repeat("0.5", 18) + "\n" +
                           "one\t0.01" + repeat("0.5", 19) + "\n" +
                           "atLimit\t0.04\t0.04" + repeat("0.5", 18) + "\n" +
                           "below\t0.039\t0.5\t0.039" + repeat("0.5", 17) + "\n" +
                           "missing\t0.01\t0.01" + repeat("0.5", 18) + "\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    ASSERT_EQ(m.m_nWeightType, 1);
    DataMatrix kept;
    EXPECT_EQ(filterRows(m, 0.04, 10, -1, kept), 2);
    EXPECT_EQ(ids(kept), (std::vector<std::string>{"two", "below"}));
    EXPECT_EQ(kept.m_arrRowIndex, (std::vector<unsigned>{0, 3}));
    // A missing cell never counts, whatever its p-value.
    DataMatrix five;
    EXPECT_EQ(filterRows(m, 0.04, 5, -1, five), 4);
    EXPECT_EQ(ids(five).back(), "missing");
    DataMatrix strict;
    EXPECT_EQ(filterRows(m, 0.04, 11, -1, strict), 0);
}

TEST(FilterRows, DetectionCallsCountOnlyPresentCalls)
{
    TempDir dir;
    std::string path = dataFile(dir, 2, {"pm\t1\t2", "mm\t1\t2", "ap\t1\t2"});
    dir.write("d.pma", "ID\tA\tB\npm\tP\tM\nmm\tM\tM\nap\tA\tP\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    ASSERT_EQ(m.m_nWeightType, 2);
    DataMatrix half, most;
    EXPECT_EQ(filterRows(m, 0.04, 50, -1, half), 2);
    EXPECT_EQ(ids(half), (std::vector<std::string>{"pm", "ap"}));
    EXPECT_EQ(filterRows(m, 0.04, 60, -1, most), 0);
}

TEST(FilterRows, StandardDeviationOfThePresentOriginalValuesMustExceedTheThreshold)
{
    TempDir dir;
    std::string path = dataFile(dir, 3, {"sd1\t1\t3\t", "wide\t1\t3.2\t", "flat\t5\t\t5", "gap\t2\t\t4", "none\t\t\t"});
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    m.computeStatistics(false, true);
    m.takeLog(1);   // current values differ; the filter reads the original ones
    DataMatrix kept;
    EXPECT_EQ(filterRows(m, -1, -1, 1.0, kept), 1);
    // sd1: population stdev exactly 1, not above; gap: {2, 4} has stdev 1
    // (a missing cell taken as 0 would give 1.63).
    EXPECT_EQ(ids(kept), (std::vector<std::string>{"wide"}));
    DataMatrix loose;
    EXPECT_EQ(filterRows(m, -1, -1, 0.5, loose), 3);
    EXPECT_EQ(ids(loose), (std::vector<std::string>{"sd1", "wide", "gap"}));
}

TEST(FilterRows, WithoutSideFileWeightsAPositivePercentageDropsEveryRow)
{
    TempDir dir;
    std::string path = dataFile(dir, 2, {"a\t1\t2", "b\t3\t9"});
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    DataMatrix none, all, spread;
    EXPECT_EQ(filterRows(m, 0.04, 10, -1, none), 0);
    EXPECT_EQ(filterRows(m, -1, -1, -1, all), 2);
    EXPECT_EQ(filterRows(m, 0.04, 0, 2.0, spread), 1);   // percentage 0 lets every row pass that test
    EXPECT_EQ(ids(spread), (std::vector<std::string>{"b"}));
    EXPECT_EQ(spread.orgValue(0, 1), 9.0f);
}

TEST(FilterRows, ProgressAndCancelLeaveTheSourceAndDestinationUntouched)
{
    TempDir dir;
    std::vector<std::string> rows;
    for (int r = 0; r < 250; ++r)
        rows.push_back("r" + std::to_string(r) + "\t" + std::to_string(r) + "\t0");
    std::string path = dataFile(dir, 2, rows);
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));

    ScopedRecordingProgress progress;
    DataMatrix kept;
    EXPECT_EQ(filterRows(m, -1, -1, 10, kept), 229);   // |r - 0| / 2 > 10
    EXPECT_EQ(progress->m_titles.back(), "Filtering Expression Profile Data");
    EXPECT_EQ(progress->m_model.low(), 1);
    EXPECT_EQ(progress->m_model.high(), 250);
    EXPECT_EQ(progress->m_model.position(), 250);
    EXPECT_EQ(progress->m_nPumps, 3);                  // rows 0, 100, 200
    EXPECT_EQ(progress->m_nOpens, progress->m_nCloses);

    progress->cancelAfterPumps(2);
    DataMatrix cancelled;
    EXPECT_EQ(filterRows(m, -1, -1, 10, cancelled), -1);
    EXPECT_TRUE(cancelled.isEmpty());
    EXPECT_EQ(progress->m_nOpens, progress->m_nCloses);
    EXPECT_EQ(m.m_nRows, 250);
    EXPECT_EQ(m.orgValue(249, 0), 249.0f);
}
