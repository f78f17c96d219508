#pragma once
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/ui/DisplaySettings.h"
#include "app/ui/QtMessages.h"
#include "app/ui/QtProgress.h"

class CArxData;
class CArxDoc;
class CDocObserver;
class DataMatrix;
class CDynamicControl;
class COptionSheet;
class CRecentFileList;
class CTabDockBar;
class CTabFrameWnd;
class QAction;
class QLabel;
class QMdiArea;

class QMenu;

// The main window: menus, tool bar and status bar, the "Information Bar"
// (bottom) and the "Contol Bar" (right) with their tabbed panels, the
// multiple-document area with the document window and the chart windows,
// and the commands of the menus with their enabling rules and guards.
//
// At most one document is open. Opening a file closes it first; the panel
// views of both bars are attached to a document when it opens and detached
// before it closes.
class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    // The tabs of the two bars, in order.
    static const QStringList& informationTabs();
    static const QStringList& controlTabs();

    CMainFrame(CArxData& data, CRecentFileList& recentFiles, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // ---- opening ----
    // File/Open after its file dialog: the load dialog, then the document
    // read. False when cancelled or failed.
    bool openDataFile(const QString& path);
    // A recent or dropped file: a clustering result when its lower-cased
    // name contains ".dat", otherwise like File/Open after the file dialog.
    bool openRecentFile(const QString& path);
    // The command-line file: read with the load dialog's start choices,
    // without showing it (a ".dat" name is a clustering result).
    bool openCommandLineFile(const QString& path);
    // File/Import Clustering Result after its file dialog.
    bool openClusteringResult(const QString& path);
    // Closes the document (detaching the panels) and opens an empty one.
    void newDocument();
    void closeDocument();

    // ---- state ----
    CArxDoc* document() const { return m_pDoc.get(); }
    CTabFrameWnd* documentWindow() const { return m_pTabFrame; }
    CTabDockBar* informationBar() const { return m_pInfoBar; }
    CTabDockBar* controlBar() const { return m_pControlBar; }
    CDynamicControl* controlPanel() const { return m_pControl; }
    COptionSheet* optionSheet() const { return m_pOptionSheet; }
    QMdiArea* mdiArea() const { return m_pMdi; }
    DisplaySettings& displaySettings() { return m_settings; }
    QtProgress& progressWindow() { return m_progress; }
    bool filterOut() const { return m_bFilterOut; }
    // The permanent field of the status bar that says how the values shown
    // were transformed (empty without data).
    QLabel* transformationField() const { return m_pTransformField; }
    // A menu command by its text without the '&' marks, e.g. "Switch Views
    // (Rows vs. Columns)" or "Open...".
    QAction* action(const QString& text) const;

    // ---- plugging in ----
    // Puts a panel into the tab titled `tab` of either bar; `observer` is its
    // view of the document (attached while a document is open).
    bool setPanel(const QString& tab, QWidget* panel, CDocObserver* observer);
    // A further view of the document that lives in a bar (say, the colour
    // mapping bar of the Control tab): attached and detached with the panels.
    void addPanelObserver(CDocObserver* observer);
    void removePanelObserver(CDocObserver* observer);
    // A chart window on the document (scatterplot, control plot): shown in
    // the multiple-document area, its view attached until it closes.
    QMdiSubWindow* addChartWindow(QWidget* view, CDocObserver* observer, const QString& title);
    // Where the chart window opened as the `index`-th open chart goes: a
    // readable size, cascaded over the area.
    static constexpr QSize kMinChartSize{400, 300};
    static QRect chartWindowRect(int index, const QRect& area);
    // Replaces what a command does (for the commands whose windows come from
    // other parts of the program: Save Dendrogram, Print, Copy, Power
    // Calculation, the Help analysis tools). The guard of the command still
    // runs first.
    void setCommandHandler(const QString& text, std::function<void()> handler);

    // ---- commands (the menu items call these) ----
    void hierarchicalClustering();
    void kMeansClustering();
    void compareClustering();
    void switchViews();
    bool exportClusteringResult();  // true when exported
    void importClusteringResult();
    void rearrangeChildWindows();
    void showOptionSheet();
    void toggleFilterOut();
    void updateCommandStates();
    // The bars' sizes: those of the last session (settings group "Bars"),
    // otherwise an information bar tall enough for ten rows in every list
    // of its tabs. Done once when the frame is first shown.
    void settleBarSizes();
    void saveBarSizes() const;
    static constexpr int kListRowsShown = 10;

signals:
    // The Filter Out or Gray Out toggle changed.
    void filterOutChanged(bool filterOut);
    // A display flag of the Control tab changed: the overviews redraw.
    void displayFlagsChanged();
    // A k-means run finished (no hint announces it): the K-means tab and the
    // evaluation panel show the new result.
    void kMeansDone();

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createActions();
    void createBars();
    QAction* addCommand(QMenu* menu, const QString& text, std::function<void()> fn,
                        const QList<QKeySequence>& keys = {});
    void runHandler(const QString& text);
    void updateRecentFileMenu();
    bool fileCanBeOpened(const QString& path);
    // Makes the document (or takes the one given, read already, with its
    // data moved to the application's slots) and its window, attaches the
    // panels.
    void openDocument(std::unique_ptr<CArxDoc> doc = nullptr);
    // Before another file is opened: "Save changes to %1?" about a result
    // not exported (Yes: the export dialog). False when the open stops.
    bool saveModified();
    void forEachPanelObserver(const std::function<void(CDocObserver*)>& fn) const;
    // Reads into a new document of its own (with the load dialog's
    // filtered matrix when given); on success it replaces the open document
    // and the file joins the recent ones. On failure the open document stays
    // as it was ("Cannot open the file." when there is none).
    bool readIntoNewDocument(const QString& path, const std::function<bool(CArxDoc&)>& read,
                             std::unique_ptr<DataMatrix> filtered = nullptr);
    void attachPanels();
    void detachPanels();
    void setPanelsEnabled(bool enabled);
    // The main frame's part of the results-changed step.
    void afterResultsChanged();
    void updateTransformationField();
    // Sends a hint from a control of the frame when a document is open.
    void sendHint(CDocObserver* sender, int hint, bool onlyWithData);
    bool dataLoaded() const;
    void onFileOpen();
    void onSaveSelectedItems();
    void onImportItemsList();
    void onAttachAnnotation();
    void onSelectionColor();
    void onCopy();
    void onPrint();
    void onSaveDendrogram();
    void onAbout();

    CArxData& m_data;
    CRecentFileList& m_recent;
    QtMessages m_messages;
    QtProgress m_progress;
    DisplaySettings m_settings;
    std::unique_ptr<CArxDoc> m_pDoc;
    std::unique_ptr<CDocObserver> m_pCommandStates;  // follows what views do through the document
    QMdiArea* m_pMdi = nullptr;
    QPointer<QMdiSubWindow> m_pDocWindow;
    CTabFrameWnd* m_pTabFrame = nullptr;
    struct Chart {
        QPointer<QMdiSubWindow> window;
        CDocObserver* observer;
    };
    std::vector<Chart> m_charts;
    std::vector<CDocObserver*> m_extraObservers;
    CTabDockBar* m_pInfoBar = nullptr;
    CTabDockBar* m_pControlBar = nullptr;
    CDynamicControl* m_pControl = nullptr;
    QLabel* m_pTransformField = nullptr;
    COptionSheet* m_pOptionSheet = nullptr;
    bool m_bFilterOut = true;
    bool m_bPanelsAttached = false;
    bool m_bFillArea = true;  // the document window alone fills the area
    bool m_bBarsSettled = false;
    std::map<QString, QAction*> m_actions;
    std::map<QString, std::function<void()>> m_handlers;
    QMenu* m_pFileMenu = nullptr;
    std::vector<QAction*> m_recentActions;
    QAction* m_pRecentSeparator = nullptr;
};
