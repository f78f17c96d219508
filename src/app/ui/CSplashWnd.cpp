#include "app/ui/CSplashWnd.h"

#include <cmath>

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
// The picture: the product name over a small colour mosaic.
QPixmap splashPicture()
{
    QPixmap pm(420, 240);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, pm.height());
    g.setColorAt(0, QColor(250, 250, 250));
    g.setColorAt(1, QColor(215, 222, 235));
    p.fillRect(pm.rect(), g);
    const int cell = 14, cols = 24, rows = 5;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            double t = 0.5 + 0.5 * std::sin(c * 0.45 + r * 1.3);
            QColor col = t > 0.5 ? QColor(255, int(255 * (1 - t) * 2), int(255 * (1 - t) * 2))
                                 : QColor(int(255 * t * 2), int(255 * t * 2), 255);
            p.fillRect(42 + c * cell, 140 + r * cell, cell - 1, cell - 1, col);
        }
    p.setPen(QColor(40, 50, 80));
    QFont f = p.font();
    f.setPointSize(30);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 30, pm.width(), 60), Qt::AlignCenter, "Arbolix");
    f.setPointSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(0, 90, pm.width(), 30), Qt::AlignCenter, "Arbolix Version 3.5");
    p.setPen(QColor(120, 130, 150));
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return pm;
}
} // namespace

CSplashWnd::CSplashWnd(QWidget* mainFrame)
    : QWidget(mainFrame, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_picture = splashPicture();
    setFixedSize(m_picture.size());
    qApp->installEventFilter(this);
}

CSplashWnd* CSplashWnd::showSplash(QWidget* mainFrame)
{
    auto* splash = new CSplashWnd(mainFrame);
    QRect area = mainFrame && mainFrame->isVisible() ? mainFrame->frameGeometry()
                 : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                    : QRect(0, 0, 1024, 768);
    splash->move(area.center() - QPoint(splash->width() / 2, splash->height() / 2));
    splash->show();
    QTimer::singleShot(kDisplayMs, splash, &CSplashWnd::dismiss);
    return splash;
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

bool CSplashWnd::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        dismiss();
        break;
    default:
        break;
    }
    return false;
}

void CSplashWnd::dismiss()
{
    qApp->removeEventFilter(this);
    close();
}
