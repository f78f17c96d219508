// Drawing speed of the overview on the benchmark data: 20000 items by 100
// samples, clustered by rows, in a 1600 x 1000 view. A full drawing
// (dendrogram, mosaic, markers, cut) must stay within 16 ms so that dragging
// the minimum-similarity bar with mouse-move update stays fluid; recolouring
// after a colour-mapping change and a repaint from the snapshot take less.
//
// The data file is made by bench/make_expression_file.py in a temporary
// folder, or taken from ARBOLIX_BENCH_FILE when that is set.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/UpdateHints.h"
#include "app/ui/CArxView.h"
#include "app/ui/ViewContext.h"
#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"
#include "BenchDocument.h"

namespace {

struct Setup {
    std::unique_ptr<CArxDoc> doc = std::make_unique<CArxDoc>();
    std::unique_ptr<CArxView> view;
    bool ok = false;

    Setup()
    {
        std::unique_ptr<CForest> rows, cols;
        DataMatrix* data = loadBenchData(*doc, benchExpressionFile("arbolix-bench-draw", 20000, 100), rows, cols);
        if (!data)
            return;
        ClusteringOptions options;
        options.clusterColumns = false;
        std::fprintf(stderr, "clustering 20000 rows...\n");
        if (!clusterPartition(*rows, *cols, options))
            return;
        installBenchPair(*doc, data, std::move(rows), std::move(cols));
        // A selection of every 50th item: 400 markers.
        for (int r = 0; r < data->rowCount(); r += 50)
            doc->m_selectedItems.push_back(r);
        ColorMapping& mapping = viewContext().mapping;
        mapping.m_nMargin = 10;
        mapping.m_nBarLength = 250;
        float lo = 0, hi = 0;
        mapping.startValues(valueHistogram(*data, 100, lo, hi), lo, hi, false);
        view = std::make_unique<CArxView>(doc.get());
        view->resize(1600, 1000);
        view->show();
        QApplication::processEvents();
        view->resetFromDocument();
        ok = true;
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void BM_OverviewFullDrawing(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    // state.range(0): the minimum similarity in thousandths.
    s.view->applyTypedMinSimilarity(state.range(0) / 1000.0);
    for (auto _ : state) {
        s.view->renderFull();
        benchmark::DoNotOptimize(s.view->snapshot().constBits());
    }
    state.counters["clusters"] = static_cast<double>(s.view->forest()->m_clusters.size());
    state.counters["leaves_in_place"] = s.view->leavesInPlaceCount();
}
BENCHMARK(BM_OverviewFullDrawing)->Arg(500)->Arg(750)->Arg(900)->Unit(benchmark::kMillisecond);

// Gray Out: the leaves in no cluster keep their places, washed out.
void BM_OverviewFullDrawingGrayOut(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    s.view->setFilterOut(false);
    s.view->applyTypedMinSimilarity(state.range(0) / 1000.0);
    for (auto _ : state) {
        s.view->renderFull();
        benchmark::DoNotOptimize(s.view->snapshot().constBits());
    }
    state.counters["clusters"] = static_cast<double>(s.view->forest()->m_clusters.size());
    state.counters["leaves_in_place"] = s.view->leavesInPlaceCount();
    s.view->setFilterOut(true);
}
BENCHMARK(BM_OverviewFullDrawingGrayOut)->Arg(600)->Arg(750)->Unit(benchmark::kMillisecond);

void BM_OverviewRecolour(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    s.view->applyTypedMinSimilarity(0.5);
    ColorMapping& mapping = viewContext().mapping;
    int scheme = 1;
    for (auto _ : state) {
        mapping.setScheme(scheme);
        scheme = scheme % 7 + 1;
        s.view->onUpdate(nullptr, kHintColorMapping);
        benchmark::DoNotOptimize(s.view->snapshot().constBits());
    }
}
BENCHMARK(BM_OverviewRecolour)->Unit(benchmark::kMillisecond);

void BM_OverviewRepaintFromSnapshot(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    s.view->applyTypedMinSimilarity(0.5);
    for (auto _ : state)
        s.view->repaint();
}
BENCHMARK(BM_OverviewRepaintFromSnapshot)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
