// The cut-quality chart's pixel arithmetic: the plot area and the axes fit
// the widget without overlapping, similarities and steps map to x and back,
// values to y on their own axes, and the axes' tops are round numbers.
#include <gtest/gtest.h>

#include "cluster/CutProfile.h"
#include "cluster/ProfileChartLayout.h"

TEST(ProfileChartLayout, AxesAndPlotFitTheWidget)
{
    for (bool classes : {false, true}) {
        const ProfileChartLayout l = profileChartLayout(400, 260, 14, 30, classes);
        ASSERT_TRUE(l.valid());
        EXPECT_GT(l.top, l.legendTop + 2 * l.legendRowHeight);  // the legend and the bar's label above the plot
        EXPECT_LT(l.bottom + 2 * 14, 260);                      // the similarity labels and title below
        // Left axes left of the plot, one axis width apart; right axes from
        // the plot's right edge on; all inside the widget.
        EXPECT_EQ(l.axisX[kSeriesClusters], l.left);
        EXPECT_LT(l.axisX[kSeriesAlones], l.axisX[kSeriesClusters] - 30);
        EXPECT_GT(l.axisX[kSeriesAlones] - 30, 0);
        if (classes) {
            EXPECT_EQ(l.axisX[kSeriesFMeasure], l.right);
            EXPECT_GT(l.axisX[kSeriesRatio], l.right + 30);
        } else {
            EXPECT_EQ(l.axisX[kSeriesFMeasure], -1);
            EXPECT_EQ(l.axisX[kSeriesRatio], l.right);
        }
        EXPECT_LT(l.axisX[kSeriesRatio] + 30, 400);
    }
    // Too small for a plot.
    EXPECT_FALSE(profileChartLayout(120, 60, 14, 30, true).valid());
}

TEST(ProfileChartLayout, SimilaritiesStepsAndValues)
{
    const ProfileChartLayout l = profileChartLayout(500, 300, 14, 30, true);
    EXPECT_DOUBLE_EQ(xOfSimilarity(l, 0.0), l.left);
    EXPECT_DOUBLE_EQ(xOfSimilarity(l, 1.0), l.right);
    EXPECT_DOUBLE_EQ(xOfSimilarity(l, 0.25), l.left + 0.25 * (l.right - l.left));
    EXPECT_DOUBLE_EQ(xOfSimilarity(l, 1.7), l.right);  // held at the ends
    for (int k = 0; k <= 100; ++k) {
        const double x = xOfSimilarity(l, profileStepSimilarity(k, 100));
        EXPECT_EQ(stepNearestX(l, x, 100), k);
        // Within half a step's width the same step is picked.
        const double half = 0.49 * (l.right - l.left) / 100.0;
        EXPECT_EQ(stepNearestX(l, x - half, 100), k);
        EXPECT_EQ(stepNearestX(l, x + half, 100), k);
    }
    EXPECT_EQ(stepNearestX(l, l.left - 50, 100), 0);
    EXPECT_EQ(stepNearestX(l, l.right + 50, 100), 100);
    EXPECT_DOUBLE_EQ(similarityOfX(l, xOfSimilarity(l, 0.6)), 0.6);

    EXPECT_DOUBLE_EQ(yOfValue(l, 0.0, 0.0, 40.0), l.bottom);
    EXPECT_DOUBLE_EQ(yOfValue(l, 40.0, 0.0, 40.0), l.top);
    EXPECT_DOUBLE_EQ(yOfValue(l, 10.0, 0.0, 40.0), l.bottom - 0.25 * (l.bottom - l.top));
    EXPECT_DOUBLE_EQ(yOfValue(l, 90.0, 0.0, 40.0), l.top);
    EXPECT_DOUBLE_EQ(yOfValue(l, 5.0, 0.0, 0.0), l.bottom);  // an empty range
}

TEST(ProfileChartLayout, AxisTopsAndRanges)
{
    EXPECT_DOUBLE_EQ(niceAxisTop(0.0), 1.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(1.0), 1.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(37.0), 50.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(20.0), 20.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(21.0), 25.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(0.43), 0.5);
    EXPECT_DOUBLE_EQ(niceAxisTop(0.12), 0.2);
    EXPECT_DOUBLE_EQ(niceAxisTop(1999.0), 2000.0);
    EXPECT_DOUBLE_EQ(niceAxisTop(5001.0), 10000.0);

    std::vector<CutProfileStep> profile(3);
    profile[0].evaluation.clusters = 1;
    profile[0].alones = 0;
    profile[1].evaluation.clusters = 37;
    profile[1].alones = 120;
    profile[1].evaluation.ratio = 0.43;
    profile[1].fMeasure = 0.7;
    profile[2].evaluation.clusters = 0;
    profile[2].alones = 2000;  // no ratio, no F-measure at this step
    const ProfileAxes axes = profileAxes(profile);
    EXPECT_DOUBLE_EQ(axes.top[kSeriesClusters], 50.0);
    EXPECT_DOUBLE_EQ(axes.top[kSeriesAlones], 2000.0);
    EXPECT_DOUBLE_EQ(axes.top[kSeriesFMeasure], 1.0);
    EXPECT_DOUBLE_EQ(axes.top[kSeriesRatio], 0.5);
    double v = 0.0;
    EXPECT_FALSE(profileValue(profile[2], kSeriesRatio, v));
    EXPECT_FALSE(profileValue(profile[2], kSeriesFMeasure, v));
    ASSERT_TRUE(profileValue(profile[1], kSeriesAlones, v));
    EXPECT_EQ(v, 120.0);
    EXPECT_EQ(profileAxisLabel(kSeriesClusters, 25.0), "25");
    EXPECT_EQ(profileAxisLabel(kSeriesRatio, 0.25), "0.25");
    EXPECT_EQ(profileAxisLabel(kSeriesRatio, 2500.0), "2500");
}
