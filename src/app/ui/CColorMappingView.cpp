#include "app/ui/CColorMappingView.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/TransformCaption.h"
#include "data/DataMatrix.h"

namespace {
constexpr int kBuckets = 100;
QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }
Rgb rgb(const QColor& c)
{
    return {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
            static_cast<unsigned char>(c.blue())};
}
} // namespace

CColorMappingView::CColorMappingView(CArxDoc* doc, ColorMapping* mapping, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_pMapping(mapping)
{
    setMouseTracking(true);
    setMinimumHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pMapping->m_nMargin = kMargin;
    m_pMapping->m_nBarLength = std::max(kMargin + 1, width() - kMargin);
    setEnabled(false);
}

bool CColorMappingView::active() const { return doc() && doc()->m_bDataLoaded; }

QString CColorMappingView::caption() const
{
    return active() ? QString::fromStdString(transformationCaption(*doc())) : QString();
}

void CColorMappingView::initialiseFromData()
{
    const DataMatrix* data = doc() ? doc()->data() : nullptr;
    if (!data || data->rowCount() == 0)
        return;
    float lo = 0.0f, hi = 0.0f;
    const std::vector<unsigned> h = valueHistogram(*data, kBuckets, lo, hi);
    m_pMapping->m_nMargin = kMargin;
    m_pMapping->m_nBarLength = std::max(kMargin + 1, width() - kMargin);
    m_pMapping->startValues(h, lo, hi, doc()->m_bLogTransformed);
}

void CColorMappingView::onUpdate(CDocObserver*, int hint)
{
    switch (hint) {
    case kHintResultsChanged:
        setEnabled(active());
        setToolTip(caption());
        if (active()) {
            initialiseFromData();
            // The mosaics that drew before the new start values recolour.
            doc()->updateAllViews(this, kHintColorMapping);
        }
        update();
        break;
    case kHintNewData:
        setEnabled(false);
        setToolTip(QString());
        m_drag = Handle::None;
        update();
        break;
    case kHintColorMapping:
        update();
        break;
    default:
        break;
    }
}

void CColorMappingView::changed()
{
    m_pMapping->rebuildPalettes();
    update();
    if (active())
        doc()->updateAllViews(this, kHintColorMapping);
}

void CColorMappingView::setMode(int mode)
{
    m_pMapping->m_nMode = mode == 1 ? 1 : 3;
    changed();
}

void CColorMappingView::setScheme(int scheme)
{
    if (m_pMapping->setScheme(scheme))
        changed();
}

void CColorMappingView::resizeEvent(QResizeEvent*)
{
    m_pMapping->m_nMargin = kMargin;
    m_pMapping->m_nBarLength = std::max(kMargin + 1, width() - kMargin);
    m_pMapping->positionsFromValues();
}

CColorMappingView::Handle CColorMappingView::handleAt(int x, int y) const
{
    const ColorMapping& m = *m_pMapping;
    if (std::abs(x - m.m_nLowPos) <= 5)
        return Handle::Low;
    if (std::abs(x - m.m_nHighPos) <= 5)
        return Handle::High;
    if (m.m_nMode == 3 && std::abs(x - m.m_nMiddlePos) <= 5)
        return Handle::Middle;
    if (x > m.m_nLowPos && x < m.m_nHighPos && y >= kBarTop && y < kBarTop + kBarThickness)
        return Handle::Ramp;
    return Handle::None;
}

void CColorMappingView::dragTo(Handle h, int p)
{
    ColorMapping& m = *m_pMapping;
    const int L = m.m_nBarLength, margin = m.m_nMargin;
    const bool three = m.m_nMode == 3;
    switch (h) {
    case Handle::Low: {
        const int upper = (three ? m.m_nMiddlePos : m.m_nHighPos) - 3;
        m.m_nLowPos = std::clamp(p, margin, std::max(margin, upper));
        m.m_fLow = static_cast<float>(m.valueAt(m.m_nLowPos));
        break;
    }
    case Handle::High: {
        const int lower = (three ? m.m_nMiddlePos : m.m_nLowPos) + 3;
        m.m_nHighPos = std::clamp(p, std::min(lower, L), L);
        m.m_fHigh = static_cast<float>(m.valueAt(m.m_nHighPos));
        break;
    }
    case Handle::Middle:
        if (!three)
            return;
        m.m_nMiddlePos = std::clamp(p, m.m_nLowPos + 3, std::max(m.m_nLowPos + 3, m.m_nHighPos - 3));
        m.m_fMiddle = static_cast<float>(m.valueAt(m.m_nMiddlePos));
        break;
    case Handle::Ramp: {
        // p is the pointer's movement since the grab.
        const int d = std::clamp(p, margin - m_nGrabLow, L - m_nGrabHigh);
        m.m_nLowPos = m_nGrabLow + d;
        m.m_nMiddlePos = m_nGrabMid + d;
        m.m_nHighPos = m_nGrabHigh + d;
        m.m_fLow = static_cast<float>(m.valueAt(m.m_nLowPos));
        m.m_fMiddle = static_cast<float>(m.valueAt(m.m_nMiddlePos));
        m.m_fHigh = static_cast<float>(m.valueAt(m.m_nHighPos));
        break;
    }
    case Handle::None:
        return;
    }
    changed();
}

void CColorMappingView::mousePressEvent(QMouseEvent* e)
{
    if (!active())
        return;
    const QPoint pt = e->position().toPoint();
    if (e->button() == Qt::RightButton) {
        editColorAt(pt.x());
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    m_drag = handleAt(pt.x(), pt.y());
    m_nGrabX = pt.x();
    m_nGrabLow = m_pMapping->m_nLowPos;
    m_nGrabMid = m_pMapping->m_nMiddlePos;
    m_nGrabHigh = m_pMapping->m_nHighPos;
    update();
}

void CColorMappingView::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt = e->position().toPoint();
    if (m_drag == Handle::None) {
        const ColorMapping& m = *m_pMapping;
        const bool near = active() && (std::abs(pt.x() - m.m_nLowPos) <= 3 || std::abs(pt.x() - m.m_nHighPos) <= 3 ||
                                       (m.m_nMode == 3 && std::abs(pt.x() - m.m_nMiddlePos) <= 3));
        if (near)
            setCursor(Qt::SizeHorCursor);
        else
            unsetCursor();
        return;
    }
    dragTo(m_drag, m_drag == Handle::Ramp ? pt.x() - m_nGrabX : pt.x());
}

void CColorMappingView::mouseReleaseEvent(QMouseEvent*)
{
    m_drag = Handle::None;
    update();
}

void CColorMappingView::editColorAt(int x)
{
    ColorMapping& m = *m_pMapping;
    Rgb* target = &m.m_clrLow;
    if (m.m_nMode == 3) {
        if (x < m.m_nLowPos + 3)
            target = &m.m_clrLow;
        else if (x > m.m_nHighPos - 3)
            target = &m.m_clrHigh;
        else if (std::abs(x - m.m_nMiddlePos) <= 3)
            target = &m.m_clrMiddle;
        else
            return;
    }
    const QColor c = QColorDialog::getColor(qcolor(*target), this, QString());
    if (!c.isValid())
        return;
    *target = rgb(c);
    changed();
}

void CColorMappingView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const ColorMapping& m = *m_pMapping;
    const int top = kBarTop, h = kBarThickness;
    if (!active()) {
        p.fillRect(QRect(m.m_nMargin, top, m.m_nBarLength - m.m_nMargin, h), palette().color(QPalette::Mid));
        return;
    }
    // The ramp by palette position: the low end colour up to the low
    // handle, the rule between the handles, the high end colour after.
    const int n = static_cast<int>(m.m_plainPalette.size());
    for (int i = 0; i < n; ++i)
        p.fillRect(m.m_nMargin + i, top, 1, h, qcolor(m.m_plainPalette[static_cast<size_t>(i)]));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(m.m_nMargin - 1, top - 1, n + 1, h + 1);
    // Handles: a triangle under the bar.
    auto handle = [&](int x, bool shown) {
        if (!shown)
            return;
        const QPolygon tri({QPoint(x, top + h + 1), QPoint(x - 4, top + h + 7), QPoint(x + 4, top + h + 7)});
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawPolygon(tri);
        p.drawLine(x, top, x, top + h);
    };
    handle(m.m_nLowPos, true);
    handle(m.m_nHighPos, true);
    handle(m.m_nMiddlePos, m.m_nMode == 3);
    QFont small("Arial");
    small.setPixelSize(10);
    p.setFont(small);
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics sm(small);
    const QString lo = QString::asprintf("%.2f", static_cast<double>(m.m_fDataMin));
    const QString hi = QString::asprintf("%.2f", static_cast<double>(m.m_fDataMax));
    const int rangeBase = top + h + 8 + sm.ascent();
    p.drawText(m.m_nMargin, rangeBase, lo);
    p.drawText(m.m_nBarLength - sm.horizontalAdvance(hi), rangeBase, hi);
    // What the values are: two lines at most, the full text in the tooltip.
    QFont captionFont("Arial");
    captionFont.setPixelSize(11);
    p.setFont(captionFont);
    const QRect captionRect(m.m_nMargin, rangeBase + 3, std::max(1, m.m_nBarLength - m.m_nMargin), height() - rangeBase - 3);
    p.drawText(captionRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, caption());
    p.setFont(small);
    // Values of the dragged handles.
    if (m_drag != Handle::None) {
        QFont f("Arial");
        f.setPixelSize(9);
        f.setBold(true);
        p.setFont(f);
        const QFontMetrics fm(f);
        auto value = [&](int x, float v) {
            const QString t = QString::asprintf("%.2f", static_cast<double>(v));
            const int w = fm.horizontalAdvance(t) + 4;
            const int bx = std::clamp(x - w / 2, 0, std::max(0, width() - w));
            p.fillRect(bx, top + 4, w, fm.height(), Qt::black);
            p.setPen(Qt::yellow);
            p.drawText(bx + 2, top + 4 + fm.ascent(), t);
        };
        if (m_drag == Handle::Low || m_drag == Handle::Ramp)
            value(m.m_nLowPos, m.m_fLow);
        if (m_drag == Handle::High || m_drag == Handle::Ramp)
            value(m.m_nHighPos, m.m_fHigh);
        if ((m_drag == Handle::Middle || m_drag == Handle::Ramp) && m.m_nMode == 3)
            value(m.m_nMiddlePos, m.m_fMiddle);
    }
}
