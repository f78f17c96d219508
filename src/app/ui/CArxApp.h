#pragma once
#include <QApplication>
#include <memory>

#include "app/CArxData.h"
#include "app/ui/CRecentFileList.h"

class CMainFrame;

// The application: names the settings store "Arbolix" and loads the recent
// file list, makes the main frame (with the splash over it), opens the file
// named on the command line or an empty document, and owns the data
// matrices until the program ends.
class CArxApp final : public QApplication {
    Q_OBJECT
public:
    CArxApp(int& argc, char** argv);
    ~CArxApp() override;

    // Start-up in the program's order; false when the main frame cannot be
    // made. `showSplash` is false for runs without a screen to greet.
    bool initInstance(bool showSplash = true);

    static CArxApp* instance() { return qobject_cast<CArxApp*>(QCoreApplication::instance()); }
    CMainFrame* mainFrame() const { return m_pFrame.get(); }
    CArxData& data() { return m_data; }
    CRecentFileList& recentFiles() { return m_recent; }
    // The command line's file name: all arguments after the program's name,
    // joined by blanks ("" when none).
    QString commandLineFile() const;

private:
    // Declared before the frame: the frame (and its document) goes first.
    CArxData m_data;
    CRecentFileList m_recent;
    std::unique_ptr<CMainFrame> m_pFrame;
};
