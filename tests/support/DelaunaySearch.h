#pragma once
// The outlier criterion's neighbours found the long way, as the criterion
// defines them: a best-first search from every position over the Delaunay
// graph of the positions (a min-queue by distance, equal distances lowest
// number first, each step records the nearest queued position and queues its
// unqueued graph neighbours). The tests compare the criterion's neighbour
// search with it and the outlier benchmark times it beside the criterion.
#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "rank/Delaunay.h"
#include "rank/ScatterGeometry.h"

// The first k positions the search records from each position, row by row.
inline std::vector<std::vector<int>> delaunaySearchNeighbours(const std::vector<PixelPoint>& pts, int k)
{
    const size_t n = pts.size();
    std::vector<std::pair<int, int>> edges;
    delaunayEdges(pts, edges);
    std::vector<std::vector<int>> adjacent(n);
    for (const auto& [a, b] : edges) {
        adjacent[static_cast<size_t>(a)].push_back(b);
        adjacent[static_cast<size_t>(b)].push_back(a);
    }
    const auto distance = [&](size_t a, size_t b) {
        const double dx = pts[a].px - pts[b].px, dy = pts[a].py - pts[b].py;
        return std::sqrt(dx * dx + dy * dy);
    };
    std::vector<std::vector<int>> found(n);
    std::vector<size_t> stamp(n, n);
    std::vector<std::pair<double, int>> heap;
    const auto later = std::greater<std::pair<double, int>>();
    for (size_t p = 0; p < n; ++p) {
        heap.assign(1, {0.0, static_cast<int>(p)});
        stamp[p] = p;
        while (!heap.empty() && static_cast<int>(found[p].size()) < k) {
            std::pop_heap(heap.begin(), heap.end(), later);
            const int q = heap.back().second;
            heap.pop_back();
            if (static_cast<size_t>(q) != p)
                found[p].push_back(q);
            for (int o : adjacent[static_cast<size_t>(q)])
                if (stamp[static_cast<size_t>(o)] != p) {
                    stamp[static_cast<size_t>(o)] = p;
                    heap.emplace_back(distance(p, static_cast<size_t>(o)), o);
                    std::push_heap(heap.begin(), heap.end(), later);
                }
        }
    }
    return found;
}
