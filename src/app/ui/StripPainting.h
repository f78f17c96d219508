#pragma once
// Painting the class strips and their legends: shared by the overview, the
// entire view and the figures, so that every picture shows the same colours
// at the same leaves.
#include <QColor>
#include <QPainter>
#include <QString>
#include <vector>

#include "data/ClassStrip.h"

class CForest;
class QImage;

// Thickness of one strip and the gap between strips, in pixels.
inline constexpr int kStripThickness = 10;
inline constexpr int kStripGap = 2;
// Room n strips take side by side: n strips with a gap before each.
inline int stripBandSize(int strips) { return strips > 0 ? strips * (kStripThickness + kStripGap) + kStripGap : 0; }

// One strip across the leaves of a forest laid out along x: `placed` are
// the display positions in place, left to right, at `spacing` pixels from
// `-scroll`; a pixel column shows the first leaf that falls into it (as the
// mosaic does). Written straight into an RGB32 image when there is one.
// Nothing is drawn left of `minX`.
void paintHorizontalStrip(QPainter& p, QImage* image, const ClassStrip& strip, const CForest& forest,
                          const std::vector<int>& placed, double spacing, double scroll, int minX, int width, int top,
                          int thickness);
// One strip down the leaves of a forest laid out along y: leaf `rows[i]`
// (a display position) at top + i x cell.
void paintVerticalStrip(QPainter& p, const ClassStrip& strip, const CForest& forest, const std::vector<int>& rows,
                        int left, int top, int cell, int thickness);

// The legends of the strips, one line each ("NAME:" then a swatch, the
// category and its count per category), counted over the leaves of the
// forest each strip lies along. Laid out once (the counts, texts and their
// widths), painted as often as the view is drawn.
struct StripLegendLayout {
    struct Entry {
        QString text;  // "category (count)"
        QColor colour;
        int width = 0;  // of the text
    };
    struct Line {
        QString title;  // "NAME:"
        int titleWidth = 0;
        std::vector<Entry> entries;
    };
    std::vector<Line> lines;
    int widest = 0;  // the widest line, at most the width it was laid out for
    int box = 0, ascent = 0;
};
StripLegendLayout layoutStripLegends(const std::vector<const ClassStrip*>& strips,
                                     const std::vector<const CForest*>& forests, int maxWidth);
// A view's legend layout, laid out again only when what it shows changed:
// the strips (compared by content, so that strips chosen again as they were
// cost nothing), the forests they lie along (which, and the document's
// results revision, which changes whenever a forest is replaced) or the
// width. Counting
// the categories over every leaf is too slow to repeat on each redraw of a
// large tree.
class StripLegendCache {
public:
    const StripLegendLayout& layout(unsigned long long resultsRevision, const std::vector<const ClassStrip*>& strips,
                                    const std::vector<const CForest*>& forests, int maxWidth);
    int layouts() const { return m_nLayouts; }  // how many times it laid out

private:
    bool matches(unsigned long long resultsRevision, const std::vector<const ClassStrip*>& strips,
                 const std::vector<const CForest*>& forests, int maxWidth) const;

    bool m_bValid = false;
    unsigned long long m_nRevision = 0;
    std::vector<ClassStrip> m_strips;
    std::vector<const CForest*> m_forests;
    int m_nMaxWidth = 0;
    int m_nLayouts = 0;
    StripLegendLayout m_layout;
};
// The height paintStripLegends takes for n strips.
int stripLegendsHeight(int strips);
// Paints the block with its top-right (rightAligned) or top-left corner at
// `corner`; entries that do not fit the line are left out. Returns the
// block's height.
int paintStripLegends(QPainter& p, const StripLegendLayout& layout, QPoint corner, bool rightAligned);
