#pragma once
#include <QPointer>

#include "app/ui/CProgressWnd.h"

#include "platform/Progress.h"

class QWidget;


// The engine's progress interface on a progress window: made on first use,
// the main window disabled while it shows, the caption "%s [%d%%]" changed
// only when the whole percent changes, the position kept in the settings
// store (section "Settings", keys "X" and "Y") and ignored when off screen.
// Operations nested in another share the outer one's window.
class QtProgress final : public IProgress {
public:
    explicit QtProgress(QWidget* mainWindow);
    ~QtProgress() override;

    bool open(const std::string& title) override;
    void setMessage(const std::string& text) override;
    void setRange(long long low, long long high) override;
    void setStep(int step) override { m_model.setStep(step); }
    long long setPosition(long long pos) override;
    void pump() override;
    bool cancelled() const override { return m_bCancelled; }
    void close() override;

    void setEscapeAllowed(bool allowed);
    // The window (null before the first operation) and its state, for the
    // tests and for operations that want to look at it.
    CProgressWnd* window() const { return m_pWnd; }
    const ProgressModel& model() const { return m_model; }
    bool isOpen() const { return m_nDepth > 0; }

private:
    void cancel();
    void placeWindow();

    QWidget* m_pMainWindow;
    QPointer<CProgressWnd> m_pWnd;
    ProgressModel m_model;
    bool m_bCancelled = false;
    bool m_bEscapeAllowed = true;
    int m_nDepth = 0;
};
