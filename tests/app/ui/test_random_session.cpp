// A long random session on the bundled sample: menus, the panels' boxes,
// sliders and buttons, the tabs of both bars, the minimum-similarity bar,
// and selections in the overview, the charts and the lists, chosen by a
// pseudo-random generator with a fixed seed, so that a fault it finds comes
// back on the next run. Dialogs are answered (the parameter dialogs with OK,
// every other one with Cancel) and messages recorded. After every step the
// document must still be whole: its selection within the items, its forests
// the size of the data.
//
// Runs 60 seconds; "--seconds N" and "--seed N" change that (also the
// variables ARBOLIX_RANDOM_SECONDS and ARBOLIX_RANDOM_SEED). Built with the
// sanitizers, a fault ends the run with their report.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <cstring>
#include <random>

#include "app/ui/CArxView.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "cluster/Forest.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CKMeansDlg.h"
#include "data/DataMatrix.h"
#include "data/ui/CLoadDialog.h"
#include "MainFrameFixture.h"

namespace {

int g_seconds = 60;
unsigned g_seed = 20261207;

// Menu commands the session leaves alone: leaving the program, and those
// that reach outside it.
bool skipped(const QString& text)
{
    static const QStringList names = {"Exit", "About Arbolix...", "Get Latest Ontology"};
    QString plain = text;
    plain.remove('&');
    return names.contains(plain) || plain.isEmpty();
}

// Buttons of the panels the session leaves alone: downloads reach the
// network.
bool skippedButton(const QAbstractButton* b)
{
    return b->objectName() == "latest" || b->text().contains("Latest") || b->text().contains("Download");
}
} // namespace

class TestRandomSession : public MainFrameFixture {
    Q_OBJECT
private:
    std::mt19937 m_rng{g_seed};
    QTimer m_answer;
    std::vector<QAction*> m_actions;
    QStringList m_steps;  // the last steps, shown when a check fails
    int m_nSteps = 0;

    int pick(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(m_rng); }
    template <typename T>
    T oneOf(const std::vector<T>& v) { return v[static_cast<size_t>(pick(static_cast<int>(v.size())))]; }
    double uniform() { return std::uniform_real_distribution<double>(0.0, 1.0)(m_rng); }
    void note(const QString& step)
    {
        m_steps << QString::number(m_nSteps) + ": " + step;
        if (m_steps.size() > 30)
            m_steps.removeFirst();
    }

    // Answers whatever modal window or popup is up.
    void answer()
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (qobject_cast<CClusteringParamsDlg*>(modal) || qobject_cast<CKMeansDlg*>(modal) ||
            qobject_cast<CLoadDialog*>(modal)) {
            static_cast<QDialog*>(modal)->accept();
            return;
        }
        if (auto* d = qobject_cast<QDialog*>(modal))
            d->reject();
        else
            modal->close();
    }

    void collectActions(QMenu* menu)
    {
        for (QAction* a : menu->actions()) {
            if (a->menu())
                collectActions(a->menu());
            else if (!a->isSeparator() && !skipped(a->text()))
                m_actions.push_back(a);
        }
    }

    // ---- the steps ----
    void runMenuCommand()
    {
        frame()->updateCommandStates();
        std::vector<QAction*> enabled;
        for (QAction* a : m_actions)
            if (a->isEnabled())
                enabled.push_back(a);
        if (enabled.empty())
            return;
        QAction* a = oneOf(enabled);
        note("menu " + a->text());
        a->trigger();
    }

    void showSomeTab()
    {
        CTabDockBar* bar = pick(3) == 0 ? frame()->controlBar() : frame()->informationBar();
        const int i = pick(bar->tabs()->count());
        note("tab " + bar->tabs()->tabText(i));
        bar->tabs()->setCurrentIndex(i);
    }

    // A control of the panel on show: a box checked or unchecked, a choice,
    // a slider moved, a button pressed.
    void useSomeControl()
    {
        CTabDockBar* bar = pick(3) == 0 ? frame()->controlBar() : frame()->informationBar();
        QWidget* page = bar->tabs()->currentWidget();
        if (!page || !page->isEnabled())
            return;
        std::vector<QWidget*> controls;
        for (QWidget* w : page->findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->isEnabled())
                continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w); b && !skippedButton(b))
                controls.push_back(w);
            else if (qobject_cast<QComboBox*>(w) || qobject_cast<QSlider*>(w))
                controls.push_back(w);
        }
        if (controls.empty())
            return;
        QWidget* w = oneOf(controls);
        if (auto* box = qobject_cast<QComboBox*>(w)) {
            const int i = pick(box->count());
            note(bar->tabs()->tabText(bar->tabs()->currentIndex()) + " choice " + QString::number(i) + " of " +
                 box->objectName());
            box->setCurrentIndex(i);
        } else if (auto* slider = qobject_cast<QSlider*>(w)) {
            const int v = slider->minimum() + pick(slider->maximum() - slider->minimum() + 1);
            note("slider " + QString::number(v));
            slider->setValue(v);
        } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            note(bar->tabs()->tabText(bar->tabs()->currentIndex()) + " button " + b->text());
            b->click();
        }
    }

    // A press at one random point of w and a release at another.
    void drag(QWidget* w, const QString& what, bool halfway)
    {
        const QPoint a(pick(w->width()), pick(w->height()));
        const QPoint b(pick(w->width()), pick(w->height()));
        note(QString("drag in %1 %2,%3 -> %4,%5").arg(what).arg(a.x()).arg(a.y()).arg(b.x()).arg(b.y()));
        QTest::mousePress(w, Qt::LeftButton, {}, a);
        if (halfway)
            QTest::mouseMove(w, (a + b) / 2);
        QTest::mouseMove(w, b);
        QTest::mouseRelease(w, Qt::LeftButton, {}, b);
    }

    // The minimum-similarity bar dragged, or a leaf range pressed, in the overview.
    void dragInOverview()
    {
        CArxView* view = overview();
        if (!view || !view->isVisible())
            return;
        drag(view, "overview", true);
    }

    // A drag or click over whatever chart or view the information bar shows.
    void dragInPanel()
    {
        QWidget* page = frame()->informationBar()->tabs()->currentWidget();
        if (!page || !page->isEnabled())
            return;
        std::vector<QWidget*> surfaces;
        for (QWidget* w : page->findChildren<QWidget*>())
            if (w->isVisible() && w->width() > 40 && w->height() > 40 && w->findChildren<QWidget*>().isEmpty())
                surfaces.push_back(w);
        if (surfaces.empty())
            return;
        QWidget* w = oneOf(surfaces);
        drag(w, w->metaObject()->className(), false);
    }

    // Rows of a list chosen as a user would.
    void selectListRows()
    {
        QWidget* page = frame()->informationBar()->tabs()->currentWidget();
        if (!page || !page->isEnabled())
            return;
        std::vector<QAbstractItemView*> lists;
        for (QAbstractItemView* v : page->findChildren<QAbstractItemView*>())
            if (v->isVisible() && v->model() && v->model()->rowCount() > 0)
                lists.push_back(v);
        if (lists.empty())
            return;
        QAbstractItemView* v = oneOf(lists);
        const int rows = v->model()->rowCount();
        const int first = pick(rows), last = std::min(rows - 1, first + pick(20));
        note(QString("list %1 rows %2..%3").arg(v->objectName()).arg(first).arg(last));
        v->setCurrentIndex(v->model()->index(first, 0));
        v->selectionModel()->select(QItemSelection(v->model()->index(first, 0), v->model()->index(last, 0)),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    // A selection made straight in the document, as a linked view makes it.
    void selectItems()
    {
        CArxDoc* d = doc();
        if (!d || !d->m_bDataLoaded || !d->data())
            return;
        std::vector<int> items;
        const int n = d->data()->m_nRows, count = pick(3) == 0 ? 0 : 1 + pick(std::min(n, 300));
        for (int i = 0; i < count; ++i)
            items.push_back(d->itemOfRow(pick(n)));
        std::sort(items.begin(), items.end());
        items.erase(std::unique(items.begin(), items.end()), items.end());
        note(QString("select %1 items").arg(items.size()));
        d->setItemSelection(std::move(items), nullptr);
    }

    void resizeWindow()
    {
        const QSize s(900 + pick(900), 600 + pick(500));
        note(QString("resize %1x%2").arg(s.width()).arg(s.height()));
        frame()->resize(s);
    }

    void reopenSample()
    {
        note("open the sample");
        frame()->openDataFile(kSample);
    }

    void closeSomeChart()
    {
        const QList<QMdiSubWindow*> windows = frame()->mdiArea()->subWindowList();
        std::vector<QMdiSubWindow*> charts;
        for (QMdiSubWindow* w : windows)
            if (w->widget() != frame()->documentWindow())
                charts.push_back(w);
        if (charts.empty())
            return;
        note("close a chart");
        oneOf(charts)->close();
    }

    // The document is whole after every step.
    bool documentWhole()
    {
        CArxDoc* d = doc();
        if (!d || !d->m_bDataLoaded || !d->data())
            return true;
        const int n = d->data()->m_nRows;
        const std::vector<int>& sel = d->m_selectedItems;
        if (!std::is_sorted(sel.begin(), sel.end()) || std::adjacent_find(sel.begin(), sel.end()) != sel.end())
            return false;
        for (int item : sel)
            if (d->rowOfItem(item) < 0)
                return false;
        if (d->m_pRowForest && d->m_pRowForest->m_nLeaves != n)
            return false;
        return !(d->m_pColForest && d->m_pColForest->m_nLeaves != d->data()->m_nColumns);
    }

    // The steps, each taken when the draw from [0, 1) falls below its bound
    // and not below the one before.
    struct Step {
        double below;
        void (TestRandomSession::*run)();
    };
    static constexpr std::array<Step, 10> kSteps = {{{0.14, &TestRandomSession::runMenuCommand},
                                                     {0.28, &TestRandomSession::showSomeTab},
                                                     {0.50, &TestRandomSession::useSomeControl},
                                                     {0.62, &TestRandomSession::dragInOverview},
                                                     {0.74, &TestRandomSession::dragInPanel},
                                                     {0.84, &TestRandomSession::selectListRows},
                                                     {0.92, &TestRandomSession::selectItems},
                                                     {0.95, &TestRandomSession::resizeWindow},
                                                     {0.98, &TestRandomSession::closeSomeChart},
                                                     {1.00, &TestRandomSession::reopenSample}}};

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
        frame()->showNormal();
        frame()->setGeometry(0, 0, 1600, 1000);
        for (QAction* a : frame()->menuBar()->actions())
            if (a->menu())
                collectActions(a->menu());
        QVERIFY(m_actions.size() > 20);
        connect(&m_answer, &QTimer::timeout, this, [this] { answer(); });
        m_answer.start(20);
        QTimer::singleShot(0, this, [this] { answer(); });
        frame()->openDataFile(kSample);
        QVERIFY(doc()->m_bDataLoaded);
    }

    void randomSession()
    {
        qInfo() << "seed" << g_seed << "for" << g_seconds << "seconds";
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < static_cast<qint64>(g_seconds) * 1000) {
            ++m_nSteps;
            const double r = uniform();
            for (const Step& step : kSteps)
                if (r < step.below || &step == &kSteps.back()) {
                    (this->*step.run)();
                    break;
                }
            QCoreApplication::processEvents();
            QVERIFY2(documentWhole(), qPrintable(m_steps.join('\n')));
            if (doc() && !doc()->m_bDataLoaded && pick(4) == 0)
                reopenSample();
        }
        qInfo() << m_nSteps << "steps," << m_messages.m_texts.size() << "messages";
        QVERIFY(m_nSteps > 50);
    }

    void cleanupTestCase()
    {
        m_answer.stop();
        setMessages(nullptr);
    }
};

int main(int argc, char** argv)
{
    if (const char* s = std::getenv("ARBOLIX_RANDOM_SECONDS"))
        g_seconds = std::max(1, std::atoi(s));
    if (const char* s = std::getenv("ARBOLIX_RANDOM_SEED"))
        g_seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
    // Our own options go before the application sees the arguments (it
    // would take them for a file to open).
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (i + 1 < argc && std::strcmp(argv[i], "--seconds") == 0)
            g_seconds = std::max(1, std::atoi(argv[++i]));
        else if (i + 1 < argc && std::strcmp(argv[i], "--seed") == 0)
            g_seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        else
            rest.push_back(argv[i]);
    }
    // QtTest stops a test function after five minutes unless told otherwise.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", QByteArray::number((g_seconds + 600) * 1000LL));
    int count = static_cast<int>(rest.size());
    rest.push_back(nullptr);
    useOwnSettings();
    int appArgc = 1;
    CArxApp app(appArgc, rest.data());
    TestRandomSession test;
    return QTest::qExec(&test, count, rest.data());
}

#include "test_random_session.moc"
