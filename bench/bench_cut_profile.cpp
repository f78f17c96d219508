// The cut-quality profile (100 steps) against evaluating each step's cut by
// itself (cut, within/between evaluation, F-measure), side by side in one
// run. Generated co-expression data: groups of rows following a pattern of
// their own with noise, clustered by Pearson correlation, average linkage.
//
//   bench_cut_profile [--rows N] [--columns C] [--repeats R] [--old-steps M]
//                     [--old-repeats Q] [--small S]
//
// At the full size the one-cut-at-a-time way takes minutes per step, so it
// is timed on M steps spread over the range (default 2) and its time for
// all steps is that mean times the number of steps; at the small size
// (--small, default 2000 rows; 0 leaves it out) both ways run every step.
// The profile is timed R times (default 3), the other way in the first Q of
// them (default 1; 0 times the profile alone); each figure is the median
// with its range.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cluster/CutProfile.h"
#include "cluster/Evaluation.h"
#include "cluster/Forest.h"
#include "cluster/HierarchicalClustering.h"
#include "platform/Format.h"
#include "platform/Parallel.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct Data {
    int n = 0, length = 0;
    std::vector<float> values, weights;
    std::unique_ptr<CForest> forest;
};

// n rows in n / 100 groups; a row is its group's pattern times a random
// amplitude plus an offset and noise.
std::unique_ptr<Data> clusteredData(int n, int length, unsigned seed)
{
    auto d = std::make_unique<Data>();
    d->n = n;
    d->length = length;
    std::mt19937 rng(seed);
    std::normal_distribution<float> normal(0.0f, 1.0f);
    const int groups = std::max(2, n / 100);
    std::vector<float> patterns(static_cast<size_t>(groups) * length);
    for (float& v : patterns)
        v = normal(rng);
    d->values.resize(static_cast<size_t>(n) * length);
    d->weights.assign(d->values.size(), 1.0f);
    for (int i = 0; i < n; ++i) {
        const int g = static_cast<int>(rng() % static_cast<unsigned>(groups));
        const float amplitude = 0.5f + std::abs(normal(rng)), offset = 7.0f + normal(rng);
        for (int c = 0; c < length; ++c)
            d->values[static_cast<size_t>(i) * length + c] =
                offset + amplitude * patterns[static_cast<size_t>(g) * length + c] + 0.8f * normal(rng);
    }
    d->forest = std::make_unique<CForest>(2 * n - 1, length, n, true);
    for (int k = 0; k < n; ++k) {
        CNode* leaf = d->forest->m_pOrgNodes[static_cast<size_t>(k)];
        leaf->m_pValues = &d->values[static_cast<size_t>(k) * length];
        leaf->m_pWeights = &d->weights[static_cast<size_t>(k) * length];
    }
    d->forest->selectMeasure(kMeasurePearson);
    const auto t = Clock::now();
    if (!buildDendrogram(*d->forest, kLinkageAverage, kKeepRightChildSmall, true, false,
                         std::vector<float>(static_cast<size_t>(length), 1.0f)))
        std::abort();
    d->forest->applyOrder();
    std::printf("clustered %d x %d in %.1f s\n", n, length, secondsSince(t));
    return d;
}

std::string line(float s, const ClusterEvaluation& e)
{
    return strFormat("%4.3f\t%d\t", static_cast<double>(s), e.clusters) + evaluationText(e.within) + "\t" +
           evaluationText(e.between);
}

// One step the old way: cut, evaluate, F-measure.
ClusterEvaluation oneCut(CForest& f, float s)
{
    f.cut(s);
    ClusterEvaluation e = evaluateHierarchical(f, true, false);
    (void)fMeasure(f);
    return e;
}

struct Spread {
    double median, low, high;
};
Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// Times both ways; `oldSteps` empty = every step. Returns false when a
// line of the profile differs from its own cut's.
bool compare(Data& d, int steps, int repeats, int oldRepeats, const std::vector<int>& oldSteps)
{
    std::vector<double> profileTimes, oldTimes, ratios;
    int mismatches = 0;
    std::vector<int> ks = oldSteps;
    if (ks.empty())
        for (int k = 0; k <= steps; ++k)
            ks.push_back(k);
    for (int r = 0; r < repeats; ++r) {
        auto t = Clock::now();
        const auto profile = computeCutProfile(cutProfileInput(*d.forest, steps, true, false));
        const double profileTime = secondsSince(t);
        profileTimes.push_back(profileTime);
        if (r >= oldRepeats) {
            std::printf("  repeat %d: profile %.3f s\n", r + 1, profileTime);
            std::fflush(stdout);
            continue;
        }
        t = Clock::now();
        std::vector<ClusterEvaluation> old;
        for (int k : ks)
            old.push_back(oneCut(*d.forest, profileStepSimilarity(k, steps)));
        const double oldTime = secondsSince(t) / static_cast<double>(ks.size()) * (steps + 1);
        for (size_t i = 0; i < ks.size(); ++i) {
            const CutProfileStep& p = (*profile)[static_cast<size_t>(ks[i])];
            if (line(p.minSimilarity, p.evaluation) != line(profileStepSimilarity(ks[i], steps), old[i]))
                ++mismatches;
        }
        oldTimes.push_back(oldTime);
        ratios.push_back(oldTime / profileTime);
        std::printf("  repeat %d: profile %.3f s, one cut at a time %.1f s%s, ratio %.0f\n", r + 1, profileTime,
                    oldTime, oldSteps.empty() ? "" : " (estimated)", oldTime / profileTime);
        std::fflush(stdout);
    }
    const Spread p = spread(profileTimes);
    if (oldTimes.empty()) {
        std::printf("%d rows, %d steps (%d threads): profile %.3f s [%.3f .. %.3f]\n", d.n, steps, workerCount(),
                    p.median, p.low, p.high);
        return true;
    }
    const Spread o = spread(oldTimes), q = spread(ratios);
    std::printf("%d rows, %d steps (%d threads): profile %.3f s [%.3f .. %.3f], one cut at a time %.1f s [%.1f .. %.1f]%s\n"
                "  ratio %.0f [%.0f .. %.0f]; lines differing from their own cut: %d of %zu\n",
                d.n, steps, workerCount(), p.median, p.low, p.high, o.median, o.low, o.high,
                oldSteps.empty() ? "" : strFormat(" (from %zu of the steps)", oldSteps.size()).c_str(), q.median,
                q.low, q.high, mismatches, ks.size() * oldTimes.size());
    return mismatches == 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int rows = 20000, columns = 100, repeats = 3, oldStepCount = 2, oldRepeats = 1, small = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int v = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--rows"))
            rows = v;
        else if (!std::strcmp(argv[i], "--columns"))
            columns = v;
        else if (!std::strcmp(argv[i], "--repeats"))
            repeats = std::max(1, v);
        else if (!std::strcmp(argv[i], "--old-steps"))
            oldStepCount = std::max(1, v);
        else if (!std::strcmp(argv[i], "--old-repeats"))
            oldRepeats = std::max(0, v);
        else if (!std::strcmp(argv[i], "--small"))
            small = v;
    }
    const int steps = 100;
    bool ok = true;
    if (small > 1) {
        auto d = clusteredData(small, columns, 2);
        ok = compare(*d, steps, repeats, oldRepeats, {}) && ok;
    }
    auto d = clusteredData(rows, columns, 1);
    std::vector<int> spreadSteps;
    for (int i = 0; i < oldStepCount; ++i)
        spreadSteps.push_back(steps * (2 * i + 1) / (2 * oldStepCount));
    ok = compare(*d, steps, repeats, oldRepeats, spreadSteps) && ok;
    return ok ? 0 : 1;
}
