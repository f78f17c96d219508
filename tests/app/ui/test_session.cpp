// A whole analysis session on the bundled sample in the real main window, as
// a new user walks it: the sample opened from the command line says how its
// values were transformed (status bar, colour scale, the charts' "Use
// Original Values" boxes); power on the values as loaded, with groups by
// class, against a calculation from the file itself and the command line;
// the selection of a scatterplot region in the Detail panel and the table;
// "Items in ROI" without stale scores and with whole counts; the profile
// search's threshold slider; the evaluation's texts; the K-means tab painted
// at once; the save dialogs' titles; export and reopen with equal values.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTableView>
#include <QTreeWidget>
#include <cmath>
#include <map>

#include "data/ColorMapping.h"
#include "app/ui/CArxKmeansView.h"
#include "app/ui/CColorMappingView.h"
#include "app/ui/CDynamicControl.h"
#include "app/ui/CRubberSlider.h"
#include "app/ui/PictureExport.h"
#include "cluster/Forest.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CEvalCluster.h"
#include "cluster/ui/CExportDlg.h"
#include "cluster/ui/CKMeansDlg.h"
#include "data/DataMatrix.h"
#include "data/LoadDialogState.h"
#include "linked/ui/CDataTableModel.h"
#include "linked/ui/CDataTableView.h"
#include "linked/ui/CDetailOnDemand.h"
#include "linked/ui/CPowerPanel.h"
#include "linked/ui/CTrendInfo.h"
#include "linked/ui/InstallProfileViews.h"
#include "rank/ui/CHistogramInfo.h"
#include "rank/ui/CScatterPlotView.h"
#include "rank/ui/CVisualGuide.h"
#include "MainFrameFixture.h"

namespace {
const QString kShown = "No Log, Row-by-Row Standardization (Mean and Stdev)";

// The sample read straight from its text: values by identifier, and the
// class of every value column from the CID line.
struct SampleText {
    std::vector<int> classes;
    std::map<std::string, std::vector<double>> values;
};
SampleText readSample()
{
    SampleText s;
    QFile f(kSample);
    if (!f.open(QIODevice::ReadOnly))
        return s;
    const QStringList lines = QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].trimmed().split('\t');
        if (cells.value(0) == "CID") {
            for (int k = 2; k < cells.size(); ++k)
                s.classes.push_back(cells[k].toInt());
            continue;
        }
        std::vector<double> v;
        for (int k = 2; k < cells.size(); ++k)
            v.push_back(cells[k].toDouble());
        s.values[cells[0].toStdString()] = std::move(v);
    }
    return s;
}

// The two-sample sample size per group for a fold of 1.5, power 0.8 and
// alpha 0.05, from the mean and the sample standard deviation of each class.
double sampleSize(const std::vector<double>& v, const std::vector<int>& classes)
{
    double sum[2] = {0, 0}, sq[2] = {0, 0};
    int n[2] = {0, 0};
    for (size_t k = 0; k < v.size(); ++k) {
        const int g = classes[k] == 1 ? 0 : 1;
        sum[g] += v[k];
        ++n[g];
    }
    const double mean[2] = {sum[0] / n[0], sum[1] / n[1]};
    for (size_t k = 0; k < v.size(); ++k) {
        const int g = classes[k] == 1 ? 0 : 1;
        sq[g] += (v[k] - mean[g]) * (v[k] - mean[g]);
    }
    const double pooled = (sq[0] + sq[1]) / (n[0] + n[1] - 2);
    const double delta = std::min(mean[0], mean[1]) * 0.5;
    const double z = 1.959963984540054 + 0.8416212335729143;  // scipy.stats.norm.ppf(0.975) + ppf(0.8)
    return 2.0 * pooled * z * z / (delta * delta);
}

int whitePixels(const QImage& image)
{
    int white = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            white += image.pixel(x, y) == qRgb(255, 255, 255);
    return white;
}
} // namespace

class TestSession : public MainFrameFixture {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
        frame()->resize(1600, 1000);
        frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame()));
    }

    // ---- what the values are ----
    void theWindowSaysHowTheValuesWereTransformed()
    {
        // Started with the file, the window takes the load dialog's start
        // choices for it without showing them: row standardisation.
        LoadDialogState state(kSample.toStdString());
        QVERIFY(state.initialise());
        QCOMPARE(state.transformChoice().direction, 0);
        QCOMPARE(state.transformChoice().method, 0);
        QVERIFY(!state.transformChoice().log);
        QVERIFY(frame()->transformationField()->text().isEmpty());
        QVERIFY(frame()->openCommandLineFile(kSample));
        QCOMPARE(frame()->transformationField()->text(), kShown);
        QVERIFY(frame()->statusBar()->isAncestorOf(frame()->transformationField()));
        auto* scale = frame()->controlPanel()->findChild<CColorMappingView*>();
        QVERIFY(scale);
        QCOMPARE(scale->caption(), kShown);
        // The scale runs over the standardised values it names.
        const DataMatrix& data = *doc()->data();
        QVERIFY(scale->mapping().m_fDataMin < 0.0f && data.m_fNorMin < 0.0f && data.m_fOrgMin > 2.0f);

        // Each chart's box says which values it shows.
        for (auto [box, label] : {std::pair{info<CHistogramInfo>("Histogram Ordering")->originalBox(),
                                            info<CHistogramInfo>("Histogram Ordering")->valuesShownLabel()},
                                  std::pair{info<CVisualGuide>("Scatterplot Ordering")->originalBox(),
                                            info<CVisualGuide>("Scatterplot Ordering")->valuesShownLabel()}}) {
            QCOMPARE(box->text(), QString("Use Original Values"));
            QCOMPARE(label->text(), "Showing: " + kShown);
            box->setChecked(true);
            QCOMPARE(label->text(), QString("Showing the values as loaded"));
            box->setChecked(false);
            QCOMPARE(label->text(), "Showing: " + kShown);
        }
    }

    void powerOnTheValuesAsLoaded()
    {
        frame()->action("Power Calculation & Filtering")->trigger();
        CPowerPanel* p = powerPanel(*frame());
        QVERIFY(p && p->isVisible());
        QVERIFY(p->valuesNote()->text().contains("values as loaded"));
        // One group per class of the CID row, in one step.
        const SampleText sample = readSample();
        QCOMPARE(static_cast<int>(sample.classes.size()), 128);
        QVERIFY(p->groupByClass());
        QCOMPARE(p->groupTree()->topLevelItemCount(), 2);
        QCOMPARE(p->groupTree()->topLevelItem(0)->text(0), QString("Class 1"));
        QCOMPARE(p->groupTree()->topLevelItem(1)->text(0), QString("Class 2"));
        std::vector<int> first, second;
        for (int k = 0; k < 128; ++k)
            (sample.classes[static_cast<size_t>(k)] == 1 ? first : second).push_back(k);
        QCOMPARE(p->groupColumns(0), first);
        QCOMPARE(p->groupColumns(1), second);
        QCOMPARE(p->sampleList()->topLevelItemCount(), 0);

        p->setModel(kPowerTwoSample);
        p->setTarget(kTargetSize);
        QVERIFY(doc()->m_selectedItems.empty());  // so Calculate asks nothing
        QVERIFY(p->calculate());
        // The sample sizes follow from the file's numbers, not from the
        // standardised values the window shows.
        const DataMatrix& data = *doc()->data();
        QVERIFY(std::fabs(data.value(0, 0) - data.orgValue(0, 0)) > 1.0f);
        for (int r : {0, 1, 777, 1999}) {
            const double expected = sampleSize(sample.values.at(data.itemId(r)), sample.classes);
            const double got = p->run().f[static_cast<size_t>(r)];
            QVERIFY2(std::fabs(got - expected) <= 1e-6 * expected, qPrintable(QString("%1 %2").arg(got).arg(expected)));
        }

        // The command line, even when told to standardise, gives the same.
        QProcess cli;
        cli.start(ARBOLIX_CLI, {"power", kSample, "--g1", "cid=1", "--g2", "cid=2", "--target", "size", "--normalize",
                                "row", "--method", "0"});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList lines = QString::fromLatin1(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), data.rowCount());
        for (int r = 0; r < data.rowCount(); ++r) {
            const QStringList cells = lines[r].split('\t');
            QCOMPARE(cells.value(0).toStdString(), data.itemId(r));
            QCOMPARE(cells.value(1), QString::asprintf("%.6g", p->run().f[static_cast<size_t>(r)]));
        }
        frame()->findChild<QDockWidget*>("PowerCalculationBar")->hide();
    }

    // ---- panels that follow ----
    void hierarchicalClusteringAndItsEvaluation()
    {
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QVERIFY(doc()->m_pRowForest->hasTree());
        frame()->controlBar()->showTab("Evaluation");
        auto* eval = control<CEvalCluster>("Evaluation");
        eval->hierarchical().evaluate->click();
        // Within and between on the distance scale, and as a similarity.
        for (QLineEdit* field : {eval->hierarchical().within, eval->hierarchical().between}) {
            const QRegularExpressionMatch m =
                QRegularExpression(R"(^\s*(\d+\.\d{3}) \(similarity (\d\.\d{3})\)$)").match(field->text());
            QVERIFY2(m.hasMatch(), qPrintable(field->text()));
            QVERIFY(std::fabs(1.0 - m.captured(1).toDouble() / 65535.0 - m.captured(2).toDouble()) <= 0.0005);
        }
        QCOMPARE(eval->hierarchical().fMeasure->text(), QString("N/A (no classes in the data)"));
    }

    void kMeansTabPaintedAtOnce()
    {
        frame()->informationBar()->showTab("K-means");
        auto* view = info<CArxKmeansView>("K-means");
        QVERIFY(view->isVisible());
        QApplication::processEvents();
        QCOMPARE(whitePixels(view->image()), view->image().width() * view->image().height());
        // "Do K-means" of the evaluation panel, the tab already in front.
        whenDialogOpens<CKMeansDlg>([](CKMeansDlg* d) {
            d->rows().k->setValue(4);
            d->accept();
        });
        control<CEvalCluster>("Evaluation")->doKMeansButton()->click();
        QVERIFY(doc()->m_pRowForest->m_bKMeans);
        QCOMPARE(frame()->informationBar()->tabs()->currentWidget(), static_cast<QWidget*>(view));
        const QImage four = view->image();
        QVERIFY(whitePixels(four) < four.width() * four.height() / 2);
        // The Clustering menu's command, the tab still in front: the new
        // result is painted too.
        whenDialogOpens<CKMeansDlg>([](CKMeansDlg* d) {
            d->rows().k->setValue(7);
            d->accept();
        });
        frame()->kMeansClustering();
        QVERIFY(view->image() != four);
        QVERIFY(whitePixels(view->image()) < view->image().width() * view->image().height() / 2);
    }

    void aRegionsSelectionIsTheSameEverywhere()
    {
        auto* guide = info<CVisualGuide>("Scatterplot Ordering");
        frame()->informationBar()->showTab("Scatterplot Ordering");
        frame()->controlBar()->showTab("Detail");
        auto* detail = control<CDetailOnDemand>("Detail");
        guide->chooseCriterion(kPairCorrelation);
        QCOMPARE(doc()->m_selectedVariables.size(), 2u);  // the pair on view
        CScatterPlotView* view = guide->scatterView();
        const QRect band(QPoint(view->width() / 4, view->height() / 4), QPoint(view->width() * 3 / 4, view->height() * 3 / 4));
        QTest::mousePress(view, Qt::LeftButton, {}, band.topLeft());
        QTest::mouseMove(view, band.center());
        QTest::mouseRelease(view, Qt::LeftButton, {}, band.bottomRight());
        const std::vector<int> items = doc()->m_selectedItems;
        QVERIFY(items.size() > 2);
        // The pointer passes over a variable (a histogram, a column label);
        // then the Detail tab is brought up again.
        doc()->setCurrentVariable(5);
        QVERIFY(detail->detailCaption()->text().endsWith("(variable)"));
        frame()->controlBar()->showTab("Evaluation");
        frame()->controlBar()->showTab("Detail");
        QVERIFY(detail->listShowsItems());
        QCOMPARE(detail->selectionModel()->rowCount(), static_cast<int>(items.size()));
        QCOMPARE(detail->selectionCaption()->text(), QString("%1 items selected").arg(items.size()));
        std::vector<std::string> detailIds, selectedIds;
        for (int r = 0; r < detail->selectionModel()->rowCount(); ++r)
            detailIds.push_back(detail->selectionModel()->text(r, 0));
        for (int item : items)
            selectedIds.push_back(doc()->data()->itemId(doc()->rowOfItem(item)));
        std::sort(detailIds.begin(), detailIds.end());
        std::sort(selectedIds.begin(), selectedIds.end());
        QCOMPARE(detailIds, selectedIds);

        frame()->informationBar()->showTab("Table View");
        auto* table = info<CDataTableView>("Table View");
        QCOMPARE(table->countLabel()->text(), detail->selectionCaption()->text());
        std::vector<int> tableItems;
        for (int r : table->selectedListRows())
            tableItems.push_back(table->model()->itemOf(r));
        std::sort(tableItems.begin(), tableItems.end());
        QCOMPARE(tableItems, items);
    }

    void itemsInRegionShowNoStaleScores()
    {
        auto* guide = info<CVisualGuide>("Scatterplot Ordering");
        frame()->informationBar()->showTab("Scatterplot Ordering");
        guide->chooseCriterion(kPairCorrelation);
        const int x = guide->currentX(), y = guide->currentY();
        guide->chooseCriterion(kPairRoi);
        QCOMPARE(guide->criterion(), static_cast<int>(kPairRoi));
        for (int r : {0, 1, 4000})
            QCOMPARE(guide->model()->data(guide->model()->index(r, 3), Qt::DisplayRole).toString(), QString("N/A"));
        QCOMPARE(guide->currentX(), x);  // the pair on view stays
        QCOMPARE(guide->currentY(), y);
        guide->roiButton(1)->setChecked(true);
        CScatterPlotView* view = guide->scatterView();
        QTest::mousePress(view, Qt::LeftButton, {}, QPoint(30, 20));
        QTest::mouseMove(view, QPoint(100, 80));
        QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(view->width() / 2, view->height() / 2));
        const PairScore& top = guide->table().row(0);
        QVERIFY(top.m_dScore > 0);
        QCOMPARE(guide->model()->data(guide->model()->index(0, 3), Qt::DisplayRole).toString(),
                 QString::number(static_cast<int>(top.m_dScore)));
        guide->chooseCriterion(kPairCorrelation);
    }

    void profileSearchSliderShowsItsRange()
    {
        frame()->informationBar()->showTab("Profile Search");
        auto* trend = info<CTrendInfo>("Profile Search");
        CRubberSlider* s = trend->thresholdSlider();
        QCOMPARE(trend->boundsLabel()->text(), QString("0.80 to 1.00"));
        // The thumbs stand at 0.8 and 1.0 of the track.
        QCOMPARE(s->low(), 80);
        QCOMPARE(s->high(), 100);
        QVERIFY(s->xOfValue(s->low()) > s->width() * 3 / 4 - 10);
        QVERIFY(s->xOfValue(s->high()) >= s->width() - 20);
        // Dragging the right thumb left lowers the upper bound; the left
        // thumb dragged right raises the lower bound.
        const int hx = s->xOfValue(s->high()) + 5, mid = s->height() / 2;
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(hx, mid));
        QTest::mouseMove(s, QPoint(hx - s->width() / 10, mid));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(hx - s->width() / 10, mid));
        double lo, hi;
        trend->thresholds(lo, hi);
        QCOMPARE(lo, 0.8);
        QVERIFY(hi < 0.95 && hi > 0.8);
        const int lx = s->xOfValue(s->low()) - 4;
        QTest::mousePress(s, Qt::LeftButton, {}, QPoint(lx, mid));
        QTest::mouseMove(s, QPoint(lx + 3, mid));
        QTest::mouseRelease(s, Qt::LeftButton, {}, QPoint(lx + 3, mid));
        double lo2, hi2;
        trend->thresholds(lo2, hi2);
        QVERIFY(lo2 > lo);
        QCOMPARE(hi2, hi);
        QCOMPARE(trend->boundsLabel()->text(), QString::asprintf("%.2f to %.2f", lo2, hi2));
        // Absolute distances also grow to the right: the thumbs are mirrored
        // so that the profiles near the model stay picked, and back again.
        trend->measureBox()->setCurrentIndex(kTrendAbsolute);
        QCOMPARE(s->low(), 100 - static_cast<int>(std::lround(hi2 * 100)));
        trend->measureBox()->setCurrentIndex(kTrendPearson);
        double lo3, hi3;
        trend->thresholds(lo3, hi3);
        QCOMPARE(lo3, lo2);
        QCOMPARE(hi3, hi2);
    }

    void saveDialogsAreTitledForWhatTheySave()
    {
        for (bool cluster : {true, false}) {
            QString title;
            whenDialogOpens<QFileDialog>([&title](QFileDialog* d) {
                title = d->windowTitle();
                d->reject();
            });
            saveLeavesDialog(frame(), doc(), {0, 1}, cluster);
            QCOMPARE(title, QString(cluster ? "Save the selected cluster in a tab-delimited text file"
                                            : "Save the selected nodes in a tab-delimited text file"));
        }
    }

    // ---- export and reopen ----
    void exportThenReopenShowsTheSameValues()
    {
        // A folder that is not there is refused by the dialog itself.
        m_messages.m_texts.clear();
        whenDialogOpens<CExportDlg>([this](CExportDlg* d) {
            d->folderEdit()->setText(m_dir.filePath("no/such/folder"));
            d->accept();
            QVERIFY(d->isVisible());
            d->reject();
        });
        frame()->exportClusteringResult();
        QCOMPARE(m_messages.m_texts, std::vector<std::string>{"Error in Export Dialog!"});

        bool startedOnShown = false;
        whenDialogOpens<CExportDlg>([this, &startedOnShown](CExportDlg* d) {
            startedOnShown = d->normalizedButton()->isChecked();
            d->folderEdit()->setText(m_dir.path());
            d->fileNameEdit()->setText("session");
            d->accept();
        });
        frame()->exportClusteringResult();
        QVERIFY(startedOnShown);
        QCOMPARE(frame()->statusBar()->currentMessage(),
                 QString("Exported 3 files to %1").arg(QDir::toNativeSeparators(m_dir.path())));
        for (const char* ext : {".rcr", ".ccr", ".dat"})
            QVERIFY(QFile::exists(m_dir.filePath(QString("session") + ext)));

        // The values the window showed, by item and column name.
        std::map<std::string, std::vector<float>> shown;
        const DataMatrix& before = *doc()->data();
        for (int r = 0; r < before.rowCount(); ++r)
            shown[before.itemId(r)] = std::vector<float>(before.rowValues(r), before.rowValues(r) + before.m_nColumns);
        std::vector<std::string> columns;
        for (int k = 0; k < before.m_nColumns; ++k)
            columns.push_back(before.columnField(k)->m_strName);

        QVERIFY(frame()->openClusteringResult(m_dir.filePath("session.dat")));
        QCOMPARE(frame()->transformationField()->text(), kShown);
        const DataMatrix& after = *doc()->data();
        QCOMPARE(after.rowCount(), static_cast<int>(shown.size()));
        QCOMPARE(after.m_nColumns, static_cast<int>(columns.size()));
        std::vector<int> columnAt(columns.size());
        for (int k = 0; k < after.m_nColumns; ++k) {
            auto it = std::find(columns.begin(), columns.end(), after.columnField(k)->m_strName);
            QVERIFY(it != columns.end());
            columnAt[static_cast<size_t>(k)] = static_cast<int>(it - columns.begin());
        }
        double worst = 0.0;
        for (int r = 0; r < after.rowCount(); ++r) {
            const std::vector<float>& was = shown.at(after.itemId(r));
            for (int k = 0; k < after.m_nColumns; ++k)
                worst = std::max(worst, std::fabs(static_cast<double>(after.value(r, k)) -
                                                  was[static_cast<size_t>(columnAt[static_cast<size_t>(k)])]));
        }
        QVERIFY2(worst < 1e-4, qPrintable(QString::number(worst)));
    }
};

ARBOLIX_APP_TEST_MAIN(TestSession)
#include "test_session.moc"
