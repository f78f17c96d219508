// The "Profile Search" tab and the "Power Calculation & Filtering" bar in
// the real main window with the bundled sample: a model from the plot's
// popup, ceilings and floors by mouse, the incremental name search, pinning,
// and the power panel's groups, calculation, filter and highlight.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cmath>

#include "app/ui/CRubberSlider.h"
#include "data/DataMatrix.h"
#include "linked/ui/CPowerPanel.h"
#include "linked/ui/CTrendInfo.h"
#include "linked/ui/CTrendView.h"
#include "linked/ui/InstallProfileViews.h"
#include "../../app/ui/MainFrameFixture.h"

class TestProfilePanels : public MainFrameFixture {
    Q_OBJECT
private:
    CTrendInfo* trend() { return info<CTrendInfo>("Profile Search"); }

    // The document's selection as rows, and the search's matches.
    std::vector<int> selectedRows()
    {
        std::vector<int> rows;
        for (int item : doc()->m_selectedItems)
            rows.push_back(doc()->rowOfItem(item));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    QPoint pointOf(int row, int variable)
    {
        const TrendMapping map = trend()->view()->mapping();
        return QPoint(static_cast<int>(std::lround(map.xOf(variable))),
                      static_cast<int>(std::lround(map.yOf(doc()->data()->value(row, variable)))));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startWithSample());
        frame()->resize(1400, 900);
        frame()->show();
        frame()->informationBar()->tabs()->setCurrentWidget(trend());
        QVERIFY(QTest::qWaitForWindowExposed(frame()));
        QVERIFY(trend()->isEnabled());
        QVERIFY(trend()->view()->width() > 300);
        QCOMPARE(trend()->search().itemCount(), 2000);
    }

    void methodSwitchShowsItsControls()
    {
        CTrendInfo* t = trend();
        QCOMPARE(t->methodBox()->currentText(), QString("Model-based"));
        QVERIFY(t->measureBox()->isVisible() && t->thresholdSlider()->isVisible());
        QCOMPARE(t->boundsLabel()->text(), QString("0.80 to 1.00"));  // thumbs at 80 and 100 of 100
        double lo, hi;
        t->thresholds(lo, hi);
        QCOMPARE(lo, 0.8);
        QCOMPARE(hi, 1.0);
        QVERIFY(!t->clearAllButton()->isVisible() && !t->nameBox()->isVisible());
        t->methodBox()->setCurrentIndex(kTrendCeilFloor);
        QVERIFY(t->clearAllButton()->isVisible() && t->deleteButton()->isVisible() && t->hintLabel()->isVisible());
        QCOMPARE(t->hintLabel()->text(), QString("Left Button : Ceiling\nRight Button: Floor"));
        QVERIFY(!t->measureBox()->isVisible());
        t->methodBox()->setCurrentIndex(kTrendName);
        QVERIFY(t->nameBox()->isVisible() && t->findButton()->isVisible() && t->incrementalBox()->isVisible());
        QVERIFY(!t->pinButton()->isEnabled());  // nothing to pin yet
        t->methodBox()->setCurrentIndex(kTrendModel);
    }

    void modelFromPopupSelectsItems()
    {
        CTrendInfo* t = trend();
        CTrendView* v = t->view();
        const QPoint at = pointOf(7, 10);
        QTest::mouseMove(v, at);
        const int hovered = v->hoveredRow();
        QVERIFY(hovered >= 0);
        QCOMPARE(doc()->m_nCurrentItem, doc()->itemOfRow(hovered));  // hint 3005 for the others
        m_log.hints.clear();
        // The popup's first entry, chosen by keyboard.
        QTimer::singleShot(50, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->actions().at(0)->text(), QString("Make it a model pattern"));
            QVERIFY(menu->actions().at(0)->isEnabled());
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, v->mapToGlobal(at));
        QApplication::sendEvent(v, &e);
        QVERIFY(t->search().hasModel());
        QVERIFY(m_log.has(kHintItemSelection));
        const std::vector<int> matched = t->search().matchedRows();
        QVERIFY(!matched.empty());
        QVERIFY(std::binary_search(matched.begin(), matched.end(), hovered));  // similarity 1 lies in [0.8, 1]
        QCOMPARE(selectedRows(), matched);
        for (int r : matched)
            QVERIFY(t->search().score(r) >= 0.8f);
        QVERIFY(t->pinButton()->isEnabled());

        // Widening by the slider keeps every match.
        t->thresholdSlider()->setValues(60, 100);
        emit t->thresholdSlider()->rangeChanged(60, 100);
        const std::vector<int> wide = t->search().matchedRows();
        QVERIFY(std::includes(wide.begin(), wide.end(), matched.begin(), matched.end()));
        QCOMPARE(selectedRows(), wide);

        // A left press moves model points near the pointer, with the data tip.
        const TrendMapping map = v->mapping();
        const QPoint press(static_cast<int>(map.xOf(20)), static_cast<int>(map.top() + 10));
        QTest::mousePress(v, Qt::LeftButton, {}, press);
        QTest::mouseRelease(v, Qt::LeftButton, {}, press);
        QCOMPARE(v->lastTip(), QString::asprintf("%5.2f", map.valueAt(press.y())));
        QCOMPARE(t->search().model()[20], map.valueAt(press.y()));
        QCOMPARE(selectedRows(), t->search().matchedRows());
    }

    void ceilingAndFloorByMouse()
    {
        CTrendInfo* t = trend();
        CTrendView* v = t->view();
        t->methodBox()->setCurrentIndex(kTrendCeilFloor);
        const TrendMapping map = v->mapping();
        const QPoint ceil(static_cast<int>(map.xOf(0)) + 2, static_cast<int>(map.top() + map.plotHeight() * 0.3));
        QTest::mouseClick(v, Qt::LeftButton, {}, ceil);
        QCOMPARE(t->search().ceilings()[0], map.valueAt(ceil.y()));
        QCOMPARE(v->lastTip(), QString::asprintf("%5.2f", map.valueAt(ceil.y())));
        const QPoint floor(static_cast<int>(map.xOf(1)), static_cast<int>(map.top() + map.plotHeight() * 0.8));
        QTest::mouseClick(v, Qt::RightButton, {}, floor);
        QCOMPARE(t->search().floors()[1], map.valueAt(floor.y()));
        const std::vector<int> matched = t->search().matchedRows();
        QVERIFY(!matched.empty() && matched.size() < 2000u);
        for (int r : matched) {
            QVERIFY(t->search().plotValue(r, 0) <= t->search().ceilings()[0]);
            QVERIFY(t->search().plotValue(r, 1) >= t->search().floors()[1]);
        }
        QCOMPARE(selectedRows(), matched);

        // Removal mode by the Delete key: a click removes the nearer constraint.
        QTest::keyClick(v, Qt::Key_Delete);
        QVERIFY(v->removalMode() && t->deleteButton()->isChecked());
        QTest::mouseClick(v, Qt::LeftButton, {}, ceil);
        QVERIFY(std::isnan(t->search().ceilings()[0]));
        QVERIFY(!std::isnan(t->search().floors()[1]));
        QTest::keyClick(v, Qt::Key_Escape);
        QVERIFY(!v->removalMode());
        QTest::mouseClick(t->clearAllButton(), Qt::LeftButton);
        QVERIFY(!t->search().hasConstraints());
        QVERIFY(doc()->m_selectedItems.empty());
    }

    void nameSearchIncrementalPinAndConsiderAll()
    {
        CTrendInfo* t = trend();
        t->methodBox()->setCurrentIndex(kTrendName);
        t->incrementalBox()->setChecked(true);
        QTest::keyClicks(t->nameBox(), "h");
        const size_t afterH = doc()->m_selectedItems.size();
        QTest::keyClicks(t->nameBox(), "la");
        QCOMPARE(doc()->m_selectedItems.size(), 22u);
        QVERIFY(afterH > 22u);
        QVERIFY(t->pinButton()->isEnabled());
        QTest::mouseClick(t->pinButton(), Qt::LeftButton);
        QVERIFY(t->considerAllButton()->isEnabled());
        QCOMPARE(t->search().candidates().size(), 22u);
        t->nameBox()->selectAll();
        QTest::keyClick(t->nameBox(), Qt::Key_Backspace);  // empty: clears the selection
        QVERIFY(doc()->m_selectedItems.empty());
        QVERIFY(!t->pinButton()->isEnabled());
        QTest::mouseClick(t->considerAllButton(), Qt::LeftButton);
        QCOMPARE(t->search().candidates().size(), 2000u);
        t->incrementalBox()->setChecked(false);
        QTest::keyClicks(t->nameBox(), "DUSP");
        QVERIFY(doc()->m_selectedItems.empty());  // not incremental: waits for Find it!
        QTest::mouseClick(t->findButton(), Qt::LeftButton);
        QVERIFY(!doc()->m_selectedItems.empty());
        // The view's image shows the matched lines in the selection colour.
        const int row = t->search().matchedRows().front();
        const QPoint at = pointOf(row, 5);
        const Rgb c = doc()->m_clrSelection;
        QCOMPARE(QColor(t->view()->image().pixel(at)), QColor(c.r, c.g, c.b));
    }

    void pictureOfThePlot()
    {
        QTemporaryDir dir;
        CTrendView* v = trend()->view();
        QVERIFY(v->savePicture(dir.path() + "/trend.png"));
        QImage png(dir.path() + "/trend.png");
        QCOMPARE(png.size(), v->size());
        QVERIFY(v->savePicture(dir.path() + "/trend.bmp"));
        QVERIFY(QFileInfo(dir.path() + "/trend.bmp").size() > 54);
    }

    void powerPanelGroupsCalculateFilterHighlight()
    {
        QVERIFY(frame()->action("Power Calculation & Filtering"));
        frame()->action("Power Calculation & Filtering")->trigger();
        auto* dock = frame()->findChild<QDockWidget*>("PowerCalculationBar");
        QVERIFY(dock && dock->isVisible());
        CPowerPanel* p = powerPanel(*frame());
        QVERIFY(p);
        QCOMPARE(p->sampleList()->topLevelItemCount(), 128);
        QCOMPARE(p->groupTree()->topLevelItemCount(), 2);
        QCOMPARE(p->field(kTargetEffect)->text(), QString("1.50"));
        QCOMPARE(p->field(kTargetPower)->text(), QString("0.80"));
        QCOMPARE(p->field(kTargetSignificance)->text(), QString("0.05"));
        QCOMPARE(p->field(kTargetSize)->text(), QString("8"));

        // Moving without a group.
        m_messages.m_texts.clear();
        p->sampleList()->topLevelItem(0)->setSelected(true);
        p->moveToGroup();
        QCOMPARE(m_messages.m_texts, std::vector<std::string>{"Select a group first"});
        // Calculating without two groups of two.
        QVERIFY(!p->calculate());
        QCOMPARE(m_messages.m_texts.back(), std::string("There should be two groups each of which has more than two items."));

        // Group1: the first 5 samples; Group2: the last 5.
        auto fill = [p](int group, int first, int count) {
            p->sampleList()->clearSelection();
            for (int i = 0; i < count; ++i)
                p->sampleList()->topLevelItem(first + i)->setSelected(true);
            p->groupTree()->clearSelection();
            p->groupTree()->topLevelItem(group)->setSelected(true);
            p->groupTree()->setCurrentItem(p->groupTree()->topLevelItem(group));
            p->moveToGroup();
        };
        fill(0, 0, 5);
        fill(1, 118, 5);
        QCOMPARE(p->groupColumns(0), (std::vector<int>{0, 1, 2, 3, 4}));
        QCOMPARE(p->groupColumns(1), (std::vector<int>{123, 124, 125, 126, 127}));
        QCOMPARE(p->sampleList()->topLevelItemCount(), 118);

        // Sample size for all items (the selection asks first: Yes = all).
        m_messages.m_answers.push_back(Answer::Yes);
        p->setTarget(kTargetSize);
        QVERIFY(p->calculate());
        PowerRun reference;
        QVERIFY(calculatePower(*doc()->data(), p->groupColumns(0), p->groupColumns(1), PowerInputs{}, nullptr, reference));
        QCOMPARE(p->run().computed, reference.computed);
        for (size_t r = 0; r < reference.f.size(); r += 97)
            QVERIFY((std::isnan(reference.f[r]) && std::isnan(p->run().f[r])) || reference.f[r] == p->run().f[r]);
        double lo, hi;
        p->filterRange(lo, hi);
        QCOMPARE(lo, reference.minF);
        QCOMPARE(hi, std::min(reference.maxF, 50.0));
        QCOMPARE(p->resultModel()->rows(), reference.filter(lo, hi));
        QCOMPARE(p->resultModel()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QString("Sample size per group"));

        // Filter to at most 5 samples per group, then highlight.
        p->setFilterRange(reference.minF, 5.0);
        p->filterRange(lo, hi);
        QVERIFY(std::fabs(hi - 5.0) < 0.05);
        const std::vector<int> listed = reference.filter(lo, hi);
        QCOMPARE(p->resultModel()->rows(), listed);
        QVERIFY(!listed.empty());
        const int first = listed.front();
        QCOMPARE(p->resultModel()->data(p->resultModel()->index(0, 1), Qt::DisplayRole).toString(),
                 QString::asprintf("%.2f", reference.f[static_cast<size_t>(first)]));
        m_log.hints.clear();
        p->highlight();
        QVERIFY(m_log.has(kHintItemSelection));
        QCOMPARE(selectedRows(), listed);

        // The row nodes carry F.
        auto* leaf = dynamic_cast<CRowNode*>(doc()->m_pRowForest->m_pOrgNodes[static_cast<size_t>(first)]);
        QVERIFY(leaf);
        QCOMPARE(leaf->m_dPowerF, reference.f[static_cast<size_t>(first)]);

        // The interactive export of the list.
        QTemporaryDir dir;
        QVERIFY(p->exportTo(kExportInteractive, dir.path() + "/i.txt"));
        QFile f(dir.path() + "/i.txt");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.at(0), QByteArray("Interactive Power Analysis Result generated by the Arbolix (5, 5, ") +
                                  QByteArray::number(static_cast<int>(listed.size())) + ")");
        QCOMPARE(lines.size(), static_cast<int>(listed.size()) + 3);

        // Calculating again for the selected items only (No to "all").
        m_messages.m_answers.push_back(Answer::No);
        QVERIFY(p->calculate());
        QVERIFY(!p->run().allItems);
        QCOMPARE(p->run().computed, static_cast<int>(listed.size()));
        QCOMPARE(powerExportName(kExportSelected, "x", p->run()), std::string("x-PowerFilter-Selected-5s-5s.txt"));
    }

    void presentCallFilter()
    {
        CPowerPanel* p = powerPanel(*frame());
        QVERIFY(!p->presentButton()->isEnabled());  // the sample has no detection calls
        QVERIFY(p->absentButton()->isEnabled());
        QCOMPARE(p->presentField()->text(), QString("50"));
        p->filterPresent(true);
        QCOMPARE(p->remainsLabel()->text(), QString("0 out of 2000"));
        QVERIFY(doc()->m_selectedItems.empty());
    }
};

ARBOLIX_APP_TEST_MAIN(TestProfilePanels)

#include "test_profile_panels.moc"
