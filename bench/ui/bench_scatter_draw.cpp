// Redrawing the scatterplot view when the current pair changes: 20000
// items, a 420 x 320 view, mapping every item to its pixel and drawing the
// markers (dynamic colours) into the off-screen image, with a fitted
// parabola and 400 selected items. Meant to stay under 16 ms.
//
// The data file (20000 x 8) is made by bench/make_expression_file.py in a
// temporary folder, or taken from ARBOLIX_BENCH_FILE when that is set.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/CArxDoc.h"
#include "app/ui/DisplaySettings.h"
#include "app/ui/ViewContext.h"
#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"
#include "rank/ui/CScatterPlotView.h"

namespace {

struct Setup {
    CArxDoc doc;
    DisplaySettings settings;
    std::unique_ptr<CScatterPlotView> view;
    bool ok = false;

    Setup()
    {
        static SilentMessages quiet;
        setMessages(&quiet);
        std::string path;
        if (const char* given = std::getenv("ARBOLIX_BENCH_FILE")) {
            path = given;
        } else {
            const std::filesystem::path dir = std::filesystem::temp_directory_path() / "arbolix-bench-scatter";
            std::filesystem::create_directories(dir);
            path = (dir / "expression_20000x8.txt").string();
            if (!std::filesystem::exists(path)) {
                const std::string cmd =
                    "/usr/bin/python3 " ARBOLIX_BENCH_DIR "/make_expression_file.py '" + path + "' 20000 8 1";
                if (std::system(cmd.c_str()) != 0)
                    return;
            }
        }
        if (!doc.readDataFile(path, false, -1, -1, 0.0f, 1.0f, false))
            return;
        for (int r = 0; r < doc.data()->rowCount(); r += 50)
            doc.m_selectedItems.push_back(r);
        view = std::make_unique<CScatterPlotView>();
        view->setDocumentSource([this] { return &doc; });
        view->setDisplaySettings(&settings);
        view->resize(420, 320);
        view->setPair(0, 1, false, false);
        ok = doc.data()->rowCount() == 20000;
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// Arguments: marker shape (0 square, 1 circle), marker radius.
void BM_ScatterPairChange(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    s.settings.m_bCircleMarker = state.range(0) != 0;
    s.settings.m_nMarkerSize = static_cast<int>(state.range(1));
    int x = 0;
    for (auto _ : state) {
        x = (x + 1) % 7;
        s.view->setPair(x, x + 1, false, false);
        s.view->setDetails({2.0, 0.01, 0.9, 0.3}, x, x + 1);
        benchmark::DoNotOptimize(s.view->image().constBits());
    }
}
BENCHMARK(BM_ScatterPairChange)->Args({0, 2})->Args({1, 2})->Args({1, 4})->Unit(benchmark::kMillisecond);

void BM_ScatterDensity(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    s.view->setDensityShown(true);
    int x = 0;
    for (auto _ : state) {
        x = (x + 1) % 7;
        s.view->setPair(x, x + 1, false, false);
        benchmark::DoNotOptimize(s.view->image().constBits());
    }
    s.view->setDensityShown(false);
}
BENCHMARK(BM_ScatterDensity)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
