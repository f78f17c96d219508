#include "app/OverviewLayout.h"

#include <algorithm>
#include <cmath>

#include "cluster/Forest.h"

double yOfSimilarity(double s, int yLeaf, double zoom) { return yLeaf - (1.0 - s) * zoom * yLeaf; }

double similarityOfY(double y, int yLeaf, double zoom)
{
    if (yLeaf <= 0 || zoom == 0.0)
        return 1.0;
    return 1.0 + (y - yLeaf) / (yLeaf * zoom);
}

VerticalLayout verticalLayout(int clientHeight, int rows, int sliderPos, int sliderMax, bool compareMode)
{
    VerticalLayout v;
    const double H = clientHeight, p = sliderPos, m = sliderMax > 0 ? sliderMax : 1;
    int M = compareMode ? static_cast<int>(std::trunc((H - 0.1 * H) * 0.25 * p / m + 0.5))
                        : static_cast<int>(std::trunc(p * H * 0.5 / m + 0.5));
    M = std::max(M, 0);
    v.cellHeight = rows > 0 ? M / rows : 0;
    if (v.cellHeight < 1) {
        v.cellHeight = 0;
        v.mosaicHeight = 0;
    } else {
        v.mosaicHeight = rows * v.cellHeight;
    }
    M = v.mosaicHeight;
    v.yLeaf = compareMode
                  ? static_cast<int>(std::trunc(H * 0.5 - H * 0.05 - M - kMarkerStripHeight - 1 - kMosaicGap + 0.5))
                  : clientHeight - kMarkerStripHeight - kMosaicGap - M - 1;
    v.yLeaf = std::max(v.yLeaf, 1);
    return v;
}

int markerStripTop(const VerticalLayout& v, bool withGap) { return v.yLeaf + 1 + v.mosaicHeight + (withGap ? kMosaicGap : 0); }

bool inMinSimZone(int y, const BarPositions& b)
{
    const float reach = b.yDetail >= b.yMin + 13.0f ? 10.0f : 3.0f;
    return y > b.yMin - reach && y < b.yMin + reach;
}

bool inDetailZone(int y, const BarPositions& b) { return y > b.yDetail - 3 && y < b.yDetail + 3; }

void dragMinSimBar(BarPositions& b, int y, int yLeaf)
{
    y = std::clamp(y, std::min(5, yLeaf), yLeaf);
    b.yMin = static_cast<float>(y);
    if (b.yDetail <= b.yMin && yLeaf - 3 >= y + 10)
        b.yDetail = static_cast<int>(std::trunc(y + 0.5)) + 10;
}

void dragDetailBar(BarPositions& b, int y, int yLeaf)
{
    y = std::clamp(y, std::min(5, yLeaf), yLeaf);
    b.yDetail = y;
    if (y <= b.yMin && y - 10 >= 0)
        b.yMin = static_cast<float>(y - 10);
}

HorizontalLayout horizontalLayout(int available, int visibleCount, int low, int high)
{
    HorizontalLayout h;
    if (visibleCount <= 0 || available <= 0) {
        h.namesPossible = h.spacing >= 8.0;
        return h;
    }
    low = std::clamp(low, 0, visibleCount - 1);
    high = std::clamp(high, low, visibleCount - 1);
    h.spacing = static_cast<double>(available) / (high - low + 1);
    h.scroll = low * h.spacing;
    h.namesPossible = h.spacing >= 8.0;
    return h;
}

std::vector<unsigned char> leavesInPlace(const CForest& forest, const std::vector<int>& inCluster, bool filterOut)
{
    std::vector<unsigned char> place(static_cast<size_t>(forest.m_nLeaves), 0);
    const bool useCut = filterOut && !forest.m_clusters.empty() && inCluster.size() == place.size();
    for (int p = 0; p < forest.m_nLeaves; ++p) {
        bool in = forest.leaf(p)->m_bShown != 0;
        if (in && useCut)
            in = inCluster[static_cast<size_t>(p)] != 0;
        place[static_cast<size_t>(p)] = in;
    }
    return place;
}

int countInPlace(const std::vector<unsigned char>& inPlace)
{
    int n = 0;
    for (unsigned char c : inPlace)
        n += c != 0;
    return n;
}

int leafAtX(double x, const HorizontalLayout& h, const std::vector<int>& slots)
{
    if (slots.empty() || h.spacing <= 0.0)
        return -1;
    const double slot = std::floor((x + h.scroll) / h.spacing);
    if (slot < 0 || slot >= static_cast<double>(slots.size()))
        return -1;
    return slots[static_cast<size_t>(slot)];
}
