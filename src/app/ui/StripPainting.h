#pragma once
// Painting the class strips and their legends: shared by the overview, the
// entire view and the figures, so that every picture shows the same colours
// at the same leaves.
#include <QPainter>
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
// forest each strip lies along; the block's top-right (rightAligned) or
// top-left corner at `corner`. Returns the block's height.
// The height paintStripLegends takes for n strips.
int stripLegendsHeight(int strips);
int paintStripLegends(QPainter& p, const std::vector<const ClassStrip*>& strips,
                      const std::vector<const CForest*>& forests, QPoint corner, bool rightAligned, int maxWidth);
