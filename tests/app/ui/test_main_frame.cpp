// The main window driven as a person would: guards before data, opening the
// bundled sample through File/Open's path, clustering, k-means, comparison,
// the hints the panels receive, the caption and the recent files.
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "app/ui/CDynamicControl.h"
#include "app/ui/CRecentFileList.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/ListTools.h"
#include "app/ui/CProgressWnd.h"
#include "app/ui/QtProgress.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CColumnCheckList.h"
#include "cluster/ui/CCompareDlg.h"
#include "cluster/ui/CExportDlg.h"
#include "cluster/ui/CKMeansDlg.h"
#include "data/ui/CLoadDialog.h"
#include "MainFrameFixture.h"

class TestMainFrame : public MainFrameFixture {
    Q_OBJECT
private:
    RecordingPanel* m_pPanel = nullptr;
    int m_kMeansDone = 0;

    // The hints a command sent start with these (the colour mapping bar
    // follows new results with its own recolouring, 3009).
    bool hintsStartWith(const std::vector<int>& first) const
    {
        const std::vector<int>& h = m_pPanel->m_hints;
        if (h.size() < first.size() || !std::equal(first.begin(), first.end(), h.begin())) {
            qWarning() << "hints" << QList<int>(h.begin(), h.end());
            return false;
        }
        for (size_t i = first.size(); i < h.size(); ++i)
            if (h[i] != kHintColorMapping)
                return false;
        return true;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(startFrame());
        m_pPanel = new RecordingPanel;
        QVERIFY(frame()->setPanel("Table View", m_pPanel, m_pPanel));
        connect(frame(), &CMainFrame::kMeansDone, this, [this] { ++m_kMeansDone; });
    }

    void barsAndTabsInOrder()
    {
        QCOMPARE(frame()->windowTitle(), QString("Arbolix"));
        QCOMPARE(frame()->informationBar()->windowTitle(), QString("Information Bar"));
        QCOMPARE(frame()->controlBar()->windowTitle(), QString("Contol Bar"));
        QTabWidget* info = frame()->informationBar()->tabs();
        QCOMPARE(info->count(), 7);
        QCOMPARE(info->tabText(0), QString("Color Mosaic"));
        QCOMPARE(info->tabText(6), QString("K-means"));
        QCOMPARE(frame()->controlBar()->tabs()->tabText(2), QString("Evaluation"));
        QCOMPARE(frame()->controlBar()->panel("Control"), static_cast<QWidget*>(frame()->controlPanel()));
        QVERIFY(!m_pPanel->isEnabled());
        QCOMPARE(frame()->documentWindow()->pageLabel(0), QString("All"));
    }

    void guardsBeforeData()
    {
        m_messages.m_texts.clear();
        frame()->hierarchicalClustering();
        frame()->kMeansClustering();
        frame()->compareClustering();
        frame()->action("Power Calculation & Filtering")->trigger();
        const std::vector<std::string> expected = {"Load data file first !", "Please load data first!",
                                                   "Load data file first !", "Load data file first !"};
        QCOMPARE(m_messages.m_texts, expected);
        frame()->updateCommandStates();
        QVERIFY(!frame()->action("Switch Views (Rows vs. Columns)")->isEnabled());
        QVERIFY(!frame()->action("Copy")->isEnabled());
    }

    void openSample()
    {
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(kSample));
        QCOMPARE(frame()->windowTitle(), QString("Arbolix - all_leukemia_top2000"));
        QVERIFY(hintsStartWith({kHintNewData, kHintResultsChanged}));
        QVERIFY(m_pPanel->isEnabled());
        QVERIFY(frame()->document()->m_bDataLoaded);
        QCOMPARE(CArxApp::instance()->recentFiles().files().value(0), QFileInfo(kSample).absoluteFilePath());
        frame()->updateCommandStates();
        QVERIFY(frame()->action("Switch Views (Rows vs. Columns)")->isEnabled());
    }

    void importItemsList()
    {
        const QString list = writeFile("items.txt", "1005_at\n1011_s_at\nno_such_item\n");
        m_pPanel->m_hints.clear();
        whenDialogOpens<QFileDialog>([list](QFileDialog* d) {
            d->selectFile(list);
            QMetaObject::invokeMethod(d, "accept");
        });
        frame()->action("Import an Items List")->trigger();
        QCOMPARE(frame()->document()->m_selectedItems, (std::vector<int>{0, 2}));
        QCOMPARE(m_pPanel->m_hints, (std::vector<int>{kHintItemSelection}));
    }

    void hierarchicalClustering()
    {
        m_pPanel->m_hints.clear();
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QVERIFY(hintsStartWith({kHintResultsChanged}));
        QVERIFY(frame()->document()->m_pRowForest->m_bClustered);
    }

    void cancelledClusteringKeepsTheResult()
    {
        CArxDoc* doc = frame()->document();
        const std::vector<int> order = doc->m_pRowForest->m_arrOrder;
        m_pPanel->m_hints.clear();
        // Cancel as soon as the progress window shows.
        CProgressWnd* wnd = frame()->progressWindow().window();
        QVERIFY(wnd);
        auto c = connect(wnd, &CProgressWnd::opened, wnd,
                         [wnd] { QTest::mouseClick(wnd->cancelButton(), Qt::LeftButton); });
        whenDialogOpens<CClusteringParamsDlg>([](CClusteringParamsDlg* d) {
            d->setMeasure(kMeasureEuclidean);
            d->accept();
        });
        frame()->hierarchicalClustering();
        disconnect(c);
        QVERIFY(m_pPanel->m_hints.empty());
        QVERIFY(frame()->progressWindow().cancelled());
        QVERIFY(!frame()->progressWindow().isOpen());
        QVERIFY(frame()->isEnabled());
        QVERIFY(doc->m_pRowForest->m_bClustered);
        QCOMPARE(doc->m_pRowForest->m_arrOrder, order);
    }

    void partitionByColumnAddsPages()
    {
        m_pPanel->m_hints.clear();
        whenDialogOpens<CClusteringParamsDlg>([](CClusteringParamsDlg* d) {
            d->setPartitioning(kPartitionByColumn);
            CColumnCheckList* first = d->firstList();
            for (int i = 0; i < 28; ++i)
                first->topLevelItem(i)->setSelected(true);
            first->moveSelectedTo(*d->secondList());
            d->setMeasure(kMeasureEuclidean);
            d->accept();
        });
        frame()->hierarchicalClustering();
        QVERIFY(hintsStartWith({kHintResultsChanged}));
        CTabFrameWnd* wnd = frame()->documentWindow();
        QCOMPARE(wnd->pageCount(), 3);
        QCOMPARE(wnd->pageLabel(0), QString("All"));
        QCOMPARE(wnd->pageLabel(1), QString("100/128"));
        QCOMPARE(wnd->pageLabel(2), QString("28/128"));
        // A run without partitioning drops the partition pages again.
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
        QCOMPARE(wnd->pageCount(), 1);
    }

    void kMeans()
    {
        m_pPanel->m_hints.clear();
        whenDialogOpens<CKMeansDlg>([](CKMeansDlg* d) {
            d->rows().k->setValue(4);
            d->accept();
        });
        frame()->kMeansClustering();
        QCOMPARE(frame()->informationBar()->tabs()->currentIndex(), 6);
        QVERIFY(frame()->document()->m_pRowForest->m_bKMeans);
        QCOMPARE(m_kMeansDone, 1);
    }

    void exportAndDropTheResult()
    {
        QTemporaryDir dir;
        whenDialogOpens<CExportDlg>([&dir](CExportDlg* d) {
            d->folderEdit()->setText(dir.path());
            d->fileNameEdit()->setText("leukemia");
            d->accept();
        });
        frame()->exportClusteringResult();
        QVERIFY(QFile::exists(dir.filePath("leukemia.dat")));
        QVERIFY(QFile::exists(dir.filePath("leukemia.rcr")));
        // A dropped ".DAT" (any letter case) opens as a clustering result,
        // without the load dialog.
        QVERIFY(QFile::rename(dir.filePath("leukemia.dat"), dir.filePath("leukemia.DAT")));
        QVERIFY(QFile::copy(dir.filePath("leukemia.rcr"), dir.filePath("leukemia.RCR")));
        QVERIFY(QFile::copy(dir.filePath("leukemia.ccr"), dir.filePath("leukemia.CCR")));
        m_pPanel->m_hints.clear();
        auto* mime = new QMimeData;
        mime->setUrls({QUrl::fromLocalFile(dir.filePath("leukemia.DAT")), QUrl::fromLocalFile(kSample)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame(), &drop);
        QCoreApplication::processEvents();
        QVERIFY(frame()->document() && frame()->document()->m_bDataLoaded);
        QVERIFY(hintsStartWith({kHintNewData, kHintResultsChanged}));
        QVERIFY(frame()->document()->m_pRowForest->m_bClustered);
        QCOMPARE(frame()->document()->m_pRowForest->m_nLeaves, 2000);
        delete mime;
    }

    void exportAndOpenTreeViewFiles()
    {
        QTemporaryDir dir;
        whenDialogOpens<CExportDlg>([&dir](CExportDlg* d) {
            d->folderEdit()->setText(dir.path());
            d->fileNameEdit()->setText("tv");
            d->formatBox()->setCurrentIndex(1);
            QVERIFY(d->filesToSave().contains("tv.cdt"));
            d->accept();
        });
        frame()->exportClusteringResult();
        QVERIFY(QFile::exists(dir.filePath("tv.cdt")));
        QVERIFY(QFile::exists(dir.filePath("tv.gtr")));
        const std::vector<int> order = [&] {
            std::vector<int> o;
            const CForest& f = *frame()->document()->m_pRowForest;
            for (int p = 0; p < f.m_nLeaves; ++p)
                o.push_back(f.dataIndex(p));
            return o;
        }();
        // A .cdt opens as a clustering result, the leaf order kept.
        QVERIFY(frame()->openRecentFile(dir.filePath("tv.cdt")));
        const CForest& f = *frame()->document()->m_pRowForest;
        QVERIFY(f.m_bClustered);
        std::vector<int> again;
        for (int p = 0; p < f.m_nLeaves; ++p)
            again.push_back(f.dataIndex(p));
        QCOMPARE(again, order);
    }

    void helpMenuListTools()
    {
        QVERIFY(!frame()->action("Minimum Haplotypes"));
        QTemporaryDir& dir = m_dir;
        writeFile("lists/a.txt", "1005_at\n1011_s_at\nno_such_item\n");
        writeFile("lists/b.txt", "1011_s_at\n");
        ListToolPickers saved = listToolPickers();
        QStringList titles;
        QStringList opened = {dir.filePath("lists/a.txt"), dir.filePath("lists/b.txt")};
        listToolPickers().openList = [&](QWidget*, const QString& title) {
            titles << title;
            return opened.takeFirst();
        };
        listToolPickers().saveResult = [&](QWidget*, const QString&) { return dir.filePath("pairs.txt"); };
        listToolPickers().folder = [&](QWidget*, const QString& title) {
            titles << title;
            return dir.filePath("lists");
        };
        m_messages.m_texts.clear();
        frame()->action("intersections between algorithms")->trigger();
        QFile pairs(dir.filePath("pairs.txt"));
        QVERIFY(pairs.open(QIODevice::ReadOnly));
        QCOMPARE(pairs.readAll(), QByteArray("a.txt\t3\tand\t1\t1\n"));
        QCOMPARE(m_messages.m_texts.size(), size_t(1));
        // The selection: 1005_at and 1011_s_at.
        CArxDoc& doc = *frame()->document();
        doc.setItemSelection({0, 2});
        frame()->action("intersections with the current selection")->trigger();
        QFile num(dir.filePath("lists/num.txt"));
        QVERIFY(num.open(QIODevice::ReadOnly));
        QCOMPARE(num.readAll(), QByteArray("a.txt\t2\nb.txt\t1\n"));
        frame()->action("Summary Result")->trigger();
        QVERIFY(QFile::exists(dir.filePath("lists/summary_a.txt")));
        QVERIFY(QFile::exists(dir.filePath("lists/summary_b.txt")));
        QCOMPARE(titles, QStringList({"Import first list", "Import second list",
                                      "specify a path where probe sets files are",
                                      "specify a path where probe sets files are"}));
        listToolPickers() = saved;
    }

    void compareDisablesSwitchViews()
    {
        m_pPanel->m_hints.clear();
        acceptNextDialog<CCompareDlg>();
        frame()->compareClustering();
        QVERIFY(frame()->document()->m_bCompareMode);
        QVERIFY(hintsStartWith({kHintResultsChanged}));
        frame()->updateCommandStates();
        QVERIFY(!frame()->action("Switch Views (Rows vs. Columns)")->isEnabled());
        // Cancelling the dialog ends comparison mode.
        whenDialogOpens<CCompareDlg>([](CCompareDlg* d) { d->reject(); });
        frame()->compareClustering();
        QVERIFY(!frame()->document()->m_bCompareMode);
        QVERIFY(frame()->action("Switch Views (Rows vs. Columns)")->isEnabled());
    }

    void switchViews()
    {
        m_pPanel->m_hints.clear();
        const bool rows = frame()->document()->m_bRowView;
        frame()->action("Switch Views (Rows vs. Columns)")->trigger();
        QCOMPARE(frame()->document()->m_bRowView, !rows);
        QCOMPARE(m_pPanel->m_hints, (std::vector<int>{kHintDirectionSwitched}));
    }

    void reopeningKeepsOneRecentEntry()
    {
        const QString second = writeFile("small.txt", "ID\tNAME\tA\tB\tC\tD\nr1\tn1\t1\t2\t3\t4\nr2\tn2\t2\t3\t1\t5\nr3\tn3\t4\t1\t2\t2\nr4\tn4\t3\t3\t3\t1\n");
        // The result made before was not exported: discard it.
        m_messages.m_answers = {Answer::No};
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openDataFile(second));
        QCOMPARE(frame()->windowTitle(), QString("Arbolix - small"));
        acceptNextDialog<CLoadDialog>();
        QVERIFY(frame()->openRecentFile(kSample));
        const QStringList files = CArxApp::instance()->recentFiles().files();
        // The sample moved to the top instead of appearing twice; before
        // these two, the TreeView export and the dropped result were opened.
        QCOMPARE(files.size(), 4);
        QCOMPARE(files.at(0), QFileInfo(kSample).absoluteFilePath());
        QCOMPARE(files.at(1), QFileInfo(second).absoluteFilePath());
        QVERIFY(files.at(2).endsWith("tv.cdt"));
        QVERIFY(files.at(3).endsWith("leukemia.DAT"));
        // The list lives in the settings store.
        CRecentFileList reread;
        reread.load();
        QCOMPARE(reread.files(), files);
        // Opening a new file closed the partition and comparison results.
        QCOMPARE(frame()->documentWindow()->pageCount(), 1);
        QVERIFY(!frame()->document()->m_bCompareMode);
        // Exactly four are kept.
        for (const char* name : {"/a.txt", "/b.txt", "/c.txt"})
            reread.add(m_dir.path() + name);
        QCOMPARE(reread.files().size(), 4);
        QCOMPARE(reread.files().at(0), m_dir.path() + "/c.txt");
        QCOMPARE(reread.files().at(3), QFileInfo(kSample).absoluteFilePath());
    }
};

ARBOLIX_APP_TEST_MAIN(TestMainFrame)

#include "test_main_frame.moc"
