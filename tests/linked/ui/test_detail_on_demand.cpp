// The "Detail" tab in the main window on the bundled sample: its reactions
// to the hints, the two lists, the painted "Color" column, a missing cell,
// the double click, and the splitter bar's clamping, clicks and cursors.
#include <QLabel>
#include <QTableView>
#include <QToolButton>
#include <numeric>

#include "../../app/ui/MainFrameFixture.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "linked/ui/CDetailOnDemand.h"

namespace {
// A mouse move sent straight to the panel (buttons held or not).
void moveTo(QWidget& w, QPoint at, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}
}

class TestDetailOnDemand : public MainFrameFixture {
    Q_OBJECT
private:
    CDetailOnDemand* panel() { return control<CDetailOnDemand>("Detail"); }
    int selectedRow()
    {
        const QModelIndexList rows = panel()->selectionList()->selectionModel()->selectedRows();
        return rows.isEmpty() ? -1 : rows.first().row();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startWithSample() && panel());
        frame()->controlBar()->showTab("Detail");
        QVERIFY(panel()->isVisible());
    }

    void selectionCaptionAndSaveButton()
    {
        QCOMPARE(panel()->selectionCaption()->text(), QString("Select items"));
        QVERIFY(!panel()->saveButton()->isEnabled());
        doc()->setItemSelection({1});
        QCOMPARE(panel()->selectionCaption()->text(), QString("1 item seleted"));
        QVERIFY(panel()->saveButton()->isEnabled());
        doc()->setItemSelection({0, 1, 2});
        QCOMPARE(panel()->selectionCaption()->text(), QString("3 items selected"));
        CDetailSelectionModel* m = panel()->selectionModel();
        QCOMPARE(m->rowCount(), 3);
        const DataMatrix& data = *doc()->mainPair()->m_pData;
        QCOMPARE(m->text(1, 0), data.itemId(1));
        QCOMPARE(m->text(1, 1), data.itemName(1));
        QCOMPARE(m->text(1, 2), data.itemName(1));  // no description: the name again
        // Long identifiers (AFFX-HUMISGF3A/M97935_MB_at) do not push the
        // names out of the narrow panel: no column starts wider than a
        // third of the list, the full text is in the tooltip.
        std::vector<int> last(10);
        std::iota(last.begin(), last.end(), data.rowCount() - 10);  // the AFFX controls
        doc()->setItemSelection(last);
        QTableView* list = panel()->selectionList();
        const int third = std::max(60, list->viewport()->width() / 3);
        QVERIFY(list->fontMetrics().horizontalAdvance("AFFX-HUMISGF3A/M97935_MB_at") > third);
        QVERIFY(list->columnWidth(0) <= third && list->columnWidth(1) <= third);
        doc()->setItemSelection({});
        QCOMPARE(panel()->selectionCaption()->text(), QString("Select items"));
        QVERIFY(!panel()->saveButton()->isEnabled());
    }

    void hoveredItemFillsTheDetailList()
    {
        doc()->setItemSelection({0, 1, 2});
        doc()->setCurrentItem(1);
        QCOMPARE(selectedRow(), 1);
        const CForest& cols = *doc()->m_pColForest;
        const CNode* leaf = doc()->m_pRowForest->leaf(1);
        CDetailValuesModel* v = panel()->valuesModel();
        QVERIFY(v->rowCount() >= cols.m_nLeaves);
        QCOMPARE(v->row(0).field, cols.leaf(0)->m_strName);
        QCOMPARE(QString::fromStdString(v->row(0).transformed), QString::asprintf("%.2f", leaf->m_pValues[0]));
        QCOMPARE(QString::fromStdString(v->row(5).original), QString::asprintf("%.2f", leaf->m_pOrgValues[5]));
        const Rgb c = viewContext().mapping.colorOf(leaf->m_pValues[5]);
        QCOMPARE(v->data(v->index(5, 3), Qt::BackgroundRole).value<QColor>(), QColor(c.r, c.g, c.b));
        QCOMPARE(v->data(v->index(5, 3), Qt::DisplayRole).toString(), QString());
        // The row forest's texts follow the values.
        QCOMPARE(v->row(cols.m_nLeaves).transformed, leaf->m_strLabel2);
        QCOMPARE(panel()->detailCaption()->text(), QString::fromStdString(leaf->m_strName));
        // The field names are not cut to the header's width (up to a third of the list).
        QTableView* list = panel()->detailList();
        int longest = 0;
        for (int r = 0; r < v->rowCount(); ++r)
            longest = std::max(longest, list->fontMetrics().horizontalAdvance(QString::fromStdString(v->row(r).field)));
        QVERIFY(list->columnWidth(0) >= std::min(longest, list->viewport()->width() / 3));

        // A hovered item outside the selection: no row selected, the values shown.
        doc()->setCurrentItem(50);
        QCOMPARE(selectedRow(), -1);
        QCOMPARE(panel()->detailCaption()->text(), QString::fromStdString(doc()->m_pRowForest->leaf(50)->m_strName));
        doc()->setCurrentItem(-1);
        QCOMPARE(panel()->valuesModel()->rowCount(), 0);
        QVERIFY(panel()->detailCaption()->text().isEmpty());
    }

    void doubleClickHoversTheItem()
    {
        doc()->setItemSelection({4, 9});
        m_log.hints.clear();
        QTableView* list = panel()->selectionList();
        const QPoint at = list->visualRect(panel()->selectionModel()->index(1, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(doc()->m_nCurrentItem, 9);
        QCOMPARE(m_log.hints, std::vector<int>{kHintCurrentItem});
        QCOMPARE(selectedRow(), 1);
    }

    void columnHintsOnlyInTheColumnView()
    {
        doc()->setItemSelection({4, 9});
        QVERIFY(doc()->m_bRowView);
        doc()->setVariableSelection({0, 1, 2});
        QCOMPARE(panel()->selectionModel()->rowCount(), 2);  // 3004 ignored
        doc()->updateAllViews(nullptr, kHintVariableSubtree);
        QCOMPARE(panel()->selectionModel()->rowCount(), 2);  // 3007 ignored
        doc()->m_bRowView = false;
        doc()->updateAllViews(nullptr, kHintVariableSelection);
        QCOMPARE(panel()->selectionModel()->rowCount(), 3);
        QCOMPARE(panel()->selectionCaption()->text(), QString("3 variables selected"));  // the list holds variables
        QVERIFY(!panel()->listShowsItems());
        QVERIFY(!panel()->saveButton()->isEnabled());  // it saves items
        QVERIFY(!panel()->subject()->m_bRowForest);
        // 3006: a variable's values over all the items.
        doc()->setCurrentVariable(2);
        QCOMPARE(panel()->valuesModel()->rowCount(), doc()->m_pRowForest->m_nLeaves);
        QCOMPARE(selectedRow(), 2);
        doc()->m_bRowView = true;
    }

    void resultsAndNewDataEmptyTheLists()
    {
        doc()->setItemSelection({4, 9});
        doc()->setCurrentItem(4);
        QVERIFY(panel()->valuesModel()->rowCount() > 0);
        doc()->updateAllViews(nullptr, kHintResultsChanged);
        QCOMPARE(panel()->selectionModel()->rowCount(), 0);
        QCOMPARE(panel()->valuesModel()->rowCount(), 0);
        doc()->setItemSelection({4});
        QCOMPARE(panel()->selectionModel()->rowCount(), 1);
        doc()->updateAllViews(nullptr, kHintNewData);
        QCOMPARE(panel()->selectionModel()->rowCount(), 0);
        // Hidden, the panel ignores the hints (3002 aside).
        frame()->controlBar()->showTab("Control");
        QVERIFY(!panel()->isVisible());
        doc()->setItemSelection({1, 2});
        QCOMPARE(panel()->selectionModel()->rowCount(), 0);
        // Shown again, it refills.
        frame()->controlBar()->showTab("Detail");
        QCOMPARE(panel()->selectionModel()->rowCount(), 2);
    }

    void missingCellIsEmptyAndWhite()
    {
        const QString path = writeFile("gaps.txt", "ID\tNAME\tS1\tS2\tS3\ng1\tone\t1.5\t\t2\ng2\ttwo\t3\t4\t5\ng3\tthree\t6\t7\t8\n");
        QVERIFY(frame()->openCommandLineFile(path));
        doc()->setItemSelection({0});
        doc()->setCurrentItem(0);
        CDetailValuesModel* v = panel()->valuesModel();
        QVERIFY(v->rowCount() >= 3);
        int gap = -1;
        for (int r = 0; r < 3; ++r)
            if (v->row(r).field == "S2")
                gap = r;
        QVERIFY(gap >= 0);
        QVERIFY(v->row(gap).transformed.empty());
        QVERIFY(v->row(gap).original.empty());
        QCOMPARE(v->data(v->index(gap, 3), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));
        QVERIFY(!v->row(gap == 0 ? 1 : 0).transformed.empty());
    }

    void splitterBar()
    {
        CDetailOnDemand p;
        p.resize(300, 600);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.selectionList()->geometry(), QRect(3, 26, 294, 266));
        // Clicks on the triangles' squares.
        QTest::mouseClick(&p, Qt::LeftButton, {}, QPoint(10, 300));
        QCOMPARE(p.fraction(), 0.05f);
        const int t = p.currentLayout().bar.top;
        QTest::mouseClick(&p, Qt::LeftButton, {}, QPoint(290, t + 5));
        QCOMPARE(p.fraction(), 0.95f);
        // Cursors over the bar.
        const int t2 = p.currentLayout().bar.top;
        moveTo(p, QPoint(10, t2 + 5));
        QCOMPARE(p.cursor().shape(), Qt::UpArrowCursor);
        moveTo(p, QPoint(150, t2 + 5));
        QCOMPARE(p.cursor().shape(), Qt::SplitVCursor);
        moveTo(p, QPoint(290, t2 + 5));
        QCOMPARE(p.cursor().shape(), Qt::BitmapCursor);
        // A drag above the top stops at 0: the selection list has no height.
        QTest::mousePress(&p, Qt::LeftButton, {}, QPoint(150, t2 + 5));
        QVERIFY(p.dragging());
        moveTo(p, QPoint(150, -80), Qt::LeftButton);
        QCOMPARE(p.fraction(), 0.0f);
        QCOMPARE(p.selectionList()->height(), 0);
        QTest::mouseRelease(&p, Qt::LeftButton, {}, QPoint(150, 0));
        QVERIFY(!p.dragging());
        // A double click on the bar between the squares: back to the middle.
        QTest::mouseDClick(&p, Qt::LeftButton, {}, QPoint(150, p.currentLayout().bar.top + 5));
        QCOMPARE(p.fraction(), 0.5f);
        // Resizing keeps the fraction.
        p.resize(300, 400);
        QCOMPARE(p.currentLayout().bar.top, 195);
        QCOMPARE(p.detailList()->geometry().top(), 195 + 16 + 20);
    }

    // The lists point into the document's forests: closing it, with the
    // panel shown or hidden, empties them before anything is painted.
    void closingTheDocumentEmptiesTheLists()
    {
        doc()->detach(&m_log);
        for (bool shown : {true, false}) {
            QVERIFY(frame()->openCommandLineFile(kSample));
            frame()->controlBar()->showTab("Detail");
            doc()->setItemSelection({4, 9});
            QCOMPARE(panel()->selectionModel()->rowCount(), 2);
            if (!shown)
                frame()->controlBar()->showTab("Control");
            frame()->closeDocument();
            QVERIFY(!doc());
            QCOMPARE(panel()->selectionModel()->rowCount(), 0);
            QVERIFY(panel()->selectionModel()->text(0, 0).empty());
            frame()->controlBar()->showTab("Detail");
            panel()->repaint();
            QCOMPARE(panel()->selectionModel()->rowCount(), 0);
        }
    }
};

ARBOLIX_APP_TEST_MAIN(TestDetailOnDemand)

#include "test_detail_on_demand.moc"
