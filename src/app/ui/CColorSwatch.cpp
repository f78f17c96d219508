#include "app/ui/CColorSwatch.h"

#include <QPainter>

CColorSwatch::CColorSwatch(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFixedSize(40, 20);
}

void CColorSwatch::setColor(const QColor& c)
{
    m_color = c;
    update();
}

void CColorSwatch::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(contentsRect(), m_color);
    p.end();
    QFrame::paintEvent(e);
}
