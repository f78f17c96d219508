#include "app/ui/CMainFrame.h"

#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), m_messages(this), m_progress(this)
{
    setWindowTitle("Arbolix");
    resize(1000, 700);
    setMessages(&m_messages);
    setProgress(&m_progress);
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Open...", QKeySequence::Open, this, &CMainFrame::onFileOpen);
    file->addSeparator();
    file->addAction("E&xit", this, &QWidget::close);
    m_pCounts = new QLabel(this);
    statusBar()->addPermanentWidget(m_pCounts);
    statusBar()->showMessage("Ready");
}

CMainFrame::~CMainFrame()
{
    setMessages(nullptr);
    setProgress(nullptr);
}

void CMainFrame::onFileOpen()
{
    QString path = QFileDialog::getOpenFileName(this, "Open", QString(),
                                                "Data Files (*.txt *.csv *.exp *.xls *.xlsx);;All Files (*)");
    if (!path.isEmpty())
        openFile(path);
}

bool CMainFrame::openFile(const QString& path)
{
    auto data = std::make_unique<DataMatrix>();
    if (!data->loadDataFile(path.toStdString())) {
        showMessage(("Cannot open the file : " + path).toStdString());
        return false;
    }
    data->computeStatistics(false, true);
    data->computeStatistics(false, false);
    m_pData = std::move(data);
    setWindowTitle("Arbolix - " + QString::fromStdString(m_pData->m_strName));
    m_pCounts->setText(QString("%1 items, %2 columns").arg(m_pData->m_nRows).arg(m_pData->m_nColumns));
    return true;
}
