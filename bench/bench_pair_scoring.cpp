// Scoring every pair of variables for the scatterplot ordering: each
// criterion on the bundled sample (2000 items x 128 variables, 8128 pairs)
// on one core and on all cores, the list's sorting, and criteria 0-3 and 7
// on 20000 items x 128 variables of generated data. The limits: criteria
// 0-4, 6 and 7 at most 1 s and the outlier criterion at most 4 s on the
// sample; the list under 0.2 s; 5 s for the large criteria. The outlier
// criterion is also timed beside the Delaunay-graph search it replaced.
//
//   bench_pair_scoring [--benchmark_filter=...]   (run from the source folder,
//   or with ARBOLIX_BENCH_FILE naming a data file)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"
#include "rank/PairScoring.h"
#include "../tests/support/DelaunaySearch.h"

namespace {

const PairColumns& sampleColumns()
{
    static const PairColumns columns = [] {
        static SilentMessages quiet;
        setMessages(&quiet);
        const char* f = std::getenv("ARBOLIX_BENCH_FILE");
        DataMatrix data;
        if (!data.loadDataFile(f ? f : "data/samples/all_leukemia_top2000.txt"))
            std::abort();
        data.computeStatistics(false, true);
        data.computeStatistics(false, false);
        return PairColumns::from(data, false);
    }();
    return columns;
}

// 20000 items x 128 variables: correlated normal values with a few missing cells.
const PairColumns& largeColumns()
{
    static const PairColumns columns = [] {
        const int rows = 20000;
        PairColumns c(rows);
        std::mt19937 rng(7);
        std::normal_distribution<float> normal(8.0f, 1.5f);
        std::vector<float> base(static_cast<size_t>(rows));
        for (float& v : base)
            v = normal(rng);
        std::vector<float> values(static_cast<size_t>(rows));
        std::vector<uint8_t> missing(static_cast<size_t>(rows));
        for (int k = 0; k < 128; ++k) {
            for (int r = 0; r < rows; ++r) {
                missing[static_cast<size_t>(r)] = (r * 131 + k * 17) % 997 == 0;
                values[static_cast<size_t>(r)] =
                    missing[static_cast<size_t>(r)] ? 0.0f : 0.6f * base[static_cast<size_t>(r)] + 0.4f * normal(rng);
            }
            c.addColumn("V" + std::to_string(k), values, missing);
        }
        return c;
    }();
    return columns;
}

PairSettings benchSettings()
{
    PairSettings s;
    s.m_roi = RoiRegion::ellipse({60, 40}, {360, 280});
    return s;
}

// The outlier criterion beside the search it replaced: every pair of the
// sample on one core, scored by the criterion (positions, neighbours on the
// bucket grid, factors, threshold) and, alternately in the same rounds, the
// positions and neighbours by the best-first search over the Delaunay graph
// alone (without the factors that follow, so the ratio errs low). Counters:
// the criterion's seconds and the ratio reference / criterion per round as
// median, minimum and maximum.
void BM_SampleOutliersBesideDelaunaySearch(benchmark::State& state)
{
    const PairColumns& c = sampleColumns();
    const PairSettings s = benchSettings();
    const int rounds = static_cast<int>(state.range(0));
    std::vector<double> ratios, seconds;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            PairScorer scorer(c, s);
            PairScore record;
            std::vector<PixelPoint> distinct;
            std::vector<int> positionOfPoint;
            size_t found = 0;
            const auto t0 = std::chrono::steady_clock::now();
            for (int x = 1; x < c.m_nColumns; ++x)
                for (int y = 0; y < x; ++y)
                    scorer.score(kPairOutliers, x, y, record);
            const auto t1 = std::chrono::steady_clock::now();
            for (int x = 1; x < c.m_nColumns; ++x)
                for (int y = 0; y < x; ++y) {
                    distinctPositions(scorer.positions(x, y), distinct, positionOfPoint);
                    found += delaunaySearchNeighbours(distinct, LofWorkspace::kNeighbours).size();
                }
            const auto t2 = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(found);
            const double ours = std::chrono::duration<double>(t1 - t0).count();
            seconds.push_back(ours);
            ratios.push_back(std::chrono::duration<double>(t2 - t1).count() / ours);
        }
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(seconds.begin(), seconds.end());
    state.counters["s median"] = seconds[seconds.size() / 2];
    state.counters["ratio median"] = ratios[ratios.size() / 2];
    state.counters["ratio min"] = ratios.front();
    state.counters["ratio max"] = ratios.back();
}
BENCHMARK(BM_SampleOutliersBesideDelaunaySearch)->Arg(5)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// Arguments: criterion, threads (1 one core, 0 all cores).
void BM_SampleCriterion(benchmark::State& state)
{
    const PairColumns& c = sampleColumns();
    const PairSettings s = benchSettings();
    for (auto _ : state) {
        PairTable t = scoreAllPairs(static_cast<int>(state.range(0)), c, s, static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(t.m_pairs.data());
    }
}
BENCHMARK(BM_SampleCriterion)
    ->ArgsProduct({{0, 1, 2, 3, 4, 6, 7}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SampleCriterion)->Args({5, 1})->Args({5, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_LargeCriterion(benchmark::State& state)
{
    const PairColumns& c = largeColumns();
    const PairSettings s = benchSettings();
    for (auto _ : state) {
        PairTable t = scoreAllPairs(static_cast<int>(state.range(0)), c, s, static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(t.m_pairs.data());
    }
}
BENCHMARK(BM_LargeCriterion)
    ->ArgsProduct({{0, 1, 2, 3, 7}, {0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The list: sorting the scored pairs and rebuilding the pair-to-row map.
void BM_SortList(benchmark::State& state)
{
    const PairTable scored = scoreAllPairs(kPairCorrelation, sampleColumns(), benchSettings());
    for (auto _ : state) {
        PairTable t = scored;
        sortByScore(t);
        benchmark::DoNotOptimize(t.m_order.data());
    }
}
BENCHMARK(BM_SortList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
