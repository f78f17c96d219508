#pragma once
// What the main-window tests share: the application started without a
// splash and with a settings store of its own, a panel that records the
// hints it receives, and the running of a modal dialog's reply.
#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"

// A panel of a bar that keeps every hint it was sent, in order.
class RecordingPanel final : public QWidget, public CDocObserver {
public:
    void onUpdate(CDocObserver*, int hint) override { m_hints.push_back(hint); }
    std::vector<int> m_hints;
};

// Runs `reply` on the modal dialog of type D that the next command opens
// (called from the dialog's own event loop).
template <typename D>
void whenDialogOpens(std::function<void(D*)> reply)
{
    QTimer::singleShot(0, [reply] {
        QWidget* w = QApplication::activeModalWidget();
        D* d = qobject_cast<D*>(w);
        if (!d) {
            if (auto* other = qobject_cast<QDialog*>(w))
                other->reject();
            return;
        }
        reply(d);
    });
}

template <typename D>
void acceptNextDialog()
{
    whenDialogOpens<D>([](D* d) { d->accept(); });
}

// The settings store goes to a folder of the test's own.
inline QTemporaryDir& settingsFolder()
{
    static QTemporaryDir dir;
    return dir;
}
inline void useOwnSettings() { qputenv("XDG_CONFIG_HOME", settingsFolder().path().toLocal8Bit()); }

// main() of a test program that drives the real application object, with the
// settings store of its own.
#define ARBOLIX_APP_TEST_MAIN(TestClass)                                                                               \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        useOwnSettings();                                                                                              \
        CArxApp app(argc, argv);                                                                                       \
        TestClass test;                                                                                                \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
