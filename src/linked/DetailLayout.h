#pragma once
// Where the detail panel's controls and its splitter bar go for a client
// area of W x H pixels and the bar at a fraction of the height, and what
// the mouse hits on the bar.
struct PanelRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool contains(int x, int y) const { return x >= left && x < right() && y >= top && y < bottom(); }
};

struct DetailLayout {
    static constexpr int kBarHeight = 10;
    PanelRect saveButton, selectionCaption, selectionList, bar, detailCaption, detailList;
    // The triangles at the bar's ends, three points each (x, y).
    int leftTriangle[6] = {};
    int rightTriangle[6] = {};
};

// The bar's top edge is t = H x fraction - 5, rounded; s = min(t - 6, 20);
// the detail caption's height s2 is 20, or s when the bar is closer than
// 26 pixels to the top. Sizes never go below 0.
DetailLayout detailLayout(int width, int height, float fraction);

enum class BarHit { None, LeftSquare, RightSquare, Bar };
// What (x, y) hits: the square of the left triangle (x from 3 to 17 over
// the bar's height), of the right one (W - 17 to W - 3), the rest of the
// bar, or nothing.
BarHit barHitTest(const DetailLayout& layout, int x, int y);

// The fraction a drag to y gives: y / H with y clamped to 0..H.
float dragFraction(int y, int height);
