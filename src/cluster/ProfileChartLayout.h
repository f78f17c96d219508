#pragma once
// The pixel arithmetic of the cut-quality chart: the plot area, the x of a
// minimum similarity and back (clicks pick the nearest step), the y of a
// value on a series' own axis, and the axes' ranges.
#include <string>
#include <vector>

struct CutProfileStep;

// The chart's series, in drawing and legend order.
enum ProfileSeries {
    kSeriesClusters = 0,
    kSeriesAlones = 1,
    kSeriesFMeasure = 2,
    kSeriesRatio = 3,
    kSeriesCount = 4,
};

// The legend's names: "Clusters", "Alones", "F-measure", "Within/between".
const char* profileSeriesName(int series);

struct ProfileChartLayout {
    int width = 0, height = 0;
    // The plot area: x from left (similarity 0) to right (1), y from bottom
    // (an axis' low end) up to top (its high end).
    int left = 0, right = 0, top = 0, bottom = 0;
    // Each series' axis line x (-1 when the series is not shown): clusters
    // and alones at the left, F-measure and ratio at the right.
    int axisX[kSeriesCount] = {-1, -1, -1, -1};
    bool axisOnLeft[kSeriesCount] = {true, true, false, false};
    // Legend rows above the plot and the x axis' labels below it.
    int legendTop = 0, legendRowHeight = 0;
    int xLabelsTop = 0;
    bool valid() const { return right - left >= 20 && bottom - top >= 20; }
};

// The layout for a widget of width x height pixels, text lines of
// textHeight pixels and axis labels at most labelWidth pixels wide; the
// F-measure axis only when the leaves carry classes.
ProfileChartLayout profileChartLayout(int width, int height, int textHeight, int labelWidth, bool withFMeasure);

double xOfSimilarity(const ProfileChartLayout& l, double similarity);
// The similarity at x, within 0..1.
double similarityOfX(const ProfileChartLayout& l, double x);
// The step (0..steps) nearest to x.
int stepNearestX(const ProfileChartLayout& l, double x, int steps);
// y of a value on an axis from lo (bottom) to hi (top); values beyond the
// range are held at its ends.
double yOfValue(const ProfileChartLayout& l, double value, double lo, double hi);

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least v
// (1 for v <= 0): the top of an axis.
double niceAxisTop(double v);

// The axis range (0 .. top) of every series over the profile: clusters and
// alones up to their largest count, the F-measure 0..1, the ratio up to its
// largest value; steps whose value is not available are left out.
struct ProfileAxes {
    double top[kSeriesCount] = {1, 1, 1, 1};
};
ProfileAxes profileAxes(const std::vector<CutProfileStep>& profile);
// A series' value at a step, false when it is not available.
bool profileValue(const CutProfileStep& step, int series, double& value);
// An axis label: integers for counts, two decimals otherwise ("%g" beyond).
std::string profileAxisLabel(int series, double value);
