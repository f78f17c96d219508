#pragma once
#include <QMainWindow>
#include <memory>

#include "app/ui/QtMessages.h"
#include "app/ui/QtProgress.h"

class DataMatrix;
class QLabel;

// The main window. For now: the caption, File/Open and File/Exit, and the
// loaded data's item and column counts in the status bar.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    bool openFile(const QString& path);
    const DataMatrix* data() const { return m_pData.get(); }

private slots:
    void onFileOpen();

private:
    std::unique_ptr<DataMatrix> m_pData;
    QtMessages m_messages;
    QtProgress m_progress;
    QLabel* m_pCounts = nullptr;
};
