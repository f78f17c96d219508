#include <gtest/gtest.h>

#include "data/ColorMapping.h"
#include "rank/ScoreScale.h"

TEST(ScoreScale, MiddleIsZeroOnlyWhenTheRangeStraddlesIt)
{
    EXPECT_EQ(scoreScaleMiddle(-2.0, 4.0), 0.0);
    EXPECT_EQ(scoreScaleMiddle(1.0, 3.0), 2.0);
    EXPECT_EQ(scoreScaleMiddle(0.0, 3.0), 1.5);
    EXPECT_EQ(scoreScaleMiddle(-4.0, -1.0), -2.5);
}

TEST(ScoreScale, EndsMiddleAndHalfway)
{
    const Rgb blue{0, 0, 255}, white{255, 255, 255}, red{255, 0, 0};
    EXPECT_EQ(scoreScaleColor(-2.0, -2.0, 4.0), blue);
    EXPECT_EQ(scoreScaleColor(4.0, -2.0, 4.0), red);
    EXPECT_EQ(scoreScaleColor(0.0, -2.0, 4.0), white);
    // Half way: 255 / 2 + 0.5 truncates to 128.
    EXPECT_EQ(scoreScaleColor(-1.0, -2.0, 4.0), (Rgb{128, 128, 255}));
    EXPECT_EQ(scoreScaleColor(2.0, -2.0, 4.0), (Rgb{255, 128, 128}));
    // A range on one side of 0 turns at its midpoint.
    EXPECT_EQ(scoreScaleColor(2.0, 1.0, 3.0), white);
    EXPECT_EQ(scoreScaleColor(1.5, 1.0, 3.0), (Rgb{128, 128, 255}));
    EXPECT_EQ(scoreScaleColor(2.75, 1.0, 3.0), (Rgb{255, 64, 64}));
}

TEST(ScoreScale, OtherColoursOutsideAndEmptyRanges)
{
    const ScoreScaleColors c{{0, 255, 0}, {0, 0, 0}, {255, 0, 0}};
    EXPECT_EQ(scoreScaleColor(10.0, 0.0, 10.0, c), (Rgb{255, 0, 0}));
    EXPECT_EQ(scoreScaleColor(2.5, 0.0, 10.0, c), (Rgb{0, 128, 0}));
    // Outside the range: the end colours.
    EXPECT_EQ(scoreScaleColor(20.0, 0.0, 10.0, c), (Rgb{255, 0, 0}));
    EXPECT_EQ(scoreScaleColor(-5.0, 0.0, 10.0, c), (Rgb{0, 255, 0}));
    // A zero-width range and the reset range of a strip without scores.
    EXPECT_EQ(scoreScaleColor(3.0, 3.0, 3.0, c), (Rgb{0, 0, 0}));
    EXPECT_EQ(scoreScaleColor(3.0, 1.7976931348623157e308, -1.7976931348623157e308), (Rgb{255, 255, 255}));
}
