#include "rank/LocalOutlierFactor.h"

#include <algorithm>
#include <cmath>

namespace {

inline double distance(const PixelPoint& a, const PixelPoint& b)
{
    const double dx = a.px - b.px, dy = a.py - b.py;
    return std::sqrt(dx * dx + dy * dy);
}

// A candidate neighbour: its squared distance, then its number.
struct Candidate {
    uint64_t d2;
    int q;
    bool operator<(const Candidate& o) const { return d2 != o.d2 ? d2 < o.d2 : q < o.q; }
};

// The k best candidates so far, best first.
struct Nearest {
    Candidate best[LofWorkspace::kNeighbours];
    int count = 0;

    void offer(const Candidate& c)
    {
        constexpr int k = LofWorkspace::kNeighbours;
        if (count == k && !(c < best[k - 1]))
            return;
        int i = count < k ? count++ : k - 1;
        while (i > 0 && c < best[i - 1]) {
            best[i] = best[i - 1];
            --i;
        }
        best[i] = c;
    }
};

} // namespace

void LofWorkspace::findNeighbours(const std::vector<PixelPoint>& pts)
{
    const size_t un = pts.size();
    const int n = static_cast<int>(un);
    m_found.assign(un * kNeighbours, -1);
    m_foundDist.assign(un * kNeighbours, 0.0);
    m_foundCount.assign(un, 0);
    m_kDist.assign(un, 0.0);
    if (n < 2)
        return;

    // Square buckets of about two positions each over the bounding box.
    long long minX = pts[0].px, maxX = minX, minY = pts[0].py, maxY = minY;
    for (const PixelPoint& p : pts) {
        minX = std::min<long long>(minX, p.px);
        maxX = std::max<long long>(maxX, p.px);
        minY = std::min<long long>(minY, p.py);
        maxY = std::max<long long>(maxY, p.py);
    }
    // Square buckets over the bounding box: first about two positions per
    // bucket on average, then halved while a position shares its bucket
    // with more than four others on average (the positions of a scatterplot
    // crowd together).
    const double area = static_cast<double>(maxX - minX + 1) * static_cast<double>(maxY - minY + 1);
    long long side = std::max(1LL, static_cast<long long>(std::ceil(std::sqrt(2.0 * area / n))));
    long long gx = 0, gy = 0;
    const auto cellX = [&](const PixelPoint& p) { return static_cast<int>((p.px - minX) / side); };
    const auto cellY = [&](const PixelPoint& p) { return static_cast<int>((p.py - minY) / side); };
    const auto cellOf = [&](const PixelPoint& p) {
        return static_cast<size_t>(cellY(p)) * static_cast<size_t>(gx) + static_cast<size_t>(cellX(p));
    };
    size_t cells = 0;
    const auto count = [&] {
        gx = (maxX - minX) / side + 1;
        gy = (maxY - minY) / side + 1;
        cells = static_cast<size_t>(gx * gy);
        m_cellStart.assign(cells + 1, 0);
        for (const PixelPoint& p : pts)
            ++m_cellStart[cellOf(p) + 1];
    };
    for (;;) {
        gx = (maxX - minX) / side + 1;
        gy = (maxY - minY) / side + 1;
        if (gx * gy <= 2LL * n + 16)
            break;
        side *= 2;  // a long thin box
    }
    count();
    for (;;) {
        long long shared = 0;
        for (size_t c = 1; c <= cells; ++c)
            shared += static_cast<long long>(m_cellStart[c]) * m_cellStart[c];
        if (side == 1 || shared <= 5LL * n || 4 * static_cast<long long>(cells) > 16LL * n)
            break;
        side = (side + 1) / 2;
        count();
    }
    for (size_t c = 0; c < cells; ++c)
        m_cellStart[c + 1] += m_cellStart[c];
    m_cellPositions.resize(un);
    m_fill.assign(m_cellStart.begin(), m_cellStart.end() - 1);
    for (int q = 0; q < n; ++q)
        m_cellPositions[static_cast<size_t>(m_fill[cellOf(pts[static_cast<size_t>(q)])]++)] = q;

    const int lastX = static_cast<int>(gx) - 1, lastY = static_cast<int>(gy) - 1;
    for (int p = 0; p < n; ++p) {
        const PixelPoint& a = pts[static_cast<size_t>(p)];
        const int cx = cellX(a), cy = cellY(a);
        Nearest nearest;
        auto visit = [&](int x, int y) {
            const size_t c = static_cast<size_t>(y) * static_cast<size_t>(gx) + static_cast<size_t>(x);
            for (int e = m_cellStart[c]; e < m_cellStart[c + 1]; ++e) {
                const int q = m_cellPositions[static_cast<size_t>(e)];
                if (q == p)
                    continue;
                const long long dx = static_cast<long long>(pts[static_cast<size_t>(q)].px) - a.px;
                const long long dy = static_cast<long long>(pts[static_cast<size_t>(q)].py) - a.py;
                nearest.offer({static_cast<uint64_t>(dx * dx) + static_cast<uint64_t>(dy * dy), q});
            }
        };
        for (int r = 0;; ++r) {
            // The ring of buckets r steps from p's bucket.
            const int x0 = std::max(0, cx - r), x1 = std::min(lastX, cx + r);
            const int y0 = std::max(0, cy - r), y1 = std::min(lastY, cy + r);
            for (int y = y0; y <= y1; ++y) {
                if (y == cy - r || y == cy + r) {
                    for (int x = x0; x <= x1; ++x)
                        visit(x, y);
                } else {
                    if (cx - r >= 0)
                        visit(cx - r, y);
                    if (r > 0 && cx + r <= lastX)
                        visit(cx + r, y);
                }
            }
            // Every position not yet seen lies beyond the nearest open side
            // of the block of buckets searched.
            long long gap = -1;
            const auto open = [&gap](long long g) { gap = gap < 0 ? g : std::min(gap, g); };
            if (cx - r > 0)
                open(a.px - (minX + (cx - r) * side - 1));
            if (cx + r < lastX)
                open(minX + (cx + r + 1) * side - a.px);
            if (cy - r > 0)
                open(a.py - (minY + (cy - r) * side - 1));
            if (cy + r < lastY)
                open(minY + (cy + r + 1) * side - a.py);
            if (gap < 0)
                break;
            if (nearest.count == kNeighbours &&
                nearest.best[kNeighbours - 1].d2 < static_cast<uint64_t>(gap) * static_cast<uint64_t>(gap))
                break;
        }
        const size_t at = static_cast<size_t>(p) * kNeighbours;
        for (int i = 0; i < nearest.count; ++i) {
            const int q = nearest.best[i].q;
            m_found[at + static_cast<size_t>(i)] = q;
            m_foundDist[at + static_cast<size_t>(i)] = distance(a, pts[static_cast<size_t>(q)]);
        }
        m_foundCount[static_cast<size_t>(p)] = nearest.count;
        if (nearest.count > 0)
            m_kDist[static_cast<size_t>(p)] = m_foundDist[at + static_cast<size_t>(nearest.count) - 1];
    }
}

const std::vector<double>& LofWorkspace::factors(const std::vector<PixelPoint>& distinct)
{
    const size_t un = distinct.size();
    findNeighbours(distinct);

    // Local reachability densities, then the factors.
    m_lrd.assign(un, 0.0);
    for (size_t p = 0; p < un; ++p) {
        double sum = 0.0;
        for (int i = 0; i < m_foundCount[p]; ++i) {
            const size_t at = p * kNeighbours + static_cast<size_t>(i);
            sum += std::max(m_kDist[static_cast<size_t>(m_found[at])], m_foundDist[at]);
        }
        m_lrd[p] = sum > 0.0 ? m_foundCount[p] / sum : 0.0;
    }
    m_lof.assign(un, 1.0);
    for (size_t p = 0; p < un; ++p) {
        const int count = m_foundCount[p];
        if (count == 0 || m_lrd[p] == 0.0)
            continue;
        double sum = 0.0;
        for (int i = 0; i < count; ++i)
            sum += m_lrd[static_cast<size_t>(m_found[p * kNeighbours + static_cast<size_t>(i)])] / m_lrd[p];
        m_lof[p] = sum / count;
    }
    return m_lof;
}

std::vector<int> LofWorkspace::neighbours(int p) const
{
    const size_t at = static_cast<size_t>(p) * kNeighbours;
    return {m_found.begin() + static_cast<long>(at),
            m_found.begin() + static_cast<long>(at) + m_foundCount[static_cast<size_t>(p)]};
}

int LofWorkspace::outliers(const std::vector<PixelPoint>& points, std::vector<int>& outlyingPoints)
{
    outlyingPoints.clear();
    distinctPositions(points, m_distinct, m_positionOfPoint);
    if (m_distinct.empty())
        return 0;
    const std::vector<double>& lof = factors(m_distinct);
    const auto [lo, hi] = std::minmax_element(lof.begin(), lof.end());
    const double minLof = *lo, maxLof = *hi;
    if (!(maxLof > minLof))
        return 0;
    const double threshold = minLof + (maxLof - minLof) / 3.0;
    m_outlying.assign(lof.size(), 0);
    int count = 0;
    for (size_t p = 0; p < lof.size(); ++p)
        if (lof[p] >= threshold && lof[p] <= maxLof) {
            m_outlying[p] = 1;
            ++count;
        }
    for (size_t i = 0; i < points.size(); ++i)
        if (m_outlying[static_cast<size_t>(m_positionOfPoint[i])])
            outlyingPoints.push_back(static_cast<int>(i));
    return count;
}
