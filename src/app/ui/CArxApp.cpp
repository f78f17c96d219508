#include "app/ui/CArxApp.h"

#include <QScreen>

#include "app/ui/CMainFrame.h"
#include "app/ui/CSplashWnd.h"
#include "app/ui/ViewContext.h"

CArxApp::CArxApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Arbolix");
    setOrganizationName("Arbolix");
    setApplicationVersion("3.5");
}

CArxApp::~CArxApp()
{
    m_pFrame.reset();
    m_data.releaseAll();
}

QString CArxApp::commandLineFile() const
{
    QStringList args = arguments();
    if (args.size() < 2)
        return {};
    args.removeFirst();
    return args.join(' ');
}

bool CArxApp::initInstance(bool showSplash)
{
    // 1. The command line (the splash is the caller's choice).
    const QString file = commandLineFile();
    // 4. The settings store "Arbolix" and the recent file list.
    m_recent.load();
    // 6. The main frame, with the splash over it.
    m_pFrame = std::make_unique<CMainFrame>(m_data, m_recent);
    if (!m_pFrame)
        return false;
    // The overview pages, the colour mapping bar, the Color Mosaic and
    // K-means tabs and the picture commands.
    installViews(*m_pFrame);
    // 9. Shown maximised with the caption "Arbolix"; dropped files accepted.
    m_pFrame->setWindowTitle("Arbolix");
    if (QScreen* screen = primaryScreen())
        m_pFrame->setGeometry(screen->availableGeometry());
    m_pFrame->showMaximized();
    if (showSplash)
        CSplashWnd::showSplash(m_pFrame.get());
    // 8. The command-line file, or the empty document the frame starts with.
    if (!file.isEmpty())
        m_pFrame->openCommandLineFile(file);
    return true;
}
