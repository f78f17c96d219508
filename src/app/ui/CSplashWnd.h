#pragma once
#include <QWidget>

// The start-up picture: a borderless window over the main frame that goes
// away after 500 ms, or earlier on any key or mouse button press.
class CSplashWnd final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDisplayMs = 500;
    explicit CSplashWnd(QWidget* mainFrame);
    // Shows the splash centred over the main frame and starts its timer.
    static CSplashWnd* showSplash(QWidget* mainFrame);

protected:
    void paintEvent(QPaintEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void dismiss();
    QPixmap m_picture;
};
