#pragma once
// Where the points of a scatterplot go: the plot area of a scatterplot view,
// the value range of its two axes, the pixel mapping of a value, the 20 x 20
// grid over the plot area and the region of interest drawn on it. The view
// draws with these and the pair criteria score with them, so a criterion
// sees exactly the positions on the screen.
#include <cstdint>
#include <vector>

class DataMatrix;

// The client area of a scatterplot view and its margins, in pixels.
struct PlotGeometry {
    int m_nWidth = 420;
    int m_nHeight = 320;
    int m_nLeftMargin = 14;
    int m_nBottomMargin = 14;
    int m_nOuterMargin = 3;

    // W and H: the client size minus the left (bottom) margin and twice the
    // outer margin, at least 1.
    int plotWidth() const;
    int plotHeight() const;
    // The left pixel column of the plot area and its bottom pixel row.
    int plotLeft() const { return m_nLeftMargin + m_nOuterMargin; }
    int plotBottom() const { return m_nHeight - m_nBottomMargin - m_nOuterMargin; }
};

// The value range of the x and y axes.
struct AxisRange {
    float m_fMinX = 0.0f, m_fMaxX = 0.0f;
    float m_fMinY = 0.0f, m_fMaxY = 0.0f;
};

// The range of variables x and y from their statistics (original or
// transformed values); with the same scale both axes span the smaller
// minimum to the larger maximum.
AxisRange axisRange(const DataMatrix& data, int x, int y, bool original, bool sameScale);
AxisRange axisRange(float minX, float maxX, float minY, float maxY, bool sameScale);

struct PixelPoint {
    int px = 0;
    int py = 0;
    bool operator==(const PixelPoint&) const = default;
    bool operator<(const PixelPoint& o) const { return px != o.px ? px < o.px : py < o.py; }
};

// The pixel mapping of one plot:
//   px = trunc((v - minX) * W / (maxX - minX) + 0.5) + left margin + outer margin
//   py = (height - bottom margin - outer margin) - trunc((v - minY) * H / (maxY - minY) + 0.5)
// computed in float as the expression reads ((v - min) * W, then the
// division, then + 0.5 and truncation). A missing x value goes to pixel
// column 0, a missing y value onto the bottom edge of the plot area. An axis
// whose range is empty puts every value at its start.
class ScatterMapping {
public:
    ScatterMapping() = default;
    ScatterMapping(const PlotGeometry& geometry, const AxisRange& range);

    int px(float v) const { return m_nLeft + offset(v, m_range.m_fMinX, m_range.m_fMaxX, m_nW); }
    int py(float v) const { return m_nBottom - offset(v, m_range.m_fMinY, m_range.m_fMaxY, m_nH); }
    int pxOf(float v, bool missing) const { return missing ? 0 : px(v); }
    int pyOf(float v, bool missing) const { return missing ? m_nBottom : py(v); }

    const PlotGeometry& geometry() const { return m_geometry; }
    const AxisRange& range() const { return m_range; }

    // The cell of the 20 x 20 grid over the plot area that a position falls
    // in: column = trunc((px - plot left) / (W / 20)), row = trunc(distance
    // from the bottom edge / (H / 20)), both clamped to 0..19.
    static constexpr int kGridCells = 20;
    int gridColumn(int px) const;
    int gridRow(int py) const;
    int gridCell(const PixelPoint& p) const { return gridRow(p.py) * kGridCells + gridColumn(p.px); }

private:
    static int offset(float v, float lo, float hi, int size);
    PlotGeometry m_geometry;
    AxisRange m_range;
    int m_nLeft = 0, m_nBottom = 0, m_nW = 1, m_nH = 1;
};

// Pixel positions of n points from their values and missing flags (one
// entry per row).
void mapPoints(const ScatterMapping& mapping, const float* xs, const uint8_t* xMissing, const float* ys,
               const uint8_t* yMissing, int n, std::vector<PixelPoint>& out);
// The same for variables x and y of a matrix (a cell weight of -1.0 is a
// missing value).
void mapRows(const DataMatrix& data, int x, int y, bool original, const ScatterMapping& mapping,
             std::vector<PixelPoint>& out);

// The distinct positions of a list of points in ascending (px, py) order,
// and for every point the number of its position.
void distinctPositions(const std::vector<PixelPoint>& points, std::vector<PixelPoint>& distinct,
                       std::vector<int>& positionOfPoint);

// The counts of the 20 x 20 grid cells (row-major from the bottom row).
void gridCounts(const ScatterMapping& mapping, const std::vector<PixelPoint>& points, std::vector<int>& counts);
// -sum p log2 p over the non-empty grid cells, p = count / number of points.
double gridEntropy(const ScatterMapping& mapping, const std::vector<PixelPoint>& points);

// A region of interest in the view's pixel coordinates: the rectangle from
// the press to the release point, the ellipse inscribed in that rectangle,
// or a closed free-form polygon (nonzero winding rule). A pixel belongs to
// the region when its centre (px + 0.5, py + 0.5) does, so the rectangle
// spans columns left..right-1 and rows top..bottom-1.
enum RoiType { kRoiNone = 0, kRoiRectangle = 1, kRoiEllipse = 2, kRoiFreeForm = 3 };

struct RoiRegion {
    int m_nType = kRoiNone;
    PixelPoint m_from, m_to;             // rectangle and ellipse: the drag's two corners
    std::vector<PixelPoint> m_polygon;   // free form, closed or not

    bool isEmpty() const;
    bool contains(int px, int py) const;
    static RoiRegion rectangle(PixelPoint a, PixelPoint b) { return {kRoiRectangle, a, b, {}}; }
    static RoiRegion ellipse(PixelPoint a, PixelPoint b) { return {kRoiEllipse, a, b, {}}; }
    static RoiRegion freeForm(std::vector<PixelPoint> points) { return {kRoiFreeForm, {}, {}, std::move(points)}; }
};

// The number of points inside the region.
int countInRegion(const RoiRegion& region, const std::vector<PixelPoint>& points);

// The fitted curve of a pair's detail values (criterion number, then slope
// and intercept for 0 and 1, or a2, a1, a0 for 2 and 3), as pixel points of
// the plot: the straight line from the x minimum to the x maximum, the
// parabola as 100 segments in steps of (max - min) / 100. The curve gives
// the record's y as a function of its x; `reversed` says the plot shows the
// record's y across and its x up, so the curve is drawn x = f(y). Empty for
// other detail values.
std::vector<PixelPoint> fittedCurve(const std::vector<double>& details, const ScatterMapping& mapping, bool reversed);

// The score overview's cells: the lower triangle of an n x n matrix (row =
// the larger variable 1..n-1, column = the smaller 0..n-2), or a full grid
// (clusters of the first dendrogram down, of the second across). Square
// cells of the largest size that fits; below one pixel a cell is a fraction
// of a pixel and the overview is drawn one pixel per pair, then scaled.
struct PrismLayout {
    bool m_bTriangle = true;
    int m_nRows = 0, m_nColumns = 0;  // cells down and across
    int m_nFirstRow = 1;              // the row number of the top cell row (triangle: 1)
    double m_dCell = 0.0;             // side of a cell in pixels
    int m_nLeft = 0, m_nTop = 0;

    // n variables, or a grid of first x second clusters, in a width x height area.
    static PrismLayout triangle(int variables, int width, int height);
    static PrismLayout grid(int first, int second, int width, int height);
    bool isEmpty() const { return m_nRows <= 0 || m_nColumns <= 0; }
    bool pixelPerPair() const { return m_dCell < 1.0; }
    // The cell (row, column) under a point, in matrix numbers; false outside
    // the cells (and above the diagonal of the triangle).
    bool cellAt(int x, int y, int& row, int& column) const;
    // The pixel rectangle of a cell (left, top, side) when cells are at least a pixel.
    void cellRect(int row, int column, int& left, int& top, int& side) const;
    bool hasCell(int row, int column) const;
};
