#include "app/ui/QtProgress.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "app/ui/CProgressWnd.h"

QtProgress::QtProgress(QWidget* mainWindow) : m_pMainWindow(mainWindow) {}

QtProgress::~QtProgress()
{
    if (m_pWnd && !m_pWnd->parent())
        delete m_pWnd;
}

bool QtProgress::open(const std::string& title)
{
    // Operations nested in another share the window the outermost one opened.
    if (m_nDepth++ > 0)
        return true;
    m_model.reset(title);
    m_bCancelled = false;
    // A window owned by an open modal dialog stays usable (Cancel works while
    // the load dialog filters); otherwise the main window owns it.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == m_pWnd)
        owner = m_pMainWindow;
    if (!m_pWnd) {
        m_pWnd = new CProgressWnd(owner);
        m_pWnd->setEscapeAllowed(m_bEscapeAllowed);
        QObject::connect(m_pWnd, &CProgressWnd::cancelRequested, m_pWnd, [this] { cancel(); });
    } else if (m_pWnd->parentWidget() != owner) {
        m_pWnd->setParent(owner, m_pWnd->windowFlags());
    }
    if (!m_pWnd)
        return false;
    m_pWnd->setWindowTitle(QString::fromStdString(m_model.title()));
    m_pWnd->setMessage(QString());
    m_pWnd->setBar(0);
    placeWindow();
    if (m_pMainWindow)
        m_pMainWindow->setEnabled(false);
    // Disabling the owner disables its child windows too: this one stays live.
    m_pWnd->setEnabled(true);
    m_pWnd->setWindowModality(Qt::ApplicationModal);
    m_pWnd->show();
    m_pWnd->raise();
    emit m_pWnd->opened();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
}

void QtProgress::placeWindow()
{
    QSettings settings("Arbolix", "Arbolix");
    int x = settings.value("Settings/X", -1).toInt();
    int y = settings.value("Settings/Y", -1).toInt();
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (x >= 0 && x < area.width() && y >= 0 && y < area.height())
        m_pWnd->move(x, y);
    else
        m_pWnd->move(area.center() - QPoint(m_pWnd->width() / 2, m_pWnd->height() / 2));
}

void QtProgress::setMessage(const std::string& text)
{
    if (m_pWnd)
        m_pWnd->setMessage(QString::fromStdString(text));
}

void QtProgress::setRange(long long low, long long high)
{
    m_model.setRange(low, high);
}

long long QtProgress::setPosition(long long pos)
{
    bool changed = false;
    long long old = m_model.setPosition(pos, &changed);
    if (m_pWnd) {
        long long span = m_model.high() - m_model.low();
        m_pWnd->setBar(span > 0 ? static_cast<int>((pos - m_model.low()) * 1000 / span) : 0);
        if (changed)
            m_pWnd->setWindowTitle(QString::fromStdString(m_model.caption()));
    }
    return old;
}

void QtProgress::pump()
{
    QApplication::processEvents(QEventLoop::AllEvents, 20);
}

void QtProgress::close()
{
    if (m_nDepth == 0 || --m_nDepth > 0)
        return;
    if (m_pWnd) {
        QSettings settings("Arbolix", "Arbolix");
        settings.setValue("Settings/X", m_pWnd->x());
        settings.setValue("Settings/Y", m_pWnd->y());
        m_pWnd->hide();
    }
    if (m_pMainWindow)
        m_pMainWindow->setEnabled(true);
}

void QtProgress::setEscapeAllowed(bool allowed)
{
    m_bEscapeAllowed = allowed;
    if (m_pWnd)
        m_pWnd->setEscapeAllowed(allowed);
}

void QtProgress::cancel()
{
    m_bCancelled = true;
    if (m_pMainWindow)
        m_pMainWindow->raise();
}
