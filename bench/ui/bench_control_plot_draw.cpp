// Redrawing the chart of the histogram ordering panel when the current
// variable changes, on 20000 items by 128 variables in a 600 x 400 view:
// histogram (re-binned to 100 bars), control plot of 20000 squares and the
// CDF curve together must stay within 16 ms; the histogram alone is the
// panel's start-up drawing.
//
// The data file is made by bench/make_expression_file.py in a temporary
// folder, or taken from ARBOLIX_BENCH_FILE when that is set.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/ui/ViewContext.h"
#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"
#include "BenchDocument.h"
#include "rank/HistogramOrdering.h"
#include "rank/ui/CControlPlotView.h"

namespace {

struct Setup {
    std::unique_ptr<CArxDoc> doc = std::make_unique<CArxDoc>();
    HistogramOrdering ordering;
    std::unique_ptr<CControlPlotView> view;
    bool ok = false;

    Setup()
    {
        std::unique_ptr<CForest> rows, cols;
        DataMatrix* data = loadBenchData(*doc, benchExpressionFile("arbolix-bench-rank", 20000, 128), rows, cols);
        if (!data)
            return;
        installBenchPair(*doc, data, std::move(rows), std::move(cols));
        ordering.build(data, false);
        ColorMapping& mapping = viewContext().mapping;
        float lo = 0, hi = 0;
        mapping.startValues(valueHistogram(*data, 100, lo, hi), lo, hi, false);
        view = std::make_unique<CControlPlotView>();
        CArxDoc* d = doc.get();
        view->setDocumentSource([d] { return d; });
        view->setOrdering(&ordering);
        view->resize(600, 400);
        view->show();
        QApplication::processEvents();
        ok = true;
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

// range(0): 1 histogram only, 3 histogram + control plot + CDF.
void BM_SwitchVariable(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("no data");
        return;
    }
    const bool all = state.range(0) == 3;
    int column = 0;
    for (auto _ : state) {
        s.view->setData(column, false, all, true, all);
        column = (column + 1) % s.ordering.variableCount();
        benchmark::DoNotOptimize(s.view->image().constBits());
    }
}
BENCHMARK(BM_SwitchVariable)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
