#pragma once
// Two ways of doing the same work timed side by side in alternating pairs,
// the order inside a pair swapped each time, so that a busy machine disturbs
// their ratio little.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// The milliseconds one call of fn takes.
inline double timeOf(const std::function<void()>& fn)
{
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : 0.5 * (v[v.size() / 2 - 1] + v[v.size() / 2]);
}

inline double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))];
}

// The times of each side and the per-pair ratios b / a.
struct SidePairs {
    std::vector<double> a, b, ratio;
    double medianA() const { return median(a); }
    double medianB() const { return median(b); }
    double medianRatio() const { return median(ratio); }
    double lowerQuartile() const { return quantile(ratio, 0.25); }
    double upperQuartile() const { return quantile(ratio, 0.75); }
};

// Runs `a` and `b` once each untimed, then `count` timed pairs. `before`
// runs untimed ahead of each call, told which side comes (true: b).
inline SidePairs timeSidePairs(int count, const std::function<void()>& a, const std::function<void()>& b,
                               const std::function<void(bool)>& before = {})
{
    auto timed = [&](bool second) {
        if (before)
            before(second);
        return timeOf(second ? b : a);
    };
    timed(false);
    timed(true);
    SidePairs out;
    for (int i = 0; i < count; ++i) {
        double x, y;
        if (i % 2) {
            y = timed(true);
            x = timed(false);
        } else {
            x = timed(false);
            y = timed(true);
        }
        out.a.push_back(x);
        out.b.push_back(y);
        out.ratio.push_back(y / x);
    }
    return out;
}
