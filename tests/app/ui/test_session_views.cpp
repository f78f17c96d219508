// A session on the bundled sample in a window twice as dense as its logical
// size (a 3200 x 2000 screen shown as 1600 x 1000): the views paint sharp
// images, the information bar shows ten rows in every list, chart windows
// open readable and cascaded, the control plot keeps its squares visible
// under the bars and its CDF on a 0..1 axis, the table puts the annotation
// beside the identifier in columns of sensible width, the ontology panel
// loads what it finds on its first showing and fits its enrichment list,
// and saved pictures keep their own pixel size, cropped to what is drawn.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <cmath>

#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxView.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "app/ui/SaveToBmpDialog.h"
#include "app/ui/ViewImage.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "data/DataMatrix.h"
#include "data/ui/CLoadDialog.h"
#include "linked/GoOntology.h"
#include "linked/ui/AnnotationFile.h"
#include "linked/ui/CDataTableModel.h"
#include "linked/ui/CDataTableView.h"
#include "linked/ui/COntologyInfo.h"
#include "linked/ui/CTrendInfo.h"
#include "linked/ui/CTrendView.h"
#include "rank/ui/CControlPlotView.h"
#include "rank/ui/CHistogramInfo.h"
#include "rank/ui/CScatterPlotView.h"
#include "rank/ui/CSquarePrismView.h"
#include "rank/ui/CVisualGuide.h"
#include "MainFrameFixture.h"

namespace {
const QString kSamples = QString(ARBOLIX_SAMPLES_DIR);

// The image is the view's logical size at ratio 2.
bool sharp(const QImage& image, QSize logical)
{
    if (image.devicePixelRatio() != 2.0 || image.size() != logical * 2) {
        qWarning() << "image" << image.size() << image.devicePixelRatio() << "for" << logical;
        return false;
    }
    return true;
}

// Whether an image holds a pixel other than white in the given row or column.
bool rowDrawn(const QImage& image, int y)
{
    for (int x = 0; x < image.width(); ++x)
        if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
            return true;
    return false;
}
bool columnDrawn(const QImage& image, int x)
{
    for (int y = 0; y < image.height(); ++y)
        if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
            return true;
    return false;
}
} // namespace

class TestSessionViews : public MainFrameFixture {
    Q_OBJECT
private:
    void showTab(const QString& tab)
    {
        frame()->informationBar()->showTab(tab);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    std::vector<QMdiSubWindow*> charts()
    {
        std::vector<QMdiSubWindow*> out;
        for (QMdiSubWindow* w : frame()->mdiArea()->subWindowList())
            if (w->widget() != frame()->documentWindow())
                out.push_back(w);
        return out;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(startFrame());
        frame()->showNormal();
        frame()->setGeometry(0, 0, 1600, 1000);
        QCoreApplication::processEvents();
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(kSample));
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QVERIFY(doc()->m_pRowForest->m_bClustered);
        QCoreApplication::processEvents();
    }

    // First of all: every other check below shows the Gene Ontology tab.
    void ontologyLoadsOnFirstShowingAndFitsItsList()
    {
        auto* go = info<COntologyInfo>("Gene Ontology");
        QVERIFY(!go->ontology());
        showTab("Gene Ontology");
        QTRY_VERIFY_WITH_TIMEOUT(go->ontology() != nullptr, 60000);
        const int terms = go->ontology()->termCount();
        QVERIFY(terms > 1000);
        const QString text = go->sourceLabel()->text();
        QVERIFY2(text.startsWith("On first showing: Loaded "), qPrintable(text));
        QVERIFY2(text.contains("go-basic.obo") && text.contains(QString("(%1 terms)").arg(terms)), qPrintable(text));
        QVERIFY(m_messages.m_texts.empty());
        // The enrichment of the current cut, with the sample's annotation
        // giving the items' GO identifiers: every column but the term's in
        // view without scrolling, the term's full text in its tooltip.
        QVERIFY(attachAnnotationFile(*doc(), kAnnotation));
        QCoreApplication::processEvents();
        go->hypeTest();
        QVERIFY2(m_messages.m_texts.empty(), m_messages.m_texts.empty() ? "" : m_messages.m_texts.back().c_str());
        QTRY_VERIFY_WITH_TIMEOUT(go->enrichmentRunsShown() > 0, 60000);
        QCoreApplication::processEvents();
        QTableView* list = go->list();
        QVERIFY(list->model()->rowCount() > 0);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
        QHeaderView* header = list->horizontalHeader();
        const int last = header->count() - 1;
        QCOMPARE(list->model()->headerData(last, Qt::Horizontal).toString(), QString("FDR"));
        QVERIFY(header->sectionViewportPosition(last) + header->sectionSize(last) <= list->viewport()->width());
        QVERIFY(header->sectionSize(last) >= go->enrichmentColumnWidth(last));
        const QModelIndex term = list->model()->index(0, COntologyInfo::kTermColumn);
        QCOMPARE(term.data(Qt::ToolTipRole).toString(), term.data().toString());
    }

    void viewsPaintAtTheWindowsPixelRatio()
    {
        QCOMPARE(frame()->devicePixelRatioF(), 2.0);
        CArxView* view = overview();
        QVERIFY(view);
        view->repaint();
        QVERIFY(sharp(view->snapshot(), view->size()));

        showTab("Color Mosaic");
        auto* entire = info<CArxEntireView>("Color Mosaic");
        QVERIFY(entire);
        entire->viewport()->repaint();
        QVERIFY(sharp(entire->image(), entire->viewport()->size()));

        showTab("Histogram Ordering");
        auto* histograms = info<CHistogramInfo>("Histogram Ordering");
        histograms->chart()->repaint();
        QVERIFY(sharp(histograms->chart()->image(), histograms->chart()->size()));

        showTab("Scatterplot Ordering");
        auto* guide = info<CVisualGuide>("Scatterplot Ordering");
        guide->scatterView()->repaint();
        QVERIFY(sharp(guide->scatterView()->image(), guide->scatterView()->size()));
        guide->overview()->repaint();
        QVERIFY(sharp(guide->overview()->image(), guide->overview()->size()));

        showTab("Profile Search");
        auto* trends = info<CTrendInfo>("Profile Search");
        QVERIFY(sharp(trends->view()->image(), trends->view()->size()));

        // A picture keeps its own pixel size: the overview as shown, one
        // pixel per logical pixel, whatever the screen.
        SaveToBmpDialog dlg(view, entire);
        dlg.setFolder(m_dir.path());
        dlg.setFileName("shown");
        dlg.setFormat("png");
        QCOMPARE(dlg.targetPath(), m_dir.filePath("shown.png"));
        QVERIFY(dlg.save());
        QCOMPARE(QImage(m_dir.filePath("shown.png")).size(), view->size());
        // Its pixels are the view's as drawn at ratio 1: the scaled-down
        // screen image agrees with it where a cell is wide and plain.
        const QImage shown(m_dir.filePath("shown.png"));
        const QImage screen = view->snapshot().scaled(view->size());
        int same = 0, all = 0;
        for (int y = 5; y < shown.height(); y += 37)
            for (int x = 5; x < shown.width(); x += 41, ++all)
                same += shown.pixel(x, y) == screen.pixel(x, y);
        QVERIFY2(same * 10 >= all * 9, qPrintable(QString("%1 of %2 pixels agree").arg(same).arg(all)));
    }

    void staleImagesAreRepaintedAtTheNewRatio()
    {
        // What a move to another screen leaves: an image at the old ratio.
        CArxView* view = overview();
        QImage old;
        fitViewImage(old, view->size(), 1.0);
        QVERIFY(viewImageStale(old, view, view->size()));
        QVERIFY(!viewImageStale(view->snapshot(), view, view->size()));
        QImage image;
        QVERIFY(fitViewImage(image, QSize(30, 20), 2.0));
        QCOMPARE(image.size(), QSize(60, 40));
        QCOMPARE(logicalSize(image), QSize(30, 20));
        QVERIFY(!fitViewImage(image, QSize(30, 20), 2.0));
        QVERIFY(!writesPixelsDirectly(&image));
        QVERIFY(fitViewImage(image, QSize(30, 20), 1.0));
        QVERIFY(writesPixelsDirectly(&image));
    }

    void informationBarShowsTenRowsInEveryList()
    {
        frame()->settleBarSizes();
        QCoreApplication::processEvents();
        CTabDockBar* bar = frame()->informationBar();
        QCOMPARE(bar->rowsMissing(CMainFrame::kListRowsShown), 0);
        const int height = bar->height();
        QVERIFY(height < frame()->height() * 2 / 3);
        for (const QString& tab : CMainFrame::informationTabs()) {
            showTab(tab);
            for (QAbstractItemView* view : bar->panel(tab)->findChildren<QAbstractItemView*>()) {
                if (!view->isVisible() || qobject_cast<QHeaderView*>(view))
                    continue;
                QVERIFY2(CTabDockBar::visibleRows(view) >= CMainFrame::kListRowsShown,
                         qPrintable(tab + ": " + view->objectName() + " shows " +
                                    QString::number(CTabDockBar::visibleRows(view)) + " rows"));
            }
        }
        // The whole window, title bar included, fits a 1000-pixel screen
        // whichever control panel is in front: a tall one scrolls.
        for (const QString& tab : CMainFrame::controlTabs()) {
            frame()->controlBar()->showTab(tab);
            QCoreApplication::processEvents();
            QVERIFY2(frame()->minimumSizeHint().height() <= 1000 - 40,
                     qPrintable(tab + ": at least " + QString::number(frame()->minimumSizeHint().height())));
            QCOMPARE(frame()->height(), 1000);
            QCOMPARE(bar->height(), height);
        }
        // The document window keeps room for the overview's mosaic under
        // the dendrogram.
        QVERIFY(overview()->verticalLayoutState().cellHeight >= 1);
        frame()->controlBar()->showTab("Control");
        // Resizing the window leaves the bar as it is.
        frame()->resize(1400, 900);
        QCoreApplication::processEvents();
        QCOMPARE(bar->height(), height);
        frame()->resize(1600, 1000);
        QCoreApplication::processEvents();
        QCOMPARE(bar->height(), height);
        // The next session opens the bars as this one left them.
        frame()->resizeDocks({bar}, {height + 40}, Qt::Vertical);
        QCoreApplication::processEvents();
        const int changed = bar->height();
        frame()->saveBarSizes();
        QCOMPARE(QSettings("Arbolix", "Arbolix").value("Bars/InformationBarHeight").toInt(), changed);
        frame()->resizeDocks({bar}, {height}, Qt::Vertical);
        frame()->settleBarSizes();
        QCoreApplication::processEvents();
        QCOMPARE(bar->height(), changed);
        // Back to the opening height for the checks that follow.
        frame()->resizeDocks({bar}, {height}, Qt::Vertical);
        QCoreApplication::processEvents();
    }

    void chartWindowsOpenReadableAndCascaded()
    {
        for (QMdiSubWindow* w : charts())
            w->close();
        QCoreApplication::processEvents();
        showTab("Histogram Ordering");
        auto* histograms = info<CHistogramInfo>("Histogram Ordering");
        histograms->list()->selectRow(0);
        histograms->list()->selectionModel()->select(histograms->model()->index(1, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        histograms->list()->selectionModel()->select(histograms->model()->index(2, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
        std::vector<QString> names;
        for (int r = 0; r < 3; ++r)
            names.push_back(QString::fromStdString(
                doc()->data()->columnField(histograms->ordering().columnAt(r))->m_strName));
        histograms->makeViews();
        showTab("Scatterplot Ordering");
        auto* guide = info<CVisualGuide>("Scatterplot Ordering");
        QVERIFY(guide->openChart(0));
        QCoreApplication::processEvents();
        const std::vector<QMdiSubWindow*> open = charts();
        QCOMPARE(open.size(), size_t{4});
        for (size_t i = 0; i < open.size(); ++i) {
            QVERIFY(open[i]->width() >= 400 && open[i]->height() >= 300);
            if (i < 3)
                QCOMPARE(open[i]->windowTitle(), names[i]);
            if (i > 0) {
                QVERIFY(open[i]->x() > open[i - 1]->x());
                QVERIFY(open[i]->y() > open[i - 1]->y());
            }
        }
        QVERIFY(open[3]->windowTitle().contains(" vs. "));
        // A small area still gets readable windows, and the cascade comes
        // back to the top when it runs out of room.
        const QRect area(0, 0, 700, 500);
        for (int i = 0; i < 20; ++i) {
            const QRect r = CMainFrame::chartWindowRect(i, area);
            QVERIFY(r.width() >= 400 && r.height() >= 300);
            QVERIFY(r.top() >= 0 && r.top() + 300 <= 500);
        }
        QCOMPARE(CMainFrame::chartWindowRect(0, area).topLeft(), QPoint(0, 0));
        for (QMdiSubWindow* w : charts())
            w->close();
        QCoreApplication::processEvents();
    }

    void controlPlotKeepsSquaresVisibleAndCdfOnItsAxis()
    {
        showTab("Histogram Ordering");
        auto* histograms = info<CHistogramInfo>("Histogram Ordering");
        CControlPlotView* chart = histograms->chart();
        // Wide enough to read beside the list.
        QVERIFY2(chart->width() >= 300, qPrintable(QString::number(chart->width())));
        histograms->controlPlotBox()->setChecked(false);
        histograms->cdfBox()->setChecked(false);
        histograms->histogramBox()->setChecked(true);
        QCOMPARE(chart->geometry().area().y, ChartGeometry::kNarrowMargin);
        // The tallest bar, drawn solid: its middle has the bar colour.
        const std::vector<int>& counts = chart->barCounts();
        const int tallest = static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
        const int maxCount = counts[static_cast<size_t>(tallest)];
        auto middleOf = [&] {
            const PlotRect r = chart->geometry().bar(tallest, static_cast<int>(counts.size()), maxCount, maxCount);
            return QPoint(r.x + r.w / 2, r.y + r.h / 2);
        };
        const QColor solid = chart->image().pixelColor(middleOf() * 2);
        QCOMPARE(solid, QColor(50, 50, 100));
        histograms->controlPlotBox()->setChecked(true);
        const QColor seeThrough = chart->image().pixelColor(middleOf() * 2);
        QVERIFY2(seeThrough.lightness() > 150, qPrintable(seeThrough.name()));
        // The CDF: a solid curve from 0 to the full cross length, which its
        // own axis labels 0..1 in the room kept above the plot.
        histograms->cdfBox()->setChecked(true);
        const ChartGeometry g = chart->geometry();
        QVERIFY(g.probabilityAxis);
        QCOMPARE(g.area().y, ChartGeometry::kProbabilityMargin);
        const std::vector<std::pair<int, int>> v = chart->cdfVertices();
        QVERIFY(v.size() > 2);
        QCOMPARE(v.front().first, g.area().x);
        QCOMPARE(v.back().first, g.area().x + g.crossLength());
        // The axis line over the plot is drawn in the curve's grey.
        const QImage& image = chart->image();
        int grey = 0;
        for (int x = g.area().x; x < g.area().right(); x += 7)
            grey += image.pixelColor(x * 2, (g.area().y - 1) * 2) == QColor(100, 100, 100);
        QVERIFY(grey * 2 > g.area().w / 7);
        // Between two vertices of the curve the line is unbroken.
        const auto [x0, y0] = v[v.size() / 2];
        QVERIFY((image.pixel(x0 * 2, y0 * 2) & 0xFFFFFF) != 0xFFFFFF);
        histograms->cdfBox()->setChecked(false);
        histograms->controlPlotBox()->setChecked(false);
    }

    void tableOffersAnnotationBesideTheIdentifier()
    {
        showTab("Table View");
        auto* table = info<CDataTableView>("Table View");
        QVERIFY(attachAnnotationFile(*doc(), kAnnotation));
        QCoreApplication::processEvents();
        CDataTableModel* model = table->model();
        QVERIFY(model->annotationColumnCount() > 0);
        QHeaderView* header = table->table()->horizontalHeader();
        const int firstAnnotation = CDataTableModel::kFixedColumns + model->valueColumnCount();
        QCheckBox* beside = table->checkBox("Annotation beside ID");
        QVERIFY(beside && beside->isChecked());
        QCOMPARE(header->logicalIndex(0), 0);
        for (int k = 0; k < model->annotationColumnCount(); ++k)
            QCOMPARE(header->logicalIndex(1 + k), firstAnnotation + k);
        // No column starts wider than a third of the view; a cut text is
        // whole in its tooltip; every header has room for the sort arrow.
        const int third = std::max(60, table->table()->viewport()->width() / 3);
        int cut = -1;
        for (int c = 0; c < model->columnCount(); ++c) {
            if (table->table()->isColumnHidden(c))
                continue;
            QVERIFY2(table->table()->columnWidth(c) <= third,
                     qPrintable(QString::fromStdString(model->headerText(c)) + " is " +
                                QString::number(table->table()->columnWidth(c))));
            QVERIFY(table->table()->columnWidth(c) >= std::min(header->sectionSizeHint(c), third));
            if (cut < 0 && table->table()->columnWidth(c) == third)
                cut = c;
        }
        QVERIFY(cut >= 0);
        for (int r = 0; r < 50; ++r) {
            const QString text = QString::fromStdString(model->cellText(r, cut));
            QCOMPARE(model->data(model->index(r, cut), Qt::ToolTipRole).toString(), text);
        }
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), -1);
        table->sortByColumn(firstAnnotation);
        QCOMPARE(header->sortIndicatorSection(), firstAnnotation);
        table->revertOrder();
        QCOMPARE(header->sortIndicatorSection(), -1);
        // Unchecked: the columns' own order, annotation after the values.
        beside->setChecked(false);
        for (int c = 0; c < model->columnCount(); ++c)
            QCOMPARE(header->logicalIndex(c), c);
        beside->setChecked(true);
        QCOMPARE(header->logicalIndex(1), firstAnnotation);
    }

    void composedPicturesAreCroppedToTheirDrawing()
    {
        CArxView* view = overview();
        frame()->informationBar()->hide();
        QCoreApplication::processEvents();
        SaveToBmpDialog dlg(view, info<CArxEntireView>("Color Mosaic"));
        dlg.setFolder(m_dir.path());
        dlg.setFileName("both");
        dlg.setFormat("png");
        dlg.setKind(SaveToBmpDialog::Both);
        const bool saved = dlg.save();
        frame()->informationBar()->show();
        if (!saved)
            QSKIP("the overview is too low for the vertical picture here");
        const QImage both(m_dir.filePath("both.png"));
        QVERIFY(!both.isNull());
        QVERIFY(both.width() < view->width() + CArxEntireView::kSideWidth + 10 || both.height() < view->height());
        QVERIFY(rowDrawn(both, 0) && rowDrawn(both, both.height() - 1));
        QVERIFY(columnDrawn(both, 0) && columnDrawn(both, both.width() - 1));
        // The same picture as a drawing: the extension follows the format.
        dlg.setFormat("svg");
        QCOMPARE(dlg.targetPath(), m_dir.filePath("both.svg"));
        QVERIFY(dlg.save());
        QFile svg(m_dir.filePath("both.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray head = svg.read(2000);
        QVERIFY(head.contains(QString("width=\"%1").arg(both.width()).toUtf8()) ||
                head.contains(QString("viewBox=\"0 0 %1 %2\"").arg(both.width()).arg(both.height()).toUtf8()));
        QCOMPARE(drawnRect(QImage()), QRect());
    }
};

int main(int argc, char** argv)
{
    // Every logical pixel is two by two device pixels.
    qputenv("QT_SCALE_FACTOR", "2");
    useOwnSettings();
    // The test's own options are no file for the application to open.
    int appArgc = 1;
    CArxApp app(appArgc, argv);
    TestSessionViews test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_session_views.moc"
