// The main window on a large file, as a person would use it: open the file
// (the load dialog's choices), cluster the rows from Clustering Parameters
// with the progress window, draw the overview at 1600 x 1000, drag the
// minimum-similarity bar with mouse-move update on, select a subtree,
// export the result, open the exported .dat again and cancel a second
// clustering. Prints the time of
// every step, the peak memory after clustering and the longest time the
// event loop stood still outside the progress window.
//
// usage (QT_QPA_PLATFORM=offscreen): bench_big_window DATA_FILE EXPORT_FOLDER
// A DATA_FILE ending in .dat is a clustering result: it opens clustered and
// the clustering step is left out.
// bench/compare_big_window.py runs it beside arbolix-cli cluster.
#include <sys/resource.h>
#include <unistd.h>
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/ui/CArxApp.h"
#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CProgressWnd.h"
#include "app/ui/CTabDockBar.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CExportDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

double seconds(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

// CPU time of the calling thread: on a busy machine the wall time of a step
// also holds the time other processes had the cores.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// CPU time of the whole process so far (every thread), seconds.
double processCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Resident memory now (kB).
long currentKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Ticks every 5 ms; the longest gap between two ticks while no progress
// window was showing, per phase.
class FreezeWatch : public QObject {
public:
    FreezeWatch()
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
        m_timer.start();
        m_clock.start();
    }
    // The time since the last tick belongs to the step that just ended
    // (a step that runs without the event loop shows up as one long gap).
    void phase(const char* name)
    {
        tick();
        m_phase = name;
    }
    void report() const
    {
        for (const auto& [name, ms] : m_worst)
            std::printf("longest_stand_still_ms %s %.1f\n", name.c_str(), ms);
    }

private:
    static bool progressShowing()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<CProgressWnd*>(w) && w->isVisible())
                return true;
        return false;
    }
    void tick()
    {
        const double now = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
        const bool progress = progressShowing();
        if (m_last >= 0 && !progress && !m_lastProgress) {
            auto it = std::find_if(m_worst.begin(), m_worst.end(), [&](const auto& p) { return p.first == m_phase; });
            if (it == m_worst.end())
                m_worst.emplace_back(m_phase, now - m_last);
            else
                it->second = std::max(it->second, now - m_last);
        }
        m_last = now;
        m_lastProgress = progress;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    std::string m_phase = "start";
    double m_last = -1;
    bool m_lastProgress = false;
    std::vector<std::pair<std::string, double>> m_worst;
};

template <typename D, typename F>
void whenDialogOpens(F reply)
{
    QTimer::singleShot(0, [reply] {
        if (D* d = qobject_cast<D*>(QApplication::activeModalWidget()))
            reply(d);
    });
}

void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_big_window DATA_FILE EXPORT_FOLDER\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    int qargc = 1;
    CArxApp app(qargc, argv);
    if (!app.initInstance(false))
        return 1;
    CMainFrame* frame = app.mainFrame();
    frame->resize(1900, 1200);
    FreezeWatch watch;
    QElapsedTimer t;

    watch.phase("load");
    t.start();
    if (!frame->openCommandLineFile(path))
        return 1;
    QApplication::processEvents();
    std::printf("load_s %.3f\n", seconds(t));
    std::printf("peak_after_load_kb %ld\n", peakKb());
    std::printf("cpu_after_load_s %.3f\n", processCpu());

    // A clustering result (.dat) opens clustered: the steps after clustering
    // can then be timed again without waiting for it.
    if (!path.endsWith(".dat", Qt::CaseInsensitive)) {
        watch.phase("cluster");
        whenDialogOpens<CClusteringParamsDlg>([](CClusteringParamsDlg* d) {
            d->clusterRowsBox()->setChecked(true);
            d->clusterColumnsBox()->setChecked(false);
            d->accept();
        });
        t.start();
        frame->hierarchicalClustering();
        const double cluster = seconds(t);
        QApplication::processEvents();
        std::printf("cluster_s %.3f\n", cluster);
        std::printf("results_shown_s %.3f\n", seconds(t) - cluster);
        std::printf("peak_after_cluster_kb %ld\n", peakKb());
        std::printf("cpu_after_cluster_s %.3f\n", processCpu());
    }
    CArxDoc* doc = frame->document();
    if (!doc || !doc->m_pRowForest || !doc->m_pRowForest->hasTree())
        return 1;

    auto* page = qobject_cast<CZoomableWnd*>(frame->documentWindow()->currentPage());
    CArxView* view = page ? page->view() : nullptr;
    if (!view)
        return 1;
    view->resize(1600, 1000);
    QApplication::processEvents();

    // Drag the bar down from its place to the leaves in 40 steps, one redraw
    // each, then 20 steps back up to the middle, so that the cut ends with
    // clusters to select from.
    watch.phase("bar");
    const int x = view->width() / 2;
    const int top = static_cast<int>(view->bars().yMin);
    int y = top;
    mouse(view, QEvent::MouseButtonPress, {x, y}, Qt::LeftButton, Qt::LeftButton);
    std::vector<double> moves, movesCpu;
    const int bottom = static_cast<int>(view->verticalLayoutState().yLeaf) - 5;
    const int step = std::max(1, (bottom - y) / 40);
    auto moveTo = [&](int to) {
        y = to;
        t.start();
        const double cpu = threadCpuMs();
        mouse(view, QEvent::MouseMove, {x, y}, Qt::NoButton, Qt::LeftButton);
        movesCpu.push_back(threadCpuMs() - cpu);
        moves.push_back(seconds(t) * 1000.0);
        QApplication::processEvents();
    };
    for (int i = 0; i < 40 && y + step < bottom; ++i)
        moveTo(y + step);
    const int middle = (top + bottom) / 2;
    const int back = std::max(1, (y - middle) / 20);
    for (int i = 0; i < 20 && y - back > middle; ++i)
        moveTo(y - back);
    mouse(view, QEvent::MouseButtonRelease, {x, y}, Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
    std::sort(moves.begin(), moves.end());
    std::sort(movesCpu.begin(), movesCpu.end());
    if (!moves.empty()) {
        std::printf("bar_move_ms %.2f median, max %.2f (%zu moves, %zu clusters at the end)\n",
                    moves[moves.size() / 2], moves.back(), moves.size(), view->forest()->m_clusters.size());
        std::printf("bar_move_cpu_ms %.2f median, max %.2f\n", movesCpu[movesCpu.size() / 2], movesCpu.back());
    }

    // Select a subtree: the larger of the root's two, some half of the items.
    watch.phase("select");
    CForest* forest = view->forest();
    if (forest->hasTree()) {
        const CNode* root = forest->root();
        const CNode* big = root->m_pFirst->m_nSize >= root->m_pSecond->m_nSize ? root->m_pFirst : root->m_pSecond;
        auto [first, last] = forest->leafRange(big);
        t.start();
        view->selectLeaves(first, last);
        QApplication::processEvents();
        std::printf("select_subtree_ms %.2f (%d items)\n", seconds(t) * 1000.0, last - first + 1);
    }

    // The entire view: brought to the front, then scrolled a page at a time
    // from the bottom (where it starts) upwards.
    watch.phase("entire");
    if (auto* entire = frame->findChild<CArxEntireView*>()) {
        t.start();
        frame->informationBar()->showTab("Color Mosaic");
        QApplication::processEvents();
        std::printf("entire_shown_ms %.2f (%d x %d)\n", seconds(t) * 1000.0, entire->viewport()->width(),
                    entire->viewport()->height());
        std::vector<double> scrolls;
        QScrollBar* vs = entire->verticalScrollBar();
        for (int i = 0; i < 20 && vs->value() > vs->minimum(); ++i) {
            t.start();
            vs->setValue(vs->value() - vs->pageStep());
            QApplication::processEvents();
            scrolls.push_back(seconds(t) * 1000.0);
        }
        QScrollBar* hs = entire->horizontalScrollBar();
        for (int i = 0; i < 20 && hs->value() < hs->maximum(); ++i) {
            t.start();
            hs->setValue(hs->value() + hs->pageStep() * 97);  // across the items, a jump at a time
            QApplication::processEvents();
            scrolls.push_back(seconds(t) * 1000.0);
        }
        std::sort(scrolls.begin(), scrolls.end());
        if (!scrolls.empty())
            std::printf("entire_scroll_ms %.2f median, max %.2f (%zu scrolls)\n", scrolls[scrolls.size() / 2],
                        scrolls.back(), scrolls.size());
    }

    watch.phase("export");
    whenDialogOpens<CExportDlg>([folder](CExportDlg* d) {
        d->folderEdit()->setText(folder);
        d->fileNameEdit()->setText("big");
        d->accept();
    });
    t.start();
    frame->exportClusteringResult();
    std::printf("export_s %.3f\n", seconds(t));

    watch.phase("open_dat");
    t.start();
    const bool opened = frame->openRecentFile(folder + "/big.dat");
    QApplication::processEvents();
    std::printf("open_dat_s %.3f (%s)\n", seconds(t), opened ? "ok" : "failed");
    // Cluster again and cancel a few seconds in: the memory of the run is
    // given back and the result opened above stays.
    watch.phase("cancel");
    if (opened) {
        CArxDoc* reopened = frame->document();
        const std::vector<int> order = reopened->m_pRowForest ? reopened->m_pRowForest->m_arrOrder : std::vector<int>{};
        const long before = currentKb();
        long during = 0;
        QTimer cancelTimer;
        cancelTimer.setSingleShot(true);
        QObject::connect(&cancelTimer, &QTimer::timeout, [&during] {
            during = currentKb();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* wnd = qobject_cast<CProgressWnd*>(w); wnd && wnd->isVisible())
                    wnd->cancelButton()->click();
        });
        whenDialogOpens<CClusteringParamsDlg>([&cancelTimer](CClusteringParamsDlg* d) {
            d->clusterRowsBox()->setChecked(true);
            d->clusterColumnsBox()->setChecked(false);
            d->accept();
            cancelTimer.start(5000);
        });
        t.start();
        frame->hierarchicalClustering();
        QApplication::processEvents();
        const bool kept = frame->document() == reopened && reopened->m_pRowForest &&
                          reopened->m_pRowForest->hasTree() && reopened->m_pRowForest->m_arrOrder == order;
        std::printf("cancel_s %.3f, resident before %ld MiB, at the cancel %ld MiB, after %ld MiB, result %s\n",
                    seconds(t), before / 1024, during / 1024, currentKb() / 1024, kept ? "kept" : "LOST");
    }
    watch.phase("end");
    watch.report();
    std::fflush(stdout);
    return opened ? 0 : 1;
}
