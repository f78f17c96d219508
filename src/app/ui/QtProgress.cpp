#include "app/ui/QtProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

QtProgress::QtProgress(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_pMainWindow(mainWindow)
{
    setFixedSize(390, 130);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    m_pMessage = new QLabel(this);
    m_pBar = new QProgressBar(this);
    m_pBar->setTextVisible(false);
    m_pCancel = new QPushButton(" Cancel ", this);
    layout->addWidget(m_pMessage);
    layout->addWidget(m_pBar);
    layout->addWidget(m_pCancel, 0, Qt::AlignHCenter);
    connect(m_pCancel, &QPushButton::clicked, this, &QtProgress::cancel);
}

bool QtProgress::open(const std::string& title)
{
    // Nested operations share the window opened by the outermost one.
    if (m_nDepth++ > 0) {
        return true;
    }
    m_model.reset(title);
    m_bCancelled = false;
    setWindowTitle(QString::fromStdString(m_model.title()));
    m_pMessage->clear();
    m_pBar->setRange(0, 100);
    m_pBar->setValue(0);
    QSettings settings("Arbolix", "Arbolix");
    int x = settings.value("Settings/X", -1).toInt();
    int y = settings.value("Settings/Y", -1).toInt();
    QScreen* screen = m_pMainWindow ? m_pMainWindow->screen() : QApplication::primaryScreen();
    QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (x >= 0 && x < area.width() && y >= 0 && y < area.height())
        move(x, y);
    else
        move(area.center() - QPoint(width() / 2, height() / 2));
    if (m_pMainWindow)
        m_pMainWindow->setEnabled(false);
    setEnabled(true);
    show();
    QApplication::processEvents();
    return true;
}

void QtProgress::setMessage(const std::string& text)
{
    m_pMessage->setText(QString::fromStdString(text));
}

void QtProgress::setRange(long long low, long long high)
{
    m_model.setRange(low, high);
    m_pBar->setRange(0, 1000);
}

long long QtProgress::setPosition(long long pos)
{
    bool changed = false;
    long long old = m_model.setPosition(pos, &changed);
    long long span = m_model.high() - m_model.low();
    m_pBar->setValue(span > 0 ? static_cast<int>((pos - m_model.low()) * 1000 / span) : 0);
    if (changed)
        setWindowTitle(QString::fromStdString(m_model.caption()));
    return old;
}

void QtProgress::pump() { QApplication::processEvents(QEventLoop::AllEvents, 20); }

void QtProgress::close()
{
    if (m_nDepth == 0 || --m_nDepth > 0)
        return;
    QSettings settings("Arbolix", "Arbolix");
    settings.setValue("Settings/X", pos().x());
    settings.setValue("Settings/Y", pos().y());
    if (m_pMainWindow)
        m_pMainWindow->setEnabled(true);
    hide();
}

void QtProgress::cancel()
{
    m_bCancelled = true;
    if (m_pMainWindow)
        m_pMainWindow->raise();
}

void QtProgress::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (m_bEscapeAllowed)
            cancel();
        return;
    }
    QDialog::keyPressEvent(e);
}

void QtProgress::closeEvent(QCloseEvent* e) { e->ignore(); }
