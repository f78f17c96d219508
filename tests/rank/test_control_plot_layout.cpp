#include <gtest/gtest.h>

#include "rank/ControlPlotLayout.h"

TEST(ControlPlotLayout, AreaInsideTheMargins)
{
    const ChartGeometry g(217, 117, false);
    const PlotRect a = g.area();
    EXPECT_EQ(a.x, 14);
    EXPECT_EQ(a.y, 3);
    EXPECT_EQ(a.w, 200);
    EXPECT_EQ(a.h, 100);
    EXPECT_EQ(g.valueLength(), 200);
    EXPECT_EQ(ChartGeometry(217, 117, true).valueLength(), 100);
}

TEST(ControlPlotLayout, ProbabilityAxisKeepsRoomAcrossTheValueAxis)
{
    // Upright: the CDF's axis stands at the right, turned it lies on top;
    // the value axis keeps its length in the one, the bars theirs in the other.
    const ChartGeometry up(234, 117, false, true);
    EXPECT_EQ(up.area().x, 14);
    EXPECT_EQ(up.area().y, 3);
    EXPECT_EQ(up.area().w, 200);
    EXPECT_EQ(up.area().h, 100);
    const ChartGeometry side(217, 134, true, true);
    EXPECT_EQ(side.area().y, 20);
    EXPECT_EQ(side.area().w, 200);
    EXPECT_EQ(side.area().h, 100);
    // The curve ends at the full cross length: probability 1 at the far edge.
    const auto v = side.cdfVertices({1, 1}, 2);
    EXPECT_EQ(v.back().first, 14 + 200);
    EXPECT_EQ(v.back().second, 20);
}

TEST(ControlPlotLayout, BarsUprightAndTurned)
{
    // 4 buckets over 200 pixels, counts up to 10 over 100 pixels.
    const ChartGeometry up(217, 117, false);
    PlotRect b = up.bar(1, 4, 5, 10);
    EXPECT_EQ(b.x, 14 + 50);
    EXPECT_EQ(b.w, 50);
    EXPECT_EQ(b.h, 50);
    EXPECT_EQ(b.bottom(), 103);  // on the base line
    // Turned: bucket 0 at the bottom, bars grow to the right.
    const ChartGeometry side(117, 217, true);
    b = side.bar(0, 4, 10, 10);
    EXPECT_EQ(b.x, 14);
    EXPECT_EQ(b.w, 100);
    EXPECT_EQ(b.bottom(), 203);
    EXPECT_EQ(b.h, 50);
    b = side.bar(3, 4, 2, 10);
    EXPECT_EQ(b.y, 3);
    EXPECT_EQ(b.w, 20);
}

TEST(ControlPlotLayout, BarsTouchedByARectangle)
{
    const ChartGeometry up(217, 117, false);
    const std::vector<int> counts = {10, 0, 4, 8};
    // Across the middle of buckets 1 and 2 near the base: bucket 1 is empty (no bar).
    EXPECT_EQ(up.barsTouching(counts, PlotRect::spanned(80, 100, 140, 95)), (std::vector<int>{2}));
    // High up only the tallest bar reaches.
    EXPECT_EQ(up.barsTouching(counts, PlotRect::spanned(14, 5, 213, 10)), (std::vector<int>{0}));
    // Outside the plot nothing.
    EXPECT_TRUE(up.barsTouching(counts, PlotRect::spanned(0, 0, 5, 5)).empty());
    // A one-pixel rectangle is a point.
    EXPECT_EQ(PlotRect::spanned(7, 9, 7, 9).w, 1);
}

TEST(ControlPlotLayout, CdfVertices)
{
    const ChartGeometry up(217, 117, false);
    const auto v = up.cdfVertices({2, 0, 1, 1}, 4);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0], (std::pair<int, int>{14, 103}));
    EXPECT_EQ(v[1], (std::pair<int, int>{64, 53}));   // half the items
    EXPECT_EQ(v[2], (std::pair<int, int>{114, 53}));  // flat over the empty bucket
    EXPECT_EQ(v[3], (std::pair<int, int>{164, 28}));
    EXPECT_EQ(v[4], (std::pair<int, int>{214, 3}));   // all items at the top
    const ChartGeometry side(117, 217, true);
    const auto t = side.cdfVertices({2, 2}, 4);
    EXPECT_EQ(t[1], (std::pair<int, int>{64, 103}));
    EXPECT_TRUE(up.cdfVertices({}, 4).empty());
    EXPECT_TRUE(up.cdfVertices({1, 2}, 0).empty());
}

TEST(ControlPlotLayout, ControlPlotSquares)
{
    // 1000 items over 500 pixels: step 0.5, squares 2 pixels wide (overlapping).
    EXPECT_DOUBLE_EQ(ChartGeometry::itemStep(500, 1000), 0.5);
    EXPECT_EQ(ChartGeometry::squareSize(0.5), 2);
    EXPECT_EQ(ChartGeometry::squareSize(2.4), 2);
    EXPECT_EQ(ChartGeometry::squareSize(2.6), 3);
    const ChartGeometry g(517, 117, true);  // items across 500, values up 100
    EXPECT_EQ(g.valueOffset(5.0, 0.0, 10.0), 50);
    EXPECT_EQ(g.valueOffset(5.0, 5.0, 5.0), 0);
    EXPECT_EQ(g.itemPoint(250.0, 50), (std::pair<int, int>{264, 53}));
    const ChartGeometry u(217, 517, false);  // values across 200, items down 500
    EXPECT_EQ(u.itemPoint(10.7, 20), (std::pair<int, int>{34, 13}));
}
