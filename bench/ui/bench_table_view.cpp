// The "Table View" on ALL-sized data (12625 items x 128 values) with a
// 40-column annotation: filling or refreshing the table, sorting by a value
// column, and following a document selection of 5000 items, each with the
// repaint of the visible rows at 1600 x 500 pixels.
//
//   bench_table_view (with ARBOLIX_BENCH_DATA and ARBOLIX_BENCH_ANNOTATION
//   set, files made by bench/make_annotation_files.py)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "app/CArxDoc.h"
#include "linked/Annotation.h"
#include "linked/ui/CDataTableModel.h"
#include "linked/ui/CDataTableView.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {
std::string envOr(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

struct Setup {
    CArxDoc doc;
    CDataTableView* view = nullptr;
    std::vector<int> selections[2];
    bool ok = false;

    Setup()
    {
        static SilentMessages quiet;
        setMessages(&quiet);
        if (!doc.readDataFile(envOr("ARBOLIX_BENCH_DATA", "/tmp/arbolix-bench-table/all_12625x128.txt"), false, -1,
                              -1, 0, 1, false) ||
            !doc.attachAnnotation(envOr("ARBOLIX_BENCH_ANNOTATION", "/tmp/arbolix-bench-table/annotation_40.csv")))
            return;
        view = new CDataTableView;
        view->setDocumentSource([this] { return &doc; });
        doc.attach(view);
        view->resize(1600, 500);
        view->show();
        view->refresh();
        QApplication::processEvents();
        std::mt19937 rng(5000);
        std::vector<int> all(static_cast<size_t>(doc.m_pRowForest->m_nLeaves));
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = static_cast<int>(i);
        for (auto& s : selections) {
            std::shuffle(all.begin(), all.end(), rng);
            s.assign(all.begin(), all.begin() + 5000);
        }
        ok = view->model()->rowCount() == 12625 && view->model()->columnCount() == 3 + 128 + 40;
    }
};

Setup& setup()
{
    static Setup s;
    return s;
}

void paintNow(CDataTableView* view)
{
    view->table()->viewport()->repaint();
    view->table()->horizontalHeader()->viewport()->repaint();
}

void BM_TableRefresh(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("set-up failed");
        return;
    }
    for (auto _ : state) {
        s.view->refresh();
        paintNow(s.view);
    }
}
BENCHMARK(BM_TableRefresh)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_TableSortByValue(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("set-up failed");
        return;
    }
    for (auto _ : state) {
        s.view->sortByColumn(CDataTableModel::kFixedColumns + 5);
        paintNow(s.view);
    }
    s.view->revertOrder();
}
BENCHMARK(BM_TableSortByValue)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_TableFollowsSelectionOf5000(benchmark::State& state)
{
    Setup& s = setup();
    if (!s.ok) {
        state.SkipWithError("set-up failed");
        return;
    }
    int k = 0;
    for (auto _ : state) {
        s.doc.setItemSelection(s.selections[k ^= 1]);
        paintNow(s.view);
    }
}
BENCHMARK(BM_TableFollowsSelectionOf5000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
