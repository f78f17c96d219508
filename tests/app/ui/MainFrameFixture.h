#pragma once
// The base of the tests that drive the real main window: its look-ups (the
// frame, its document, the panels of its two bars by tab name), the
// messages it shows kept for the checks, a folder of the test's own, and
// the start of the window, with or without the bundled sample.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/CArxDoc.h"
#include "app/ui/CArxApp.h"
#include "app/ui/CArxView.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CTabDockBar.h"
#include "app/ui/CTabFrameWnd.h"
#include "app/ui/CZoomableWnd.h"
#include "platform/RecordingMessages.h"
#include "FrameFixture.h"
#include "HintLog.h"

inline const QString kSample = QString(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";
inline const QString kAnnotation = QString(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000_annotation.csv";

class MainFrameFixture : public QObject {
public:
    ~MainFrameFixture() override
    {
        if (CMainFrame* f = CArxApp::instance() ? CArxApp::instance()->mainFrame() : nullptr)
            if (CArxDoc* d = f->document())
                d->detach(&m_log);
        setMessages(nullptr);
    }

protected:
    static CMainFrame* frame() { return CArxApp::instance()->mainFrame(); }
    static CArxDoc* doc() { return frame()->document(); }
    template <typename T>
    static T* info(const QString& tab)
    {
        return qobject_cast<T*>(frame()->informationBar()->panel(tab));
    }
    template <typename T>
    static T* control(const QString& tab)
    {
        return qobject_cast<T*>(frame()->controlBar()->panel(tab));
    }
    // The overview of the document window's first page, if there is one.
    static CArxView* overview()
    {
        CTabFrameWnd* tabs = frame()->documentWindow();
        auto* page = tabs ? qobject_cast<CZoomableWnd*>(tabs->page(0)) : nullptr;
        return page ? page->view() : nullptr;
    }

    // Starts the main window; what it tells the user goes to m_messages.
    bool startFrame()
    {
        if (!CArxApp::instance()->initInstance(false))
            return false;
        setMessages(&m_messages);
        return true;
    }

    // Starts it with the sample opened as from the command line; the hints
    // the document sends from then on go to m_log.
    bool startWithSample()
    {
        if (!startFrame() || !frame()->openCommandLineFile(kSample))
            return false;
        doc()->attach(&m_log);
        return true;
    }

    // Writes a file of the test's folder (and the folders on its way); its path.
    QString writeFile(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
            qWarning() << "cannot write" << path;
        return path;
    }

    RecordingMessages m_messages;
    HintLog m_log;
    QTemporaryDir m_dir;
};
