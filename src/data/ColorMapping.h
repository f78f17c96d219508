#pragma once
// The one rule that turns a data value into a colour, shared by every mosaic:
// three colours (low, middle, high) or one colour (black up to the single
// colour), the seven colour schemes, the start values taken from the data's
// histogram, and the plain and washed palettes indexed by bar position.
#include <array>
#include <cstdint>
#include <vector>

#include "data/Rgb.h"

class DataMatrix;

// Colour of a missing cell in the overview: a purple that no scheme gives a
// value (every scheme's colours have red = green, green = blue or blue = 0).
inline constexpr Rgb kMissingColor{160, 32, 240};
// Colour of a missing cell in the entire view and the k-means view.
inline constexpr Rgb kMissingWhite{255, 255, 255};

struct ColorScheme {
    Rgb high, middle, low;
};
// Schemes 1..7 of the scheme box, at index scheme - 1.
extern const std::array<ColorScheme, 7> kColorSchemes;

class ColorMapping {
public:
    // ---- the rule ----
    // Inline: the mosaics call it once per visible cell.
    Rgb colorOf(float v) const
    {
        const double low = m_fLow, middle = m_fMiddle, high = m_fHigh;
        double x = v;
        if (m_nMode == 1) {
            x = x < low ? low : (x > high && high > low ? high : x);
            return mixColor(Rgb{0, 0, 0}, m_clrLow, high > low ? (x - low) / (high - low) : 1.0);
        }
        if (x == middle)
            return m_clrMiddle;
        if (x > middle) {
            x = x < high ? x : high;
            return mixColor(m_clrMiddle, m_clrHigh, high > middle ? (x - middle) / (high - middle) : 1.0);
        }
        x = x > low ? x : low;
        return mixColor(m_clrMiddle, m_clrLow, middle > low ? (middle - x) / (middle - low) : 1.0);
    }
    Rgb washedColorOf(float v) const { return washColor(colorOf(v)); }
    // The rule with the three reference values given (positions stand in for
    // values when the palette is built).
    Rgb colorAt(double v, double low, double middle, double high) const;

    // Sets the three colours of scheme 1..7; false for another number.
    bool setScheme(int scheme);

    // ---- start values ----
    // Mean and standard deviation (divisor count - 1) of the values the
    // histogram stands for, each bucket at its lower edge min + i x width.
    static void histogramMoments(const std::vector<unsigned>& buckets, float dataMin, float dataMax, double& mean,
                                 double& stdev);
    // Low = max(mean - sd, min), high = min(mean + sd, max); middle 0 when
    // centred at zero (log-transformed data), else mean + one bucket width,
    // or (low + high) / 2 when that falls outside [low, high].
    void startValues(const std::vector<unsigned>& buckets, float dataMin, float dataMax, bool middleAtZero);

    // ---- bar geometry ----
    // value(p) = min + (max - min) (p - margin) / (L - margin), and back.
    double valueAt(double position) const;
    int positionOf(double value) const;
    // Rebuilds the plain and washed palettes (L - margin entries) from the
    // handle positions.
    void rebuildPalettes();
    // Handle positions from the values (then the palettes).
    void positionsFromValues();

    // ---- fields ----
    int m_nMode = 3;
    Rgb m_clrHigh{255, 0, 0};
    Rgb m_clrLow{0, 255, 0};
    Rgb m_clrMiddle{0, 0, 0};
    float m_fDataMin = 0.0f, m_fDataMax = 1.0f;
    float m_fLow = 0.0f, m_fHigh = 1.0f, m_fMiddle = 0.5f;
    float m_fBucketWidth = 0.0f;
    int m_nLowPos = 0, m_nHighPos = 0, m_nMiddlePos = 0;
    int m_nBarLength = 0, m_nMargin = 0;  // the ramp occupies margin..L
    std::vector<Rgb> m_plainPalette, m_washedPalette;
};

// Bucket counts of every present current value of the matrix over
// [m_fNorMin, m_fNorMax].
std::vector<unsigned> valueHistogram(const DataMatrix& data, int buckets, float& dataMin, float& dataMax);
