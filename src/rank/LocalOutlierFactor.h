#pragma once
// The outlier count of a scatterplot by the Local Outlier Factor over the
// distinct pixel positions of its points.
//
// 1. The distinct positions, numbered in ascending (px, py) order.
// 2. Their Delaunay graph (Delaunay.h) with Euclidean edge lengths.
// 3. For every position p its k = 6 nearest neighbours by best-first search
//    over the graph: a min-queue by distance to p (ties leave lowest number
//    first) starts with p; each step takes the nearest queued position,
//    records it and queues its unqueued graph neighbours with their distance
//    to p; the search stops when k positions besides p are recorded or the
//    queue is empty. k-distance(p) = distance of the last recorded one.
// 4. reach(p, o) = max(k-distance(o), d(p, o)); lrd(p) = |N(p)| / sum of
//    reach(p, o) over N(p); LOF(p) = mean over N(p) of lrd(o) / lrd(p).
// 5. Outlying: LOF >= MinLOF + (MaxLOF - MinLOF) / 3. When every LOF is the
//    same no position stands out and none is outlying; a position without
//    neighbours (a plot of one position) has LOF 1.
//
// A workspace holds the buffers of one thread and is reused pair after pair.
#include <utility>
#include <vector>

#include "rank/ScatterGeometry.h"

class LofWorkspace {
public:
    static constexpr int kNeighbours = 6;

    // LOF of every distinct position (ascending (px, py) order).
    const std::vector<double>& factors(const std::vector<PixelPoint>& distinct);

    // Number of outlying distinct positions among the points, and the indices
    // of the points that lie on them (ascending).
    int outliers(const std::vector<PixelPoint>& points, std::vector<int>& outlyingPoints);

    // After factors(): the neighbours found for position p, nearest first in
    // the order the search recorded them.
    std::vector<int> neighbours(int p) const;

private:
    std::vector<PixelPoint> m_distinct;
    std::vector<int> m_positionOfPoint;
    std::vector<std::pair<int, int>> m_edges;
    std::vector<int> m_adjStart, m_adj;
    std::vector<int> m_stamp;
    std::vector<int> m_found;      // kNeighbours per position
    std::vector<double> m_foundDist;
    std::vector<int> m_foundCount;
    std::vector<double> m_kDist, m_lrd, m_lof;
    std::vector<std::pair<double, int>> m_heap;
};
