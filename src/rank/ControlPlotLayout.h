#pragma once
// The geometry of the histogram and control plot views, in plain integers so
// that tests check what the views draw and hit: the plot area inside the
// margins, the histogram bars, the bars a rectangle touches, the vertices of
// the CDF curve and the squares of the control plot.
//
// Unturned, the value axis runs from left to right and bars grow upward; the
// control plot's items then run from top to bottom. Turned (horizontal bars),
// the value axis runs from the bottom up, bars grow to the right and the
// items run from left to right. The histogram, the CDF curve and the control
// plot always share the value axis.
#include <utility>
#include <vector>

class DataMatrix;

struct PlotRect {
    int x = 0, y = 0, w = 0, h = 0;
    int right() const { return x + w; }   // exclusive
    int bottom() const { return y + h; }  // exclusive
    bool intersects(const PlotRect& o) const
    {
        return w > 0 && h > 0 && o.w > 0 && o.h > 0 && x < o.right() && o.x < right() && y < o.bottom() &&
               o.y < bottom();
    }
    bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
    // The rectangle spanned by two corners, normalised (both corners inside).
    static PlotRect spanned(int x0, int y0, int x1, int y1);
};

struct ChartGeometry {
    static constexpr int kWideMargin = 14;   // left and bottom (labels)
    static constexpr int kNarrowMargin = 3;  // top and right
    // With the CDF's probability axis: the top margin (turned drawing) or
    // the right margin (upright drawing) that holds its labels.
    static constexpr int kProbabilityMargin = 20;

    int width = 0, height = 0;
    bool turned = true;
    bool probabilityAxis = false;

    ChartGeometry() = default;
    ChartGeometry(int w, int h, bool t, bool withProbabilityAxis = false)
        : width(w), height(h), turned(t), probabilityAxis(withProbabilityAxis)
    {
    }
    PlotRect area() const;
    int valueLength() const;  // pixels along the value axis
    int crossLength() const;  // pixels across it (bar heights, item positions)

    // The view point of an offset along the value axis and one across it.
    std::pair<int, int> point(double along, double across) const;

    // Bar b of `buckets` with count / maxCount of the cross length.
    PlotRect bar(int b, int buckets, int count, int maxCount) const;
    // The bars (indices) whose drawn rectangle intersects r.
    std::vector<int> barsTouching(const std::vector<int>& counts, const PlotRect& r) const;
    // The CDF curve: the start at the base of the value axis, then one vertex
    // per bucket at its far edge and at (count of buckets 0..i) / total of
    // the cross length. Empty without buckets or items.
    std::vector<std::pair<int, int>> cdfVertices(const std::vector<int>& counts, long long total) const;

    // Control plot: the side of the squares for n items over the cross length
    // (max(step, 2) + 0.5 truncated), and the top-left corner of item k's
    // square for a value whose offset along the value axis is given.
    static double itemStep(int crossLength, int items) { return items > 0 ? static_cast<double>(crossLength) / items : 0.0; }
    static int squareSize(double step) { return static_cast<int>((step > 2.0 ? step : 2.0) + 0.5); }
    std::pair<int, int> itemPoint(double crossOffset, int valueOffset) const;
    // The offset of v along the value axis: (v - min) L / (max - min), rounded; 0 for no range.
    int valueOffset(double v, double min, double max) const;
};

// Counts of the present values of a column (chosen source) in `buckets`
// buckets between the column's minimum and maximum (the bucket rule).
std::vector<int> columnBucketCounts(const DataMatrix& data, int column, bool original, int buckets);
// The rows of the present values of a column that fall into the marked
// buckets (sorted).
std::vector<int> columnBucketItems(const DataMatrix& data, int column, bool original, int buckets,
                                   const std::vector<int>& marked);
