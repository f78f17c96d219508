// The colour mapping bar on the bundled sample: start values, handle
// dragging with its limits, live recolouring (hint 3009), schemes and modes.
#include <QtTest>

#include "app/ui/CColorMappingView.h"
#include "HintLog.h"
#include "ViewFixture.h"

class TestColorMappingView : public QObject {
    Q_OBJECT
private:
    ViewFixture fx;
    HintLog log;
    std::unique_ptr<CColorMappingView> bar;

    static bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    void drag(int from, int to)
    {
        QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(from, 10));
        QTest::mouseMove(bar.get(), QPoint((from + to) / 2, 10));
        QTest::mouseMove(bar.get(), QPoint(to, 10));
        QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(to, 10));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(fx.load());
        fx.doc->attach(&log);
    }
    void init()
    {
        fx.mapping = ColorMapping{};
        bar = std::make_unique<CColorMappingView>(fx.doc.get(), &fx.mapping);
        bar->resize(220, 48);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
        fx.doc->attach(bar.get());
        bar->onUpdate(nullptr, kHintResultsChanged);
        log.hints.clear();
    }
    void cleanup()
    {
        fx.doc->detach(bar.get());
        bar.reset();
    }

    void startValuesFromTheData()
    {
        const ColorMapping& m = fx.mapping;
        QVERIFY(bar->isEnabled());
        QCOMPARE(m.m_nMargin, 10);
        QCOMPARE(m.m_nBarLength, 210);
        QCOMPARE(m.m_fDataMin, fx.data->m_fNorMin);
        QCOMPARE(m.m_fDataMax, fx.data->m_fNorMax);
        QVERIFY(m.m_fLow >= m.m_fDataMin && m.m_fLow < m.m_fMiddle && m.m_fMiddle < m.m_fHigh);
        QVERIFY(m.m_fHigh <= m.m_fDataMax);
        QCOMPARE(m.m_plainPalette.size(), size_t{200});
    }

    void colorsAtTheHandlesAndClamping()
    {
        const ColorMapping& m = fx.mapping;
        QVERIFY(same(m.colorOf(m.m_fHigh), m.m_clrHigh));
        QVERIFY(same(m.colorOf(m.m_fMiddle), m.m_clrMiddle));
        QVERIFY(same(m.colorOf(m.m_fLow), m.m_clrLow));
        QVERIFY(same(m.colorOf(m.m_fDataMax), m.m_clrHigh));
        QVERIFY(same(m.colorOf(m.m_fDataMin), m.m_clrLow));
        // The bar is painted from the palette: its pixel at the high handle
        // and beyond is the high colour.
        const QImage img = bar->grab().toImage();
        const QRgb px = img.pixel(m.m_nHighPos + 5, CColorMappingView::kBarTop + 5);
        QCOMPARE(px, qRgb(m.m_clrHigh.r, m.m_clrHigh.g, m.m_clrHigh.b));
    }

    void draggingAHandleRecoloursLive()
    {
        ColorMapping& m = fx.mapping;
        const int from = m.m_nHighPos;
        drag(from, from + 10);
        QCOMPARE(m.m_nHighPos, std::min(from + 10, m.m_nBarLength));
        QCOMPARE(m.m_fHigh, static_cast<float>(m.valueAt(m.m_nHighPos)));
        QVERIFY(log.has(kHintColorMapping));
        QVERIFY(same(m.colorOf(m.m_fHigh), m.m_clrHigh));
    }

    void handlesKeepTheirDistance()
    {
        ColorMapping& m = fx.mapping;
        // The middle handle stops 3 pixels after the low one.
        drag(m.m_nMiddlePos, m.m_nLowPos - 20);
        QCOMPARE(m.m_nMiddlePos, m.m_nLowPos + 3);
        // The low handle cannot pass the middle one, nor leave the bar.
        drag(m.m_nLowPos, m.m_nLowPos + 50);
        QCOMPARE(m.m_nLowPos, m.m_nMiddlePos - 3);
        drag(m.m_nLowPos, 0);
        QCOMPARE(m.m_nLowPos, m.m_nMargin);
        drag(m.m_nHighPos, 400);
        QCOMPARE(m.m_nHighPos, m.m_nBarLength);
    }

    void schemesAndModes()
    {
        bar->setScheme(1);
        QVERIFY(log.has(kHintColorMapping));
        QVERIFY(same(fx.mapping.m_clrHigh, {255, 0, 0}));
        QVERIFY(same(fx.mapping.m_clrMiddle, {255, 255, 255}));
        QVERIFY(same(fx.mapping.m_clrLow, {0, 0, 255}));
        bar->setMode(1);
        QCOMPARE(fx.mapping.m_nMode, 1);
        QVERIFY(same(fx.mapping.colorOf(fx.mapping.m_fLow), {0, 0, 0}));
        QVERIFY(same(fx.mapping.colorOf(fx.mapping.m_fHigh), fx.mapping.m_clrLow));
    }

    void newDataDisablesTheBar()
    {
        bar->onUpdate(nullptr, kHintNewData);
        QVERIFY(!bar->isEnabled());
    }
};

QTEST_MAIN(TestColorMappingView)
#include "test_color_mapping_view.moc"
