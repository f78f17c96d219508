#include <gtest/gtest.h>

#include "app/OverviewLayout.h"

TEST(OverviewLayout, SimilarityAndYAreInverse)
{
    EXPECT_DOUBLE_EQ(yOfSimilarity(1.0, 400, 1.0), 400.0);
    EXPECT_DOUBLE_EQ(yOfSimilarity(0.0, 400, 1.0), 0.0);
    EXPECT_DOUBLE_EQ(yOfSimilarity(0.5, 400, 2.0), 0.0);
    EXPECT_DOUBLE_EQ(similarityOfY(300.0, 400, 1.0), 0.75);
    for (double s : {0.1, 0.37, 0.9})
        EXPECT_NEAR(similarityOfY(yOfSimilarity(s, 523, 1.7), 523, 1.7), s, 1e-12);
}

TEST(OverviewLayout, VerticalLayout)
{
    // H = 600, slider 67 of 100: M = trunc(67 x 600 x 0.5 / 100 + 0.5) = 201;
    // 50 rows: cell height 4, M = 200; yLeaf = 600 - 5 - 3 - 200 - 1.
    VerticalLayout v = verticalLayout(600, 50, 67, 100, false);
    EXPECT_EQ(v.cellHeight, 4);
    EXPECT_EQ(v.mosaicHeight, 200);
    EXPECT_EQ(v.yLeaf, 391);
    EXPECT_EQ(markerStripTop(v, false), 592);
    EXPECT_EQ(markerStripTop(v, true), 595);

    // More rows than pixels: no mosaic.
    v = verticalLayout(600, 500, 67, 100, false);
    EXPECT_EQ(v.cellHeight, 0);
    EXPECT_EQ(v.mosaicHeight, 0);
    EXPECT_EQ(v.yLeaf, 591);

    // Comparison mode: M = trunc((600 - 60) x 0.25 x 67 / 100 + 0.5) = 90;
    // 30 rows: cell 3, M 90; yLeaf = trunc(300 - 30 - 90 - 5 - 1 - 3 + 0.5).
    v = verticalLayout(600, 30, 67, 100, true);
    EXPECT_EQ(v.mosaicHeight, 90);
    EXPECT_EQ(v.yLeaf, 171);

    // A tiny window keeps the leaf line at 1 or below.
    EXPECT_EQ(verticalLayout(5, 1, 100, 100, false).yLeaf, 1);
}

TEST(OverviewLayout, GrabZonesShrinkWhenTheBarsAreClose)
{
    BarPositions b{100.0f, 120};
    EXPECT_TRUE(inMinSimZone(91, b));
    EXPECT_FALSE(inMinSimZone(90, b));
    EXPECT_TRUE(inMinSimZone(109, b));
    b.yDetail = 112;  // less than 13 pixels below
    EXPECT_FALSE(inMinSimZone(104, b));
    EXPECT_TRUE(inMinSimZone(102, b));
    EXPECT_TRUE(inDetailZone(110, b));
    EXPECT_FALSE(inDetailZone(109, b));
    EXPECT_TRUE(inDetailZone(114, b));
    EXPECT_FALSE(inDetailZone(115, b));
}

TEST(OverviewLayout, DraggingPushesTheOtherBar)
{
    const int yLeaf = 400;
    BarPositions b{100.0f, 401};
    dragMinSimBar(b, 200, yLeaf);
    EXPECT_FLOAT_EQ(b.yMin, 200.0f);
    EXPECT_EQ(b.yDetail, 401);  // below: untouched

    b.yDetail = 250;
    dragMinSimBar(b, 260, yLeaf);  // passes the detail bar
    EXPECT_FLOAT_EQ(b.yMin, 260.0f);
    EXPECT_EQ(b.yDetail, 270);

    b.yDetail = 390;
    dragMinSimBar(b, 395, yLeaf);  // no room for the push: 397 < 405
    EXPECT_EQ(b.yDetail, 390);

    // The detail bar pushes the minimum-similarity bar up.
    b = {200.0f, 300};
    dragDetailBar(b, 150, yLeaf);
    EXPECT_EQ(b.yDetail, 150);
    EXPECT_FLOAT_EQ(b.yMin, 140.0f);
    b = {8.0f, 300};
    dragDetailBar(b, 6, yLeaf);  // 6 - 10 < 0: no push
    EXPECT_FLOAT_EQ(b.yMin, 8.0f);

    // Limits: 5 at the top, the leaf line at the bottom.
    b = {200.0f, 401};
    dragMinSimBar(b, 1, yLeaf);
    EXPECT_FLOAT_EQ(b.yMin, 5.0f);
    dragMinSimBar(b, 900, yLeaf);
    EXPECT_FLOAT_EQ(b.yMin, 400.0f);
    dragDetailBar(b, -20, yLeaf);
    EXPECT_EQ(b.yDetail, 5);
}

TEST(OverviewLayout, HorizontalLayout)
{
    HorizontalLayout h = horizontalLayout(1000, 100, 0, 99);
    EXPECT_DOUBLE_EQ(h.spacing, 10.0);
    EXPECT_DOUBLE_EQ(h.scroll, 0.0);
    EXPECT_TRUE(h.namesPossible);
    h = horizontalLayout(1000, 500, 100, 299);
    EXPECT_DOUBLE_EQ(h.spacing, 5.0);
    EXPECT_DOUBLE_EQ(h.scroll, 500.0);
    EXPECT_FALSE(h.namesPossible);

    const std::vector<int> slots{3, 4, 7, 8};
    h = horizontalLayout(40, 4, 0, 3);
    EXPECT_EQ(leafAtX(0.0, h, slots), 3);
    EXPECT_EQ(leafAtX(25.0, h, slots), 7);
    EXPECT_EQ(leafAtX(40.0, h, slots), -1);
    EXPECT_EQ(leafAtX(-1.0, h, slots), -1);
}

// The leaves' pixel columns: every pixel from the first leaf's to the last
// one's (within [minX, width)) belongs to exactly one leaf, the first leaf
// whose slot reaches into it, found here pixel by pixel; narrow leaves
// (many to a pixel, where the walk skips ahead) and wide ones, scrolled.
TEST(OverviewLayout, LeafSpansGiveEachPixelTheFirstLeafInIt)
{
    struct Case {
        size_t count;
        double spacing, scroll;
        int minX, width;
    };
    for (const Case& c : {Case{20000, 1600.0 / 20000, 0, 0, 1600}, Case{20000, 0.0731, 37.25, 36, 1600},
                          Case{2000, 0.8, 100.5, 0, 1600}, Case{5000, 0.3333333, 0, 0, 1600},
                          Case{300, 5.3, 11.0, 12, 1600}, Case{3, 1.0, -2.0, 0, 10}}) {
        std::vector<int> got(static_cast<size_t>(c.width), -1);
        forEachLeafSpan(c.count, c.spacing, c.scroll, c.minX, c.width, [&](size_t slot, int x0, int x1) {
            ASSERT_LT(x0, x1);
            for (int x = x0; x < x1; ++x) {
                ASSERT_EQ(got[static_cast<size_t>(x)], -1) << "pixel " << x << " twice";
                got[static_cast<size_t>(x)] = static_cast<int>(slot);
            }
        });
        // Pixel x: the first slot whose span [left, left + spacing) reaches
        // past x, if that slot starts before x + 1.
        for (int x = std::max(c.minX, 0); x < c.width; ++x) {
            int expected = -1;
            for (size_t k = 0; k < c.count; ++k) {
                const double left = static_cast<double>(k) * c.spacing - c.scroll;
                if (std::floor(left + c.spacing) > x || (std::floor(left) == x)) {
                    if (std::floor(left) <= x)
                        expected = static_cast<int>(k);
                    break;
                }
            }
            EXPECT_EQ(got[static_cast<size_t>(x)], expected) << "pixel " << x << ", spacing " << c.spacing;
        }
    }
}
