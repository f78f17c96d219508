#include "app/ui/CRubberSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>
#include <cmath>

CRubberSlider::CRubberSlider(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(12);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMouseTracking(true);
}

void CRubberSlider::setRange(int minimum, int maximum)
{
    m_nMin = minimum;
    m_nMax = std::max(minimum, maximum);
    m_nLow = m_nMin;
    m_nHigh = m_nMax;
    update();
}

void CRubberSlider::setValues(int low, int high)
{
    low = std::clamp(low, m_nMin, m_nMax);
    high = std::clamp(high, low, m_nMax);
    if (low == m_nLow && high == m_nHigh)
        return;
    m_nLow = low;
    m_nHigh = high;
    update();
    emit rangeChanged(m_nLow, m_nHigh);
}

void CRubberSlider::setMarkers(const QVector<double>& fractions, const QColor& colour)
{
    m_markers = fractions;
    m_clrMarker = colour;
    update();
}

int CRubberSlider::xOfValue(double v) const
{
    if (m_nMax <= m_nMin)
        return trackLeft();
    return trackLeft() + static_cast<int>(std::lround((v - m_nMin) * (trackRight() - trackLeft()) / (m_nMax - m_nMin)));
}

int CRubberSlider::valueAtX(int x) const
{
    if (m_nMax <= m_nMin || trackRight() <= trackLeft())
        return m_nMin;
    const double f = static_cast<double>(x - trackLeft()) / (trackRight() - trackLeft());
    return std::clamp(m_nMin + static_cast<int>(std::lround(f * (m_nMax - m_nMin))), m_nMin, m_nMax);
}

QRect CRubberSlider::thumbRect(bool lowThumb) const
{
    const int x = xOfValue(lowThumb ? m_nLow : m_nHigh);
    return lowThumb ? QRect(x - kThumb, 1, kThumb, height() - 2) : QRect(x + 1, 1, kThumb, height() - 2);
}

void CRubberSlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Window));
    const int h = height();
    // Track and the picked band.
    const QRect track(trackLeft(), h / 2 - 3, trackRight() - trackLeft() + 1, 6);
    p.fillRect(track, pal.color(QPalette::Mid));
    const int xl = xOfValue(m_nLow), xh = xOfValue(m_nHigh);
    p.fillRect(QRect(xl, 2, std::max(1, xh - xl + 1), h - 4), QColor(120, 160, 220));
    // Markers of the selected elements.
    p.setPen(m_clrMarker);
    for (double f : m_markers) {
        const int x = trackLeft() + static_cast<int>(f * (trackRight() - trackLeft()));
        p.drawLine(x, 1, x, h - 2);
    }
    // Thumbs.
    for (bool lowThumb : {true, false}) {
        const QRect r = thumbRect(lowThumb);
        p.fillRect(r, pal.color(QPalette::Button));
        p.setPen(pal.color(QPalette::Dark));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(pal.color(QPalette::Shadow));
        const int cx = r.center().x();
        p.drawLine(cx, r.top() + 3, cx, r.bottom() - 3);
    }
}

void CRubberSlider::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || m_nMax <= m_nMin)
        return;
    const QPoint pt = e->position().toPoint();
    m_nGrabX = pt.x();
    m_nGrabLow = m_nLow;
    m_nGrabHigh = m_nHigh;
    if (thumbRect(true).contains(pt))
        m_drag = Part::Low;
    else if (thumbRect(false).contains(pt))
        m_drag = Part::High;
    else if (pt.x() > xOfValue(m_nLow) && pt.x() < xOfValue(m_nHigh))
        m_drag = Part::Band;
    else {
        // A click beside the band moves the nearer thumb there.
        const int v = valueAtX(pt.x());
        if (v < m_nLow)
            setValues(v, m_nHigh);
        else
            setValues(m_nLow, v);
    }
}

void CRubberSlider::mouseMoveEvent(QMouseEvent* e)
{
    if (m_drag == Part::None)
        return;
    const int x = e->position().toPoint().x();
    switch (m_drag) {
    case Part::Low:  // the thumb keeps its offset to the pointer
        setValues(std::min(valueAtX(xOfValue(m_nGrabLow) + x - m_nGrabX), m_nHigh), m_nHigh);
        break;
    case Part::High:
        setValues(m_nLow, std::max(valueAtX(xOfValue(m_nGrabHigh) + x - m_nGrabX), m_nLow));
        break;
    case Part::Band: {
        const int delta = valueAtX(x) - valueAtX(m_nGrabX);
        const int d = std::clamp(delta, m_nMin - m_nGrabLow, m_nMax - m_nGrabHigh);
        setValues(m_nGrabLow + d, m_nGrabHigh + d);
        break;
    }
    case Part::None:
        break;
    }
}

void CRubberSlider::mouseReleaseEvent(QMouseEvent*) { m_drag = Part::None; }
