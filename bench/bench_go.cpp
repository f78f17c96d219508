// Gene Ontology benchmarks on the shipped snapshot and the sample's
// annotation:
// - loading the ontology (43558 terms) from OBO and from the flat files,
//   beside the bare decompression of the same files (the floor any reader
//   pays);
// - attaching GO identifiers for 12625 annotated items (the sample's 2000
//   annotation texts repeated) and building the index with its counts;
// - enrichment of a cut into 50 clusters of those 12625 items.
//
//   bench_go [--benchmark_filter=...]   (ARBOLIX_SAMPLES_DIR: the folder of the shipped files)
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/GoAnnotation.h"
#include "linked/GoEnrichment.h"
#include "linked/GoFiles.h"
#include "platform/Messages.h"
#include "platform/Progress.h"
#include "platform/SilentMessages.h"

namespace {

std::string samples()
{
    const char* d = std::getenv("ARBOLIX_SAMPLES_DIR");
    return d ? d : "data/samples";
}

constexpr int kItems = 12625;
constexpr int kClusters = 50;

// The sample's three GO columns per item, repeated up to kItems items.
const std::vector<std::string>& annotationTexts()
{
    static const std::vector<std::string> texts = [] {
        DataMatrix data;
        Annotation annotation;
        if (!data.loadDataFile(samples() + "/all_leukemia_top2000.txt") ||
            !loadAnnotation(samples() + "/all_leukemia_top2000_annotation.csv", data, annotation))
            std::abort();
        std::vector<int> columns;
        for (const std::string& k : goAnnotationKeywords())
            columns.push_back(annotation.findColumn(k));
        std::vector<std::string> out;
        for (int i = 0; i < kItems; ++i) {
            const int line = annotation.lineOfRow(i % data.rowCount());
            std::string t;
            for (int c : columns)
                t += std::string(annotation.cell(line, c)) + "//";
            out.push_back(t);
        }
        return out;
    }();
    return texts;
}

std::shared_ptr<GoOntology> ontology()
{
    static std::shared_ptr<GoOntology> o = [] {
        auto p = std::make_shared<GoOntology>();
        if (!loadOntology(samples() + "/go-basic.obo.gz", *p, progress()).ok)
            std::abort();
        return p;
    }();
    return o;
}

// The reference: decompressing the files without reading them.
long long inflateFiles(const std::vector<std::string>& paths)
{
    static std::vector<char> buffer(1 << 17);
    long long total = 0;
    for (const std::string& path : paths) {
        gzFile f = gzopen(path.c_str(), "rb");
        for (int n; (n = gzread(f, buffer.data(), static_cast<unsigned>(buffer.size()))) > 0;)
            total += n;
        gzclose(f);
    }
    return total;
}

void BM_InflateOboFile(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(inflateFiles({samples() + "/go-basic.obo.gz"}));
}
BENCHMARK(BM_InflateOboFile)->Unit(benchmark::kMillisecond);

void BM_LoadObo(benchmark::State& state)
{
    for (auto _ : state) {
        GoOntology o;
        if (!loadOntology(samples() + "/go-basic.obo.gz", o, progress()).ok)
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(o.termCount());
    }
}
BENCHMARK(BM_LoadObo)->Unit(benchmark::kMillisecond);

void BM_InflateFlatFiles(benchmark::State& state)
{
    std::vector<std::string> paths;
    for (const std::string& name : goFlatFileNames())
        paths.push_back(findGoFile(samples(), name));
    for (auto _ : state)
        benchmark::DoNotOptimize(inflateFiles(paths));
}
BENCHMARK(BM_InflateFlatFiles)->Unit(benchmark::kMillisecond);

void BM_LoadFlatFiles(benchmark::State& state)
{
    for (auto _ : state) {
        GoOntology o;
        if (!loadOntology(samples(), o, progress()).ok)
            state.SkipWithError("cannot load");
        benchmark::DoNotOptimize(o.termCount());
    }
}
BENCHMARK(BM_LoadFlatFiles)->Unit(benchmark::kMillisecond);

void BM_Attach12625Items(benchmark::State& state)
{
    const std::vector<std::string>& texts = annotationTexts();
    auto o = ontology();
    for (auto _ : state) {
        auto a = std::make_shared<GoAttachment>();
        attachFromAnnotationTexts(kItems, [&](int r) { return texts[static_cast<size_t>(r)]; }, *a, progress());
        GoIndex index(o, a);
        benchmark::DoNotOptimize(index.annotatedCount());
    }
}
BENCHMARK(BM_Attach12625Items)->Unit(benchmark::kMillisecond);

void BM_Enrich50Clusters(benchmark::State& state)
{
    const std::vector<std::string>& texts = annotationTexts();
    auto a = std::make_shared<GoAttachment>();
    attachFromAnnotationTexts(kItems, [&](int r) { return texts[static_cast<size_t>(r)]; }, *a, progress());
    const GoIndex index(ontology(), a);
    // 50 clusters of consecutive items (a fifth of them left alone), so that
    // every cluster mixes items of many different annotations.
    std::vector<int> clusters(kItems, 0);
    for (int i = 0; i < kItems; ++i)
        clusters[static_cast<size_t>(i)] = i % 5 == 4 ? 0 : 1 + (i * 7919 % kItems) * kClusters / kItems;
    size_t rows = 0;
    for (auto _ : state) {
        rows = enrichClusters(index, clusters).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["tested"] = static_cast<double>(rows);
}
BENCHMARK(BM_Enrich50Clusters)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    SilentMessages quiet;
    setMessages(&quiet);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
