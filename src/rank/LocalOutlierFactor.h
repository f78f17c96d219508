#pragma once
// The outlier count of a scatterplot by the Local Outlier Factor over the
// distinct pixel positions of its points.
//
// 1. The distinct positions, numbered in ascending (px, py) order.
// 2. For every position p its k = 6 nearest neighbours: the first k other
//    positions in ascending order of distance to p, equal distances in
//    ascending number. This is the order in which a best-first search over
//    the Delaunay graph (Delaunay.h) from p records them, whichever
//    triangulation of cocircular positions it is given: every position at
//    distance d is joined by a Delaunay edge to one strictly nearer to p
//    (the last Voronoi cell before its own on the segment from p), so the
//    search empties each distance before the next one and takes equal
//    distances by number. The positions are found through a grid of square
//    buckets, searched ring by ring. k-distance(p) = distance of the last
//    one (fewer than k when there are fewer positions).
// 3. reach(p, o) = max(k-distance(o), d(p, o)); lrd(p) = |N(p)| / sum of
//    reach(p, o) over N(p); LOF(p) = mean over N(p) of lrd(o) / lrd(p); both
//    sums run over N(p) in the order of step 2.
// 4. Outlying: LOF >= MinLOF + (MaxLOF - MinLOF) / 3. When every LOF is the
//    same no position stands out and none is outlying; a position without
//    neighbours (a plot of one position) has LOF 1.
//
// A workspace holds the buffers of one thread and is reused pair after pair.
#include <cstdint>
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

    // After factors(): the neighbours found for position p, nearest first.
    std::vector<int> neighbours(int p) const;

private:
    void findNeighbours(const std::vector<PixelPoint>& distinct);

    std::vector<PixelPoint> m_distinct;
    std::vector<int> m_positionOfPoint;
    std::vector<int> m_cellStart, m_cellPositions;  // the buckets' positions, bucket by bucket
    std::vector<int> m_fill;
    std::vector<int> m_found;      // kNeighbours per position
    std::vector<double> m_foundDist;
    std::vector<int> m_foundCount;
    std::vector<double> m_kDist, m_lrd, m_lof;
    std::vector<char> m_outlying;
};
