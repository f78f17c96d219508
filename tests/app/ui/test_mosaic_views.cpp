// The zoomable page with its range slider, the entire view ("Color
// Mosaic") and the k-means view on the bundled sample.
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxKmeansView.h"
#include "app/ui/CArxView.h"
#include "app/ui/CRubberSlider.h"
#include "app/ui/CZoomableWnd.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "platform/RecordingMessages.h"
#include "HintLog.h"
#include "ViewFixture.h"

class TestMosaicViews : public QObject {
    Q_OBJECT
private:
    ViewFixture fx;
    RecordingMessages messages;
    HintLog log;

private slots:
    void initTestCase()
    {
        QVERIFY(fx.load());
        viewContext().mapping = fx.mapping;
        setMessages(&messages);
        fx.doc->attach(&log);
    }
    void cleanupTestCase() { setMessages(nullptr); }

    void rubberSliderPicksTheLeafRange()
    {
        CZoomableWnd page(fx.doc.get(), 0);
        page.resize(1000, 600);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.view()->resetFromDocument();
        CRubberSlider* slider = page.slider();
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 1999);
        QCOMPARE(slider->high(), 1999);
        const int width = page.view()->width();
        QCOMPARE(page.view()->horizontalLayoutState().spacing, width / 2000.0);
        // Dragging the right thumb to the middle shows the first half.
        QSignalSpy spy(slider, &CRubberSlider::rangeChanged);
        const int y = slider->height() / 2;
        const int from = slider->xOfValue(1999) + 4;
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(from, y));
        QTest::mouseMove(slider, QPoint(slider->xOfValue(999) + 4, y));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(slider->xOfValue(999) + 4, y));
        QVERIFY(spy.count() >= 1);
        const int high = slider->high();
        QVERIFY(std::abs(high - 999) <= 3);
        QCOMPARE(page.view()->horizontalLayoutState().spacing, static_cast<double>(width) / (high + 1));
        // The band between the thumbs moves both.
        const int mid = (slider->xOfValue(0) + slider->xOfValue(high)) / 2;
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(mid, y));
        QTest::mouseMove(slider, QPoint(mid + slider->xOfValue(500) - slider->xOfValue(0), y));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(mid + slider->xOfValue(500) - slider->xOfValue(0), y));
        QVERIFY(slider->low() > 0);
        QCOMPARE(slider->high() - slider->low(), high);
        QCOMPARE(page.view()->horizontalLayoutState().scroll, slider->low() * page.view()->horizontalLayoutState().spacing);
        // Selection markers reach the slider.
        fx.doc->setItemSelection({fx.doc->m_pRowForest->dataIndex(10), fx.doc->m_pRowForest->dataIndex(20)});
        page.view()->onUpdate(nullptr, kHintItemSelection);
        QCOMPARE(slider->markers().size(), 2);
        QCOMPARE(slider->markers()[0], 10.5 / 2000.0);
        fx.doc->setItemSelection({});
    }

    void entireViewLayoutAndBar()
    {
        CArxEntireView entire(fx.doc.get());
        entire.resize(900, 500);
        entire.show();
        QVERIFY(QTest::qWaitForWindowExposed(&entire));
        entire.resetFromDocument();
        const int w = entire.viewport()->width();
        QCOMPARE(entire.sideX(), w - 100);
        QCOMPARE(entire.barX(), w - 50.0);
        QCOMPARE(entire.sideMinSimilarity(), 0.5f);
        QCOMPARE(entire.firstVisibleColumn(), 0);
        QCOMPARE(entire.lastVisibleColumn(), (w - 150) / 10);
        QCOMPARE(entire.verticalScrollBar()->value(), entire.verticalScrollBar()->maximum());
        CForest* side = entire.sideForest();
        QCOMPARE(side, fx.doc->m_pColForest);
        // The caption beside the bar keeps off the row names: the band left
        // of the side dendrogram is grey with dark names only, nowhere
        // whitened by the caption's backing.
        const QImage& shown = entire.image();
        const qreal dpr = shown.devicePixelRatio();
        for (int y = 0; y < 80; ++y)
            for (int x = entire.sideX() - 50; x < entire.sideX(); ++x) {
                const QColor c = shown.pixelColor(QPoint(x, y) * dpr);
                QVERIFY2(std::min({c.red(), c.green(), c.blue()}) <= 240,
                         qPrintable(QString("caption over the names at %1,%2").arg(x).arg(y)));
            }
        // Its place: right of the bar when it fits, left of it within the
        // side dendrogram, else over the bar but still right of the names.
        QCOMPARE(CArxEntireView::barCaptionX(500, 90, 450, 800), 504);
        QCOMPARE(CArxEntireView::barCaptionX(750, 90, 450, 800), 656);
        QCOMPARE(CArxEntireView::barCaptionX(750, 90, 700, 800), 710);
        QCOMPARE(CArxEntireView::barCaptionX(702, 98, 700, 800), 702);
        QCOMPARE(CArxEntireView::barCaptionX(750, 200, 700, 800), 702);
        // Dragging the bar to the right lowers the side minimum similarity.
        QWidget* vp = entire.viewport();
        const int bx = static_cast<int>(entire.barX());
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(bx, 100));
        QTest::mouseMove(vp, QPoint(bx + 30, 100));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(bx + 30, 100));
        QCOMPARE(entire.barX(), bx + 30.0);
        QCOMPARE(entire.sideMinSimilarity(), 0.2f);
        const size_t clusters = side->m_clusters.size();
        side->cut(0.2f);
        QCOMPARE(side->m_clusters.size(), clusters);
        // The bar stays within the side dendrogram.
        QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(bx + 30, 100));
        QTest::mouseMove(vp, QPoint(10, 100));
        QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(10, 100));
        QCOMPARE(entire.barX(), static_cast<double>(entire.sideX()));
        // A mosaic cell has the mapped colour; a missing one is white.
        const int row = entire.shownRows() - 1;
        const int y = entire.mosaicTop() - entire.verticalScrollBar()->value() + row * 10 + 5;
        const CForest* main = entire.mainForest();
        CNode* leaf = main->leaf(2);
        const int sidePos = row;  // all rows shown at similarity 1.0 in grey-out or with every row in place
        entire.setFilterOut(false);
        const Rgb c = viewContext().mapping.colorOf(leaf->m_pValues[sidePos]);
        const QRgb px = entire.image().pixel(25, y);
        QVERIFY(px == qRgb(c.r, c.g, c.b) || px == qRgb(washColor(c).r, washColor(c).g, washColor(c).b));
        const float keep = leaf->m_pWeights[sidePos];
        leaf->m_pWeights[sidePos] = -1.0f;
        entire.renderFull();
        const QRgb white = entire.image().pixel(25, y);
        QVERIFY(white == qRgb(255, 255, 255));
        leaf->m_pWeights[sidePos] = keep;
    }

    void kMeansViewBeforeAndAfterARun()
    {
        CArxKmeansView view(fx.doc.get());
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        CForest* rows = fx.doc->m_pRowForest;
        QVERIFY(!view.hasResult());
        QVERIFY(!view.horizontalScrollBar()->isEnabled());
        messages.m_texts.clear();
        view.exportResult();
        QCOMPARE(messages.m_texts.back(), std::string("Do K-means Clustering first!"));
        fx.doc->m_bDataLoaded = false;
        view.exportResult();
        QCOMPARE(messages.m_texts.back(), std::string("Please load data first!"));
        fx.doc->m_bDataLoaded = true;

        // A result: leaf positions 0 and 1 in clusters 0 and 1, the rest in 2.
        for (int p = 0; p < rows->m_nLeaves; ++p)
            rows->leaf(p)->m_nMarker1 = p < 2 ? p : 2;
        rows->m_kmeansOrder.clear();
        for (int p = 0; p < rows->m_nLeaves; ++p)
            rows->m_kmeansOrder.push_back(p);
        rows->m_bKMeans = true;
        view.onUpdate(nullptr, kHintResultsChanged);
        QVERIFY(view.hasResult());
        QVERIFY(view.horizontalScrollBar()->isEnabled());
        std::vector<int> positions, xs;
        view.itemLayout(positions, xs);
        // Two clusters of one item each: two columns one pixel apart.
        QCOMPARE(xs[0], 0);
        QCOMPARE(xs[1], 11);
        QCOMPARE(xs[2], 22);
        QCOMPARE(xs[3], 32);
        const QImage& img = view.image();
        const int y = CArxKmeansView::kTopMargin + 3 * 10 + 5;
        const Rgb c0 = viewContext().mapping.colorOf(rows->leaf(0)->m_pValues[3]);
        const Rgb c1 = viewContext().mapping.colorOf(rows->leaf(1)->m_pValues[3]);
        QCOMPARE(img.pixel(5, y), qRgb(c0.r, c0.g, c0.b));
        QCOMPARE(img.pixel(10, y), qRgb(255, 255, 255));  // the gap
        QCOMPARE(img.pixel(15, y), qRgb(c1.r, c1.g, c1.b));
        // The selection is scrolled into view, 24 pixels in.
        fx.doc->setItemSelection({rows->dataIndex(500)});
        view.onUpdate(nullptr, kHintItemSelection);
        QCOMPARE(view.horizontalScrollBar()->value(), 500 * 10 - 24);
        fx.doc->setItemSelection({});
        rows->m_bKMeans = false;
        view.onUpdate(nullptr, kHintColorMapping);
        QVERIFY(!view.horizontalScrollBar()->isEnabled());
    }
};

QTEST_MAIN(TestMosaicViews)
#include "test_mosaic_views.moc"
