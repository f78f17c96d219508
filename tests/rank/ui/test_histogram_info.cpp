// The "Histogram Ordering" tab on the bundled sample, driven as a person
// would: the criterion box, header clicks, the strip, the slider, the bar and
// band selections of the chart, "Make Views", "Transpose -->" and the
// "Control Plot" page of the option sheet.
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>
#include <QSlider>
#include <QTableView>

#include "../../app/ui/MainFrameFixture.h"
#include "app/ui/CHistogramPage.h"
#include "app/ui/COptionSheet.h"
#include "app/ui/DisplaySettings.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "rank/ui/CColorListView.h"
#include "rank/ui/CControlPlotView.h"
#include "rank/ui/CHistogramInfo.h"
#include "rank/ui/InstallRankViews.h"

class TestHistogramInfo : public MainFrameFixture {
    Q_OBJECT
private:
    CHistogramInfo* panel() { return histogramInfo(); }

    void chooseCriterion(int c)
    {
        m_log.hints.clear();
        panel()->criterionBox()->setCurrentIndex(c);
    }
    QString cell(int row, int column) { return panel()->model()->index(row, column).data().toString(); }
    int currentRow() { return panel()->list()->selectionModel()->currentIndex().row(); }

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame() && panel() && !panel()->isEnabled());
        QVERIFY(frame()->openCommandLineFile(kSample));
        doc()->attach(&m_log);
        panel()->resize(1200, 400);
        panel()->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel()));
    }

    void loadFillsOriginalOrder()
    {
        QVERIFY(panel()->isEnabled());
        QCOMPARE(panel()->model()->rowCount(), 128);
        QCOMPARE(panel()->model()->columnCount(), 10);
        QCOMPARE(panel()->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Score"));
        QCOMPARE(cell(0, 1), QString("01005"));
        QCOMPARE(cell(0, 2), QString("N/A"));
        QCOMPARE(cell(127, 0), QString("128"));
        QCOMPARE(panel()->slider()->minimum(), 1);
        QCOMPARE(panel()->slider()->maximum(), 128);
        QCOMPARE(panel()->chart()->column(), 0);
        QCOMPARE(panel()->descriptionLabel()->text(), QString("Orginal Order"));
        // Every record has its 200 buckets holding every present value.
        const HistogramRecord& r = panel()->ordering().record(5);
        QCOMPARE(r.m_nBuckets, 200);
        int total = 0;
        for (int b = 0; b < 200; ++b)
            total += static_cast<int>(r.bucketMembers(b).size());
        QCOMPARE(total, 2000);
    }

    void eachCriterionFillsSortsAndMakesRowZeroCurrent()
    {
        for (int c = 1; c < kHistogramCriteria; ++c) {
            chooseCriterion(c);
            const HistogramOrdering& o = panel()->ordering();
            QCOMPARE(o.criterion(), c);
            QCOMPARE(panel()->model()->rowCount(), 128);
            for (int r = 1; r < o.rowCount(); ++r) {
                const double a = o.record(o.columnAt(r - 1)).m_dScore, b = o.record(o.columnAt(r)).m_dScore;
                QVERIFY2(c == kNormality ? a <= b : a >= b, qPrintable(QString("criterion %1 row %2").arg(c).arg(r)));
            }
            QCOMPARE(currentRow(), 0);
            QCOMPARE(panel()->currentVariable(), o.columnAt(0));
            QCOMPARE(doc()->m_nCurrentVariable, o.columnAt(0));
            QVERIFY(m_log.has(kHintCurrentVariable));
            QCOMPARE(panel()->slider()->value(), o.columnAt(0) + 1);
            QCOMPARE(panel()->strip()->current(), o.columnAt(0));
            QCOMPARE(panel()->chart()->column(), o.columnAt(0));
            QCOMPARE(cell(0, 0), QString("1"));
            QCOMPARE(panel()->list()->horizontalHeader()->sortIndicatorSection(), int(kListScore));
        }
        chooseCriterion(kNormality);
        QCOMPARE(panel()->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Error"));
        QCOMPARE(panel()->descriptionLabel()->text(), QString("Omnibus Moments Test\n |skewness|+|kurtosis-3|"));
        QCOMPARE(panel()->strip()->minimumText(), QString::asprintf("%.3f", panel()->ordering().scoreMin()));
    }

    void headerSortingFlipsAndKeepsTheCurrentVariable()
    {
        chooseCriterion(kUniqueValues);
        const int current = panel()->currentVariable();
        QHeaderView* h = panel()->list()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(kListName) + 5, 5));
        for (int r = 1; r < 128; ++r)
            QVERIFY(cell(r - 1, 1) <= cell(r, 1));
        QCOMPARE(h->sortIndicatorSection(), int(kListName));
        QCOMPARE(h->sortIndicatorOrder(), Qt::AscendingOrder);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(kListName) + 5, 5));
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(cell(0, 1) > cell(1, 1));
        QCOMPARE(panel()->currentVariable(), current);
        QCOMPARE(panel()->ordering().columnAt(currentRow()), current);
        // Numbers sort as numbers.
        panel()->sortByHeader(kListMax);
        for (int r = 1; r < 128; ++r)
            QVERIFY(cell(r - 1, kListMax).toDouble() <= cell(r, kListMax).toDouble());
    }

    void originalOrderRestoresColumnOrder()
    {
        chooseCriterion(kBiggestGap);
        chooseCriterion(kOriginalOrder);
        for (int r = 0; r < 128; ++r) {
            QCOMPARE(panel()->ordering().columnAt(r), r);
            QCOMPARE(cell(r, 2), QString("N/A"));
            QCOMPARE(cell(r, 0), QString::number(r + 1));
        }
        QCOMPARE(panel()->currentVariable(), 0);
    }

    void stripListAndSliderPickTheVariable()
    {
        chooseCriterion(kOutliers);
        CColorListView* strip = panel()->strip();
        m_log.hints.clear();
        QTest::mouseClick(strip, Qt::LeftButton, {}, QPoint(strip->xOfColumn(40) + 1, 5));
        QCOMPARE(panel()->currentVariable(), 40);
        QCOMPARE(doc()->m_nCurrentVariable, 40);
        QVERIFY(m_log.has(kHintCurrentVariable));
        QCOMPARE(panel()->ordering().columnAt(currentRow()), 40);
        QCOMPARE(panel()->slider()->value(), 41);

        panel()->slider()->setValue(7);
        QCOMPARE(panel()->currentVariable(), 6);
        QCOMPARE(panel()->chart()->column(), 6);

        // The down arrow in the list moves to the next row's variable.
        panel()->list()->setFocus();
        const int row = currentRow();
        QTest::keyClick(panel()->list(), Qt::Key_Down);
        QCOMPARE(currentRow(), row + 1);
        QCOMPARE(panel()->currentVariable(), panel()->ordering().columnAt(row + 1));
    }

    void tabOrder()
    {
        // The next widget in the focus chain outside the given one's children.
        auto next = [](QWidget* w) {
            QWidget* n = w->nextInFocusChain();
            while (w->isAncestorOf(n))
                n = n->nextInFocusChain();
            return n;
        };
        QVERIFY(!panel()->list()->tabKeyNavigation());
        QCOMPARE(next(panel()->list()), static_cast<QWidget*>(panel()->transposeButton()));
        QCOMPARE(next(panel()->transposeButton()), static_cast<QWidget*>(panel()->slider()));
        QCOMPARE(next(panel()->slider()), static_cast<QWidget*>(panel()->criterionBox()));
    }

    void barSelectionSendsTheItemsOfTheTouchedBars()
    {
        chooseCriterion(kOriginalOrder);
        CControlPlotView* chart = panel()->chart();
        QVERIFY(chart->turned());
        QVERIFY(chart->showHistogram());
        const int column = chart->column();
        const PlotRect a = chart->geometry().area();
        // A line along the base of the turned drawing touches the first bar
        // only: the items whose value lies below the first upper edge.
        m_log.hints.clear();
        QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(a.x, a.bottom() - 1));
        QTest::mouseMove(chart, QPoint(a.right() - 1, a.bottom() - 1));
        QTest::mouseRelease(chart, Qt::LeftButton, {}, QPoint(a.right() - 1, a.bottom() - 1));
        QVERIFY(m_log.has(kHintItemSelection));
        const DataMatrix& m = *doc()->data();
        const StatRecord& s = m.columnField(column)->m_statNor;
        const int bars = frame()->displaySettings().m_nBuckets;
        const double edge = s.min + (static_cast<double>(s.max) - s.min) / bars;
        std::vector<int> expected;
        for (int r = 0; r < m.m_nRows; ++r)
            if (m.value(r, column) < edge)
                expected.push_back(doc()->itemOfRow(r));
        std::sort(expected.begin(), expected.end());
        QVERIFY(!expected.empty());
        QCOMPARE(doc()->m_selectedItems, expected);

        // The whole plot: every item.
        chart->selectBars(QPoint(a.x, a.y), QPoint(a.right() - 1, a.bottom() - 1));
        QCOMPARE(static_cast<int>(doc()->m_selectedItems.size()), 2000);

        // A rectangle that touches no bar still replaces the selection.
        m_log.hints.clear();
        chart->selectBars(QPoint(0, 0), QPoint(5, 2));
        QVERIFY(doc()->m_selectedItems.empty());
        QVERIFY(m_log.has(kHintItemSelection));

        // A click at one point changes nothing.
        chart->selectBars(QPoint(a.x, a.y), QPoint(a.right() - 1, a.bottom() - 1));
        m_log.hints.clear();
        QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(a.x + 5, a.bottom() - 1));
        QCOMPARE(static_cast<int>(doc()->m_selectedItems.size()), 2000);
        QVERIFY(!m_log.has(kHintItemSelection));
    }

    void bandSelectionOnTheControlPlot()
    {
        panel()->histogramBox()->setChecked(false);
        panel()->controlPlotBox()->setChecked(true);
        CControlPlotView* chart = panel()->chart();
        QVERIFY(chart->showControlPlot());
        QVERIFY(!chart->showHistogram());
        const PlotRect a = chart->geometry().area();
        // The upper half of the plot: the items above the middle value.
        const int column = chart->column();
        const DataMatrix& m = *doc()->data();
        const StatRecord& s = m.columnField(column)->m_statNor;
        const int midY = a.y + a.h / 2;
        m_log.hints.clear();
        QTest::mousePress(chart, Qt::LeftButton, {}, QPoint(a.x, a.y));
        QTest::mouseMove(chart, QPoint(a.right() - 1, midY));
        QTest::mouseRelease(chart, Qt::LeftButton, {}, QPoint(a.right() - 1, midY));
        QVERIFY(m_log.has(kHintItemSelection));
        const std::vector<int> got = doc()->m_selectedItems;
        QVERIFY(!got.empty() && got.size() < 2000u);
        const int valueLength = chart->geometry().valueLength();
        for (int r = 0; r < m.m_nRows; ++r) {
            const int offset = static_cast<int>(std::lround((m.value(r, column) - s.min) * valueLength / (s.max - s.min)));
            const bool inside = a.bottom() - offset <= midY;
            QCOMPARE(std::binary_search(got.begin(), got.end(), doc()->itemOfRow(r)), inside);
        }
        panel()->controlPlotBox()->setChecked(false);
        panel()->histogramBox()->setChecked(true);
    }

    void cdfVertices()
    {
        panel()->cdfBox()->setChecked(true);
        CControlPlotView* chart = panel()->chart();
        QVERIFY(chart->showCdf());
        const auto v = chart->cdfVertices();
        QCOMPARE(static_cast<int>(v.size()), 201);
        const PlotRect a = chart->geometry().area();
        // Turned: from the lower left corner to the top right (no missing cells).
        QCOMPARE(v.front(), (std::pair<int, int>{a.x, a.bottom()}));
        QCOMPARE(v.back(), (std::pair<int, int>{a.right(), a.y}));
        // The vertex of bucket i at the share of values in buckets 0..i.
        const HistogramRecord& r = panel()->ordering().record(chart->column());
        int sum = 0;
        for (int i = 0; i < 100; ++i)
            sum += r.m_bucketCounts[static_cast<size_t>(i)];
        QCOMPARE(v[100].first, a.x + static_cast<int>(std::lround(a.w * static_cast<double>(sum) / 2000)));
        for (size_t i = 1; i < v.size(); ++i)
            QVERIFY(v[i].first >= v[i - 1].first && v[i].second <= v[i - 1].second);
        panel()->cdfBox()->setChecked(false);
    }

    void transposeTurnsTheChart()
    {
        const bool turned = panel()->chart()->turned();
        QTest::mouseClick(panel()->transposeButton(), Qt::LeftButton);
        QCOMPARE(panel()->chart()->turned(), !turned);
        QTest::mouseClick(panel()->transposeButton(), Qt::LeftButton);
        QCOMPARE(panel()->chart()->turned(), turned);
    }

    void controlPlotPageRebinsTheBars()
    {
        frame()->showOptionSheet();
        QVERIFY(frame()->optionSheet()->isVisible());
        CHistogramPage* page = frame()->optionSheet()->histogramPage();
        m_log.hints.clear();
        page->bucketSlider()->setValue(40);
        QVERIFY(m_log.has(kHintHistogramOptions));
        QCOMPARE(static_cast<int>(panel()->chart()->barCounts().size()), 40);
        int total = 0;
        for (int c : panel()->chart()->barCounts())
            total += c;
        QCOMPARE(total, 2000);
        page->bucketSlider()->setValue(100);
        // A new bar colour redraws the chart in it.
        page->applyBarColor(QColor(200, 20, 20));
        const PlotRect a = panel()->chart()->geometry().area();
        QCOMPARE(panel()->chart()->image().pixelColor(a.x + 1, a.bottom() - 1 - a.h / 2).rgb() & 0xFFFFFF,
                 panel()->chart()->barCounts().empty() ? 0u : QColor(200, 20, 20).rgb() & 0xFFFFFF);
        page->applyBarColor(QColor(50, 50, 100));
        // A hidden chart leaves the drawing until it is shown again.
        auto barPixel = [&] {
            return panel()->chart()->image().pixelColor(a.x + 1, a.bottom() - 1 - a.h / 2).rgb() & 0xFFFFFF;
        };
        const QRgb before = barPixel();
        panel()->hide();
        page->applyBarColor(QColor(20, 160, 20));
        QCOMPARE(barPixel(), before);
        panel()->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel()));
        QCOMPARE(barPixel(), panel()->chart()->barCounts().empty() ? 0u : QColor(20, 160, 20).rgb() & 0xFFFFFF);
        page->applyBarColor(QColor(50, 50, 100));
        frame()->optionSheet()->hide();
    }

    void makeViewsOpensChartWindows()
    {
        const int before = frame()->mdiArea()->subWindowList().size();
        QTableView* list = panel()->list();
        list->clearSelection();
        list->selectionModel()->select(panel()->model()->index(2, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->selectionModel()->select(panel()->model()->index(5, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::mouseClick(panel()->makeViewsButton(), Qt::LeftButton);
        const QList<QMdiSubWindow*> windows = frame()->mdiArea()->subWindowList();
        QCOMPARE(windows.size(), before + 2);
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        auto* view = qobject_cast<CControlPlotView*>(windows.back()->widget());
        QVERIFY(view);
        QVERIFY(!view->embedded());
        QCOMPARE(view->column(), panel()->ordering().columnAt(5));
        QCOMPARE(windows.back()->windowTitle(),
                 QString::fromStdString(doc()->data()->columnField(view->column())->m_strName));
        // The window follows the selection hint like the panel's chart.
        doc()->setItemSelection({1, 2, 3});
        QVERIFY(!view->image().isNull());
        for (QMdiSubWindow* w : windows.mid(before))
            w->close();
    }

    void newDataClearsThePanel()
    {
        // Closed: the list shows nothing of the released data.
        frame()->closeDocument();
        QVERIFY(!panel()->isEnabled());
        QVERIFY(!panel()->dataValid());
        QVERIFY(!panel()->model()->index(0, 1).data().isValid());
        panel()->list()->viewport()->repaint();
        // Opening again builds the records afresh.
        QVERIFY(frame()->openCommandLineFile(kSample));
        QCOMPARE(panel()->model()->rowCount(), 128);
        QCOMPARE(panel()->ordering().data(), frame()->document()->data());
    }
};

ARBOLIX_APP_TEST_MAIN(TestHistogramInfo)

#include "test_histogram_info.moc"
