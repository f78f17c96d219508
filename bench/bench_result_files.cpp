// Clustering result files and the measures over a clustered document:
// export, import, k-means and the within/between evaluation.
//
//   bench_result_files [--benchmark_filter=...]   (ARBOLIX_BENCH_FILE: a data
//   file; by default the bundled sample, run from the source folder)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/CArxDoc.h"
#include "cluster/Evaluation.h"
#include "cluster/KMeans.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {
std::string benchFile()
{
    const char* f = std::getenv("ARBOLIX_BENCH_FILE");
    return f ? f : "data/samples/all_leukemia_top2000.txt";
}

std::string scratch()
{
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / "arbolix-bench-results";
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

// A document with the file clustered both ways and cut at 0.6.
CArxDoc& clusteredDocument()
{
    static SilentMessages quiet;
    setMessages(&quiet);
    static CArxDoc doc;
    if (!doc.m_bDataLoaded) {
        if (!doc.readDataFile(benchFile(), false, -1, -1, 0.0f, 1.0f, false))
            std::abort();
        CClusteringParameters params;
        for (int p = 0; p < doc.m_pColForest->m_nLeaves; ++p)
            params.m_columns.push_back({doc.m_pColForest->leaf(p)->m_strName, true});
        if (!doc.hierarchicalClustering(params))
            std::abort();
        doc.m_pRowForest->cut(0.6f);
        doc.m_pColForest->cut(0.6f);
    }
    return doc;
}

void BM_ExportResult(benchmark::State& state)
{
    CArxDoc& doc = clusteredDocument();
    for (auto _ : state)
        if (!doc.exportResult(scratch(), "bench", true))
            state.SkipWithError("export failed");
}
BENCHMARK(BM_ExportResult)->Unit(benchmark::kMillisecond);

void BM_ImportResult(benchmark::State& state)
{
    CArxDoc& doc = clusteredDocument();
    if (!doc.exportResult(scratch(), "bench", true))
        std::abort();
    for (auto _ : state) {
        CArxDoc imported;
        if (!imported.importResult(scratch() + "/bench.dat"))
            state.SkipWithError("import failed");
    }
}
BENCHMARK(BM_ImportResult)->Unit(benchmark::kMillisecond);

void BM_KMeansRows(benchmark::State& state)
{
    CArxDoc& doc = clusteredDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(runKMeans(*doc.m_pRowForest, static_cast<int>(state.range(0)), false, 2000, 7u));
}
BENCHMARK(BM_KMeansRows)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_EvaluateRowCut(benchmark::State& state)
{
    CArxDoc& doc = clusteredDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluateHierarchical(*doc.m_pRowForest, true, false));
}
BENCHMARK(BM_EvaluateRowCut)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
