#include "app/ui/CProgressWnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CProgressWnd::CProgressWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName("progressWindow");
    setFixedSize(390, 130);
    setFont(QApplication::font("QMessageBox"));
    auto* layout = new QVBoxLayout(this);
    m_pMessage = new QLabel(this);
    m_pMessage->setWordWrap(true);
    m_pBar = new QProgressBar(this);
    m_pBar->setTextVisible(false);
    m_pBar->setRange(0, 1000);
    m_pCancel = new QPushButton(" Cancel ", this);
    m_pCancel->setAutoDefault(false);
    layout->addWidget(m_pMessage);
    layout->addWidget(m_pBar);
    layout->addWidget(m_pCancel, 0, Qt::AlignHCenter);
    connect(m_pCancel, &QPushButton::clicked, this, &CProgressWnd::cancelRequested);
}

void CProgressWnd::setMessage(const QString& text) { m_pMessage->setText(text); }
QString CProgressWnd::message() const { return m_pMessage->text(); }
void CProgressWnd::setBar(int permille) { m_pBar->setValue(std::clamp(permille, 0, 1000)); }
int CProgressWnd::bar() const { return m_pBar->value(); }

void CProgressWnd::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        if (m_bEscapeAllowed)
            emit cancelRequested();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CProgressWnd::closeEvent(QCloseEvent* e) { e->ignore(); }
