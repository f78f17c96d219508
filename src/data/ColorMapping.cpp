#include "data/ColorMapping.h"

#include <algorithm>
#include <cmath>

#include "data/DataMatrix.h"

const std::array<ColorScheme, 7> kColorSchemes{{
    {{255, 0, 0}, {255, 255, 255}, {0, 0, 255}},
    {{0, 100, 100}, {255, 255, 255}, {120, 0, 0}},
    {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}},
    {{255, 0, 0}, {255, 255, 0}, {0, 0, 255}},
    {{255, 0, 0}, {0, 0, 0}, {0, 255, 0}},
    {{0, 0, 0}, {128, 128, 128}, {255, 255, 255}},
    {{255, 255, 255}, {128, 128, 128}, {0, 0, 0}},
}};

Rgb washColor(Rgb c)
{
    auto w = [](unsigned char x) { return static_cast<unsigned char>(std::trunc((255 - x) * 0.8 + x + 0.5)); };
    return {w(c.r), w(c.g), w(c.b)};
}

Rgb ColorMapping::colorAt(double v, double low, double middle, double high) const
{
    if (m_nMode == 1) {
        v = std::clamp(v, low, std::max(low, high));
        const double t = high > low ? (v - low) / (high - low) : 1.0;
        return mixColor(Rgb{0, 0, 0}, m_clrLow, t);
    }
    if (v == middle)
        return m_clrMiddle;
    if (v > middle) {
        v = std::min(v, high);
        const double t = high > middle ? (v - middle) / (high - middle) : 1.0;
        return mixColor(m_clrMiddle, m_clrHigh, t);
    }
    v = std::max(v, low);
    const double t = middle > low ? (middle - v) / (middle - low) : 1.0;
    return mixColor(m_clrMiddle, m_clrLow, t);
}

bool ColorMapping::setScheme(int scheme)
{
    if (scheme < 1 || scheme > static_cast<int>(kColorSchemes.size()))
        return false;
    const ColorScheme& s = kColorSchemes[static_cast<size_t>(scheme - 1)];
    m_clrHigh = s.high;
    m_clrMiddle = s.middle;
    m_clrLow = s.low;
    rebuildPalettes();
    return true;
}

void ColorMapping::histogramMoments(const std::vector<unsigned>& buckets, float dataMin, float dataMax, double& mean,
                                    double& stdev)
{
    mean = stdev = 0.0;
    if (buckets.empty())
        return;
    const double width = (static_cast<double>(dataMax) - dataMin) / static_cast<double>(buckets.size());
    double count = 0.0, sum = 0.0;
    for (size_t i = 0; i < buckets.size(); ++i) {
        count += buckets[i];
        sum += buckets[i] * (dataMin + static_cast<double>(i) * width);
    }
    if (count <= 0.0)
        return;
    mean = sum / count;
    double ss = 0.0;
    for (size_t i = 0; i < buckets.size(); ++i) {
        const double d = dataMin + static_cast<double>(i) * width - mean;
        ss += buckets[i] * d * d;
    }
    stdev = count > 1.0 ? std::sqrt(ss / (count - 1.0)) : 0.0;
}

void ColorMapping::startValues(const std::vector<unsigned>& buckets, float dataMin, float dataMax, bool middleAtZero)
{
    m_fDataMin = dataMin;
    m_fDataMax = dataMax;
    m_fBucketWidth = buckets.empty() ? 0.0f : (dataMax - dataMin) / static_cast<float>(buckets.size());
    double mean = 0.0, sd = 0.0;
    histogramMoments(buckets, dataMin, dataMax, mean, sd);
    m_fLow = static_cast<float>(std::max(mean - sd, static_cast<double>(dataMin)));
    m_fHigh = static_cast<float>(std::min(mean + sd, static_cast<double>(dataMax)));
    if (middleAtZero) {
        m_fMiddle = 0.0f;
    } else {
        const double m = mean + m_fBucketWidth;
        m_fMiddle = (m < m_fLow || m > m_fHigh) ? (m_fLow + m_fHigh) / 2.0f : static_cast<float>(m);
    }
    positionsFromValues();
}

double ColorMapping::valueAt(double position) const
{
    if (m_nBarLength <= m_nMargin)
        return m_fDataMin;
    return m_fDataMin + (static_cast<double>(m_fDataMax) - m_fDataMin) * (position - m_nMargin) /
                            static_cast<double>(m_nBarLength - m_nMargin);
}

int ColorMapping::positionOf(double value) const
{
    if (m_fDataMax <= m_fDataMin)
        return m_nMargin;
    const double p = m_nMargin + (value - m_fDataMin) * (m_nBarLength - m_nMargin) /
                                     (static_cast<double>(m_fDataMax) - m_fDataMin);
    return static_cast<int>(std::lround(std::clamp(p, static_cast<double>(m_nMargin), static_cast<double>(m_nBarLength))));
}

void ColorMapping::positionsFromValues()
{
    m_nLowPos = positionOf(m_fLow);
    m_nHighPos = positionOf(m_fHigh);
    m_nMiddlePos = positionOf(m_fMiddle);
    rebuildPalettes();
}

void ColorMapping::rebuildPalettes()
{
    const int n = std::max(0, m_nBarLength - m_nMargin);
    m_plainPalette.resize(static_cast<size_t>(n));
    m_washedPalette.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const Rgb c = colorAt(i + m_nMargin, m_nLowPos, m_nMiddlePos, m_nHighPos);
        m_plainPalette[static_cast<size_t>(i)] = c;
        m_washedPalette[static_cast<size_t>(i)] = washColor(c);
    }
}

std::vector<unsigned> valueHistogram(const DataMatrix& data, int buckets, float& dataMin, float& dataMax)
{
    std::vector<unsigned> counts(static_cast<size_t>(std::max(buckets, 1)), 0u);
    dataMin = data.m_fNorMin;
    dataMax = data.m_fNorMax;
    if (data.rowCount() == 0 || data.m_nColumns == 0 || !data.m_pRowExpLevelPool)
        return counts;
    if (!(dataMax > dataMin)) {
        // Statistics not computed: take the range from the values.
        bool any = false;
        for (int r = 0; r < data.rowCount(); ++r)
            for (int k = 0; k < data.m_nColumns; ++k) {
                if (data.weight(r, k) == -1.0f)
                    continue;
                const float v = data.value(r, k);
                if (!any || v < dataMin)
                    dataMin = v;
                if (!any || v > dataMax)
                    dataMax = v;
                any = true;
            }
    }
    const double width = dataMax > dataMin ? (static_cast<double>(dataMax) - dataMin) / counts.size() : 1.0;
    for (int r = 0; r < data.rowCount(); ++r) {
        const float* v = data.rowValues(r);
        const float* w = data.rowWeights(r);
        for (int k = 0; k < data.m_nColumns; ++k) {
            if (w && w[k] == -1.0f)
                continue;
            long b = static_cast<long>((v[k] - dataMin) / width);
            b = std::clamp<long>(b, 0, static_cast<long>(counts.size()) - 1);
            ++counts[static_cast<size_t>(b)];
        }
    }
    return counts;
}
