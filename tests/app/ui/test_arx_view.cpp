// The overview on the bundled sample: the bars and the cut, node clicks,
// the band popup's commands, the mosaic's colours.
#include <QSignalSpy>
#include <QtTest>

#include "app/ui/CArxView.h"
#include "app/ui/DisplaySettings.h"
#include "HintLog.h"
#include "ViewFixture.h"
#include "cluster/Forest.h"
#include "app/OverviewLayout.h"


class TestArxView : public QObject {
    Q_OBJECT
private:
    ViewFixture fx;
    DisplaySettings settings;
    std::unique_ptr<CArxView> view;
    HintLog log;

    void makeView(int w = 1200, int h = 700)
    {
        if (view)
            fx.doc->detach(view.get());
        view = std::make_unique<CArxView>(fx.doc.get());
        view->setDisplaySettings(&settings);
        view->setColorMapping(&fx.mapping);
        view->resize(w, h);
        fx.doc->attach(view.get());
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        view->onUpdate(nullptr, kHintResultsChanged);
        log.hints.clear();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(fx.load());
        fx.doc->attach(&log);
    }
    void init() { makeView(); }
    void cleanup()
    {
        if (view)
            fx.doc->detach(view.get());
        view.reset();
        fx.doc->m_pRowForest->setAllShown();
    }

    void snapshot()
    {
        if (qEnvironmentVariableIsSet("ARBOLIX_VIEW_SNAPSHOT"))
            view->snapshot().save(qEnvironmentVariable("ARBOLIX_VIEW_SNAPSHOT"));
    }

    void layoutAfterResults()
    {
        const VerticalLayout& v = view->verticalLayoutState();
        // 128 samples under a 700-pixel view at bar height 67: M = 235, cell 1.
        QCOMPARE(v.cellHeight, 1);
        QCOMPARE(v.mosaicHeight, 128);
        QCOMPARE(v.yLeaf, 700 - 5 - 3 - 128 - 1);
        QCOMPARE(view->minSimilarity(), 0.5f);
        QCOMPARE(view->bars().yDetail, v.yLeaf + 1);
        QCOMPARE(view->leavesInPlaceCount(), 2000);
    }

    void draggingTheMinimumSimilarityBarCutsTheTree()
    {
        CForest* f = view->forest();
        const int yLeaf = view->verticalLayoutState().yLeaf;
        const int y0 = static_cast<int>(view->bars().yMin);
        const int y1 = yLeaf * 3 / 4;  // similarity 0.75
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(300, y0));
        QTest::mouseMove(view.get(), QPoint(300, (y0 + y1) / 2));
        QTest::mouseMove(view.get(), QPoint(300, y1));
        QVERIFY(log.has(kHintMinSimilarity));  // live update while dragging
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(300, y1));
        const float s = static_cast<float>(similarityOfY(y1, yLeaf, 1.0));
        QCOMPARE(view->minSimilarity(), s);
        // The cut is the forest's cut at that similarity.
        const std::vector<CNode*> clusters = f->m_clusters;
        f->cut(s);
        QVERIFY(clusters == f->m_clusters);
        QVERIFY(clusters.size() > 2);
        const QString expected = QString::asprintf("# of Clusters = %d", static_cast<int>(clusters.size()));
        QVERIFY2(view->clusteringInfo().contains(expected), qPrintable(view->clusteringInfo()));
        QVERIFY(view->clusteringInfo().startsWith(QString::asprintf("Minimum Similarity = %4.3f", s)));
        // Filter-out: the alone leaves left the layout.
        QCOMPARE(view->leavesInPlaceCount(), f->m_nLeaves - f->itemsLeft());
    }

    void barsCannotLeaveTheDendrogram()
    {
        const int yLeaf = view->verticalLayoutState().yLeaf;
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(300, static_cast<int>(view->bars().yMin)));
        QTest::mouseMove(view.get(), QPoint(300, 1));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(300, 1));
        QCOMPARE(view->bars().yMin, 5.0f);
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(300, 5));
        QTest::mouseMove(view.get(), QPoint(300, yLeaf + 50));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(300, yLeaf + 50));
        QCOMPARE(view->bars().yMin, static_cast<float>(yLeaf));
    }

    void barsPushEachOther()
    {
        const int yLeaf = view->verticalLayoutState().yLeaf;
        // The detail bar up to 200 pushes nothing (the other bar is above).
        const int yMin = static_cast<int>(view->bars().yMin);
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(200, yLeaf + 1));
        QTest::mouseMove(view.get(), QPoint(200, yMin + 60));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(200, yMin + 60));
        QCOMPARE(view->bars().yDetail, yMin + 60);
        QCOMPARE(static_cast<int>(view->bars().yMin), yMin);
        // The minimum-similarity bar dragged below it pushes it 10 below.
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(200, yMin));
        QTest::mouseMove(view.get(), QPoint(200, yMin + 80));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(200, yMin + 80));
        QCOMPARE(view->bars().yDetail, yMin + 90);
        // The detail bar dragged above it pushes it 10 above.
        QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(200, yMin + 90));
        QTest::mouseMove(view.get(), QPoint(200, yMin - 20));
        QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(200, yMin - 20));
        QCOMPARE(view->bars().yDetail, yMin - 20);
        QCOMPARE(view->bars().yMin, static_cast<float>(yMin - 30));
        QVERIFY(view->detailCutoff() < 1.0f);
    }

    void clickOnANodeSelectsItsLeaves()
    {
        CForest* f = view->forest();
        // A branch well below the bar, with some leaves.
        const CNode* c = nullptr;
        for (int k = f->m_nLeaves; k < f->m_nNodes && !c; ++k) {
            const CNode* n = f->m_pNodes[static_cast<size_t>(k)];
            if (n->m_fSimilarity > 0.7f && n->m_fSimilarity < 0.8f && n->m_nSize >= 10)
                c = n;
        }
        QVERIFY(c);
        auto [a, b] = f->leafRange(c);
        const int x = static_cast<int>((view->leafX(a) + view->leafX(b)) / 2.0);
        const int y = static_cast<int>(yOfSimilarity(c->m_fSimilarity, view->verticalLayoutState().yLeaf, 1.0)) + 1;
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(x, y));
        QVERIFY(view->highlightedNode() >= 0);
        const CNode* h = f->m_pNodes[static_cast<size_t>(view->highlightedNode())];
        auto [ha, hb] = f->leafRange(h);
        QVERIFY(ha >= a && hb <= b);  // the node under the point, inside the cluster
        std::vector<int> expected;
        for (int p = ha; p <= hb; ++p)
            expected.push_back(f->dataIndex(p));
        std::sort(expected.begin(), expected.end());
        QVERIFY(fx.doc->m_selectedItems == expected);
        QVERIFY(log.has(kHintItemSelection));
        // The markers of the selection are handed to the slider.
        QSignalSpy spy(view.get(), &CArxView::markersChanged);
        view->renderFull();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).value<QVector<double>>().size(), static_cast<int>(expected.size()));
        // A click high above the bar clears the selection.
        log.hints.clear();
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(x, 2));
        QVERIFY(fx.doc->m_selectedItems.empty());
        QCOMPARE(view->highlightedNode(), -1);
        QVERIFY(log.has(kHintItemSelection));
    }

    void hideShowOnlyAndShowAll()
    {
        CForest* f = view->forest();
        const int all = view->leavesInPlaceCount();
        auto [a, b] = f->leafRange(f->m_clusters.front());
        view->hideLeaves(a, b);
        QVERIFY(log.has(kHintLeavesShown));
        QCOMPARE(view->leavesInPlaceCount(), all - (b - a + 1));
        QVERIFY(view->somethingHidden());
        view->showAll();
        QCOMPARE(view->leavesInPlaceCount(), all);
        view->showOnlyLeaves(a, b);
        QCOMPARE(view->leavesInPlaceCount(), b - a + 1);
        QCOMPARE(view->horizontalLayoutState().scroll, 0.0);
        // The shown leaves fill the width.
        QCOMPARE(view->horizontalLayoutState().spacing, static_cast<double>(view->width()) / (b - a + 1));
        log.hints.clear();
        view->showAll();
        QCOMPARE(view->leavesInPlaceCount(), all);
        QVERIFY(log.has(kHintLeavesShown));
    }

    void typedMinimumSimilarity()
    {
        QVERIFY(!view->applyTypedMinSimilarity(0.0));
        QVERIFY(!view->applyTypedMinSimilarity(1.0));
        QCOMPARE(view->minSimilarity(), 0.5f);
        QVERIFY(view->applyTypedMinSimilarity(0.8));
        QCOMPARE(view->minSimilarity(), 0.8f);
        QVERIFY(log.has(kHintMinSimilarity));
    }

    void mosaicCellsHaveTheMappedColours()
    {
        settings.m_nBarHeight = 100;  // M = 550: 4-pixel cells
        makeView(1000, 1100);
        settings.m_nBarHeight = 67;
        CForest* f = view->forest();
        auto [a, b] = f->leafRange(f->m_clusters.front());
        b = std::min(b, a + 99);
        view->showOnlyLeaves(a, b);  // at most 100 leaves: at least 10 pixels each
        const VerticalLayout& v = view->verticalLayoutState();
        QCOMPARE(v.cellHeight, 4);
        // One cell made missing.
        CNode* missingLeaf = f->leaf(a + 1);
        const float keep = missingLeaf->m_pWeights[3];
        missingLeaf->m_pWeights[3] = -1.0f;
        view->renderFull();
        const QImage& img = view->snapshot();
        for (int pos = a; pos <= b; pos += 7) {
            const int x = static_cast<int>(view->leafX(pos));
            const CNode* leaf = f->leaf(pos);
            for (int r : {0, 5, 64, 127}) {
                const int y = v.yLeaf + 1 + r * v.cellHeight + 1;
                const Rgb c = fx.mapping.colorOf(leaf->m_pValues[r]);
                QCOMPARE(img.pixel(x, y), qRgb(c.r, c.g, c.b));
            }
        }
        const int xm = static_cast<int>(view->leafX(a + 1));
        QCOMPARE(img.pixel(xm, v.yLeaf + 1 + 3 * v.cellHeight + 1), qRgb(kMissingColor.r, kMissingColor.g, kMissingColor.b));
        missingLeaf->m_pWeights[3] = keep;
    }

    void mosaicRecoloursWithTheMapping()
    {
        CForest* f = view->forest();
        const int x = static_cast<int>(view->leafX(0));
        const int y = view->verticalLayoutState().yLeaf + 1;
        const ColorMapping keep = fx.mapping;
        fx.mapping.setScheme(1);
        view->onUpdate(nullptr, kHintColorMapping);
        const Rgb c = fx.mapping.colorOf(f->leaf(0)->m_pValues[0]);
        QCOMPARE(view->snapshot().pixel(x, y), qRgb(c.r, c.g, c.b));
        fx.mapping = keep;
    }

    void hintsChangeTheLayout()
    {
        // 3010: the bar height slider moved.
        settings.m_nBarHeight = 100;  // M = 350: 2-pixel cells
        view->onUpdate(nullptr, kHintMosaicHeight);
        QCOMPARE(view->verticalLayoutState().cellHeight, 2);
        QCOMPARE(view->verticalLayoutState().yLeaf, 700 - 5 - 3 - 256 - 1);
        settings.m_nBarHeight = 67;
        // 3008: a new file; the view lets go of the forest and paints white.
        QSignalSpy spy(view.get(), &CArxView::leafCountChanged);
        view->onUpdate(nullptr, kHintNewData);
        QVERIFY(view->forest() == nullptr);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.first().at(0).toInt(), 0);
        QCOMPARE(view->snapshot().pixel(600, 600), qRgb(255, 255, 255));
        // 3002: back with the results.
        view->onUpdate(nullptr, kHintResultsChanged);
        QVERIFY(view->forest() == fx.doc->m_pRowForest);
    }

    void hoverSendsTheCurrentItem()
    {
        const VerticalLayout& v = view->verticalLayoutState();
        QTest::mouseMove(view.get(), QPoint(400, v.yLeaf + 5));
        QVERIFY(view->hoveredLeaf() >= 0);
        QCOMPARE(fx.doc->m_nCurrentItem, view->forest()->dataIndex(view->hoveredLeaf()));
        QVERIFY(log.has(kHintCurrentItem));
        // A click pins it; moving elsewhere keeps it.
        const int pinned = view->hoveredLeaf();
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(400, v.yLeaf + 5));
        QVERIFY(view->hoverPinned());
        QTest::mouseMove(view.get(), QPoint(800, v.yLeaf + 5));
        QCOMPARE(view->hoveredLeaf(), pinned);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(400, v.yLeaf + 5));
        QVERIFY(!view->hoverPinned());
        QCOMPARE(view->hoveredLeaf(), -1);
    }
};

QTEST_MAIN(TestArxView)
#include "test_arx_view.moc"
