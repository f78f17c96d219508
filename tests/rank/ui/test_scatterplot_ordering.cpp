// The "Scatterplot Ordering" tab on the bundled sample in the real main
// window: every criterion fills the list and the overview; the list, the
// overview and the sliders keep each other in step with one hint 3004 per
// change; a drawn region re-scores; the rubber band selects (hint 3003);
// chart windows and their density title; "Cluster Similarity" with the
// "Pick two dendrograms to compare" dialog and its refusals.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QRadioButton>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>

#include "cluster/Forest.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CPickDendrogramsDlg.h"
#include "data/ui/CLoadDialog.h"
#include "platform/Format.h"
#include "rank/ui/CScatterPlotView.h"
#include "rank/ui/CSetCompareView.h"
#include "rank/ui/CSquarePrismView.h"
#include "rank/ui/CVisualGuide.h"
#include "../../app/ui/MainFrameFixture.h"

namespace {
int count(const std::vector<int>& hints, int hint) { return static_cast<int>(std::count(hints.begin(), hints.end(), hint)); }
} // namespace

class TestScatterplotOrdering : public MainFrameFixture {
    Q_OBJECT
private:
    CVisualGuide* guide() { return info<CVisualGuide>("Scatterplot Ordering"); }

    void expectInStep(int x, int y)
    {
        CVisualGuide* g = guide();
        QCOMPARE(g->currentX(), x);
        QCOMPARE(g->currentY(), y);
        const int row = g->table().rowOf(x, y);
        QVERIFY(row >= 0);
        QCOMPARE(g->list()->currentIndex().row(), row);
        QCOMPARE(g->overview()->highlightRow(), std::max(x, y));
        QCOMPARE(g->overview()->highlightColumn(), std::min(x, y));
        QCOMPARE(g->xSlider()->value(), x);
        QCOMPARE(g->ySlider()->value(), y);
        QCOMPARE(g->scatterView()->xVariable(), x);
        QCOMPARE(g->scatterView()->yVariable(), y);
        QCOMPARE(doc()->m_selectedVariables, (std::vector<int>{std::min(x, y), std::max(x, y)}));
    }

    // A pixel of the overview's lower left part, inside some cell.
    QPoint cellPoint(int& row, int& column)
    {
        const PrismLayout& l = guide()->overview()->layout();
        const int side = static_cast<int>(l.m_dCell * l.m_nRows);
        const QPoint at(l.m_nLeft + side / 3, l.m_nTop + side * 2 / 3);
        return l.cellAt(at.x(), at.y(), row, column) ? at : QPoint(-1, -1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
        frame()->resize(1500, 950);
        frame()->show();
        QVERIFY(guide());
        frame()->informationBar()->tabs()->setCurrentWidget(guide());
        frame()->resizeDocks({frame()->informationBar()}, {520}, Qt::Vertical);
        QVERIFY(QTest::qWaitForWindowExposed(frame()));
    }

    void emptyWithoutData()
    {
        QVERIFY(!guide()->isEnabled());
        QCOMPARE(guide()->criterionBox()->currentText(), QString("No Order"));
        QCOMPARE(guide()->model()->rowCount(), 0);
        QCOMPARE(guide()->criterionBox()->count(), 10);
        QCOMPARE(guide()->criterionBox()->itemText(8), QString("Cluster Similarity"));
    }

    void loadingFillsTheUnscoredList()
    {
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(kSample));
        QVERIFY(guide()->isEnabled());
        QCOMPARE(guide()->model()->rowCount(), 8128);
        QCOMPARE(guide()->model()->data(guide()->model()->index(0, 3), Qt::DisplayRole).toString(), QString("N/A"));
        QCOMPARE(guide()->overview()->cellColor(1, 0), QColor(Qt::white));
        doc()->attach(&m_log);
    }

    void everyCriterionFillsListAndOverview()
    {
        for (int c : {0, 1, 2, 3, 4, 5, 7}) {
            guide()->chooseCriterion(c);
            QCOMPARE(guide()->criterion(), c);
            QCOMPARE(guide()->model()->rowCount(), 8128);
            QCOMPARE(guide()->model()->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(),
                     QString(c == 1 || c == 2 ? "Error" : "Score"));
            QCOMPARE(guide()->description()->text(), QString(pairCriterionDescription(c)));
            QVERIFY(guide()->roiGroup()->isHidden());
            const PairTable& t = guide()->table();
            // The top row is the best score, and the overview draws its cell in the end colour.
            const PairScore& top = t.row(0);
            QCOMPARE(t.m_dMax > t.m_dMin, true);
            const QColor topColour =
                guide()->overview()->cellColor(std::max(top.m_nX, top.m_nY), std::min(top.m_nX, top.m_nY));
            QCOMPARE(topColour, c == 1 || c == 2 ? QColor(0, 0, 255) : QColor(255, 0, 0));
            QVERIFY(!guide()->overview()->image().isNull());
            expectInStep(top.m_nX, top.m_nY);
        }
        // The outlier criterion hands the outlying items to the view.
        guide()->chooseCriterion(5);
        QVERIFY(guide()->scatterView()->details().size() > 1);
        guide()->chooseCriterion(9);
        QCOMPARE(guide()->model()->data(guide()->model()->index(5, 3), Qt::DisplayRole).toString(), QString("N/A"));
        QCOMPARE(guide()->overview()->cellColor(100, 3), QColor(Qt::white));
    }

    void listOverviewAndSlidersKeepInStep()
    {
        guide()->chooseCriterion(0);
        // The list: a click on row 10.
        m_log.hints.clear();
        QTableView* list = guide()->list();
        list->scrollTo(guide()->model()->index(10, 1));
        const QRect cell = list->visualRect(guide()->model()->index(10, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        const PairScore& picked = guide()->table().row(10);
        expectInStep(picked.m_nX, picked.m_nY);
        QCOMPARE(count(m_log.hints, kHintVariableSelection), 1);
        // A keyboard move goes to the next row.
        m_log.hints.clear();
        QTest::keyClick(list, Qt::Key_Down);
        const PairScore& next = guide()->table().row(11);
        expectInStep(next.m_nX, next.m_nY);
        QCOMPARE(count(m_log.hints, kHintVariableSelection), 1);
        // The overview: a click on a cell.
        m_log.hints.clear();
        int cellRow = -1, cellColumn = -1;
        const QPoint at = cellPoint(cellRow, cellColumn);
        QVERIFY(at.x() >= 0);
        QTest::mouseClick(guide()->overview(), Qt::LeftButton, {}, at);
        const PairScore* s = guide()->table().find(cellRow, cellColumn);
        QVERIFY(s);
        expectInStep(s->m_nX, s->m_nY);
        QCOMPARE(count(m_log.hints, kHintVariableSelection), 1);
        // The sliders: X to variable 7 while Y stays.
        m_log.hints.clear();
        const int y = guide()->ySlider()->value();
        guide()->xSlider()->setValue(7);
        QCOMPARE(guide()->scatterView()->xVariable(), 7);
        QCOMPARE(guide()->list()->currentIndex().row(), guide()->table().rowOf(7, y));
        QCOMPARE(guide()->overview()->highlightRow(), std::max(7, y));
        QCOMPARE(count(m_log.hints, kHintVariableSelection), 1);
        QCOMPARE(guide()->xLabel()->text(), QString::fromStdString(doc()->data()->columnField(7)->m_strName));
        // Picking the same pair again sends nothing.
        m_log.hints.clear();
        guide()->selectPair(CVisualGuide::kFromOverview, guide()->currentX(), guide()->currentY());
        QCOMPARE(count(m_log.hints, kHintVariableSelection), 0);
    }

    void headerClickSortsAndKeepsTheCurrentRow()
    {
        guide()->chooseCriterion(0);
        const int x = guide()->currentX(), y = guide()->currentY();
        QHeaderView* header = guide()->list()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        // Ascending scores: the most negative correlation first.
        QVERIFY(guide()->table().row(0).m_dScore <= guide()->table().row(1).m_dScore);
        QCOMPARE(guide()->list()->currentIndex().row(), guide()->table().rowOf(x, y));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        QVERIFY(guide()->table().row(0).m_dScore >= guide()->table().row(1).m_dScore);
    }

    void drawnRegionRescores()
    {
        guide()->chooseCriterion(6);
        QVERIFY(!guide()->roiGroup()->isHidden());
        QVERIFY(guide()->roiGroup()->isEnabled());
        QCOMPARE(guide()->criterion(), 6);
        guide()->roiButton(2)->setChecked(true);
        QTest::qWait(50);
        QCOMPARE(CScatterPlotView::regionType(), 2);
        CScatterPlotView* view = guide()->scatterView();
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(40, 30));
        QTest::mouseMove(view, QPoint(120, 90));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(view->width() - 40, view->height() - 40));
        QCOMPARE(guide()->table().m_nCriterion, 6);
        QCOMPARE(guide()->model()->rowCount(), 8128);
        // The top pair's score is the count of its drawn points inside the ellipse.
        const PairScore& top = guide()->table().row(0);
        QCOMPARE(view->xVariable(), top.m_nX);
        QCOMPARE(static_cast<double>(countInRegion(CScatterPlotView::region(), view->positions())), top.m_dScore);
        QCOMPARE(CScatterPlotView::region().m_nType, static_cast<int>(kRoiEllipse));
        // A free-form region re-scores again.
        guide()->roiButton(3)->setChecked(true);
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(30, 30));
        QTest::mouseMove(view, QPoint(200, 40));
        QTest::mouseMove(view, QPoint(200, 200));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(30, 200));
        QCOMPARE(CScatterPlotView::region().m_nType, static_cast<int>(kRoiFreeForm));
        QCOMPARE(static_cast<double>(countInRegion(CScatterPlotView::region(), view->positions())),
                 guide()->table().row(0).m_dScore);
    }

    void rubberBandSelectsItems()
    {
        guide()->chooseCriterion(0);
        QCOMPARE(CScatterPlotView::regionType(), 0);
        CScatterPlotView* view = guide()->scatterView();
        m_log.hints.clear();
        // A press and release at one point changes nothing.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(60, 60));
        QCOMPARE(count(m_log.hints, kHintItemSelection), 0);
        const QRect band(QPoint(20, 10), QPoint(view->width() / 2, view->height() / 2));
        QTest::mousePress(view, Qt::LeftButton, {}, band.topLeft());
        QTest::mouseMove(view, band.center());
        QTest::mouseRelease(view, Qt::LeftButton, {}, band.bottomRight());
        QCOMPARE(count(m_log.hints, kHintItemSelection), 1);
        std::vector<int> inside;
        for (size_t r = 0; r < view->positions().size(); ++r)
            if (band.contains(view->positions()[r].px, view->positions()[r].py))
                inside.push_back(static_cast<int>(r));
        QVERIFY(!inside.empty());
        QCOMPARE(doc()->m_selectedItems, inside);
    }

    void chartWindowsAndDensityTitle()
    {
        guide()->chooseCriterion(1);
        QMdiSubWindow* w = guide()->openChart(0);
        QVERIFY(w);
        auto* view = qobject_cast<CScatterPlotView*>(w->widget());
        QVERIFY(view);
        const PairScore& top = guide()->table().row(0);
        QCOMPARE(view->xVariable(), top.m_nX);
        QCOMPARE(view->details(), top.m_details);
        const QString title = w->windowTitle();
        view->setDensityShown(true);
        QCOMPARE(w->windowTitle(), title + " Density Plot");
        QVERIFY(!view->densityCounts().empty());
        view->setDensityShown(false);
        QCOMPARE(w->windowTitle(), title);
        // "Make a View" is offered inside the panel only.
        std::unique_ptr<QMenu> menu(view->makeContextMenu());
        QCOMPARE(menu->actions().size(), 4);
        QVERIFY(!menu->actions().at(1)->isEnabled());
        std::unique_ptr<QMenu> inPanel(guide()->scatterView()->makeContextMenu());
        QVERIFY(inPanel->actions().at(1)->isEnabled());
        // "Make Views" opens one window per selected row and clears the selection.
        const int before = static_cast<int>(frame()->mdiArea()->subWindowList().size());
        QTableView* list = guide()->list();
        list->selectionModel()->select(guide()->model()->index(2, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        list->selectionModel()->select(guide()->model()->index(5, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        guide()->makeViewsButton()->click();
        QCOMPARE(static_cast<int>(frame()->mdiArea()->subWindowList().size()), before + 2);
        QVERIFY(list->selectionModel()->selectedRows().isEmpty());
        for (QMdiSubWindow* s : frame()->mdiArea()->subWindowList())
            if (qobject_cast<CScatterPlotView*>(s->widget()))
                s->close();
    }

    void pickDialogRefusals()
    {
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        CForest* rows = doc()->m_pRowForest;
        CForest* columns = doc()->m_pColForest;
        QVERIFY(rows->hasTree() && columns->hasTree());
        rows->cut(0.0f);  // one cluster
        for (float s = 0.9f; s > 0.0f && columns->m_clusters.size() < 2; s -= 0.05f)
            columns->cut(s);
        QVERIFY(rows->m_clusters.size() < 2);
        QVERIFY(columns->m_clusters.size() >= 2);
        std::vector<CPickDendrogramsDlg::Dendrogram> list{{"All (Rows)", 1, rows}, {"All (Columns)", 2, columns}};
        m_messages.m_texts.clear();
        CPickDendrogramsDlg dlg(list);
        dlg.accept();
        dlg.box(1)->setCurrentIndex(2);
        QCOMPARE(dlg.infoText(1), QString::fromStdString(strFormat("Dendro1:All (Columns)\r\n2\r\n# of Clusters=%d",
                                                                   static_cast<int>(columns->m_clusters.size()))));
        dlg.accept();
        dlg.box(1)->setCurrentIndex(1);
        dlg.box(2)->setCurrentIndex(2);
        dlg.accept();
        dlg.box(1)->setCurrentIndex(2);
        dlg.box(2)->setCurrentIndex(1);
        dlg.accept();
        QCOMPARE(m_messages.m_texts,
                 (std::vector<std::string>{
                     "The first dendrogram is not valid.", "The second dendrogram is not valid.",
                     "Drag minium similarity bar to generate at least TWO clusters on the FIRST dendrogram.",
                     "Drag minium similarity bar to generate at least TWO clusters on the SECOND dendrogram."}));
        QCOMPARE(dlg.result(), static_cast<int>(QDialog::Rejected));
    }

    void clusterSimilarityComparesTwoCuts()
    {
        CForest* rows = doc()->m_pRowForest;
        rows->cut(0.6f);
        QVERIFY(rows->m_clusters.size() >= 2);
        whenDialogOpens<CPickDendrogramsDlg>([](CPickDendrogramsDlg* d) {
            d->box(1)->setCurrentIndex(1);
            d->box(2)->setCurrentIndex(1);
            d->accept();
        });
        guide()->chooseCriterion(8);
        const PairTable& t = guide()->table();
        QVERIFY(t.isClusterComparison());
        const int k = static_cast<int>(rows->m_clusters.size());
        QCOMPARE(t.rowCount(), k * k);
        // A cut against itself: every cluster matches itself with F = 1.
        QCOMPARE(t.row(0).m_dScore, 1.0);
        QCOMPARE(t.m_dMax, 1.0);
        QVERIFY(!guide()->setView()->isHidden());
        QVERIFY(guide()->scatterView()->isHidden());
        QCOMPARE(guide()->model()->data(guide()->model()->index(0, 1), Qt::DisplayRole).toString(),
                 QString("Row Cluster %1").arg(t.row(0).m_nX));
        // The set view's sliders pick a pair; list and overview follow.
        guide()->setView()->secondSlider()->setValue(1);
        QCOMPARE(guide()->currentY(), 1);
        QCOMPARE(guide()->list()->currentIndex().row(), t.rowOf(guide()->currentX(), 1));
        QCOMPARE(guide()->setView()->secondLabel(), QString("Column Cluster 1"));
        // Cancel drops the comparison.
        whenDialogOpens<CPickDendrogramsDlg>([](CPickDendrogramsDlg* d) { d->reject(); });
        guide()->chooseCriterion(8);
        QVERIFY(!guide()->table().isClusterComparison());
        QCOMPARE(guide()->criterion(), 9);
        QVERIFY(!guide()->scatterView()->isHidden());
    }
};

int main(int argc, char** argv)
{
    useOwnSettings();
    // The application opens a file named on its command line: it gets none,
    // so that test functions can be named there.
    int appArgc = 1;
    CArxApp app(appArgc, argv);
    TestScatterplotOrdering test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_scatterplot_ordering.moc"
