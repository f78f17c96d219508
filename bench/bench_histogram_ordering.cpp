// Histogram ordering on a 20000 x 128 table and on its transpose (128 x
// 20000: 20000 variables): each criterion's scoring run with its sort, and
// the cost of the bucket records at load measured side by side with the load
// as it is without them.
//
//   bench_histogram_ordering [benchmark options]
//   bench_histogram_ordering --digest   prints one hash per criterion and file
//       of the scores and the order; run it with ARBOLIX_THREADS=1 and without
//       to see that one core and all cores give the same results.
//   bench_histogram_ordering --load-ratio [PAIRS]   the load's cost of the
//       buckets as the median ratio of alternating pairs (default 40).
//
// The files are made by make_expression_file.py (1 % missing cells) in a
// temporary folder; the transpose is the same table turned.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"
#include "rank/HistogramOrdering.h"
#include "SidePairs.h"

namespace {

std::filesystem::path benchDir()
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "arbolix-bench-rank";
    std::filesystem::create_directories(dir);
    return dir;
}

// 0: 20000 x 128; 1: its transpose.
std::string benchFile(int which)
{
    const std::filesystem::path dir = benchDir();
    const std::string wide = (dir / "expression_20000x128.txt").string();
    const std::string turned = (dir / "expression_128x20000.txt").string();
    if (!std::filesystem::exists(wide)) {
        const std::string cmd = "/usr/bin/python3 " ARBOLIX_BENCH_DIR "/make_expression_file.py '" + wide +
                                "' 20000 128 1";
        if (std::system(cmd.c_str()) != 0)
            std::abort();
    }
    if (which == 1 && !std::filesystem::exists(turned)) {
        std::ifstream in(wide);
        std::vector<std::vector<std::string>> cells;
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> row;
            std::stringstream ss(line);
            std::string cell;
            while (std::getline(ss, cell, '\t'))
                row.push_back(cell);
            if (!line.empty() && line.back() == '\t')
                row.emplace_back();
            cells.push_back(std::move(row));
        }
        // Header row: ID, NAME, then the items' identifiers become columns.
        std::ofstream out(turned);
        out << "ID\tNAME";
        for (size_t r = 1; r < cells.size(); ++r)
            out << '\t' << cells[r][0];
        out << '\n';
        const size_t columns = cells[0].size();
        for (size_t c = 2; c < columns; ++c) {
            out << cells[0][c] << '\t' << cells[0][c];
            for (size_t r = 1; r < cells.size(); ++r)
                out << '\t' << (c < cells[r].size() ? cells[r][c] : std::string());
            out << '\n';
        }
    }
    return which == 1 ? turned : wide;
}

// The document's read as it is: load, statistics of both value sets.
void openData(DataMatrix& m, const std::string& path)
{
    if (!m.loadDataFile(path))
        std::abort();
    m.computeStatistics(false, true);
    m.computeStatistics(false, false);
}

void BM_Load(benchmark::State& state)
{
    const std::string path = benchFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DataMatrix m;
        openData(m, path);
        benchmark::DoNotOptimize(m.m_pStatNorPool.get());
    }
}

void BM_LoadWithBuckets(benchmark::State& state)
{
    const std::string path = benchFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DataMatrix m;
        openData(m, path);
        HistogramOrdering o;
        o.build(&m, false);
        benchmark::DoNotOptimize(o.records().data());
    }
}

// Load and load with buckets alternate, so that both see the same machine.
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_LoadWithBuckets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3.0);

struct Loaded {
    DataMatrix m;
    HistogramOrdering o;
    explicit Loaded(int which)
    {
        openData(m, benchFile(which));
        o.build(&m, false);
    }
};

Loaded& loaded(int which)
{
    static Loaded wide(0);
    if (which == 0)
        return wide;
    static Loaded turned(1);
    return turned;
}

void BM_BuildBuckets(benchmark::State& state)
{
    Loaded& l = loaded(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        HistogramOrdering o;
        o.build(&l.m, false);
        benchmark::DoNotOptimize(o.records().data());
    }
}
BENCHMARK(BM_BuildBuckets)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// range(0): file, range(1): criterion.
void BM_Score(benchmark::State& state)
{
    Loaded& l = loaded(static_cast<int>(state.range(0)));
    const int criterion = static_cast<int>(state.range(1));
    for (auto _ : state) {
        l.o.score(criterion, false);
        benchmark::DoNotOptimize(l.o.order().data());
    }
    state.SetLabel(histogramCriterionName(criterion));
}
BENCHMARK(BM_Score)->ArgsProduct({{0, 1}, {1, 2, 3, 4, 5}})->Unit(benchmark::kMillisecond);

int digest()
{
    for (int which = 0; which < 2; ++which) {
        Loaded& l = loaded(which);
        for (int c = 1; c < kHistogramCriteria; ++c) {
            l.o.score(c, false);
            uint64_t h = 1469598103934665603ull;
            auto mix = [&h](const void* p, size_t n) {
                const unsigned char* b = static_cast<const unsigned char*>(p);
                for (size_t i = 0; i < n; ++i)
                    h = (h ^ b[i]) * 1099511628211ull;
            };
            for (int r = 0; r < l.o.rowCount(); ++r) {
                const HistogramRecord& rec = l.o.record(l.o.columnAt(r));
                mix(&rec.m_nColumn, sizeof rec.m_nColumn);
                mix(&rec.m_dScore, sizeof rec.m_dScore);
                mix(rec.m_details.data(), rec.m_details.size() * sizeof(double));
            }
            std::printf("%s %d %016llx\n", which ? "128x20000" : "20000x128", c, static_cast<unsigned long long>(h));
        }
    }
    return 0;
}

// Load and load with buckets in alternating pairs, the order inside a pair
// flipped each time; prints the median of the per-pair ratios, which a busy
// machine disturbs far less than two separate timings.
int loadRatio(int pairs)
{
    for (int which = 0; which < 2; ++which) {
        const std::string path = benchFile(which);
        auto plain = [&] {
            DataMatrix m;
            openData(m, path);
            benchmark::DoNotOptimize(m.m_pStatNorPool.get());
        };
        auto withBuckets = [&] {
            DataMatrix m;
            openData(m, path);
            HistogramOrdering o;
            o.build(&m, false);
            benchmark::DoNotOptimize(o.records().data());
        };
        const SidePairs t = timeSidePairs(pairs, plain, withBuckets);
        std::printf("%s load %.1f ms, with buckets %.1f ms (medians); ratio median %.3f, quartiles %.3f..%.3f, %d "
                    "pairs\n",
                    which ? "128x20000" : "20000x128", t.medianA(), t.medianB(), t.medianRatio(),
                    t.lowerQuartile(), t.upperQuartile(), pairs);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    SilentMessages silent;
    setMessages(&silent);
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--digest"))
            return digest();
        else if (!std::strcmp(argv[i], "--load-ratio"))
            return loadRatio(i + 1 < argc ? std::max(2, std::atoi(argv[i + 1])) : 40);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
