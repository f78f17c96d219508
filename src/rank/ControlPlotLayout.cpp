#include "rank/ControlPlotLayout.h"

#include <algorithm>
#include <cmath>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "rank/HistogramOrdering.h"

PlotRect PlotRect::spanned(int x0, int y0, int x1, int y1)
{
    const int l = std::min(x0, x1), r = std::max(x0, x1), t = std::min(y0, y1), b = std::max(y0, y1);
    return {l, t, r - l + 1, b - t + 1};
}

PlotRect ChartGeometry::area() const
{
    const int top = probabilityAxis && turned ? kProbabilityMargin : kNarrowMargin;
    const int right = probabilityAxis && !turned ? kProbabilityMargin : kNarrowMargin;
    const int w = std::max(0, width - kWideMargin - right);
    const int h = std::max(0, height - kWideMargin - top);
    return {kWideMargin, top, w, h};
}

int ChartGeometry::valueLength() const { return turned ? area().h : area().w; }
int ChartGeometry::crossLength() const { return turned ? area().w : area().h; }

std::pair<int, int> ChartGeometry::point(double along, double across) const
{
    const PlotRect a = area();
    if (turned)
        return {a.x + static_cast<int>(std::lround(across)), a.bottom() - static_cast<int>(std::lround(along))};
    return {a.x + static_cast<int>(std::lround(along)), a.bottom() - static_cast<int>(std::lround(across))};
}

PlotRect ChartGeometry::bar(int b, int buckets, int count, int maxCount) const
{
    const PlotRect a = area();
    const int L = valueLength(), C = crossLength();
    const int v0 = static_cast<int>(static_cast<long long>(b) * L / buckets);
    const int v1 = static_cast<int>(static_cast<long long>(b + 1) * L / buckets);
    const int len = maxCount > 0 ? static_cast<int>(std::lround(static_cast<double>(count) * C / maxCount)) : 0;
    if (turned)
        return {a.x, a.bottom() - v1, len, v1 - v0};
    return {a.x + v0, a.bottom() - len, v1 - v0, len};
}

std::vector<int> ChartGeometry::barsTouching(const std::vector<int>& counts, const PlotRect& r) const
{
    std::vector<int> out;
    const int n = static_cast<int>(counts.size());
    const int maxCount = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    for (int b = 0; b < n; ++b)
        if (bar(b, n, counts[static_cast<size_t>(b)], maxCount).intersects(r))
            out.push_back(b);
    return out;
}

std::vector<std::pair<int, int>> ChartGeometry::cdfVertices(const std::vector<int>& counts, long long total) const
{
    std::vector<std::pair<int, int>> out;
    if (counts.empty() || total <= 0)
        return out;
    const int n = static_cast<int>(counts.size());
    const double L = valueLength(), C = crossLength();
    out.push_back(point(0.0, 0.0));
    long long sum = 0;
    for (int i = 0; i < n; ++i) {
        sum += counts[static_cast<size_t>(i)];
        out.push_back(point((i + 1) * L / n, C * static_cast<double>(sum) / static_cast<double>(total)));
    }
    return out;
}

std::pair<int, int> ChartGeometry::itemPoint(double crossOffset, int valueOffset) const
{
    const PlotRect a = area();
    const int across = static_cast<int>(crossOffset);
    if (turned)
        return {a.x + across, a.bottom() - valueOffset};
    return {a.x + valueOffset, a.y + across};
}

int ChartGeometry::valueOffset(double v, double min, double max) const
{
    if (!(max > min))
        return 0;
    return static_cast<int>(std::lround((v - min) * valueLength() / (max - min)));
}

namespace {
template <typename Fn>
void forPresent(const DataMatrix& data, int column, bool original, Fn&& fn)
{
    for (int r = 0; r < data.m_nRows; ++r)
        if (!isMissingWeight(data.weight(r, column)))
            fn(r, original ? data.orgValue(r, column) : data.value(r, column));
}

BucketRule ruleOf(const DataMatrix& data, int column, bool original, int buckets)
{
    const FieldInfo& f = *data.columnField(column);
    const StatRecord& s = original ? f.m_statOrg : f.m_statNor;
    return BucketRule(s.min, s.max, buckets);
}
} // namespace

std::vector<int> columnBucketCounts(const DataMatrix& data, int column, bool original, int buckets)
{
    std::vector<int> counts(static_cast<size_t>(std::max(buckets, 1)), 0);
    const BucketRule rule = ruleOf(data, column, original, static_cast<int>(counts.size()));
    forPresent(data, column, original, [&](int, float v) { ++counts[static_cast<size_t>(rule.bucketOf(v))]; });
    return counts;
}

std::vector<int> columnBucketItems(const DataMatrix& data, int column, bool original, int buckets,
                                   const std::vector<int>& marked)
{
    std::vector<char> on(static_cast<size_t>(std::max(buckets, 1)), 0);
    for (int b : marked)
        if (b >= 0 && b < static_cast<int>(on.size()))
            on[static_cast<size_t>(b)] = 1;
    const BucketRule rule = ruleOf(data, column, original, static_cast<int>(on.size()));
    std::vector<int> rows;
    forPresent(data, column, original, [&](int r, float v) {
        if (on[static_cast<size_t>(rule.bucketOf(v))])
            rows.push_back(r);
    });
    return rows;
}
