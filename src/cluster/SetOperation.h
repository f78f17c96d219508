#pragma once
// Combining an imported list of items with the current selection.
#include <vector>

// "Set operation with current selection" of Import an Items List, in the
// order of its list.
enum SetOperation {
    kSetIntersection = 0,
    kSetUnion = 1,
    kSetDifference = 2,  // the current selection minus the imported items
    kSetNew = 3,
};

// Both inputs are row indices in any order (duplicates allowed); the result
// is sorted and without duplicates. An unknown operation keeps the
// selection.
std::vector<int> applySetOperation(const std::vector<int>& selection, const std::vector<int>& imported,
                                   int operation);
