#pragma once
#include <QDialog>

#include "platform/Progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window: a message line, a bar and " Cancel ", 390 x 130, the
// caption "%s [%d%%]", the main window disabled while it shows, its position
// kept in the settings store.
class QtProgress final : public QDialog, public IProgress {
    Q_OBJECT
public:
    explicit QtProgress(QWidget* mainWindow);

    bool open(const std::string& title) override;
    void setMessage(const std::string& text) override;
    void setRange(long long low, long long high) override;
    void setStep(int step) override { m_model.setStep(step); }
    long long setPosition(long long pos) override;
    void pump() override;
    bool cancelled() const override { return m_bCancelled; }
    void close() override;

    void setEscapeAllowed(bool allowed) { m_bEscapeAllowed = allowed; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void cancel();
    QWidget* m_pMainWindow;
    QLabel* m_pMessage;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    ProgressModel m_model;
    bool m_bCancelled = false;
    bool m_bEscapeAllowed = true;
    int m_nDepth = 0;
};
