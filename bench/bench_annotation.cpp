// Attaching an annotation file: loadAnnotation (read, identifier map,
// matching) of a vendor-like annotation against an ALL-sized data set.
//
//   bench_annotation (with ARBOLIX_BENCH_DATA and ARBOLIX_BENCH_ANNOTATION set,
//   files made by bench/make_annotation_files.py; compare_annotation_pandas.py runs it)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {
std::string envOr(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

void BM_LoadAnnotation(benchmark::State& state)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    DataMatrix data;
    if (!data.loadDataFile(envOr("ARBOLIX_BENCH_DATA", "/tmp/arbolix-bench-table/all_12625x128.txt"))) {
        state.SkipWithError("cannot load the data file");
        return;
    }
    const std::string path = envOr("ARBOLIX_BENCH_ANNOTATION", "/tmp/arbolix-bench-table/annotation_40.csv");
    int matched = 0;
    for (auto _ : state) {
        Annotation a;
        if (!loadAnnotation(path, data, a))
            state.SkipWithError("no match");
        matched = a.matchedItems();
        benchmark::DoNotOptimize(matched);
    }
    state.counters["matched"] = matched;
}
BENCHMARK(BM_LoadAnnotation)->Unit(benchmark::kMillisecond)->MinTime(1.0);
} // namespace

BENCHMARK_MAIN();
