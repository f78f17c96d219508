// Loading benchmarks: loadDataFile alone and the whole open of a data file
// (load, both statistics sets, logarithm).
//
//   bench_load --benchmark_filter=... (with ARBOLIX_BENCH_FILE set to a data file)
//   bench_load --peak-memory FILE [open]   prints the peak resident size after one load
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {
std::string benchFile()
{
    const char* f = std::getenv("ARBOLIX_BENCH_FILE");
    return f ? f : "/tmp/bench/expr_20000x100.txt";
}

void openDocument(DataMatrix& m, const std::string& path)
{
    if (!m.loadDataFile(path))
        std::abort();
    m.computeStatistics(false, true);
    m.takeLog(1);
    m.computeStatistics(false, false);
}

void BM_LoadDataFile(benchmark::State& state)
{
    std::string path = benchFile();
    for (auto _ : state) {
        DataMatrix m;
        if (!m.loadDataFile(path))
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(m.m_pRowExpLevelPool.get());
    }
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_OpenDocument(benchmark::State& state)
{
    std::string path = benchFile();
    for (auto _ : state) {
        DataMatrix m;
        openDocument(m, path);
        benchmark::DoNotOptimize(m.m_pStatNorPool.get());
    }
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Statistics(benchmark::State& state)
{
    DataMatrix m;
    if (!m.loadDataFile(benchFile()))
        std::abort();
    for (auto _ : state)
        m.computeStatistics(false, true);
}
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    SilentMessages quiet;
    setMessages(&quiet);
    if (argc >= 3 && !std::strcmp(argv[1], "--peak-memory")) {
        DataMatrix m;
        if (argc >= 4 && !std::strcmp(argv[3], "open"))
            openDocument(m, argv[2]);
        else if (!m.loadDataFile(argv[2]))
            return 1;
        // VmHWM belongs to this program's own address space; getrusage's
        // maximum would include the parent's size when started by fork/exec.
        long peakKb = -1;
        if (FILE* f = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, f))
                if (std::sscanf(line, "VmHWM: %ld kB", &peakKb) == 1)
                    break;
            std::fclose(f);
        }
        std::printf("%ld\n", peakKb);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
