#include "rank/ScoreScale.h"

#include <cmath>

#include "data/Rgb.h"

double scoreScaleMiddle(double minimum, double maximum)
{
    if (minimum < 0.0 && maximum > 0.0)
        return 0.0;
    return (minimum + maximum) / 2.0;
}

Rgb scoreScaleColor(double score, double minimum, double maximum, const ScoreScaleColors& colors)
{
    if (!(minimum < maximum) || std::isnan(score))
        return colors.middle;
    const double middle = scoreScaleMiddle(minimum, maximum);
    auto clamp01 = [](double t) { return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t); };
    if (score < middle)
        return mixColor(colors.middle, colors.low, clamp01((middle - score) / (middle - minimum)));
    return mixColor(colors.middle, colors.high, clamp01((score - middle) / (maximum - middle)));
}

Rgb scoreScaleColor(double score, double minimum, double maximum)
{
    return scoreScaleColor(score, minimum, maximum, ScoreScaleColors{});
}
