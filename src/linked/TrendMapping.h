#pragma once
// The pixel mapping of the profile plot: variables spread across the width
// between the horizontal margins, values linear between the data minimum
// (bottom of the plot) and maximum (top). The plot draws with it, and the
// searches turn what the user drew (a model point, a ceiling, a distance in
// pixels) into data values with the same functions.
#include <vector>

struct TrendMapping {
    static constexpr int kMarginX = 40;  // pixels left and right of the plot
    static constexpr int kMarginY = 30;  // pixels above and below the plot
    static constexpr double kPickRadius = 5.0;  // variables within this many pixels of the pointer

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nVariables = 0;
    float m_fMin = 0.0f;
    float m_fMax = 0.0f;

    TrendMapping() = default;
    TrendMapping(int width, int height, int variables, float dataMin, float dataMax)
        : m_nWidth(width), m_nHeight(height), m_nVariables(variables), m_fMin(dataMin), m_fMax(dataMax)
    {
    }

    double top() const { return kMarginY; }
    double bottom() const;
    double plotHeight() const { return bottom() - top(); }
    // (plot width - 2 x 40) / (number of variables - 1); 0 with one variable.
    double xStep() const;
    double xOf(int variable) const;
    // Pixel y of a value; a missing value lies on the bottom line.
    double yOf(float value, bool missing = false) const;
    // The value at a pixel height (clamped to the plot first).
    float valueAt(double y) const;
    double clampY(double y) const;
    // A vertical pixel distance as a distance in values.
    double valueDistance(double pixels) const;
    // Every variable whose x lies within 5 pixels of x, in order.
    std::vector<int> variablesNear(double x) const;
    // The variable nearest to x (-1 without variables).
    int nearestVariable(double x) const;
};
