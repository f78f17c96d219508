#pragma once
// Records the hints the document sends to the other views.
#include <algorithm>
#include <vector>

#include "app/UpdateHints.h"

struct HintLog final : CDocObserver {
    std::vector<int> hints;
    void onUpdate(CDocObserver*, int hint) override { hints.push_back(hint); }
    bool has(int h) const { return std::find(hints.begin(), hints.end(), h) != hints.end(); }
};
