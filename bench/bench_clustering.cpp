// Clustering speed.
//
// Without arguments (or with Google Benchmark's own flags): the distance
// phase and whole runs over random in-memory profiles of 100 columns.
//
// With --single FILE MEASURE LINKAGE [THREADS] [OPTIONS]: one end-to-end run
// over a data file, as bench/compare_fastcluster.py and
// bench/compare_missing_cells.py drive it: the file is loaded with its
// statistics and the document's forest pair is made (untimed, as the program
// does on opening a file), then the rows are clustered (the columns with
// --columns; --uncentered and --absolute set Pearson's flags, --pvalues
// gives the present cells seeded random weights and uses them); prints
// one JSON line with the seconds, the resident memory after loading the
// matrix, after making the forests and at the peak of the clustering (the
// peak counter is reset before it), and the time at which each phase began.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "cluster/ClusterPartition.h"
#include "cluster/CondensedMatrix.h"
#include "cluster/HierarchicalClustering.h"
#include "cluster/PairwiseDistances.h"
#include "data/DataMatrix.h"
#include "platform/Progress.h"

namespace {

constexpr int kColumns = 100;

// Normal values; each cell missing with probability `missing`.
struct RandomProfiles {
    std::vector<float> values, weights;
    explicit RandomProfiles(int n, double missing = 0.0)
    {
        std::mt19937 rng(42);
        std::normal_distribution<float> normal;
        std::uniform_real_distribution<double> coin(0.0, 1.0);
        values.resize(static_cast<size_t>(n) * kColumns);
        weights.assign(values.size(), 1.0f);
        for (size_t k = 0; k < values.size(); ++k) {
            values[k] = normal(rng);
            if (coin(rng) < missing)
                weights[k] = -1.0f;
        }
    }
};

std::unique_ptr<CForest> forestOver(RandomProfiles& p, int n, int measure)
{
    auto f = std::make_unique<CForest>(2 * n - 1, kColumns, n, true);
    for (int k = 0; k < n; ++k) {
        f->m_pOrgNodes[static_cast<size_t>(k)]->m_pValues = p.values.data() + static_cast<size_t>(k) * kColumns;
        f->m_pOrgNodes[static_cast<size_t>(k)]->m_pWeights = p.weights.data() + static_cast<size_t>(k) * kColumns;
    }
    f->selectMeasure(measure);
    f->setNormalisers(kColumns * 8.0, std::sqrt(kColumns * 64.0));
    return f;
}

// Arguments: rows, measure, percent of missing cells.
void BM_PairwiseDistances(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int measure = static_cast<int>(state.range(1));
    RandomProfiles p(n, static_cast<double>(state.range(2)) / 100.0);
    std::vector<float> columnWeights(kColumns, 1.0f);
    PairwiseInput in;
    in.measure = measure;
    in.params.columnWeights = columnWeights.data();
    in.params.n = kColumns;
    in.params.euclideanNormaliser = std::sqrt(kColumns * 64.0);
    in.params.manhattanNormaliser = kColumns * 8.0;
    for (int k = 0; k < n; ++k) {
        in.values.push_back(p.values.data() + static_cast<size_t>(k) * kColumns);
        in.weights.push_back(p.weights.data() + static_cast<size_t>(k) * kColumns);
        in.enabled.push_back(1);
    }
    auto matrix = CondensedMatrix::allocate(n);
    for (auto _ : state)
        computePairwiseDistances(in, *matrix, progress());
    state.counters["pairs/s"] =
        benchmark::Counter(static_cast<double>(n) * (n - 1) / 2, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PairwiseDistances)
    ->ArgsProduct({{2000, 5000}, {kMeasurePearson, kMeasureEuclidean, kMeasureManhattan}, {0, 1, 10}})
    ->Unit(benchmark::kMillisecond);

void BM_BuildDendrogram(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int measure = static_cast<int>(state.range(1));
    const int linkage = static_cast<int>(state.range(2));
    RandomProfiles p(n);
    for (auto _ : state) {
        auto f = forestOver(p, n, measure);
        benchmark::DoNotOptimize(
            buildDendrogram(*f, linkage, kKeepRightChildRedder, true, false, std::vector<float>(kColumns, 1.0f)));
    }
}
BENCHMARK(BM_BuildDendrogram)
    ->ArgsProduct({{2000, 5000},
                   {kMeasurePearson, kMeasureEuclidean},
                   {kLinkageAverage, kLinkageComplete, kLinkageSingle, kLinkageOneByOne}})
    ->Unit(benchmark::kMillisecond);

long long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const size_t len = std::strlen(key);
    while (std::getline(in, line))
        if (line.compare(0, len, key) == 0)
            return std::atoll(line.c_str() + len + 1);
    return -1;
}

// Progress that notes when each phase text appears, for the phase split.
class PhaseClock final : public IProgress {
public:
    bool open(const std::string&) override { return true; }
    void setMessage(const std::string& text) override
    {
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        m_phases += (m_phases.empty() ? "" : ", ") + std::string("\"") + text.substr(0, 40) + "\": " + std::to_string(t);
    }
    void setRange(long long, long long) override {}
    void setStep(int) override {}
    long long setPosition(long long) override { return 0; }
    void pump() override {}
    bool cancelled() const override { return false; }
    void close() override {}
    void start() { m_start = std::chrono::steady_clock::now(); }
    std::string m_phases;

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

int single(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s --single FILE MEASURE LINKAGE [THREADS] [--columns] [--uncentered] [--absolute] "
                     "[--pvalues]\n",
                     argv[0]);
        return 2;
    }
    ClusteringOptions o;
    o.measure = std::atoi(argv[3]);
    o.linkage = std::atoi(argv[4]);
    o.clusterColumns = false;
    for (int a = 5; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--columns") {
            o.clusterColumns = true;
            o.clusterRows = false;
        } else if (arg == "--uncentered") {
            o.centered = false;
        } else if (arg == "--absolute") {
            o.absolute = true;
        } else if (arg == "--pvalues") {
            o.pValueWeights = true;
        } else {
            setClusteringThreads(std::atoi(arg.c_str()));
        }
    }
    DataMatrix data;
    if (!data.loadDataFile(argv[2]))
        return 1;
    if (o.pValueWeights) {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> weight(0.05f, 1.0f);
        for (int r = 0; r < data.m_nRows; ++r)
            for (int k = 0; k < data.m_nColumns; ++k)
                if (data.rowWeights(r)[k] != -1.0f)
                    data.rowWeights(r)[k] = weight(rng);
    }
    data.computeStatistics(false, true);
    data.computeStatistics(false, false);
    // The document makes its forest pair when the data are loaded.
    const auto forestsStart = std::chrono::steady_clock::now();
    const long long matrixKb = statusKb("VmRSS:");
    std::unique_ptr<CForest> rows, columns;
    if (!makeForestPair(data, rows, columns))
        return 1;
    const double forestSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - forestsStart).count();
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak counter
    const long long baseKb = statusKb("VmRSS:");
    PhaseClock clock;
    setProgress(&clock);
    clock.start();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = clusterPartition(*rows, *columns, o);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long long peakKb = statusKb("VmHWM:");
    setProgress(nullptr);
    std::printf("{\"ok\": %s, \"n\": %d, \"seconds\": %.3f, \"forest_seconds\": %.3f, \"matrix_rss\": %lld, "
                "\"base_rss\": %lld, \"peak_rss\": %lld, \"phases\": {%s}}\n",
                ok ? "true" : "false", data.m_nRows, seconds, forestSeconds, matrixKb * 1024, baseKb * 1024,
                peakKb * 1024, clock.m_phases.c_str());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--single") == 0)
        return single(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
