#include "rank/Delaunay.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>

namespace {
using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<int, Kernel>;
using DataStructure = CGAL::Triangulation_data_structure_2<VertexBase>;
using Triangulation = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;
} // namespace

void delaunayEdges(const std::vector<PixelPoint>& points, std::vector<std::pair<int, int>>& edges)
{
    edges.clear();
    if (points.size() < 2)
        return;
    std::vector<std::pair<Kernel::Point_2, int>> input;
    input.reserve(points.size());
    for (size_t i = 0; i < points.size(); ++i)
        input.emplace_back(Kernel::Point_2(points[i].px, points[i].py), static_cast<int>(i));
    Triangulation t(input.begin(), input.end());
    for (auto e = t.finite_edges_begin(); e != t.finite_edges_end(); ++e) {
        const auto face = e->first;
        const int i = e->second;
        int a = face->vertex(Triangulation::cw(i))->info();
        int b = face->vertex(Triangulation::ccw(i))->info();
        if (a > b)
            std::swap(a, b);
        edges.emplace_back(a, b);
    }
    std::sort(edges.begin(), edges.end());
}
