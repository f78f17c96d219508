#include "linked/TrendMapping.h"

#include <algorithm>
#include <cmath>

double TrendMapping::bottom() const
{
    return std::max<double>(kMarginY + 1, m_nHeight - kMarginY);
}

double TrendMapping::xStep() const
{
    if (m_nVariables < 2)
        return 0.0;
    return static_cast<double>(m_nWidth - 2 * kMarginX) / (m_nVariables - 1);
}

double TrendMapping::xOf(int variable) const
{
    return kMarginX + variable * xStep();
}

double TrendMapping::yOf(float value, bool missing) const
{
    const double range = static_cast<double>(m_fMax) - m_fMin;
    if (missing || !(range > 0.0))
        return bottom();
    const double f = (static_cast<double>(value) - m_fMin) / range;
    return bottom() - f * plotHeight();
}

double TrendMapping::clampY(double y) const
{
    return std::clamp(y, top(), bottom());
}

float TrendMapping::valueAt(double y) const
{
    const double f = (bottom() - clampY(y)) / plotHeight();
    return static_cast<float>(m_fMin + f * (static_cast<double>(m_fMax) - m_fMin));
}

double TrendMapping::valueDistance(double pixels) const
{
    return pixels / plotHeight() * (static_cast<double>(m_fMax) - m_fMin);
}

std::vector<int> TrendMapping::variablesNear(double x) const
{
    std::vector<int> out;
    for (int k = 0; k < m_nVariables; ++k)
        if (std::fabs(xOf(k) - x) <= kPickRadius)
            out.push_back(k);
    return out;
}

int TrendMapping::nearestVariable(double x) const
{
    if (m_nVariables <= 0)
        return -1;
    const double step = xStep();
    if (step <= 0.0)
        return 0;
    const int k = static_cast<int>(std::lround((x - kMarginX) / step));
    return std::clamp(k, 0, m_nVariables - 1);
}
