#include "rank/ScatterGeometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "data/DataMatrix.h"

int PlotGeometry::plotWidth() const { return std::max(1, m_nWidth - m_nLeftMargin - 2 * m_nOuterMargin); }
int PlotGeometry::plotHeight() const { return std::max(1, m_nHeight - m_nBottomMargin - 2 * m_nOuterMargin); }

AxisRange axisRange(float minX, float maxX, float minY, float maxY, bool sameScale)
{
    if (sameScale) {
        const float lo = std::min(minX, minY), hi = std::max(maxX, maxY);
        return {lo, hi, lo, hi};
    }
    return {minX, maxX, minY, maxY};
}

AxisRange axisRange(const DataMatrix& data, int x, int y, bool original, bool sameScale)
{
    const StatRecord& sx = original ? data.columnField(x)->m_statOrg : data.columnField(x)->m_statNor;
    const StatRecord& sy = original ? data.columnField(y)->m_statOrg : data.columnField(y)->m_statNor;
    return axisRange(sx.min, sx.max, sy.min, sy.max, sameScale);
}

ScatterMapping::ScatterMapping(const PlotGeometry& geometry, const AxisRange& range)
    : m_geometry(geometry), m_range(range), m_nLeft(geometry.plotLeft()), m_nBottom(geometry.plotBottom()),
      m_nW(geometry.plotWidth()), m_nH(geometry.plotHeight())
{
}

int ScatterMapping::offset(float v, float lo, float hi, int size)
{
    const float span = hi - lo;
    if (!(span > 0.0f))
        return 0;
    float t = (v - lo) * static_cast<float>(size);
    t = t / span;
    const double d = static_cast<double>(t) + 0.5;
    // Values far outside the range (a curve's ends) stay representable.
    if (!(d > -1.0e6))
        return -1000000;
    if (d > 1.0e6)
        return 1000000;
    return static_cast<int>(d);
}

int ScatterMapping::gridColumn(int px) const
{
    const double cell = static_cast<double>(m_nW) / kGridCells;
    const int c = static_cast<int>(std::trunc((px - m_nLeft) / cell));
    return std::clamp(c, 0, kGridCells - 1);
}

int ScatterMapping::gridRow(int py) const
{
    const double cell = static_cast<double>(m_nH) / kGridCells;
    const int r = static_cast<int>(std::trunc((m_nBottom - py) / cell));
    return std::clamp(r, 0, kGridCells - 1);
}

void mapPoints(const ScatterMapping& mapping, const float* xs, const uint8_t* xMissing, const float* ys,
               const uint8_t* yMissing, int n, std::vector<PixelPoint>& out)
{
    out.resize(static_cast<size_t>(std::max(0, n)));
    for (int i = 0; i < n; ++i)
        out[static_cast<size_t>(i)] = {mapping.pxOf(xs[i], xMissing[i] != 0), mapping.pyOf(ys[i], yMissing[i] != 0)};
}

void mapRows(const DataMatrix& data, int x, int y, bool original, const ScatterMapping& mapping,
             std::vector<PixelPoint>& out)
{
    const int n = data.rowCount();
    out.resize(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
        const float vx = original ? data.orgValue(r, x) : data.value(r, x);
        const float vy = original ? data.orgValue(r, y) : data.value(r, y);
        out[static_cast<size_t>(r)] = {mapping.pxOf(vx, data.weight(r, x) == -1.0f),
                                       mapping.pyOf(vy, data.weight(r, y) == -1.0f)};
    }
}

void distinctPositions(const std::vector<PixelPoint>& points, std::vector<PixelPoint>& distinct,
                       std::vector<int>& positionOfPoint)
{
    std::vector<int> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return points[static_cast<size_t>(a)] < points[static_cast<size_t>(b)];
    });
    distinct.clear();
    positionOfPoint.assign(points.size(), -1);
    for (int i : order) {
        const PixelPoint& p = points[static_cast<size_t>(i)];
        if (distinct.empty() || !(distinct.back() == p))
            distinct.push_back(p);
        positionOfPoint[static_cast<size_t>(i)] = static_cast<int>(distinct.size()) - 1;
    }
}

void gridCounts(const ScatterMapping& mapping, const std::vector<PixelPoint>& points, std::vector<int>& counts)
{
    counts.assign(ScatterMapping::kGridCells * ScatterMapping::kGridCells, 0);
    for (const PixelPoint& p : points)
        ++counts[static_cast<size_t>(mapping.gridCell(p))];
}

double gridEntropy(const ScatterMapping& mapping, const std::vector<PixelPoint>& points)
{
    if (points.empty())
        return 0.0;
    std::vector<int> counts;
    gridCounts(mapping, points, counts);
    const double n = static_cast<double>(points.size());
    double e = 0.0;
    for (int c : counts)
        if (c > 0) {
            const double p = c / n;
            e -= p * std::log2(p);
        }
    return e;
}

bool RoiRegion::isEmpty() const
{
    switch (m_nType) {
    case kRoiRectangle:
    case kRoiEllipse: return m_from.px == m_to.px || m_from.py == m_to.py;
    case kRoiFreeForm: return m_polygon.size() < 3;
    default: return true;
    }
}

bool RoiRegion::contains(int px, int py) const
{
    if (isEmpty())
        return false;
    const double x = px + 0.5, y = py + 0.5;
    if (m_nType == kRoiRectangle || m_nType == kRoiEllipse) {
        const double l = std::min(m_from.px, m_to.px), r = std::max(m_from.px, m_to.px);
        const double t = std::min(m_from.py, m_to.py), b = std::max(m_from.py, m_to.py);
        if (m_nType == kRoiRectangle)
            return x >= l && x < r && y >= t && y < b;
        const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
        const double u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    }
    // Nonzero winding number of the closed polygon around (x, y).
    int winding = 0;
    const size_t n = m_polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const PixelPoint& a = m_polygon[i];
        const PixelPoint& b = m_polygon[(i + 1) % n];
        const double side = (b.px - a.px) * (y - a.py) - (x - a.px) * (b.py - a.py);
        if (a.py <= y) {
            if (b.py > y && side > 0)
                ++winding;
        } else if (b.py <= y && side < 0) {
            --winding;
        }
    }
    return winding != 0;
}

int countInRegion(const RoiRegion& region, const std::vector<PixelPoint>& points)
{
    int count = 0;
    for (const PixelPoint& p : points)
        count += region.contains(p.px, p.py) ? 1 : 0;
    return count;
}

std::vector<PixelPoint> fittedCurve(const std::vector<double>& details, const ScatterMapping& mapping, bool reversed)
{
    std::vector<PixelPoint> out;
    if (details.empty())
        return out;
    const int criterion = static_cast<int>(details[0]);
    double a2 = 0.0, a1, a0;
    int segments;
    if ((criterion == 0 || criterion == 1) && details.size() == 3) {
        a1 = details[1];
        a0 = details[2];
        segments = 1;
    } else if ((criterion == 2 || criterion == 3) && details.size() == 4) {
        a2 = details[1];
        a1 = details[2];
        a0 = details[3];
        segments = 100;
    } else {
        return out;
    }
    const AxisRange& r = mapping.range();
    // The record's x runs along the axis that shows it.
    const double lo = reversed ? r.m_fMinY : r.m_fMinX, hi = reversed ? r.m_fMaxY : r.m_fMaxX;
    const double step = (hi - lo) / segments;
    for (int i = 0; i <= segments; ++i) {
        const double t = lo + step * i;
        const double f = (a2 * t + a1) * t + a0;
        out.push_back(reversed ? PixelPoint{mapping.px(static_cast<float>(f)), mapping.py(static_cast<float>(t))}
                               : PixelPoint{mapping.px(static_cast<float>(t)), mapping.py(static_cast<float>(f))});
    }
    return out;
}

namespace {
PrismLayout layoutOf(bool triangle, int rows, int columns, int firstRow, int width, int height)
{
    PrismLayout l;
    l.m_bTriangle = triangle;
    l.m_nRows = std::max(0, rows);
    l.m_nColumns = std::max(0, columns);
    l.m_nFirstRow = firstRow;
    if (l.isEmpty() || width <= 0 || height <= 0)
        return l;
    double cell = std::min(static_cast<double>(width) / l.m_nColumns, static_cast<double>(height) / l.m_nRows);
    if (cell >= 1.0)
        cell = std::floor(cell);
    l.m_dCell = cell;
    l.m_nLeft = static_cast<int>((width - cell * l.m_nColumns) / 2);
    l.m_nTop = static_cast<int>((height - cell * l.m_nRows) / 2);
    return l;
}
} // namespace

PrismLayout PrismLayout::triangle(int variables, int width, int height)
{
    return layoutOf(true, variables - 1, variables - 1, 1, width, height);
}

PrismLayout PrismLayout::grid(int first, int second, int width, int height)
{
    return layoutOf(false, first, second, 0, width, height);
}

bool PrismLayout::hasCell(int row, int column) const
{
    const int r = row - m_nFirstRow;
    if (r < 0 || r >= m_nRows || column < 0 || column >= m_nColumns)
        return false;
    return !m_bTriangle || column < row;
}

bool PrismLayout::cellAt(int x, int y, int& row, int& column) const
{
    if (isEmpty() || m_dCell <= 0.0 || x < m_nLeft || y < m_nTop)
        return false;
    column = static_cast<int>((x - m_nLeft) / m_dCell);
    row = static_cast<int>((y - m_nTop) / m_dCell) + m_nFirstRow;
    return hasCell(row, column);
}

void PrismLayout::cellRect(int row, int column, int& left, int& top, int& side) const
{
    side = static_cast<int>(m_dCell);
    left = m_nLeft + column * side;
    top = m_nTop + (row - m_nFirstRow) * side;
}
