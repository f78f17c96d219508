// The pixel mapping shared by the scatterplot view and the pair criteria,
// the 20 x 20 grid, the regions of interest, the Delaunay edges and the
// Local Outlier Factor.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "rank/Delaunay.h"
#include "rank/LocalOutlierFactor.h"
#include "rank/ScatterGeometry.h"
#include "support/DelaunaySearch.h"

namespace {

PlotGeometry plot(int w, int h)
{
    PlotGeometry g;
    g.m_nWidth = w;
    g.m_nHeight = h;
    return g;
}

} // namespace

TEST(ScatterMapping, MapsValuesAsTheViewDrawsThem)
{
    // 420 x 320 with margins 14 and 3: W = 400, H = 300, plot left 17, bottom 303.
    const ScatterMapping m(plot(420, 320), axisRange(0.0f, 10.0f, -1.0f, 1.0f, false));
    EXPECT_EQ(m.geometry().plotWidth(), 400);
    EXPECT_EQ(m.geometry().plotHeight(), 300);
    EXPECT_EQ(m.px(0.0f), 17);
    EXPECT_EQ(m.px(10.0f), 417);
    EXPECT_EQ(m.px(2.5f), 117);
    // 0.1 * 400 / 10 = 4.0000001 in float: + 0.5 truncates to 4.
    EXPECT_EQ(m.px(0.1f), 21);
    // (0.00125 * 400) / 10 is 0.05, under a half pixel; 0.0125 gives 0.5 exactly and rounds up.
    EXPECT_EQ(m.px(0.00125f), 17);
    EXPECT_EQ(m.px(0.0125f), 18);
    EXPECT_EQ(m.py(-1.0f), 303);
    EXPECT_EQ(m.py(1.0f), 3);
    EXPECT_EQ(m.py(0.0f), 153);
    // A missing x goes to column 0, a missing y onto the bottom edge.
    EXPECT_EQ(m.pxOf(5.0f, true), 0);
    EXPECT_EQ(m.pyOf(0.5f, true), 303);
}

TEST(ScatterMapping, SameScaleAndEmptyRanges)
{
    const AxisRange r = axisRange(2.0f, 5.0f, -1.0f, 3.0f, true);
    EXPECT_EQ(r.m_fMinX, -1.0f);
    EXPECT_EQ(r.m_fMaxX, 5.0f);
    EXPECT_EQ(r.m_fMinY, -1.0f);
    EXPECT_EQ(r.m_fMaxY, 5.0f);
    // A constant variable stays at the start of its axis instead of dividing by zero.
    const ScatterMapping m(plot(420, 320), axisRange(3.0f, 3.0f, 0.0f, 1.0f, false));
    EXPECT_EQ(m.px(3.0f), 17);
    // A plot smaller than its margins still maps (W and H at least 1).
    const ScatterMapping tiny(plot(10, 10), axisRange(0.0f, 1.0f, 0.0f, 1.0f, false));
    EXPECT_EQ(tiny.geometry().plotWidth(), 1);
}

TEST(ScatterMapping, GridCellsAndEntropy)
{
    const ScatterMapping m(plot(420, 320), axisRange(0.0f, 1.0f, 0.0f, 1.0f, false));
    // Cells of 20 x 15 pixels from (17, 303) upward; the far edges clamp into cell 19.
    EXPECT_EQ(m.gridColumn(17), 0);
    EXPECT_EQ(m.gridColumn(36), 0);
    EXPECT_EQ(m.gridColumn(37), 1);
    EXPECT_EQ(m.gridColumn(417), 19);
    EXPECT_EQ(m.gridColumn(0), 0);
    EXPECT_EQ(m.gridRow(303), 0);
    EXPECT_EQ(m.gridRow(288), 1);
    EXPECT_EQ(m.gridRow(3), 19);
    std::vector<PixelPoint> same(8, PixelPoint{100, 100});
    EXPECT_EQ(gridEntropy(m, same), 0.0);
    // Four equally filled cells: 2 bits.
    const std::vector<PixelPoint> four{{20, 300}, {20, 300}, {60, 300}, {60, 300},
                                       {20, 250}, {20, 250}, {60, 250}, {60, 250}};
    EXPECT_DOUBLE_EQ(gridEntropy(m, four), 2.0);
    EXPECT_EQ(gridEntropy(m, {}), 0.0);
}

TEST(RegionOfInterest, RectangleEllipseAndFreeForm)
{
    const RoiRegion rect = RoiRegion::rectangle({30, 10}, {10, 30});  // dragged from the top right
    EXPECT_TRUE(rect.contains(10, 10));
    EXPECT_TRUE(rect.contains(29, 29));
    EXPECT_FALSE(rect.contains(30, 20));
    EXPECT_FALSE(rect.contains(20, 30));
    // The ellipse inscribed in the same rectangle keeps its centre and loses the corners.
    const RoiRegion ellipse = RoiRegion::ellipse({10, 10}, {30, 30});
    EXPECT_TRUE(ellipse.contains(19, 19));
    EXPECT_TRUE(ellipse.contains(10, 19));
    EXPECT_FALSE(ellipse.contains(10, 10));
    EXPECT_FALSE(ellipse.contains(29, 29));
    EXPECT_FALSE(ellipse.contains(11, 28));
    const std::vector<PixelPoint> corners{{10, 10}, {29, 29}, {10, 29}, {29, 10}, {19, 19}};
    EXPECT_EQ(countInRegion(rect, corners), 5);
    EXPECT_EQ(countInRegion(ellipse, corners), 1);
    // A free-form polygon, closed by its last point, by the nonzero winding
    // rule: a figure eight crossing itself counts both loops.
    const RoiRegion triangle = RoiRegion::freeForm({{0, 0}, {40, 0}, {0, 40}, {0, 0}});
    EXPECT_TRUE(triangle.contains(5, 5));
    EXPECT_FALSE(triangle.contains(30, 30));
    const RoiRegion twice = RoiRegion::freeForm({{0, 0}, {40, 0}, {40, 40}, {0, 40}, {0, 0}, {40, 0}, {40, 40}, {0, 40}});
    EXPECT_TRUE(twice.contains(20, 20));
    EXPECT_FALSE(RoiRegion{}.contains(0, 0));
    EXPECT_TRUE(RoiRegion::rectangle({5, 5}, {5, 40}).isEmpty());
}

TEST(Delaunay, EdgesOfTriangulationsAndOfPointsOnALine)
{
    std::vector<std::pair<int, int>> edges;
    delaunayEdges({{0, 0}}, edges);
    EXPECT_TRUE(edges.empty());
    delaunayEdges({{0, 0}, {5, 5}}, edges);
    EXPECT_EQ(edges, (std::vector<std::pair<int, int>>{{0, 1}}));
    // On one line: neighbours along it only.
    delaunayEdges({{0, 0}, {1, 1}, {2, 2}, {5, 5}}, edges);
    EXPECT_EQ(edges, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}}));
    // A square with its centre: four sides and four spokes.
    delaunayEdges({{0, 0}, {0, 10}, {5, 5}, {10, 0}, {10, 10}}, edges);
    EXPECT_EQ(edges, (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}));
}

TEST(LocalOutlierFactor, MatchesAReferenceOnPointsInGeneralPosition)
{
    // Reference: scipy.spatial.Delaunay and the same best-first search in Python.
    const std::vector<PixelPoint> points{
        {5, 24},    {30, 60},   {53, 38},   {54, 61},   {58, 153},  {96, 44},   {99, 201},  {121, 128},
        {123, 166}, {139, 236}, {160, 278}, {177, 198}, {183, 153}, {194, 44},  {217, 38},  {219, 21},
        {225, 270}, {236, 180}, {236, 240}, {274, 83},  {284, 8},   {288, 70},  {301, 284}, {311, 140},
        {318, 149}, {329, 145}, {335, 164}, {342, 41},  {343, 202}, {347, 110}, {354, 260}, {371, 177},
        {376, 245}, {386, 38},  {389, 268}, {391, 186}, {392, 294}, {393, 105}, {397, 82},  {398, 65}};
    const double expected[] = {
        1.11293490457,  1.0694531564,   1.06533266163,  1.0694531564,   0.938957748722, 1.01045351614,
        0.980371424091, 0.999225117799, 1.03283610456,  0.995545004639, 1.03827520989,  0.997024353684,
        0.94136752752,  1.09103206471,  1.0739138079,   1.0865988158,   1.03809687097,  1.12659413721,
        1.01736850677,  1.1448518147,   1.00801418489,  1.04113960879,  1.04688303938,  0.951519329892,
        0.958147452255, 0.961960908488, 0.972283414929, 1.08819907071,  0.992267241244, 1.00834252348,
        1.05037543627,  0.964165047444, 1.09014687706,  1.06607754429,  1.08451603672,  0.997578128659,
        1.160631675,    1.1532317915,   1.07152385719,  1.09786334917};
    LofWorkspace lof;
    const std::vector<double>& f = lof.factors(points);
    ASSERT_EQ(f.size(), points.size());
    for (size_t i = 0; i < points.size(); ++i)
        EXPECT_NEAR(f[i], expected[i], 1e-9) << i;
    std::vector<int> rows;
    EXPECT_EQ(lof.outliers(points, rows), 24);
}

TEST(LocalOutlierFactor, FewPositionsUseTheNeighboursFound)
{
    // Five distinct positions (seven rows): each has at most four neighbours.
    const std::vector<PixelPoint> rows{{0, 0}, {10, 0}, {0, 10}, {10, 10}, {40, 40}, {40, 40}, {0, 0}};
    LofWorkspace lof;
    std::vector<int> outlying;
    const int count = lof.outliers(rows, outlying);
    for (int p = 0; p < 5; ++p)
        EXPECT_EQ(lof.neighbours(p).size(), 4u) << p;
    // With every position in every neighbourhood the far point's distance
    // dominates all densities; the factors (as a Python rendering of the
    // definition gives them) are 0.967 (0,0), 1.008 (0,10) and (10,0),
    // 1.054 (10,10), 0.967 (40,40), so the three of the square's far side
    // reach the threshold.
    EXPECT_EQ(count, 3);
    EXPECT_EQ(outlying, (std::vector<int>{1, 2, 3}));
    // A single position, or positions that all look alike, have no outliers.
    EXPECT_EQ(lof.outliers({{3, 3}, {3, 3}}, outlying), 0);
    EXPECT_EQ(lof.outliers({{0, 0}, {10, 0}, {0, 10}, {10, 10}}, outlying), 0);
    EXPECT_TRUE(outlying.empty());
    EXPECT_EQ(lof.outliers({}, outlying), 0);
}

TEST(LocalOutlierFactor, NeighboursAreThoseOfTheDelaunaySearch)
{
    // Pixel positions tie all the time (equal distances, cocircular groups
    // whose triangulation is a choice): the neighbours must still be the
    // ones, in the order, that the search over the Delaunay graph records.
    std::mt19937 rng(20);
    const auto check = [](std::vector<PixelPoint> points, const char* what) {
        std::vector<PixelPoint> distinct;
        std::vector<int> positionOfPoint;
        distinctPositions(points, distinct, positionOfPoint);
        LofWorkspace lof;
        lof.factors(distinct);
        const auto expected = delaunaySearchNeighbours(distinct, LofWorkspace::kNeighbours);
        for (size_t p = 0; p < distinct.size(); ++p)
            ASSERT_EQ(lof.neighbours(static_cast<int>(p)), expected[p])
                << what << ": position " << p << " of " << distinct.size();
    };
    // A full lattice block, a block with a hole, and points on one line.
    std::vector<PixelPoint> block;
    for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 7; ++y)
            block.push_back({10 + x, 20 + y});
    check(block, "block");
    block.erase(block.begin() + 31);
    check(block, "block with a hole");
    std::vector<PixelPoint> line;
    for (int i = 0; i < 12; ++i)
        line.push_back({5 + 3 * i, 7 + 3 * i});
    check(line, "line");
    check({{4, 4}, {9, 4}}, "two");
    check({{4, 4}, {9, 4}, {6, 8}}, "three");
    check({{0, 0}, {1000000, 3}, {1000001, 3}, {5, 1}, {999999, 0}, {2, 2}, {500000, 1}, {7, 0}}, "thin box");
    // Random positions: sparse and dense on small grids (every distance
    // repeats), and crowded bands with far strays as scatterplots have.
    for (int round = 0; round < 40; ++round) {
        std::vector<PixelPoint> points;
        const int side = 4 + round % 9 * 6;
        const int count = 2 + static_cast<int>(rng() % static_cast<unsigned>(side * side / (1 + round % 3)));
        std::uniform_int_distribution<int> at(0, side - 1);
        for (int i = 0; i < count; ++i)
            points.push_back({at(rng), at(rng)});
        check(points, "grid");
    }
    for (int round = 0; round < 10; ++round) {
        std::vector<PixelPoint> points;
        std::normal_distribution<double> along(200.0, 60.0), across(0.0, 4.0 + round);
        for (int i = 0; i < 1500; ++i) {
            const double t = along(rng), u = across(rng);
            points.push_back({static_cast<int>(t + u), static_cast<int>(t - u)});
        }
        for (int i = 0; i < 15; ++i)
            points.push_back({static_cast<int>(rng() % 420), static_cast<int>(rng() % 320)});
        check(points, "band");
    }
}
