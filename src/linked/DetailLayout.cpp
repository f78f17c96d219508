#include "linked/DetailLayout.h"

#include <algorithm>
#include <cmath>

DetailLayout detailLayout(int width, int height, float fraction)
{
    DetailLayout l;
    const int W = width, H = height;
    const int t = static_cast<int>(std::lround(static_cast<double>(H) * static_cast<double>(fraction) - 5.0));
    const int s = std::max(0, std::min(t - 6, 20));
    const int s2 = t < 26 ? s : 20;
    auto rect = [](int left, int top, int w, int h) { return PanelRect{left, top, std::max(w, 0), std::max(h, 0)}; };
    l.saveButton = rect(3, 3, s, s);
    l.selectionCaption = rect(s + 6, 3, W - s - 9, s);
    l.selectionList = rect(3, s + 6, W - 6, t - s - 9);
    l.bar = rect(0, t, W, DetailLayout::kBarHeight);
    l.detailCaption = rect(3, t + 13, W - 6, s2);
    l.detailList = rect(3, t + 16 + s2, W - 6, H - s2 - t - 19);
    const int left = 0, right = W, top = t, bottom = t + DetailLayout::kBarHeight;
    const int lt[6] = {left + 10, top + 3, left + 17, bottom - 3, left + 3, bottom - 3};
    const int rt[6] = {right - 17, top + 3, right - 10, bottom - 3, right - 3, top + 3};
    std::copy(lt, lt + 6, l.leftTriangle);
    std::copy(rt, rt + 6, l.rightTriangle);
    return l;
}

BarHit barHitTest(const DetailLayout& l, int x, int y)
{
    if (y < l.bar.top || y >= l.bar.bottom())
        return BarHit::None;
    if (x >= l.bar.left + 3 && x <= l.bar.left + 17)
        return BarHit::LeftSquare;
    if (x >= l.bar.right() - 17 && x <= l.bar.right() - 3)
        return BarHit::RightSquare;
    return x >= l.bar.left && x < l.bar.right() ? BarHit::Bar : BarHit::None;
}

float dragFraction(int y, int height)
{
    if (height <= 0)
        return 0.0f;
    return static_cast<float>(std::clamp(y, 0, height)) / static_cast<float>(height);
}
