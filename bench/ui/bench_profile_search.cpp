// Speed of the profile search and the power calculation.
//
// Profile search on 20000 items x 128 variables: a model-based search from
// scratch (budget 50 ms), an incremental threshold change (10 ms), a search
// by name (20 ms) and a full redraw of the 20000 profile lines into the
// plot's off-screen image at 1200 x 400 (100 ms). Power calculation for all
// 12625 items x 128 samples with two groups of 64 (100 ms).
//
// The data files are made by bench/make_expression_file.py in a temporary
// folder. bench/compare_profile_numpy.py runs this program and the same
// computations in numpy side by side and prints the ratios.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "data/DataMatrix.h"
#include "linked/PowerCalc.h"
#include "linked/ProfileSearch.h"
#include "linked/TrendMapping.h"
#include "linked/ui/CTrendView.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {

std::unique_ptr<DataMatrix> load(int rows, int cols)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "arbolix-bench-profile";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / ("expression_" + std::to_string(rows) + "x" + std::to_string(cols) + ".txt")).string();
    if (!std::filesystem::exists(path)) {
        const std::string cmd = "/usr/bin/python3 " ARBOLIX_BENCH_DIR "/make_expression_file.py '" + path + "' " +
                                std::to_string(rows) + " " + std::to_string(cols) + " 1";
        if (std::system(cmd.c_str()) != 0)
            std::abort();
    }
    auto m = std::make_unique<DataMatrix>();
    if (!m->loadDataFile(path))
        std::abort();
    return m;
}

DataMatrix& searchData()
{
    static std::unique_ptr<DataMatrix> m = load(20000, 128);
    return *m;
}

DataMatrix& powerData()
{
    static std::unique_ptr<DataMatrix> m = load(12625, 128);
    return *m;
}

void BM_ModelSearchFromScratch(benchmark::State& state)
{
    CProfileSearch s;
    s.setData(&searchData());
    s.setMeasure(static_cast<int>(state.range(0)));
    s.setModelFromItem(17);
    const bool absolute = state.range(0) == kTrendAbsolute;
    for (auto _ : state) {
        s.setModelPoint(3, s.model()[3]);  // the model changed: every score again
        s.searchModel(absolute ? 0.0 : 0.8, absolute ? 2.0 : 1.0);
        benchmark::DoNotOptimize(s.matchedCount());
    }
    state.counters["matched"] = s.matchedCount();
}
BENCHMARK(BM_ModelSearchFromScratch)->Arg(kTrendPearson)->Arg(kTrendEuclidean)->Arg(kTrendAbsolute)->Unit(benchmark::kMillisecond);

void BM_IncrementalThreshold(benchmark::State& state)
{
    CProfileSearch s;
    s.setData(&searchData());
    s.setModelFromItem(17);
    s.searchModel(0.6, 1.0);
    bool wide = false;
    for (auto _ : state) {
        // The lower bound moves by one slider step, alternately out and in.
        s.searchModel(wide ? 0.6 : 0.59, 1.0);
        wide = !wide;
        benchmark::DoNotOptimize(s.matchedCount());
    }
    state.counters["matched"] = s.matchedCount();
}
BENCHMARK(BM_IncrementalThreshold)->Unit(benchmark::kMillisecond);

void BM_NameSearch(benchmark::State& state)
{
    CProfileSearch s;
    s.setData(&searchData());
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.searchName("gene12"));
    }
    state.counters["matched"] = s.matchedCount();
}
BENCHMARK(BM_NameSearch)->Unit(benchmark::kMillisecond);

void BM_PlotRedraw(benchmark::State& state)
{
    CProfileSearch s;
    s.setData(&searchData());
    s.setModelFromItem(17);
    s.searchModel(0.6, 1.0);  // some matched, most grey
    const TrendMapping map(1200, 400, s.variableCount(), s.dataMin(), s.dataMax());
    TrendStyle style;
    style.silhouette = state.range(0) != 0;
    QImage image(1200, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        if (state.range(1))
            drawTrendImage(image, s, map, style);
        else {
            QPainter p(&image);
            drawTrendPlot(p, s, map, style);
        }
    }
    state.counters["matched"] = s.matchedCount();
}
// Second argument: 1 the view's image (lines written into the pixels), 0 through QPainter.
BENCHMARK(BM_PlotRedraw)->Args({1, 1})->Args({0, 1})->Args({1, 0})->Unit(benchmark::kMillisecond);

void BM_HoverHitTest(benchmark::State& state)
{
    CProfileSearch s;
    s.setData(&searchData());
    const TrendMapping map(1200, 400, s.variableCount(), s.dataMin(), s.dataMax());
    double y = 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(trendItemAt(s, map, 533.0, y));
        y = y > 300 ? 100 : y + 1;
    }
}
BENCHMARK(BM_HoverHitTest)->Unit(benchmark::kMillisecond);

void BM_PowerAllItems(benchmark::State& state)
{
    DataMatrix& m = powerData();
    std::vector<int> g1, g2;
    for (int k = 0; k < 64; ++k) {
        g1.push_back(k);
        g2.push_back(64 + k);
    }
    PowerInputs in;
    in.target = static_cast<int>(state.range(0));
    for (auto _ : state) {
        PowerRun run;
        if (!calculatePower(m, g1, g2, in, nullptr, run))
            state.SkipWithError("refused");
        benchmark::DoNotOptimize(run.computed);
    }
}
BENCHMARK(BM_PowerAllItems)->Arg(kTargetSize)->Arg(kTargetPower)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SilentMessages silent;
    setMessages(&silent);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    searchData();
    powerData();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
