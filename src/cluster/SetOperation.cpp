#include "cluster/SetOperation.h"

#include <algorithm>
#include <iterator>

namespace {
std::vector<int> sortedSet(std::vector<int> v)
{
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}
} // namespace

std::vector<int> applySetOperation(const std::vector<int>& selection, const std::vector<int>& imported, int operation)
{
    const std::vector<int> a = sortedSet(selection), b = sortedSet(imported);
    std::vector<int> out;
    switch (operation) {
    case kSetIntersection:
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
        return out;
    case kSetUnion:
        std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
        return out;
    case kSetDifference:
        std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
        return out;
    case kSetNew:
        return b;
    default:
        return a;
    }
}
