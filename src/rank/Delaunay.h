#pragma once
// The edges of the Delaunay triangulation of distinct points in the plane
// (CGAL's Delaunay_triangulation_2, kept in one translation unit). Points on
// one line give the edges between neighbours along the line; fewer than two
// points give none. Each edge is reported once as (a, b) with a < b, the
// indices into the point list, sorted.
#include <utility>
#include <vector>

#include "rank/ScatterGeometry.h"

void delaunayEdges(const std::vector<PixelPoint>& points, std::vector<std::pair<int, int>>& edges);
