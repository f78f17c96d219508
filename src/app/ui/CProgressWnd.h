#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress window itself: 390 x 130, a message line, a bar and the
// " Cancel " button in the system's message font. It cannot be closed from
// its title bar; Escape cancels only when the running operation allows it.
class CProgressWnd final : public QDialog {
    Q_OBJECT
public:
    explicit CProgressWnd(QWidget* parent);

    void setMessage(const QString& text);
    void setBar(int permille);
    int bar() const;
    QString message() const;
    QPushButton* cancelButton() const { return m_pCancel; }
    void setEscapeAllowed(bool allowed) { m_bEscapeAllowed = allowed; }

signals:
    void cancelRequested();
    // Emitted each time an operation has shown the window.
    void opened();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override {}

private:
    QLabel* m_pMessage;
    QProgressBar* m_pBar;
    QPushButton* m_pCancel;
    bool m_bEscapeAllowed = true;
};
