#pragma once
// The overview's layout arithmetic: the vertical layout (mosaic height, cell
// height, leaf line), the similarity <-> y rule, the grab zones of the two
// bars and their pushing rules, and the horizontal layout of the leaves.
// Plain functions, so that the rules can be checked without a window.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

class CForest;

inline constexpr int kMarkerStripHeight = 5;
inline constexpr int kMosaicGap = 3;

// y(s) = yLeaf - (1 - s) zoom yLeaf
double yOfSimilarity(double s, int yLeaf, double zoom);
// s(y) = 1 + (y - yLeaf) / (yLeaf zoom)
double similarityOfY(double y, int yLeaf, double zoom);

struct VerticalLayout {
    int mosaicHeight = 0;  // M = cellHeight x rows (0 when no mosaic)
    int cellHeight = 0;    // 0: no mosaic
    int yLeaf = 1;
};

// Slider position p of range 0..max; rows = elements of the other direction.
VerticalLayout verticalLayout(int clientHeight, int rows, int sliderPos, int sliderMax, bool compareMode);

// Top of the marker strip: directly under the mosaic when the gap does not
// apply, kMosaicGap pixels lower otherwise.
int markerStripTop(const VerticalLayout& v, bool withGap);

// The two bars and their grab zones.
struct BarPositions {
    float yMin = 0.0f;  // minimum-similarity bar
    int yDetail = 0;    // detail bar
};
bool inMinSimZone(int y, const BarPositions& b);
bool inDetailZone(int y, const BarPositions& b);
// Dragging the minimum-similarity bar to y (kept within 5..yLeaf); a detail
// bar at or above the new position is pushed 10 pixels below it when there
// is room.
void dragMinSimBar(BarPositions& b, int y, int yLeaf);
// Dragging the detail bar to y (kept within 5..yLeaf); a minimum-similarity
// bar at or below it is pushed 10 pixels above it when that stays on screen.
void dragDetailBar(BarPositions& b, int y, int yLeaf);

// Horizontal layout of the visible leaves [low, high] picked by the zoom
// slider over `available` pixels.
struct HorizontalLayout {
    double spacing = 4.0;
    double scroll = 0.0;
    bool namesPossible = false;  // spacing of at least 8 pixels
};
HorizontalLayout horizontalLayout(int available, int visibleCount, int low, int high);

// A leaf takes a place unless hidden, or (filter-out mode) alone at the cut.
// `inCluster` is the cluster number of every position (0 = none, see
// CForest::clusterNumbers); an empty vector or an uncut forest puts every
// shown leaf in place.
std::vector<unsigned char> leavesInPlace(const CForest& forest, const std::vector<int>& inCluster, bool filterOut);
int countInPlace(const std::vector<unsigned char>& inPlace);

// Mosaic column of a pointer x: the display position of the leaf whose slot
// contains x, or -1. `slots` holds the display positions of the leaves in
// place, left to right.
int leafAtX(double x, const HorizontalLayout& h, const std::vector<int>& slots);

// The pixel columns [x0, x1) of every leaf in place, slot by slot, as the
// mosaic and the strips under it fill them: slot k spans k x spacing -
// scroll to one spacing further; a pixel column narrower leaves share shows
// the first leaf that falls into it; nothing left of minX or from width on.
// Calls fn(slot, x0, x1) for each slot that gets pixels.
template <typename Fn>
void forEachLeafSpan(size_t count, double spacing, double scroll, int minX, int width, Fn&& fn)
{
    int lastPixel = -1;
    for (size_t slot = 0; slot < count; ++slot) {
        const double left = static_cast<double>(slot) * spacing - scroll;
        if (left >= width)
            break;
        const double right = left + spacing;
        if (right <= 0)
            continue;
        int x0 = static_cast<int>(std::floor(left)), x1 = static_cast<int>(std::floor(right));
        if (x1 <= x0) {
            if (x0 == lastPixel)
                continue;
            x1 = x0 + 1;
        }
        x0 = std::max({x0, lastPixel + 1, minX, 0});
        x1 = std::min(x1, width);
        if (x1 <= x0)
            continue;
        lastPixel = x1 - 1;
        fn(slot, x0, x1);
    }
}
