// The dialogs' validation messages, the progress window and the option
// sheet, on the bundled sample.
#include <QCheckBox>
#include <QFileDialog>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QGroupBox>
#include <QTableWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>

#include "app/ui/CDynamicControl.h"
#include "app/ui/CHistogramPage.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/COptionSheet.h"
#include "app/ui/CProgressWnd.h"
#include "app/ui/QtProgress.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CColumnCheckList.h"
#include "cluster/ui/CExportDlg.h"
#include "cluster/ui/CKMeansDlg.h"
#include "data/DataMatrix.h"
#include "data/ui/CLoadDialog.h"
#include "MainFrameFixture.h"

class TestDialogs : public MainFrameFixture {
    Q_OBJECT
private:

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
    }

    void controlTabStartStates()
    {
        CDynamicControl* c = frame()->controlPanel();
        QVERIFY(c->checkBox("Show Min Similarity Bar")->isChecked());
        QVERIFY(c->checkBox("Show Detail Similarity Bar")->isChecked());
        QVERIFY(c->checkBox("Show Clustering Information")->isChecked());
        QVERIFY(c->checkBox("Show Color Scale Bar")->isChecked());
        QVERIFY(!c->checkBox("Show Item Names")->isChecked());
        QVERIFY(c->checkBox("Enable Mouse Move Update")->isChecked());
        QVERIFY(!c->checkBox("Show Min Similarity Bar")->isEnabled());  // no data yet
        QCOMPARE(c->barHeightSlider()->value(), 67);
        QCOMPARE(c->barHeightSlider()->minimum(), 0);
        QCOMPARE(c->barHeightSlider()->maximum(), 100);
        QCOMPARE(c->schemeBox()->count(), 7);
        QVERIFY(frame()->action("Filter Out or Gray Out")->isChecked());
    }

    void progressCaptionAndCancel()
    {
        QtProgress& p = frame()->progressWindow();
        QVERIFY(p.open("Clustering"));
        CProgressWnd* wnd = p.window();
        QVERIFY(wnd && wnd->isVisible());
        QCOMPARE(wnd->size(), QSize(390, 130));
        QCOMPARE(wnd->cancelButton()->text(), QString(" Cancel "));
        QVERIFY(!frame()->isEnabled());
        QCOMPARE(wnd->windowTitle(), QString("Clustering"));
        p.setRange(0, 200);
        p.setPosition(1);
        QCOMPARE(wnd->windowTitle(), QString("Clustering [1%]"));
        p.setPosition(2);  // still 1 %: the caption stays
        QCOMPARE(wnd->windowTitle(), QString("Clustering [1%]"));
        p.setPosition(101);
        QCOMPARE(wnd->windowTitle(), QString("Clustering [51%]"));
        QVERIFY(!p.cancelled());
        QTest::mouseClick(wnd->cancelButton(), Qt::LeftButton);
        QVERIFY(p.cancelled());
        wnd->move(40, 30);
        p.close();
        QVERIFY(!wnd->isVisible());
        QVERIFY(frame()->isEnabled());
        // The position comes back next time; one off the screen is ignored.
        QVERIFY(p.open(""));
        QCOMPARE(wnd->windowTitle(), QString("Progress"));
        QCOMPARE(wnd->pos(), QPoint(40, 30));
        QVERIFY(!p.cancelled());
        wnd->move(100000, 30);
        p.close();
        QVERIFY(p.open("Again"));
        QVERIFY(wnd->x() < 100000);
        p.setRange(5, 5);
        p.setPosition(5);
        QCOMPARE(wnd->windowTitle(), QString("Again"));
        p.close();
    }

    void loadDialogChecks()
    {
        std::unique_ptr<DataMatrix> data, filtered;
        CLoadDialog dlg(kSample, data, filtered, frame());
        whenDialogOpens<CLoadDialog>([&](CLoadDialog* d) {
            // No side file: present-call filtering is off and disabled.
            QVERIFY(!d->presentCallBox()->isEnabled());
            QVERIFY(!d->filterButton()->isEnabled());
            d->stdevBox()->click();
            QVERIFY(d->filterButton()->isEnabled());
            d->stdevEdit()->setText("0");
            m_messages.m_texts.clear();
            d->filterButton()->click();
            QCOMPARE(m_messages.m_texts, std::vector<std::string>{"Invalid value in the stdev editbox"});
            QCOMPARE(d->stdevEdit()->text(), QString("1.0"));
            QVERIFY(!d->saveButton()->isEnabled());
            d->stdevEdit()->setText("0.5");
            d->filterButton()->click();
            QVERIFY(d->saveButton()->isEnabled());
            QVERIFY(d->keptEdit()->text().toInt() > 0);
            QCOMPARE(d->allEdit()->text(), QString("2000"));
            // Saving the filtering result offers name + "_Filtered.exp".
            QString offered;
            whenDialogOpens<QFileDialog>([&](QFileDialog* f) {
                offered = f->selectedFiles().value(0);
                f->selectFile(m_dir.filePath("kept.exp"));
                QMetaObject::invokeMethod(f, "accept");
            });
            d->saveButton()->click();
            QVERIFY(offered.endsWith("/all_leukemia_top2000_Filtered.exp"));
            QVERIFY(QFile::exists(m_dir.filePath("kept.exp")));
            d->normalizeBox()->click();
            d->logBox()->click();
            d->accept();
        });
        QCOMPARE(dlg.run(), int(QDialog::Accepted));
        QVERIFY(filtered);
        const TransformChoice c = dlg.choice();
        QVERIFY(c.log);
        QCOMPARE(c.direction, -1);
        QCOMPARE(c.method, -1);
        QVERIFY(dlg.filtered());
        QCOMPARE(dlg.previewList()->rowCount(), 9);
    }

    void openFilteredSample()
    {
        int kept = 0;
        whenDialogOpens<CLoadDialog>([&kept](CLoadDialog* d) {
            d->stdevBox()->click();
            d->stdevEdit()->setText("1.0");
            d->filterIt();
            kept = d->keptEdit()->text().toInt();
            d->accept();
        });
        QVERIFY(frame()->openDataFile(kSample));
        // The filtered matrix is the data; the full one is gone.
        QCOMPARE(kept, 372);  // rows whose standard deviation exceeds 1.0
        QCOMPARE(doc()->data()->m_nRows, kept);
        QVERIFY(!CArxApp::instance()->data().m_pData);
        QVERIFY(doc()->m_bDataLoaded);
    }

    void controlTabHints()
    {
        auto* panel = new RecordingPanel;  // the bar owns its panels
        QVERIFY(frame()->setPanel("Detail", panel, panel));
        QVERIFY(frame()->document()->isAttached(panel));
        CDynamicControl* c = frame()->controlPanel();
        QVERIFY(c->checkBox("Show Min Similarity Bar")->isEnabled());
        // The mosaic height follows page steps, not line steps.
        c->barHeightSlider()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(panel->m_hints.empty());
        QCOMPARE(frame()->displaySettings().m_nBarHeight, 68);
        c->barHeightSlider()->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(panel->m_hints, std::vector<int>{kHintMosaicHeight});
        QCOMPARE(frame()->displaySettings().m_nBarHeight, 58);
        int redraws = 0;
        auto conn = connect(frame(), &CMainFrame::displayFlagsChanged, this, [&redraws] { ++redraws; });
        c->checkBox("Show Color Scale Bar")->click();
        QCOMPARE(redraws, 1);
        QVERIFY(!frame()->displaySettings().m_bShowColorScale);
        c->checkBox("Show Color Scale Bar")->click();
        disconnect(conn);
        // A panel put in its place replaces it and leaves the document.
        QVERIFY(frame()->setPanel("Detail", new QWidget, nullptr));
        QVERIFY(!frame()->document()->isAttached(panel));
    }

    void rearrangeChildWindows()
    {
        QMdiSubWindow* a = frame()->addChartWindow(new QWidget, nullptr, "Chart A");
        QMdiSubWindow* b = frame()->addChartWindow(new QWidget, nullptr, "Chart B");
        QVERIFY(a && b);
        frame()->mdiArea()->resize(1000, 600);
        frame()->rearrangeChildWindows();
        const QRect area = frame()->mdiArea()->viewport()->rect();
        QMdiSubWindow* doc = qobject_cast<QMdiSubWindow*>(frame()->documentWindow()->parentWidget());
        QVERIFY(doc);
        QCOMPARE(doc->geometry(), QRect(0, 0, area.width() * 3 / 5, area.height()));
        QCOMPARE(a->x(), area.width() * 3 / 5);
        QCOMPARE(b->x(), a->x());
        QVERIFY(b->y() > a->y());
        delete b;
        frame()->rearrangeChildWindows();
        QCOMPARE(doc->width(), area.width() / 2);
        QCOMPARE(a->x(), area.width() / 2);
        delete a;
    }

    void clusteringParameterChecks()
    {
        CClusteringParamsDlg dlg(*doc(), frame());
        m_messages.m_texts.clear();
        dlg.firstList()->setAllChecked(false);
        dlg.accept();
        QCOMPARE(m_messages.m_texts.back(), std::string("Please select at least one sample to cluster"));
        dlg.firstList()->topLevelItem(0)->setCheckState(0, Qt::Checked);
        dlg.firstList()->topLevelItem(1)->setCheckState(0, Qt::Checked);
        dlg.accept();
        QCOMPARE(m_messages.m_texts.back(),
                 std::string("Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
                             "Please select more than 2, or choose another distance measure."));
        QVERIFY(dlg.centeredBox()->isVisibleTo(&dlg));
        dlg.setMeasure(kMeasureEuclidean);
        QVERIFY(!dlg.centeredBox()->isVisibleTo(&dlg));
        QVERIFY(!dlg.partitionButton(kPartitionByRow)->isEnabled());  // no categorical column
        dlg.setPartitioning(kPartitionByColumn);
        QVERIFY(dlg.secondList()->isVisibleTo(&dlg));
        dlg.accept();
        QCOMPARE(m_messages.m_texts.back(), std::string("Please select at least one sample to cluster on each list"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.parameters().m_options.measure, int(kMeasureEuclidean));
    }

    void kMeansChecks()
    {
        CKMeansDlg dlg(*doc(), frame());
        m_messages.m_texts.clear();
        dlg.rows().k->setValue(1);
        dlg.accept();
        QCOMPARE(m_messages.m_texts, std::vector<std::string>{"Please specify more than one cluster to generate"});
        // Without a hierarchical clustering the tree cannot seed the centroids.
        dlg.useTree(true);
        QCOMPARE(m_messages.m_texts.back(), std::string("Please do the hierarchical clustering first!"));
        QVERIFY(dlg.rows().random->isChecked());
        QVERIFY(!dlg.columns().box->isEnabled());
        dlg.columns().run->setChecked(true);
        QVERIFY(dlg.columns().box->isEnabled());
    }

    void exportDialogLists()
    {
        CExportDlg dlg(*doc(), frame());
        QVERIFY(dlg.fileNameEdit()->text().startsWith("all_leukemia_top2000"));
        QCOMPARE(dlg.filesToSave(), QString("Nothing to export!"));
        // The formats other programs read.
        QCOMPARE(dlg.formatBox()->count(), 3);
        dlg.formatBox()->setCurrentIndex(1);
        QCOMPARE(dlg.format(), ResultFormat::TreeView);
        QCOMPARE(dlg.filesToSave(), QString("Nothing to export!"));
        dlg.formatBox()->setCurrentIndex(2);
        QCOMPARE(dlg.format(), ResultFormat::Newick);
    }

    void optionSheetKeepsItsValues()
    {
        frame()->showOptionSheet();
        COptionSheet* sheet = frame()->optionSheet();
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowTitle(), QString("Change options for displays"));
        QVERIFY(frame()->action("Option")->isChecked());
        sheet->histogramPage()->bucketSlider()->setValue(150);
        QCOMPARE(frame()->displaySettings().m_nBuckets, 150);
        sheet->close();
        QVERIFY(!sheet->isVisible());
        frame()->updateCommandStates();
        QVERIFY(!frame()->action("Option")->isChecked());
        frame()->showOptionSheet();
        QCOMPARE(frame()->optionSheet(), sheet);
        QCOMPARE(sheet->histogramPage()->bucketSlider()->value(), 150);
        sheet->hide();
    }
};

ARBOLIX_APP_TEST_MAIN(TestDialogs)

#include "test_dialogs.moc"
