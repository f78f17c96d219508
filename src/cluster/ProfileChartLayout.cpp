#include "cluster/ProfileChartLayout.h"

#include <algorithm>
#include <cmath>

#include "cluster/CutProfile.h"
#include "platform/Format.h"

const char* profileSeriesName(int series)
{
    switch (series) {
    case kSeriesClusters: return "Clusters";
    case kSeriesAlones: return "Alones";
    case kSeriesFMeasure: return "F-measure";
    case kSeriesRatio: return "Within/between";
    default: return "";
    }
}

ProfileChartLayout profileChartLayout(int width, int height, int textHeight, int labelWidth, bool withFMeasure)
{
    ProfileChartLayout l;
    l.width = width;
    l.height = height;
    const int margin = 4, tick = 3;
    const int axisWidth = labelWidth + tick + 4;
    // Two legend rows of two entries each.
    l.legendRowHeight = textHeight + 2;
    l.legendTop = margin;
    l.top = l.legendTop + 2 * l.legendRowHeight + textHeight + 3;  // room for the bar's label
    // Below the plot: the similarity labels and the axis title.
    l.bottom = height - margin - 2 * textHeight - tick - 2;
    l.xLabelsTop = l.bottom + tick + 1;
    const int rightAxes = withFMeasure ? 2 : 1;
    l.left = margin + 2 * axisWidth;
    l.right = width - margin - rightAxes * axisWidth;
    l.axisX[kSeriesClusters] = l.left;
    l.axisX[kSeriesAlones] = l.left - axisWidth;
    l.axisX[kSeriesFMeasure] = withFMeasure ? l.right : -1;
    l.axisX[kSeriesRatio] = withFMeasure ? l.right + axisWidth : l.right;
    return l;
}

double xOfSimilarity(const ProfileChartLayout& l, double similarity)
{
    return l.left + std::clamp(similarity, 0.0, 1.0) * (l.right - l.left);
}

double similarityOfX(const ProfileChartLayout& l, double x)
{
    if (l.right <= l.left)
        return 0.0;
    return std::clamp((x - l.left) / (l.right - l.left), 0.0, 1.0);
}

int stepNearestX(const ProfileChartLayout& l, double x, int steps)
{
    return static_cast<int>(std::lround(similarityOfX(l, x) * steps));
}

double yOfValue(const ProfileChartLayout& l, double value, double lo, double hi)
{
    if (!(hi > lo))
        return l.bottom;
    const double f = std::clamp((value - lo) / (hi - lo), 0.0, 1.0);
    return l.bottom - f * (l.bottom - l.top);
}

double niceAxisTop(double v)
{
    if (!(v > 0.0) || !std::isfinite(v))
        return 1.0;
    double power = std::pow(10.0, std::floor(std::log10(v)));
    for (;;) {
        for (double m : {1.0, 2.0, 2.5, 5.0})
            if (m * power >= v * (1 - 1e-12))
                return m * power;
        power *= 10.0;
    }
}

bool profileValue(const CutProfileStep& step, int series, double& value)
{
    switch (series) {
    case kSeriesClusters: value = step.evaluation.clusters; return true;
    case kSeriesAlones: value = step.alones; return true;
    case kSeriesFMeasure:
        if (!step.fMeasure)
            return false;
        value = *step.fMeasure;
        return true;
    case kSeriesRatio:
        if (!step.evaluation.ratio)
            return false;
        value = *step.evaluation.ratio;
        return true;
    default: return false;
    }
}

ProfileAxes profileAxes(const std::vector<CutProfileStep>& profile)
{
    ProfileAxes axes;
    double largest[kSeriesCount] = {0, 0, 1, 0};
    for (const CutProfileStep& step : profile)
        for (int s : {kSeriesClusters, kSeriesAlones, kSeriesRatio}) {
            double v = 0.0;
            if (profileValue(step, s, v))
                largest[s] = std::max(largest[s], v);
        }
    for (int s = 0; s < kSeriesCount; ++s)
        axes.top[s] = s == kSeriesFMeasure ? 1.0 : niceAxisTop(largest[s]);
    return axes;
}

std::string profileAxisLabel(int series, double value)
{
    if (series == kSeriesClusters || series == kSeriesAlones)
        return strFormat("%.0f", value);
    if (value != 0.0 && (std::fabs(value) < 0.01 || std::fabs(value) >= 1000.0))
        return strFormat("%g", value);
    return strFormat("%.2f", value);
}
