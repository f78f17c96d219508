#include "rank/LocalOutlierFactor.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "rank/Delaunay.h"

namespace {
inline double distance(const PixelPoint& a, const PixelPoint& b)
{
    const double dx = a.px - b.px, dy = a.py - b.py;
    return std::sqrt(dx * dx + dy * dy);
}
} // namespace

const std::vector<double>& LofWorkspace::factors(const std::vector<PixelPoint>& distinct)
{
    const int n = static_cast<int>(distinct.size());
    const size_t un = distinct.size();
    delaunayEdges(distinct, m_edges);

    // Adjacency lists (compressed rows).
    m_adjStart.assign(un + 1, 0);
    for (const auto& [a, b] : m_edges) {
        ++m_adjStart[static_cast<size_t>(a) + 1];
        ++m_adjStart[static_cast<size_t>(b) + 1];
    }
    for (size_t i = 0; i < un; ++i)
        m_adjStart[i + 1] += m_adjStart[i];
    m_adj.resize(static_cast<size_t>(m_adjStart[un]));
    {
        std::vector<int> fill(m_adjStart.begin(), m_adjStart.end() - 1);
        for (const auto& [a, b] : m_edges) {
            m_adj[static_cast<size_t>(fill[static_cast<size_t>(a)]++)] = b;
            m_adj[static_cast<size_t>(fill[static_cast<size_t>(b)]++)] = a;
        }
    }

    // Best-first search for the k nearest neighbours of every position.
    m_stamp.assign(un, -1);
    m_found.assign(un * kNeighbours, -1);
    m_foundDist.assign(un * kNeighbours, 0.0);
    m_foundCount.assign(un, 0);
    m_kDist.assign(un, 0.0);
    const auto later = std::greater<std::pair<double, int>>();
    for (int p = 0; p < n; ++p) {
        m_heap.clear();
        m_heap.emplace_back(0.0, p);
        m_stamp[static_cast<size_t>(p)] = p;
        int& count = m_foundCount[static_cast<size_t>(p)];
        while (!m_heap.empty() && count < kNeighbours) {
            std::pop_heap(m_heap.begin(), m_heap.end(), later);
            const auto [d, q] = m_heap.back();
            m_heap.pop_back();
            if (q != p) {
                m_found[static_cast<size_t>(p) * kNeighbours + static_cast<size_t>(count)] = q;
                m_foundDist[static_cast<size_t>(p) * kNeighbours + static_cast<size_t>(count)] = d;
                ++count;
                m_kDist[static_cast<size_t>(p)] = d;
            }
            for (int e = m_adjStart[static_cast<size_t>(q)]; e < m_adjStart[static_cast<size_t>(q) + 1]; ++e) {
                const int o = m_adj[static_cast<size_t>(e)];
                if (m_stamp[static_cast<size_t>(o)] == p)
                    continue;
                m_stamp[static_cast<size_t>(o)] = p;
                m_heap.emplace_back(distance(distinct[static_cast<size_t>(p)], distinct[static_cast<size_t>(o)]), o);
                std::push_heap(m_heap.begin(), m_heap.end(), later);
            }
        }
    }

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
    std::vector<char> outlying(lof.size(), 0);
    int count = 0;
    for (size_t p = 0; p < lof.size(); ++p)
        if (lof[p] >= threshold && lof[p] <= maxLof) {
            outlying[p] = 1;
            ++count;
        }
    for (size_t i = 0; i < points.size(); ++i)
        if (outlying[static_cast<size_t>(m_positionOfPoint[i])])
            outlyingPoints.push_back(static_cast<int>(i));
    return count;
}
