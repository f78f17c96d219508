// The detail panel's layout around its splitter bar and what the mouse hits.
#include <gtest/gtest.h>

#include "linked/DetailLayout.h"

namespace {
void expectRect(const PanelRect& r, int left, int top, int width, int height)
{
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.width, width);
    EXPECT_EQ(r.height, height);
}
} // namespace

TEST(DetailLayout, ControlsAroundTheBar)
{
    // W = 300, H = 600, fraction 0.5: t = 295, s = 20, s2 = 20.
    const DetailLayout l = detailLayout(300, 600, 0.5f);
    expectRect(l.bar, 0, 295, 300, 10);
    expectRect(l.saveButton, 3, 3, 20, 20);
    expectRect(l.selectionCaption, 26, 3, 271, 20);
    expectRect(l.selectionList, 3, 26, 294, 266);
    expectRect(l.detailCaption, 3, 308, 294, 20);
    expectRect(l.detailList, 3, 331, 294, 266);
    const int left[6] = {10, 298, 17, 302, 3, 302};
    const int right[6] = {283, 298, 290, 302, 297, 298};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(l.leftTriangle[i], left[i]) << i;
        EXPECT_EQ(l.rightTriangle[i], right[i]) << i;
    }
}

TEST(DetailLayout, NearTheTopTheCaptionsShrinkAndNothingGoesNegative)
{
    // H = 400, fraction 0.05: t = 15, s = 9, s2 = s.
    const DetailLayout l = detailLayout(200, 400, 0.05f);
    EXPECT_EQ(l.bar.top, 15);
    expectRect(l.saveButton, 3, 3, 9, 9);
    EXPECT_EQ(l.selectionList.height, 0);
    expectRect(l.detailCaption, 3, 28, 194, 9);
    expectRect(l.detailList, 3, 40, 194, 400 - 9 - 15 - 19);
    // Fraction 0 (dragged above the top): t = -5, every size at least 0.
    const DetailLayout top = detailLayout(200, 400, 0.0f);
    EXPECT_EQ(top.bar.top, -5);
    EXPECT_EQ(top.selectionList.height, 0);
    EXPECT_EQ(top.saveButton.width, 0);
    // Fraction 1: the detail list has no height.
    EXPECT_EQ(detailLayout(200, 400, 1.0f).detailList.height, 0);
    // Rounding of H x fraction - 5: 333 x 0.5 - 5 = 161.5 -> 162.
    EXPECT_EQ(detailLayout(200, 333, 0.5f).bar.top, 162);
}

TEST(DetailLayout, HitsOnTheBarAndDragFractions)
{
    const DetailLayout l = detailLayout(300, 600, 0.5f);
    EXPECT_EQ(barHitTest(l, 3, 295), BarHit::LeftSquare);
    EXPECT_EQ(barHitTest(l, 17, 304), BarHit::LeftSquare);
    EXPECT_EQ(barHitTest(l, 18, 300), BarHit::Bar);
    EXPECT_EQ(barHitTest(l, 150, 300), BarHit::Bar);
    EXPECT_EQ(barHitTest(l, 283, 300), BarHit::RightSquare);
    EXPECT_EQ(barHitTest(l, 297, 300), BarHit::RightSquare);
    EXPECT_EQ(barHitTest(l, 2, 300), BarHit::Bar);
    EXPECT_EQ(barHitTest(l, 150, 294), BarHit::None);
    EXPECT_EQ(barHitTest(l, 150, 305), BarHit::None);
    EXPECT_FLOAT_EQ(dragFraction(-40, 600), 0.0f);
    EXPECT_FLOAT_EQ(dragFraction(150, 600), 0.25f);
    EXPECT_FLOAT_EQ(dragFraction(900, 600), 1.0f);
    EXPECT_FLOAT_EQ(dragFraction(10, 0), 0.0f);
}
