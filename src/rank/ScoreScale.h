#pragma once
// The three-colour score scale of the ordering panels' overview strips: a
// score between the range's minimum and maximum is blended from the middle
// colour toward the low or the high colour.
#include "data/Rgb.h"

struct ScoreScaleColors {
    Rgb low{0, 0, 255};
    Rgb middle{255, 255, 255};
    Rgb high{255, 0, 0};
};

// The middle of the scale: 0 when the range straddles 0 (minimum below and
// maximum above), otherwise the midpoint of the range.
double scoreScaleMiddle(double minimum, double maximum);

// Below the middle: t = (middle - score) / (middle - minimum) toward the low
// colour; at or above it: t = (score - middle) / (maximum - middle) toward the
// high colour; each channel middle (1 - t) + end t, rounded. Scores outside the
// range take the end colours; an empty or zero-width range (no scores, or all
// equal) gives the middle colour.
Rgb scoreScaleColor(double score, double minimum, double maximum, const ScoreScaleColors& colors);
Rgb scoreScaleColor(double score, double minimum, double maximum);
