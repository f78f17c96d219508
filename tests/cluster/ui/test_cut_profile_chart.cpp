// The cut-quality chart of the Evaluation tab in the main window on the
// bundled sample: computed off the GUI thread after a clustering, equal to
// the engine's profile of the forest the overview shows, a newer clustering
// cancelling the older computation, the bar drawn where the overview has it,
// a click moving the bar to the nearest step, the F-measure axis only with
// classes.
#include <QtTest>

#include "../../app/ui/FrameFixture.h"
#include "app/CArxDoc.h"
#include "app/ui/CArxApp.h"
#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CTabDockBar.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "cluster/CutProfile.h"
#include "cluster/Forest.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CCutProfileChart.h"
#include "cluster/ui/CEvalCluster.h"
#include "platform/RecordingMessages.h"
#include "../../support/DocSupport.h"

namespace {
const QString kSample = QString(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";
}

class TestCutProfileChart : public QObject {
    Q_OBJECT
private:
    CMainFrame* frame() { return CArxApp::instance()->mainFrame(); }
    CArxDoc* doc() { return frame()->document(); }
    CEvalCluster* panel() { return qobject_cast<CEvalCluster*>(frame()->controlBar()->panel("Evaluation")); }
    CCutProfileChart* chart() { return panel() ? panel()->findChild<CCutProfileChart*>() : nullptr; }
    CArxView* overview()
    {
        CTabFrameWnd* tabs = frame()->documentWindow();
        auto* page = tabs && tabs->pageCount() > 0 ? qobject_cast<CZoomableWnd*>(tabs->page(0)) : nullptr;
        return page ? page->view() : nullptr;
    }
    void cluster()
    {
        acceptNextDialog<CClusteringParamsDlg>();
        frame()->hierarchicalClustering();
    }
    // The engine's profile of the forest the overview shows, as the chart
    // should hold it.
    void expectEngineProfile()
    {
        const bool rows = doc()->overviewShowsRows();
        const CForest& f = rows ? *doc()->m_pRowForest : *doc()->m_pColForest;
        const auto expected = computeCutProfile(cutProfileInput(f, CCutProfileChart::kSteps,
                                                                doc()->m_run[0].m_bCentered,
                                                                doc()->m_run[0].m_bAbsolute));
        QVERIFY(expected);
        const auto& shown = chart()->profile();
        QCOMPARE(shown.size(), expected->size());
        for (size_t k = 0; k < shown.size(); ++k) {
            QCOMPARE(shown[k].evaluation.clusters, (*expected)[k].evaluation.clusters);
            QCOMPARE(shown[k].alones, (*expected)[k].alones);
            QCOMPARE(shown[k].evaluation.within, (*expected)[k].evaluation.within);
            QCOMPARE(shown[k].evaluation.between, (*expected)[k].evaluation.between);
            QCOMPARE(shown[k].fMeasure, (*expected)[k].fMeasure);
        }
    }
    RecordingMessages m_messages;

private slots:
    void initTestCase()
    {
        QVERIFY(CArxApp::instance()->initInstance(false));
        setMessages(&m_messages);
        QVERIFY(chart());
        QVERIFY(frame()->openCommandLineFile(kSample));
        frame()->controlBar()->showTab("Evaluation");
        frame()->resize(1600, 1000);
    }

    void nothingBeforeAClustering()
    {
        QVERIFY(!chart()->computing());
        QVERIFY(!chart()->hasProfile());
    }

    void computedOffTheGuiThreadAfterClustering()
    {
        const int before = chart()->started();
        cluster();
        QVERIFY(doc()->m_pRowForest->hasTree());
        QVERIFY(chart()->started() > before);
        // The window goes on while the profile is computed.
        QTRY_VERIFY_WITH_TIMEOUT(chart()->hasProfile(), 60000);
        QVERIFY(!chart()->computing());
        expectEngineProfile();
        // Items carry no classes: no F-measure axis.
        QCOMPARE(chart()->chartLayout().axisX[kSeriesFMeasure], -1);
    }

    void aNewerClusteringCancelsTheOlderComputation()
    {
        // A clustering result starts a computation; the next result (the
        // hint a clustering sends) arrives while it runs. Clustered by
        // Euclidean distance, whose profile measures every pair, so that
        // it is still running then (Pearson's takes the sample a moment).
        QVERIFY(doc()->hierarchicalClustering(everyColumn(*doc(), kMeasureEuclidean)));
        doc()->updateAllViews(nullptr, kHintResultsChanged);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->hasProfile(), 60000);
        const int cancelledBefore = chart()->cancelled();
        QSignalSpy ready(chart(), &CCutProfileChart::profileReady);
        doc()->updateAllViews(nullptr, kHintResultsChanged);
        QVERIFY(chart()->computing());
        const int first = chart()->started();
        doc()->updateAllViews(nullptr, kHintResultsChanged);
        QCOMPARE(chart()->started(), first + 1);
        QCOMPARE(chart()->cancelled(), cancelledBefore + 1);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->hasProfile(), 60000);
        QTest::qWait(50);
        QCOMPARE(ready.count(), 1);  // only the newest computation reports
        expectEngineProfile();
    }

    // Whether the chart has a red pixel within a pixel of x inside the plot.
    bool redLineAt(double similarity)
    {
        const ProfileChartLayout& l = chart()->chartLayout();
        const QImage& image = chart()->image();
        const int x = static_cast<int>(std::lround(xOfSimilarity(l, similarity)));
        for (int dx = -1; dx <= 1; ++dx)
            for (int y = l.top + 2; y < l.bottom - 2; ++y) {
                const QColor c = image.pixelColor(x + dx, y);
                if (c.red() > 150 && c.green() < 90 && c.blue() < 90)
                    return true;
            }
        return false;
    }

    void theBarIsDrawnAndAClickMovesIt()
    {
        CArxView* view = overview();
        QVERIFY(view);
        // The test screen is small; give the chart room to draw its axes.
        chart()->setFixedHeight(260);
        QCoreApplication::processEvents();
        QTRY_VERIFY(chart()->chartLayout().valid());
        const ProfileChartLayout& l = chart()->chartLayout();
        QVERIFY(l.valid());
        QCOMPARE(chart()->image().size(), chart()->size());
        // Click near 0.37: the bar goes to that step.
        const int x = static_cast<int>(std::lround(xOfSimilarity(l, 0.37)));
        QTest::mouseClick(chart(), Qt::LeftButton, {}, QPoint(x, (l.top + l.bottom) / 2));
        QCOMPARE(view->minSimilarity(), profileStepSimilarity(37, CCutProfileChart::kSteps));
        QVERIFY(redLineAt(0.37));
        QVERIFY(!redLineAt(0.8));
        // Clicks at the ends stay inside the bar's open range.
        QCOMPARE(chart()->similarityForClick(l.left), profileStepSimilarity(1, CCutProfileChart::kSteps));
        QCOMPARE(chart()->similarityForClick(l.right), profileStepSimilarity(99, CCutProfileChart::kSteps));
        // The bar moved in the overview: the line follows.
        QVERIFY(view->applyTypedMinSimilarity(0.8));
        QVERIFY(redLineAt(0.8));
        QVERIFY(!redLineAt(0.37));
    }

    void columnsWithClassesHaveTheFMeasure()
    {
        QVERIFY(doc()->switchViews());
        QTRY_VERIFY_WITH_TIMEOUT(chart()->hasProfile(), 60000);
        expectEngineProfile();
        QVERIFY(chart()->profile().front().fMeasure);
        QVERIFY(chart()->chartLayout().axisX[kSeriesFMeasure] > chart()->chartLayout().right - 1);
    }

    void cleanupTestCase() { setMessages(nullptr); }
};

ARBOLIX_APP_TEST_MAIN(TestCutProfileChart)
#include "test_cut_profile_chart.moc"
