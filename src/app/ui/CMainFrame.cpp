#include "app/ui/CMainFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QTimer>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <cmath>

#include "app/CArxDoc.h"
#include "app/TransformCaption.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CClassStripsDlg.h"
#include "app/ui/CObserverFan.h"
#include "app/ui/CDynamicControl.h"
#include "app/ui/COptionSheet.h"
#include "app/ui/CRecentFileList.h"
#include "app/ui/CTabDockBar.h"
#include "app/ui/CTabFrameWnd.h"
#include "cluster/ui/CClusteringParamsDlg.h"
#include "cluster/ui/CCompareDlg.h"
#include "cluster/ui/CExportDlg.h"
#include "cluster/ui/CKMeansDlg.h"
#include "data/LoadDialogState.h"
#include "app/ui/FileDialogs.h"
#include "data/ui/CLoadDialog.h"
#include "linked/ui/AnnotationFile.h"
#include "linked/ui/SaveSelection.h"
#include "platform/Messages.h"

namespace {
const char* kLoadFirst = "Load data file first !";
const char* kPleaseLoad = "Please load data first!";
const char* kCannotOpen = "Cannot open the file.";
const char* kCannotOpenLocked =
    "File cannot be opened.\n\nIf you are opening an Excel file, please make sure that it is not being used in Excel.";

// A menu text without its mnemonic marks ("&&" stands for "&").
QString plainText(QString text)
{
    return text.replace("&&", QString(QChar(0x1))).remove('&').replace(QChar(0x1), '&');
}

// The grid of Rearrange Child Windows: one window fills the area, two sit
// side by side, more give the document window (the first) three fifths of
// the width and put the chart windows in a grid beside it.
std::vector<QRect> rearrangedRects(int count, const QRect& area)
{
    std::vector<QRect> out;
    if (count <= 0)
        return out;
    if (count == 1) {
        out.push_back(area);
        return out;
    }
    if (count == 2) {
        int w = area.width() / 2;
        out.emplace_back(area.left(), area.top(), w, area.height());
        out.emplace_back(area.left() + w, area.top(), area.width() - w, area.height());
        return out;
    }
    int docWidth = area.width() * 3 / 5;
    out.emplace_back(area.left(), area.top(), docWidth, area.height());
    int charts = count - 1;
    int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(charts) / 2.0)));
    cols = std::max(cols, 1);
    int rows = (charts + cols - 1) / cols;
    int cellW = (area.width() - docWidth) / cols, cellH = area.height() / rows;
    for (int i = 0; i < charts; ++i)
        out.emplace_back(area.left() + docWidth + (i % cols) * cellW, area.top() + (i / cols) * cellH, cellW, cellH);
    return out;
}

} // namespace

const QStringList& CMainFrame::informationTabs()
{
    static const QStringList tabs = {"Color Mosaic",   "Table View",    "Histogram Ordering", "Scatterplot Ordering",
                                     "Profile Search", "Gene Ontology", "K-means"};
    return tabs;
}

const QStringList& CMainFrame::controlTabs()
{
    static const QStringList tabs = {"Control", "Detail", "Evaluation"};
    return tabs;
}

CMainFrame::CMainFrame(CArxData& data, CRecentFileList& recentFiles, QWidget* parent)
    : QMainWindow(parent), m_data(data), m_recent(recentFiles), m_messages(this), m_progress(this)
{
    setObjectName("mainFrame");
    setWindowTitle("Arbolix");
    resize(1280, 860);
    setMessages(&m_messages);
    setProgress(&m_progress);
    m_pMdi = new QMdiArea(this);
    m_pMdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdi);
    createBars();
    createActions();
    m_pCommandStates = std::make_unique<CHintCallback>([this](int hint) {
        if (hint == kHintLeafOrder || hint == kHintResultsChanged || hint == kHintNewData)
            updateCommandStates();
    });
    addPanelObserver(m_pCommandStates.get());
    // The idle text comes back whenever a passing message is cleared.
    statusBar()->showMessage("Ready");
    m_pTransformField = new QLabel(this);
    m_pTransformField->setObjectName("transformationField");
    statusBar()->addPermanentWidget(m_pTransformField);
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage("Ready");
    });
    setAcceptDrops(true);
    connect(m_pMdi, &QMdiArea::subWindowActivated, this, [this] { updateCommandStates(); });
    m_pMdi->viewport()->installEventFilter(this);
    newDocument();
}

CMainFrame::~CMainFrame()
{
    closeDocument();
    setMessages(nullptr);
    setProgress(nullptr);
}

// ------------------------------------------------------------------ bars

void CMainFrame::createBars()
{
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    m_pInfoBar = new CTabDockBar("Information Bar", informationTabs(), this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pInfoBar);
    m_pControlBar = new CTabDockBar("Contol Bar", controlTabs(), this);
    // Beside the document window: its panels scroll rather than leave the
    // information bar too little of a 1000-pixel screen.
    m_pControlBar->setScrollingPanels(true);
    addDockWidget(Qt::RightDockWidgetArea, m_pControlBar);
    resizeDocks({m_pInfoBar}, {250}, Qt::Vertical);
    resizeDocks({m_pControlBar}, {280}, Qt::Horizontal);

    m_pControl = new CDynamicControl(m_settings, this);
    setPanel("Control", m_pControl, m_pControl);
    connect(m_pControl, &CDynamicControl::hint, this, [this](int hint) {
        if (hint == 0)
            emit displayFlagsChanged();
        else
            sendHint(m_pControl, hint, hint == kHintMosaicHeight);
    });
    connect(m_pControl, &CDynamicControl::selectionColorRequested, this, &CMainFrame::onSelectionColor);
    setPanelsEnabled(false);
}

QAction* CMainFrame::addCommand(QMenu* menu, const QString& text, std::function<void()> fn,
                                const QList<QKeySequence>& keys)
{
    QAction* a = menu->addAction(text);
    if (!keys.isEmpty())
        a->setShortcuts(keys);
    if (fn)
        connect(a, &QAction::triggered, this, [fn = std::move(fn)] { fn(); });
    m_actions[plainText(text)] = a;
    return a;
}

void CMainFrame::createActions()
{
    QStyle* st = style();
    // ---- File ----
    m_pFileMenu = menuBar()->addMenu("&File");
    QMenu* file = m_pFileMenu;
    addCommand(file, "&Open...", [this] { onFileOpen(); }, {QKeySequence(Qt::CTRL | Qt::Key_O)})
        ->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    addCommand(file, "&Close", [this] { closeDocument(); });
    file->addSeparator();
    addCommand(file, "Save Selected Items", [this] { onSaveSelectedItems(); });
    addCommand(file, "&Save Dendrogram", [this] { onSaveDendrogram(); }, {QKeySequence(Qt::CTRL | Qt::Key_S)})
        ->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    addCommand(file, "Save Dendrogram &As...", [this] { onSaveDendrogram(); });
    file->addSeparator();
    addCommand(file, "Import Clustering Result", [this] { importClusteringResult(); });
    addCommand(file, "Export Clustering Result", [this] { exportClusteringResult(); });
    file->addSeparator();
    addCommand(file, "&Print...", [this] { onPrint(); }, {QKeySequence(Qt::CTRL | Qt::Key_P)});
    addCommand(file, "Print Pre&view", nullptr)->setEnabled(false);
    addCommand(file, "P&rint Setup...", nullptr)->setEnabled(false);
    m_pRecentSeparator = file->addSeparator();
    for (int i = 0; i < CRecentFileList::kSize; ++i) {
        QAction* a = file->addAction(QString());
        connect(a, &QAction::triggered, this, [this, i] {
            if (i < m_recent.files().size())
                openRecentFile(m_recent.files().at(i));
        });
        m_recentActions.push_back(a);
    }
    file->addSeparator();
    addCommand(file, "E&xit", [this] { close(); });
    // Ctrl+N: a new empty document.
    auto* newDoc = new QAction("New", this);
    newDoc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newDoc, &QAction::triggered, this, &CMainFrame::newDocument);
    addAction(newDoc);
    m_actions["New"] = newDoc;

    // ---- Edit ----
    QMenu* edit = menuBar()->addMenu("&Edit");
    // Undo takes back subtree flips, one at a time.
    addCommand(edit, "&Undo", [this] {
        if (m_pDoc && m_pDoc->canUndoFlip())
            m_pDoc->undoFlip();
        updateCommandStates();
    }, {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)})->setEnabled(false);
    connect(edit, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
    edit->addSeparator();
    addCommand(edit, "Cu&t", nullptr, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)})
        ->setEnabled(false);
    addCommand(edit, "&Copy", [this] { onCopy(); },
               {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    addCommand(edit, "&Paste", nullptr,
               {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)})
        ->setEnabled(false);

    // ---- Clustering ----
    QMenu* clustering = menuBar()->addMenu("&Clustering");
    addCommand(clustering, "Hierarchical Clustering", [this] { hierarchicalClustering(); });
    addCommand(clustering, "K-means Clustering", [this] { kMeansClustering(); });
    addCommand(clustering, "Compare Two Hierarchical Clustering Results", [this] { compareClustering(); });

    // ---- Tool ----
    QMenu* tool = menuBar()->addMenu("&Tool");
    addCommand(tool, "Switch Views (Rows vs. Columns)", [this] { switchViews(); });
    tool->addSeparator();
    addCommand(tool, "Import an Items List", [this] { onImportItemsList(); });
    addCommand(tool, "Attach Affymetrix Annotation", [this] { onAttachAnnotation(); });
    tool->addSeparator();
    addCommand(tool, "Batch Run (Min Sim Bar from top to bottom)", nullptr)->setEnabled(false);
    addCommand(tool, "Power Calculation && Filtering", [this] {
        std::string guard = m_pDoc ? m_pDoc->powerCalculationGuard() : kLoadFirst;
        if (!guard.empty()) {
            showMessage(guard);
            return;
        }
        runHandler("Power Calculation & Filtering");
    });
    tool->addSeparator();
    QAction* option = addCommand(tool, "Option", [this] { showOptionSheet(); });
    option->setCheckable(true);

    // ---- View ----
    QMenu* view = menuBar()->addMenu("&View");
    QToolBar* toolBar = addToolBar("Toolbar");
    toolBar->setObjectName("toolBar");
    toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    QAction* tb = toolBar->toggleViewAction();
    tb->setText("&Toolbar");
    view->addAction(tb);
    m_actions["Toolbar"] = tb;
    QAction* sb = addCommand(view, "&Status Bar", nullptr);
    sb->setCheckable(true);
    sb->setChecked(true);
    connect(sb, &QAction::toggled, statusBar(), &QWidget::setVisible);
    QAction* info = m_pInfoBar->toggleViewAction();
    info->setText("Information Bar");
    view->addAction(info);
    m_actions["Information Bar"] = info;
    QAction* ctrl = m_pControlBar->toggleViewAction();
    ctrl->setText("Contol Bar");
    view->addAction(ctrl);
    m_actions["Contol Bar"] = ctrl;
    view->addSeparator();
    QAction* filterOut = addCommand(view, "Filter Out or Gray Out", [this] { toggleFilterOut(); });
    filterOut->setCheckable(true);
    filterOut->setChecked(m_bFilterOut);
    filterOut->setIcon(st->standardIcon(QStyle::SP_FileDialogContentsView));
    addCommand(view, "Class Strips...", [this] {
        if (!dataLoaded()) {
            showMessage(kLoadFirst);
            return;
        }
        CClassStripsDlg dlg(*m_pDoc, this);
        dlg.exec();
    });

    // ---- Window ----
    QMenu* window = menuBar()->addMenu("&Window");
    addCommand(window, "Rearrange Child Windows", [this] { rearrangeChildWindows(); });
    addCommand(window, "&Cascade", [this] { m_pMdi->cascadeSubWindows(); });
    addCommand(window, "&Tile", [this] { m_pMdi->tileSubWindows(); });
    addCommand(window, "&Arrange Icons", [this] {
        int x = 0;
        for (QMdiSubWindow* w : m_pMdi->subWindowList())
            if (w->isMinimized()) {
                w->move(x, m_pMdi->viewport()->height() - w->height());
                x += w->width();
            }
    });
    auto* nextPane = new QAction("Next Pane", this);
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    connect(nextPane, &QAction::triggered, m_pMdi, &QMdiArea::activateNextSubWindow);
    addAction(nextPane);
    auto* prevPane = new QAction("Previous Pane", this);
    prevPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(prevPane, &QAction::triggered, m_pMdi, &QMdiArea::activatePreviousSubWindow);
    addAction(prevPane);

    // ---- Help ----
    QMenu* help = menuBar()->addMenu("&Help");
    addCommand(help, "&About Arx...", [this] { onAbout(); });
    help->addSeparator();
    addCommand(help, "Select top 10%", [this] {
        if (dataLoaded())
            m_pDoc->selectTop10Percent();
    });
    addCommand(help, "intersections between algorithms", [this] { runHandler("intersections between algorithms"); });
    addCommand(help, "intersections with the current selection",
               [this] { runHandler("intersections with the current selection"); });
    addCommand(help, "Summary Result", [this] { runHandler("Summary Result"); });

    // ---- tool bar ----
    toolBar->addAction(action("Open..."));
    toolBar->addAction(action("Save Dendrogram"));
    toolBar->addSeparator();
    QAction* copy = action("Copy");
    copy->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    toolBar->addAction(copy);
    QAction* print = action("Print...");
    print->setIcon(st->standardIcon(QStyle::SP_DriveNetIcon));
    toolBar->addAction(print);
    toolBar->addSeparator();
    toolBar->addAction(action("Filter Out or Gray Out"));
    toolBar->addSeparator();
    QAction* about = action("About Arx...");
    about->setIcon(st->standardIcon(QStyle::SP_MessageBoxQuestion));
    toolBar->addAction(about);

    for (QMenu* m : menuBar()->findChildren<QMenu*>())
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
    updateRecentFileMenu();
    updateCommandStates();
}

QAction* CMainFrame::action(const QString& text) const
{
    auto it = m_actions.find(text);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::setCommandHandler(const QString& text, std::function<void()> handler)
{
    m_handlers[text] = std::move(handler);
}

void CMainFrame::runHandler(const QString& text)
{
    auto it = m_handlers.find(text);
    if (it != m_handlers.end() && it->second)
        it->second();
}

void CMainFrame::updateRecentFileMenu()
{
    const QStringList& files = m_recent.files();
    for (int i = 0; i < static_cast<int>(m_recentActions.size()); ++i) {
        QAction* a = m_recentActions[static_cast<size_t>(i)];
        if (i < files.size()) {
            a->setText(QString("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files.at(i))));
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
    m_pRecentSeparator->setVisible(!files.isEmpty());
}

bool CMainFrame::dataLoaded() const { return m_pDoc && m_pDoc->m_bDataLoaded; }

void CMainFrame::updateCommandStates()
{
    const bool loaded = dataLoaded();
    QMdiSubWindow* active = m_pMdi->activeSubWindow();
    action("Close")->setEnabled(m_pDoc && (!active || active != m_pDocWindow));
    action("Copy")->setEnabled(loaded);
    action("Switch Views (Rows vs. Columns)")->setEnabled(m_pDoc && m_pDoc->canSwitchViews());
    action("Attach Affymetrix Annotation")->setEnabled(loaded);
    action("Option")->setChecked(m_pOptionSheet && m_pOptionSheet->isVisible());
    action("Filter Out or Gray Out")->setChecked(m_bFilterOut);
    action("Undo")->setEnabled(m_pDoc && m_pDoc->canUndoFlip());
}

// ------------------------------------------------------------------ documents

void CMainFrame::openDocument(std::unique_ptr<CArxDoc> doc)
{
    if (doc)
        doc->moveDataTo(m_data);
    m_pDoc = doc ? std::move(doc) : std::make_unique<CArxDoc>(&m_data);
    m_pTabFrame = new CTabFrameWnd(*m_pDoc);
    m_pDocWindow = m_pMdi->addSubWindow(m_pTabFrame, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                         Qt::WindowMinMaxButtonsHint);
    m_pDocWindow->setWindowTitle("Dendrogram View");
    // The document window is closed with its document, not on its own.
    if (QMenu* menu = m_pDocWindow->systemMenu())
        for (QAction* a : menu->actions())
            if (plainText(a->text()).startsWith("Close"))
                a->setEnabled(false);
    m_pDocWindow->show();
    rearrangeChildWindows();
    attachPanels();
    updateCommandStates();
}

void CMainFrame::newDocument()
{
    closeDocument();
    openDocument();
}

void CMainFrame::closeDocument()
{
    if (!m_pDoc)
        return;
    detachPanels();
    // A closing chart window takes itself off the list: work on a copy.
    const std::vector<Chart> charts = std::move(m_charts);
    m_charts.clear();
    for (const Chart& c : charts) {
        if (c.observer)
            m_pDoc->detach(c.observer);
        if (c.window)
            delete c.window.data();
    }
    if (m_pDocWindow) {
        m_pMdi->removeSubWindow(m_pDocWindow);
        delete m_pDocWindow;  // deletes the document window and its pages (detaching them)
    }
    m_pTabFrame = nullptr;
    m_pDoc->close();
    m_pDoc.reset();
    setPanelsEnabled(false);
    setWindowTitle("Arbolix");
    updateTransformationField();
    updateCommandStates();
}

void CMainFrame::updateTransformationField()
{
    const QString text = m_pDoc ? QString::fromStdString(transformationCaption(*m_pDoc)) : QString();
    m_pTransformField->setText(text);
    m_pTransformField->setToolTip(text.isEmpty() ? QString() : "Values shown: " + text);
}

void CMainFrame::forEachPanelObserver(const std::function<void(CDocObserver*)>& fn) const
{
    for (CTabDockBar* bar : {m_pInfoBar, m_pControlBar})
        for (CDocObserver* o : bar->observers())
            fn(o);
    for (CDocObserver* o : m_extraObservers)
        fn(o);
}

void CMainFrame::attachPanels()
{
    if (!m_pDoc)
        return;
    forEachPanelObserver([this](CDocObserver* o) { m_pDoc->attach(o); });
    m_bPanelsAttached = true;
}

void CMainFrame::detachPanels()
{
    if (!m_pDoc)
        return;
    forEachPanelObserver([this](CDocObserver* o) { m_pDoc->detach(o); });
    m_bPanelsAttached = false;
}

void CMainFrame::setPanelsEnabled(bool enabled)
{
    m_pInfoBar->setPanelsEnabled(enabled);
    m_pControlBar->setPanelsEnabled(enabled);
    // The Control tab stays usable; its own controls follow the data.
    m_pControl->setEnabled(true);
    m_pControl->setDataLoaded(enabled);
}

bool CMainFrame::setPanel(const QString& tab, QWidget* panel, CDocObserver* observer)
{
    CTabDockBar* bar = informationTabs().contains(tab) ? m_pInfoBar : controlTabs().contains(tab) ? m_pControlBar
                                                                                                   : nullptr;
    if (!bar)
        return false;
    if (m_pDoc) {
        if (CDocObserver* old = bar->observer(tab))
            m_pDoc->detach(old);
    }
    if (!bar->setPanel(tab, panel, observer))
        return false;
    if (m_pDoc && observer && m_bPanelsAttached)
        m_pDoc->attach(observer);
    return true;
}

void CMainFrame::addPanelObserver(CDocObserver* observer)
{
    if (!observer || std::find(m_extraObservers.begin(), m_extraObservers.end(), observer) != m_extraObservers.end())
        return;
    m_extraObservers.push_back(observer);
    if (m_pDoc && m_bPanelsAttached)
        m_pDoc->attach(observer);
}

void CMainFrame::removePanelObserver(CDocObserver* observer)
{
    std::erase(m_extraObservers, observer);
    if (m_pDoc)
        m_pDoc->detach(observer);
}

QMdiSubWindow* CMainFrame::addChartWindow(QWidget* view, CDocObserver* observer, const QString& title)
{
    if (!m_pDoc || !view)
        return nullptr;
    std::erase_if(m_charts, [](const Chart& c) { return !c.window; });
    const int index = static_cast<int>(m_charts.size());
    QMdiSubWindow* w = m_pMdi->addSubWindow(view);
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(title);
    w->setGeometry(chartWindowRect(index, m_pMdi->viewport()->rect()));
    if (observer) {
        m_pDoc->attach(observer);
        connect(w, &QObject::destroyed, this, [this, observer] {
            if (m_pDoc)
                m_pDoc->detach(observer);
            std::erase_if(m_charts, [observer](const Chart& c) { return c.observer == observer; });
        });
    }
    m_charts.push_back({w, observer});
    m_bFillArea = false;
    w->show();
    return w;
}

QRect CMainFrame::chartWindowRect(int index, const QRect& area)
{
    // A readable size (480 x 360, a little less in a low area so that four
    // windows cascade, never below 400 x 300), each window a step below and
    // right of the one before; when the steps would leave the area the
    // cascade starts again at the top, shifted right.
    constexpr int kStep = 28, kShift = 60, kCascaded = 4;
    const int w = std::max(kMinChartSize.width(), std::min(480, area.width() - (kCascaded - 1) * kStep));
    const int h = std::max(kMinChartSize.height(), std::min(360, area.height() - (kCascaded - 1) * kStep));
    const int fit = std::max(1, std::min((area.width() - w) / kStep, (area.height() - h) / kStep) + 1);
    index = std::max(index, 0);
    const int slot = index % fit, round = index / fit;
    int x = area.left() + slot * kStep + round * kShift;
    if (x + w > area.right() + 1)
        x = area.left() + slot * kStep;
    return QRect(x, area.top() + slot * kStep, w, h);
}

bool CMainFrame::fileCanBeOpened(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        showMessage(kCannotOpenLocked);
        return false;
    }
    return true;
}

void CMainFrame::sendHint(CDocObserver* sender, int hint, bool onlyWithData)
{
    if (!m_pDoc || (onlyWithData && !m_pDoc->m_bDataLoaded))
        return;
    m_pDoc->updateAllViews(sender, hint);
}

void CMainFrame::afterResultsChanged()
{
    if (!m_pDoc)
        return;
    if (m_pTabFrame)
        m_pTabFrame->rebuildPartitionPages();
    setPanelsEnabled(true);
    rearrangeChildWindows();
    setWindowTitle(QString::fromStdString(m_pDoc->windowCaption()));
    updateTransformationField();
    updateCommandStates();
}

bool CMainFrame::saveModified()
{
    return !m_pDoc || m_pDoc->saveModified([this] { return exportClusteringResult(); });
}

bool CMainFrame::openDataFile(const QString& path)
{
    if (!saveModified())
        return false;
    // The dialog loads and filters into matrices of its own, so that the
    // open document keeps its data until the new file is read.
    CArxData fresh;
    CLoadDialog dlg(path, fresh.m_pData, fresh.m_pFilteredData, this);
    if (dlg.run() != QDialog::Accepted)
        return false;
    const TransformChoice choice = dlg.choice();
    const bool filtered = dlg.filtered() && fresh.m_pFilteredData;
    if (!fileCanBeOpened(path))
        return false;
    return readIntoNewDocument(
        path,
        [&](CArxDoc& doc) {
            return doc.readDataFile(path.toStdString(), choice.log, choice.direction, choice.method, choice.lo,
                                    choice.hi, choice.sequence);
        },
        filtered ? std::move(fresh.m_pFilteredData) : nullptr);
}

bool CMainFrame::openClusteringResult(const QString& path)
{
    if (!saveModified() || !fileCanBeOpened(path))
        return false;
    return readIntoNewDocument(path, [&](CArxDoc& doc) { return doc.importResult(path.toStdString()); });
}

bool CMainFrame::readIntoNewDocument(const QString& path, const std::function<bool(CArxDoc&)>& read,
                                     std::unique_ptr<DataMatrix> filtered)
{
    // The file is read and checked whole into a document of its own; the
    // open document, its results and the panels stay as they are until it
    // has been, and stay for good when the file is refused. Its warnings
    // come in one message once it is shown.
    WarningBatch warnings;
    auto doc = std::make_unique<CArxDoc>();
    if (filtered) {
        doc->appData().m_pFilteredData = std::move(filtered);
        doc->appData().useFiltered();
    } else {
        doc->appData().prepareFreshRead();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = read(*doc);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        warnings.discard();
        if (!m_pDoc)
            showMessage(kCannotOpen);
        return false;
    }
    closeDocument();
    setPanelsEnabled(false);
    openDocument(std::move(doc));
    m_pDoc->updateAllViews(nullptr, kHintNewData);
    m_pDoc->m_bCompareMode = false;
    m_pDoc->resultsChanged();
    m_recent.add(path);
    setDataFolder(path);
    updateRecentFileMenu();
    afterResultsChanged();
    warnings.flush();
    return true;
}

bool CMainFrame::openRecentFile(const QString& path)
{
    if (CArxDoc::isClusteringResultName(path.toStdString()))
        return openClusteringResult(path);
    return openDataFile(path);
}

bool CMainFrame::openCommandLineFile(const QString& path)
{
    if (CArxDoc::isClusteringResultName(path.toStdString()))
        return openClusteringResult(path);
    // The choices the load dialog starts with for this file.
    LoadDialogState state(path.toStdString());
    if (!state.initialise())
        return false;
    const TransformChoice choice = state.transformChoice();
    if (!saveModified() || !fileCanBeOpened(path))
        return false;
    return readIntoNewDocument(path, [&](CArxDoc& doc) {
        return doc.readDataFile(path.toStdString(), choice.log, choice.direction, choice.method, choice.lo, choice.hi,
                                choice.sequence);
    });
}

// ------------------------------------------------------------------ commands

void CMainFrame::onFileOpen()
{
    // Any name reads as a data file: none is given an extension.
    const QString path = chooseFileToOpen(this, "Open a data file to explore", kDataFileFilter);
    if (!path.isEmpty())
        openDataFile(path);
}

void CMainFrame::importClusteringResult()
{
    const QString path = chooseFileToOpen(this, "Import a previous clustering result", kResultFileFilter);
    if (!path.isEmpty())
        openClusteringResult(path);
}

bool CMainFrame::exportClusteringResult()
{
    if (!m_pDoc || !m_pDoc->canExportResult())
        return false;
    CExportDlg dlg(*m_pDoc, this);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    if (!m_pDoc->exportResult(dlg.folder().toStdString(), dlg.fileName().toStdString(), dlg.originalValues(),
                              dlg.format()))
        return false;
    const int files = static_cast<int>(dlg.filesWritten().size());
    statusBar()->showMessage(QString("Exported %1 %2 to %3")
                                 .arg(files)
                                 .arg(files == 1 ? "file" : "files")
                                 .arg(QDir::toNativeSeparators(QDir(dlg.folder()).absolutePath())));
    return true;
}

void CMainFrame::hierarchicalClustering()
{
    std::string guard = m_pDoc ? m_pDoc->hierarchicalClusteringGuard() : kLoadFirst;
    if (!guard.empty()) {
        showMessage(guard);
        return;
    }
    CClusteringParamsDlg dlg(*m_pDoc, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The partition pages go before their forests do.
    m_pTabFrame->removePartitionPages();
    const bool ok = m_pDoc->hierarchicalClustering(dlg.parameters());
    if (ok)
        afterResultsChanged();
    else
        m_pTabFrame->rebuildPartitionPages();
}

void CMainFrame::kMeansClustering()
{
    std::string guard = m_pDoc ? m_pDoc->kMeansGuard() : kPleaseLoad;
    if (!guard.empty()) {
        showMessage(guard);
        return;
    }
    CKMeansDlg dlg(*m_pDoc, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pDoc->kMeansClustering(dlg.parameters());
    QApplication::restoreOverrideCursor();
    activateWindow();
    m_pInfoBar->showTab("K-means");
    // Bringing the tab to the front repaints it only when it was hidden.
    emit kMeansDone();
    m_pInfoBar->panel("K-means")->update();
    m_pControlBar->panel("Evaluation")->update();
    updateCommandStates();
}

void CMainFrame::compareClustering()
{
    std::string guard = m_pDoc ? m_pDoc->compareGuard() : kLoadFirst;
    if (!guard.empty()) {
        showMessage(guard);
        return;
    }
    CCompareDlg dlg(*m_pDoc, this);
    if (dlg.exec() != QDialog::Accepted) {
        m_pDoc->cancelCompare();
        updateCommandStates();
        return;
    }
    m_pTabFrame->removePartitionPages();
    if (m_pDoc->compareClustering(dlg.parameters()))
        afterResultsChanged();
    updateCommandStates();
}

void CMainFrame::switchViews()
{
    if (!m_pDoc || !m_pDoc->canSwitchViews())
        return;
    activateWindow();
    m_pDoc->switchViews();
}

void CMainFrame::onSaveSelectedItems()
{
    if (m_pDoc)
        saveSelectedItemsWithDialog(this, *m_pDoc);
}

void CMainFrame::onImportItemsList()
{
    // The file dialog carries the set operation with the current selection.
    QFileDialog dlg(this, "Import an items list", dataFolder(), kItemListFilter);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setFileMode(QFileDialog::ExistingFile);
    auto* operation = new QComboBox(&dlg);
    operation->addItems({"Intersection", "Union", "Difference", "New"});
    operation->setCurrentIndex(kSetNew);
    if (auto* grid = qobject_cast<QGridLayout*>(dlg.layout())) {
        const int row = grid->rowCount();
        grid->addWidget(new QLabel("Set operation with current selection", &dlg), row, 0);
        grid->addWidget(operation, row, 1);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty() || !m_pDoc)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pDoc->importItemsList(dlg.selectedFiles().first().toStdString(), operation->currentIndex());
    QApplication::restoreOverrideCursor();
}

void CMainFrame::onAttachAnnotation()
{
    if (!dataLoaded())
        return;
    const QString path = chooseAnnotationFile(this);
    if (!path.isEmpty() && m_pDoc)
        attachAnnotationFile(*m_pDoc, path);
}

void CMainFrame::onSelectionColor()
{
    const Rgb cur = m_pDoc ? m_pDoc->m_clrSelection : Rgb{210, 105, 30};
    QColor c = QColorDialog::getColor(QColor(cur.r, cur.g, cur.b), this);
    if (!c.isValid() || !m_pDoc)
        return;
    const Rgb chosen{static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
                     static_cast<unsigned char>(c.blue())};
    // The colour is kept in any case; the views hear of it only with data.
    if (dataLoaded())
        m_pDoc->setSelectionColor(chosen, m_pControl);
    else
        m_pDoc->m_clrSelection = chosen;
}

void CMainFrame::onCopy()
{
    if (!dataLoaded())
        return;
    if (m_handlers.count("Copy")) {
        runHandler("Copy");
        return;
    }
    if (m_pTabFrame && m_pTabFrame->currentPage())
        QApplication::clipboard()->setPixmap(m_pTabFrame->currentPage()->grab());
}

void CMainFrame::onPrint()
{
    if (!dataLoaded())
        return;
    if (m_handlers.count("Print...")) {
        runHandler("Print...");
        return;
    }
    if (!m_pTabFrame || !m_pTabFrame->currentPage())
        return;
    QPrinter printer;
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    QPixmap pm = m_pTabFrame->currentPage()->grab();
    QPainter p(&printer);
    QRect page = p.viewport();
    QSize size = pm.size().scaled(page.size(), Qt::KeepAspectRatio);
    p.drawPixmap(QRect(page.topLeft(), size), pm);
}

void CMainFrame::onSaveDendrogram()
{
    if (!dataLoaded())
        return;
    if (m_handlers.count("Save Dendrogram")) {
        runHandler("Save Dendrogram");
        return;
    }
    if (!m_pTabFrame || !m_pTabFrame->currentPage())
        return;
    QString path = QFileDialog::getSaveFileName(this, "Save Dendrogram", QString(), "BMP files (*.bmp)");
    if (!path.isEmpty())
        m_pTabFrame->currentPage()->grab().save(path, "BMP");
}

void CMainFrame::onAbout()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

void CMainFrame::showOptionSheet()
{
    if (!m_pOptionSheet) {
        m_pOptionSheet = new COptionSheet(m_settings, this);
        connect(m_pOptionSheet, &COptionSheet::hint, this, [this](int hint) { sendHint(nullptr, hint, false); });
        connect(m_pOptionSheet, &COptionSheet::visibilityChanged, this, [this] { updateCommandStates(); });
    }
    m_pOptionSheet->showFirstPage();
    updateCommandStates();
}

void CMainFrame::toggleFilterOut()
{
    m_bFilterOut = !m_bFilterOut;
    emit filterOutChanged(m_bFilterOut);
    updateCommandStates();
}

void CMainFrame::rearrangeChildWindows()
{
    std::vector<QMdiSubWindow*> windows;
    if (m_pDocWindow)
        windows.push_back(m_pDocWindow);
    for (const Chart& c : m_charts)
        if (c.window && c.window != m_pDocWindow)
            windows.push_back(c.window);
    if (windows.empty())
        return;
    // One window fills the area (not maximised: the caption stays the
    // program's own) and keeps filling it as the frame is resized.
    m_bFillArea = windows.size() == 1;
    const std::vector<QRect> rects = rearrangedRects(static_cast<int>(windows.size()), m_pMdi->viewport()->rect());
    for (size_t i = 0; i < windows.size(); ++i) {
        windows[i]->showNormal();
        windows[i]->setGeometry(rects[i]);
    }
}

// ------------------------------------------------------------------ window events

bool CMainFrame::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Resize && watched == m_pMdi->viewport() && m_bFillArea && m_pDocWindow &&
        !m_pDocWindow->isMinimized() && !m_pDocWindow->isMaximized())
        m_pDocWindow->setGeometry(m_pMdi->viewport()->rect());
    return QMainWindow::eventFilter(watched, e);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e)
{
    if (e->mimeData()->hasUrls())
        e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e)
{
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return;
    e->acceptProposedAction();
    // Only the first of several dropped files is opened.
    const QString path = urls.first().toLocalFile();
    QMetaObject::invokeMethod(this, [this, path] { openRecentFile(path); }, Qt::QueuedConnection);
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (m_progress.isOpen()) {
        e->ignore();
        return;
    }
    saveBarSizes();
    closeDocument();
    if (m_pOptionSheet)
        m_pOptionSheet->hide();
    e->accept();
}

void CMainFrame::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // After the window has its size (a maximised window gets it later).
    if (!m_bBarsSettled)
        QTimer::singleShot(0, this, [this] {
            if (!m_bBarsSettled)
                settleBarSizes();
        });
}

void CMainFrame::settleBarSizes()
{
    m_bBarsSettled = true;
    QSettings settings("Arbolix", "Arbolix");
    settings.beginGroup("Bars");
    int infoHeight = settings.value("InformationBarHeight", 0).toInt();
    const int controlWidth = settings.value("ControlBarWidth", 0).toInt();
    settings.endGroup();
    if (infoHeight > 0) {
        resizeDocks({m_pInfoBar}, {infoHeight}, Qt::Vertical);
    } else if (m_pInfoBar->isVisible() && !m_pInfoBar->isFloating()) {
        // Ten rows in every list, while the document window keeps at least
        // a third of the frame.
        const int most = height() * 2 / 3;
        for (int round = 0; round < 4; ++round) {
            const int missing = m_pInfoBar->rowsMissing(kListRowsShown);
            const int wanted = std::min(most, m_pInfoBar->height() + missing);
            if (missing <= 0 || wanted <= m_pInfoBar->height())
                break;
            resizeDocks({m_pInfoBar}, {wanted}, Qt::Vertical);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }
    if (controlWidth > 0)
        resizeDocks({m_pControlBar}, {controlWidth}, Qt::Horizontal);
}

void CMainFrame::saveBarSizes() const
{
    if (!m_bBarsSettled)
        return;
    QSettings settings("Arbolix", "Arbolix");
    settings.beginGroup("Bars");
    if (m_pInfoBar->isVisible() && !m_pInfoBar->isFloating())
        settings.setValue("InformationBarHeight", m_pInfoBar->height());
    if (m_pControlBar->isVisible() && !m_pControlBar->isFloating())
        settings.setValue("ControlBarWidth", m_pControlBar->width());
    settings.endGroup();
}
