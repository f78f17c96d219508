#include <gtest/gtest.h>

#include <cmath>

#include "data/ColorMapping.h"

namespace {

ColorMapping threeColor()
{
    ColorMapping m;  // scheme 5: red, black, green
    m.m_fDataMin = -4.0f;
    m.m_fDataMax = 4.0f;
    m.m_fLow = -2.0f;
    m.m_fMiddle = 0.0f;
    m.m_fHigh = 2.0f;
    return m;
}

bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

} // namespace

TEST(ColorMapping, MixAndWashRoundHalfUp)
{
    EXPECT_TRUE(same(mixColor({0, 0, 0}, {255, 255, 255}, 0.5), {128, 128, 128}));
    EXPECT_TRUE(same(mixColor({10, 20, 30}, {10, 20, 30}, 0.3), {10, 20, 30}));
    EXPECT_TRUE(same(washColor({0, 0, 0}), {204, 204, 204}));
    EXPECT_TRUE(same(washColor({255, 0, 100}), {255, 204, 224}));
}

TEST(ColorMapping, ThreeColorsAtTheHandlesAndClamped)
{
    ColorMapping m = threeColor();
    EXPECT_TRUE(same(m.colorOf(0.0f), {0, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(2.0f), {255, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(-2.0f), {0, 255, 0}));
    EXPECT_TRUE(same(m.colorOf(1.0f), {128, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(-0.5f), {0, 64, 0}));
    // Beyond the handles: the full end colours.
    EXPECT_TRUE(same(m.colorOf(3.9f), {255, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(-100.0f), {0, 255, 0}));
}

TEST(ColorMapping, OneColorStartsAtBlack)
{
    ColorMapping m = threeColor();
    m.m_nMode = 1;
    m.m_clrLow = {0, 0, 255};
    EXPECT_TRUE(same(m.colorOf(-2.0f), {0, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(-3.0f), {0, 0, 0}));
    EXPECT_TRUE(same(m.colorOf(2.0f), {0, 0, 255}));
    EXPECT_TRUE(same(m.colorOf(0.0f), {0, 0, 128}));
}

TEST(ColorMapping, SchemesSetTheThreeColors)
{
    ColorMapping m;
    ASSERT_TRUE(m.setScheme(1));
    EXPECT_TRUE(same(m.m_clrHigh, {255, 0, 0}));
    EXPECT_TRUE(same(m.m_clrMiddle, {255, 255, 255}));
    EXPECT_TRUE(same(m.m_clrLow, {0, 0, 255}));
    ASSERT_TRUE(m.setScheme(2));
    EXPECT_TRUE(same(m.m_clrHigh, {0, 100, 100}));
    EXPECT_TRUE(same(m.m_clrLow, {120, 0, 0}));
    EXPECT_FALSE(m.setScheme(8));
    // The default colours are scheme 5's.
    ColorMapping d;
    EXPECT_TRUE(same(d.m_clrHigh, kColorSchemes[4].high));
    EXPECT_TRUE(same(d.m_clrMiddle, kColorSchemes[4].middle));
    EXPECT_TRUE(same(d.m_clrLow, kColorSchemes[4].low));
}

TEST(ColorMapping, MissingColorIsNoSchemeValueColor)
{
    // Every value colour of every scheme, plain or washed, has red = green,
    // green = blue or blue = 0 (1-colour mode: two channels 0).
    for (int s = 1; s <= 7; ++s) {
        ColorMapping m = threeColor();
        m.setScheme(s);
        for (int mode : {3, 1}) {
            m.m_nMode = mode;
            for (float v = -2.5f; v <= 2.5f; v += 0.01f) {
                EXPECT_FALSE(same(m.colorOf(v), kMissingColor));
                EXPECT_FALSE(same(m.washedColorOf(v), kMissingColor));
                EXPECT_FALSE(same(m.colorOf(v), washColor(kMissingColor)));
            }
        }
    }
}

TEST(ColorMapping, StartValuesFromTheHistogram)
{
    // Four buckets of width 1 over [0, 4], lower edges 0, 1, 2, 3.
    const std::vector<unsigned> buckets{1, 2, 2, 1};
    double mean = 0, sd = 0;
    ColorMapping::histogramMoments(buckets, 0.0f, 4.0f, mean, sd);
    EXPECT_DOUBLE_EQ(mean, 1.5);
    EXPECT_NEAR(sd, std::sqrt(5.5 / 5.0), 1e-12);

    ColorMapping m;
    m.m_nBarLength = 200;
    m.m_nMargin = 10;
    m.startValues(buckets, 0.0f, 4.0f, true);
    EXPECT_FLOAT_EQ(m.m_fLow, static_cast<float>(1.5 - std::sqrt(1.1)));
    EXPECT_FLOAT_EQ(m.m_fHigh, static_cast<float>(1.5 + std::sqrt(1.1)));
    EXPECT_FLOAT_EQ(m.m_fMiddle, 0.0f);  // centred at zero whatever the mean

    m.startValues(buckets, 0.0f, 4.0f, false);
    EXPECT_FLOAT_EQ(m.m_fMiddle, 2.5f);  // mean plus one bucket width

    // The mean plus a bucket beyond the high value: the midpoint.
    const std::vector<unsigned> wide{10, 0, 0, 1};
    m.startValues(wide, 0.0f, 4.0f, false);
    EXPECT_FLOAT_EQ(m.m_fMiddle, (m.m_fLow + m.m_fHigh) / 2.0f);
    // Low and high stay within the data.
    EXPECT_GE(m.m_fLow, 0.0f);
    EXPECT_LE(m.m_fHigh, 4.0f);
}

TEST(ColorMapping, PaletteFollowsTheHandlePositions)
{
    ColorMapping m = threeColor();
    m.m_nBarLength = 110;
    m.m_nMargin = 10;  // value(p) = -4 + 8 (p - 10) / 100
    EXPECT_DOUBLE_EQ(m.valueAt(10), -4.0);
    EXPECT_DOUBLE_EQ(m.valueAt(110), 4.0);
    EXPECT_EQ(m.positionOf(0.0), 60);
    m.positionsFromValues();
    EXPECT_EQ(m.m_nLowPos, 35);
    EXPECT_EQ(m.m_nMiddlePos, 60);
    EXPECT_EQ(m.m_nHighPos, 85);
    ASSERT_EQ(m.m_plainPalette.size(), 100u);
    EXPECT_TRUE(same(m.m_plainPalette[50], {0, 0, 0}));      // position 60: the middle
    EXPECT_TRUE(same(m.m_plainPalette[75], {255, 0, 0}));    // the high handle
    EXPECT_TRUE(same(m.m_plainPalette[99], {255, 0, 0}));    // beyond it
    EXPECT_TRUE(same(m.m_plainPalette[0], {0, 255, 0}));     // below the low handle
    EXPECT_TRUE(same(m.m_washedPalette[50], {204, 204, 204}));
}
