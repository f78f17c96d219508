#include "linked/ui/COntologyInfo.h"

#include "app/ui/FileDialogs.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "app/CArxDoc.h"
#include "app/InstalledData.h"
#include "data/DataMatrix.h"
#include "linked/GoAnnotation.h"
#include "linked/GoFiles.h"
#include "linked/ui/AnnotationFile.h"
#include "linked/ui/CGoListModel.h"
#include "linked/ui/CGoTreeModel.h"
#include "linked/ui/CLoadGoFilesDlg.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

const char* const kSelectedTitle = "Ontology IDs of the selected genes";

QLabel* boldLabel(const QString& text)
{
    auto* l = new QLabel(text);
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}

QString fdrText(double t) { return t >= 1.0 ? QStringLiteral("all") : QString::number(t); }

} // namespace

COntologyInfo::COntologyInfo(QWidget* parent)
    : QWidget(parent), m_pTreeModel(new CGoTreeModel(this)), m_pSelectedModel(new CGoTreeModel(this)),
      m_pListModel(new CGoListModel(this))
{
    m_urlOpener = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    m_annotationChooser = [this] { return chooseAnnotationFile(this); };
    m_fileChooser = [this] { return chooseFileToOpen(this, {}, kOntologyFileFilter); };
    buildUi();
}

COntologyInfo::~COntologyInfo()
{
    if (m_pCancel)
        m_pCancel->store(true);
}

void COntologyInfo::buildUi()
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* split = new QSplitter(Qt::Horizontal);
    layout->addWidget(split);

    auto makeTree = [this](CGoTreeModel* model) {
        auto* t = new QTreeView;
        t->setModel(model);
        t->setHeaderHidden(true);
        t->setUniformRowHeights(true);
        t->setContextMenuPolicy(Qt::CustomContextMenu);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(t, &QTreeView::customContextMenuRequested, this,
                [this, t, model](const QPoint& pos) { popup(t, model, pos); });
        connect(t, &QTreeView::doubleClicked, this, [this, model](const QModelIndex& i) {
            runPopupCommand(kFindInDatabase, model->termOf(i));
        });
        return t;
    };

    // Tree 1013.
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(boldLabel("Gene Ontology"));
    // Which ontology the tree shows, and how many terms it has.
    m_pSourceLabel = new QLabel("No ontology loaded");
    m_pSourceLabel->setObjectName("ontologySource");
    m_pSourceLabel->setWordWrap(true);
    m_pSourceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    leftLayout->addWidget(m_pSourceLabel);
    m_pTree = makeTree(m_pTreeModel);
    m_pTree->setObjectName("tree1013");
    leftLayout->addWidget(m_pTree);
    split->addWidget(left);

    // The buttons.
    auto* buttons = new QWidget;
    auto* grid = new QVBoxLayout(buttons);
    grid->setContentsMargins(2, 0, 2, 0);
    auto button = [&](const QString& text, const char* name, auto slot) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, slot);
        grid->addWidget(b);
        return b;
    };
    button("Load Ontology", "load", [this] { loadOntology(); });
    QPushButton* latest = button("Get Latest\nOntology", "latest", [this] { getLatestOntology(); });
    latest->setContextMenuPolicy(Qt::CustomContextMenu);
    latest->setToolTip("Right click chooses where the ontology comes from");
    connect(latest, &QPushButton::customContextMenuRequested, this, [this, latest](const QPoint& pos) {
        QMenu menu;
        QAction* obo = menu.addAction("Current release: go-basic.obo over HTTPS");
        QAction* ftp = menu.addAction("Flat files over anonymous FTP from " + QString::fromStdString(m_source.m_strFtpServer) + "...");
        obo->setCheckable(true);
        ftp->setCheckable(true);
        obo->setChecked(m_source.m_bObo);
        ftp->setChecked(!m_source.m_bObo);
        QAction* chosen = menu.exec(latest->mapToGlobal(pos));
        if (chosen == obo)
            m_source.m_bObo = true;
        else if (chosen == ftp) {
            bool ok = false;
            const QString server = QInputDialog::getText(this, "FTP server", "Server (host or host:port):",
                                                         QLineEdit::Normal,
                                                         QString::fromStdString(m_source.m_strFtpServer), &ok);
            if (ok && !server.trimmed().isEmpty()) {
                m_source.m_bObo = false;
                m_source.m_strFtpServer = server.trimmed().toStdString();
            }
        }
    });
    grid->addSpacing(8);
    button("Hype Test", "hype", [this] { hypeTest(); });
    m_pFdr = new QComboBox;
    m_pFdr->setObjectName("combo1184");
    m_pFdr->setToolTip("Largest FDR listed");
    for (double t : goFdrThresholds())
        m_pFdr->addItem("FDR <= " + fdrText(t));
    m_pFdr->setItemText(m_pFdr->count() - 1, "all");
    m_pFdr->setCurrentIndex(kGoDefaultFdrChoice);
    connect(m_pFdr, &QComboBox::currentIndexChanged, this, [this] {
        if (m_bFollowCut)
            showEnrichment();
    });
    grid->addWidget(m_pFdr);
    button("<- All", "all", [this] { selectFromList(false); });
    button("<- Selected", "selected", [this] { selectFromList(true); });
    grid->addSpacing(8);
    m_pSearch = new QLineEdit;
    m_pSearch->setObjectName("edit1186");
    m_pSearch->setPlaceholderText("GO number or name");
    connect(m_pSearch, &QLineEdit::returnPressed, this, [this] { search(m_pSearch->text()); });
    grid->addWidget(m_pSearch);
    button("Search", "search", [this] { search(m_pSearch->text()); });
    grid->addSpacing(8);
    button("Annotation", "annotation", [this] { loadAnnotation(); });
    grid->addStretch();
    split->addWidget(buttons);

    // List 1096.
    auto* middle = new QWidget;
    auto* middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    m_pListTitle = boldLabel("Current Clusters");
    middleLayout->addWidget(m_pListTitle);
    m_pList = new QTableView;
    m_pList->setObjectName("list1096");
    m_pList->setModel(m_pListModel);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->verticalHeader()->setVisible(false);
    m_pList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_pList->horizontalHeader()->setStretchLastSection(false);
    m_pList->horizontalHeader()->setMinimumSectionSize(24);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu;
        QAction* exportAction = menu.addAction("Export as Tab-Delimited Text...");
        exportAction->setEnabled(m_pListModel->rowCount() > 0);
        if (menu.exec(m_pList->viewport()->mapToGlobal(pos)) == exportAction) {
            const QString path = QFileDialog::getSaveFileName(this, "Export the list", {}, "Text Files (*.txt)");
            if (!path.isEmpty() && !exportList(path))
                showMessage("Cannot write the file : " + path.toStdString());
        }
    });
    connect(m_pList, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        const std::vector<int> numbers = goNumbersInGoidText(m_pListModel->row(i.row()).join('\t').toStdString());
        if (!numbers.empty() && m_pOntology)
            showTermInTree(m_pOntology->termIndex(numbers.front()));
    });
    middleLayout->addWidget(m_pList);
    // Room for every column of the enrichment but the term's, and some of it.
    middle->setMinimumWidth(enrichmentFixedWidth() + 140 + 2 * m_pList->frameWidth() +
                            m_pList->verticalScrollBar()->sizeHint().width());
    split->addWidget(middle);

    // Tree 1190.
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    m_pSelectedTitle = boldLabel(kSelectedTitle);
    rightLayout->addWidget(m_pSelectedTitle);
    m_pSelectedTree = makeTree(m_pSelectedModel);
    m_pSelectedTree->setObjectName("tree1190");
    rightLayout->addWidget(m_pSelectedTree);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 0);
    split->setStretchFactor(2, 4);
    split->setStretchFactor(3, 3);
}

QStringList COntologyInfo::ontologyFolders() const
{
    QStringList folders{QDir::currentPath()};
    if (CArxDoc* d = doc(); d && !d->m_strDataPath.empty())
        folders << QFileInfo(QString::fromStdString(d->m_strDataPath)).absolutePath();
    // Last, the snapshot an installed program ships.
    if (const std::string installed = installedDataFolder(); !installed.empty())
        folders << QString::fromStdString(installed);
    return folders;
}

bool COntologyInfo::loadOntology()
{
    m_bAutoLoaded = false;
    std::vector<std::string> folders;
    for (const QString& f : ontologyFolders())
        folders.push_back(f.toStdString());
    std::string location = goOntologyLocation(folders);
    if (location.empty()) {
        CLoadGoFilesDlg dlg(m_source, this);
        const int choice = dlg.exec();
        m_source = dlg.source();
        if (choice == CLoadGoFilesDlg::Cancel)
            return false;
        if (choice == CLoadGoFilesDlg::Download) {
            std::string error;
            const int failed = downloadOntology(m_source, QDir::currentPath().toStdString(), progress(), error);
            if (failed >= 0) {
                showMessage("Fail to Download " + goDownloadFiles(m_source)[static_cast<size_t>(failed)].m_strLocalName +
                            " File");
                return false;
            }
            location = goOntologyLocation({QDir::currentPath().toStdString()});
        } else {
            const QString chosen = m_fileChooser ? m_fileChooser() : QString();
            if (!chosen.isEmpty() && isOboPath(chosen.toStdString()))
                location = chosen.toStdString();
            else {
                if (!chosen.isEmpty())
                    QDir::setCurrent(QFileInfo(chosen).absolutePath());
                location = QDir::currentPath().toStdString();
            }
        }
        if (location.empty())
            location = QDir::currentPath().toStdString();
    }
    return loadFrom(QString::fromStdString(location));
}

bool COntologyInfo::loadFrom(const QString& path, bool afterDownload)
{
    auto ontology = std::make_shared<GoOntology>();
    const GoLoadOutcome o = ::loadOntology(path.toStdString(), *ontology, progress());
    if (!o.ok) {
        // After "Get Latest Ontology" a missing ontology file reads differently.
        static const std::pair<const char*, const char*> renamed[] = {
            {"Error! Molecular Function Ontology file is not available.",
             "Error! No Load Molecular Function Ontology File Available"},
            {"Error! Biological Function Ontology file is not available.",
             "Error! No Load Biological Function Ontology File Available"},
            {"Error! Cellular Component Ontology file is not available.",
             "Error! No Load Cellular Component Ontology File Available"}};
        std::string message = o.message;
        for (auto [from, to] : renamed)
            if (afterDownload && message == from)
                message = to;
        if (!message.empty())
            showMessage(message);
        return false;
    }
    if (m_pCancel)
        m_pCancel->store(true);
    m_pOntology = std::move(ontology);
    m_pIndex.reset();
    m_lastClusters.clear();
    m_pTreeModel->setOntology(m_pOntology, {}, false);
    m_pSelectedModel->setOntology(m_pOntology, {}, true);
    attach();
    m_pTree->expand(m_pTreeModel->index(0, 0));
    m_strLoadedFrom = path;
    showSource();
    return true;
}

QString COntologyInfo::sourceText(const QString& path, int terms)
{
    const QFileInfo info(path);
    const QString what = info.isDir() ? "the ontology files in " + QDir::toNativeSeparators(info.absoluteFilePath())
                                      : QDir::toNativeSeparators(info.absoluteFilePath());
    return QString("Loaded %1 (%2 terms)").arg(what).arg(terms);
}

void COntologyInfo::showSource()
{
    if (!m_pOntology) {
        m_pSourceLabel->setText("No ontology loaded");
        return;
    }
    QString text = sourceText(m_strLoadedFrom, m_pOntology->termCount());
    if (m_bAutoLoaded)
        text = "On first showing: " + text;
    m_pSourceLabel->setText(text);
    m_pSourceLabel->setToolTip(text);
}

bool COntologyInfo::loadFoundOntology()
{
    if (m_pOntology)
        return true;
    const QStringList folders = ontologyFolders();
    if (folders == m_triedFolders)
        return false;
    m_triedFolders = folders;
    std::vector<std::string> list;
    for (const QString& f : folders)
        list.push_back(f.toStdString());
    const std::string location = goOntologyLocation(list);
    if (location.empty()) {
        m_pSourceLabel->setText("No ontology found in " + folders.join(", ") + "; press \"Load Ontology\"");
        return false;
    }
    m_bAutoLoaded = true;
    if (!loadFrom(QString::fromStdString(location))) {
        m_bAutoLoaded = false;
        return false;
    }
    return true;
}

void COntologyInfo::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // The first showing loads the ontology the panel finds by itself (after
    // the window has been painted, so that the progress shows over it).
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            loadFoundOntology();
    });
}

bool COntologyInfo::getLatestOntology()
{
    m_bAutoLoaded = false;
    std::string error;
    const std::vector<GoDownloadFile> files = goDownloadFiles(m_source);
    const QString folder = QDir::currentPath();
    const int failed = downloadOntology(m_source, folder.toStdString(), progress(), error);
    if (failed >= 0)
        showMessage("Fail to Download " + files[static_cast<size_t>(failed)].m_strLabel + " File");
    return loadFrom(m_source.m_bObo ? QDir(folder).filePath(QString::fromStdString(files[0].m_strLocalName)) : folder, true);
}

void COntologyInfo::clearAttachment()
{
    if (m_pCancel)
        m_pCancel->store(true);
    m_pAttachment.reset();
    m_pIndex.reset();
    m_enrichment.clear();
    m_lastClusters.clear();
    m_bFollowCut = false;
    m_pListModel->setRows({}, {});
    if (m_pOntology) {
        m_pTreeModel->setCounts({});
        m_pSelectedModel->setCounts({});
    }
    m_pSelectedTitle->setText(kSelectedTitle);
}

void COntologyInfo::attach()
{
    if (!m_pOntology)
        return;
    CArxDoc* d = doc();
    DataMatrix* data = d && d->m_bDataLoaded ? d->data() : nullptr;
    auto attachment = std::make_shared<GoAttachment>();
    bool attached = false;
    {
        ProgressScope p({});
        if (data)
            attached = attachGoIdentifiers(*data, d->annotation(), *attachment, p.get());
        if (attached) {
            p->setMessage("Calculating the Number of Nodes for Each GO Node...");
            p->pump();
        }
    }
    if (!attached) {
        m_pAttachment.reset();
        m_pIndex.reset();
        m_pTreeModel->setCounts({});
        refreshSelectedTree();
        return;
    }
    m_pAttachment = attachment;
    auto index = std::make_shared<const GoIndex>(m_pOntology, m_pAttachment);
    m_pIndex = index;
    std::vector<int> counts(static_cast<size_t>(m_pOntology->termCount()));
    for (int t = 0; t < m_pOntology->termCount(); ++t)
        counts[static_cast<size_t>(t)] = index->count(t);
    m_pTreeModel->setCounts(std::move(counts));
    m_pTree->expand(m_pTreeModel->index(0, 0));
    m_lastClusters.clear();
    refreshSelectedTree();
    if (m_bFollowCut)
        runEnrichment();
}

void COntologyInfo::loadAnnotation()
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded) {
        showMessage("Load data file first !");
        return;
    }
    const QString path = m_annotationChooser ? m_annotationChooser() : QString();
    if (attachAnnotationFile(*d, path, this))
        attach();
}

bool COntologyInfo::ensureOntology() { return m_pOntology || loadOntology(); }

void COntologyInfo::refreshSelectedTree()
{
    CArxDoc* d = doc();
    if (!m_pIndex || !d || d->m_selectedItems.empty()) {
        m_pSelectedTitle->setText(kSelectedTitle);
        m_pSelectedModel->setOntology(m_pOntology, {}, true);
        return;
    }
    const std::vector<int>& rows = d->m_selectedItems;
    m_pSelectedTitle->setText(QString::fromStdString(
        strFormat("Ontology IDs of the selected genes (%d genes, %d GOIDs)", static_cast<int>(rows.size()),
                  distinctGoNumbers(*m_pAttachment, rows))));
    m_pSelectedModel->setOntology(m_pOntology, m_pIndex->countsAmong(rows), true);
    m_pSelectedTree->expandToDepth(1);
}

void COntologyInfo::onUpdate(CDocObserver*, int hint)
{
    switch (hint) {
    case kHintNewData:
        clearAttachment();
        break;
    case kHintResultsChanged:
        // The overview cuts the new trees while handling the same hint.
        if (m_pOntology)
            QTimer::singleShot(0, this, [this] {
                if (!m_pIndex)
                    attach();
                else if (m_bFollowCut)
                    runEnrichment();
            });
        break;
    case kHintMinSimilarity:
        if (m_bFollowCut)
            runEnrichment();
        break;
    case kHintItemSelection:
        refreshSelectedTree();
        break;
    case kHintAnnotation:
        attach();
        break;
    default:
        break;
    }
}

void COntologyInfo::hypeTest()
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded) {
        showMessage("Load data file first !");
        return;
    }
    if (!ensureOntology())
        return;
    if (!m_pIndex || m_pIndex->annotatedCount() == 0) {
        showMessage("No item carries a GO identifier of the ontology: attach an annotation first.");
        return;
    }
    if (!d->m_pRowForest || !d->m_pRowForest->hasTree()) {
        showMessage("Do Hierarchical Clustering first!");
        return;
    }
    m_bFollowCut = true;
    m_lastClusters.clear();
    m_pListTitle->setText("Current Clusters");
    runEnrichment();
}

void COntologyInfo::runEnrichment()
{
    CArxDoc* d = doc();
    if (!m_bFollowCut || !m_pIndex || !d || !d->m_pRowForest || !d->m_pRowForest->hasTree())
        return;
    std::vector<int> clusters = clusterOfItems(*d->m_pRowForest);
    if (clusters == m_lastClusters)
        return;  // the bar moved within the same cut
    m_lastClusters = clusters;
    if (m_pCancel)
        m_pCancel->store(true);
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_pCancel = cancel;
    const int generation = ++m_nGeneration;
    std::shared_ptr<const GoIndex> index = m_pIndex;
    auto* watcher = new QFutureWatcher<std::vector<GoEnrichmentRow>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (generation != m_nGeneration || !m_bFollowCut)
            return;  // a newer cut is on its way
        m_enrichment = watcher->result();
        ++m_nShown;
        showEnrichment();
        emit enrichmentShown();
    });
    watcher->setFuture(QtConcurrent::run(
        [index, clusters = std::move(clusters), cancel] { return enrichClusters(*index, clusters, cancel.get()); }));
}

void COntologyInfo::showEnrichment()
{
    const double threshold = goFdrThresholds()[static_cast<size_t>(std::max(0, m_pFdr->currentIndex()))];
    QStringList columns;
    for (const std::string& c : enrichmentColumns())
        columns << QString::fromStdString(c);
    std::vector<QStringList> rows;
    if (m_pIndex)
        for (const GoEnrichmentRow& r : rowsUpToFdr(m_enrichment, threshold)) {
            QStringList cells;
            for (const std::string& c : enrichmentCells(*m_pIndex, r))
                cells << QString::fromStdString(c);
            rows.push_back(std::move(cells));
        }
    m_pListTitle->setText("Current Clusters");
    m_pListModel->setRows(columns, std::move(rows));
    // Widths from the texts' forms (measuring thousands of rows at every bar
    // move would cost); the term takes the room the others leave, its full
    // text in the tooltip, so that p-value and FDR show without scrolling.
    QHeaderView* header = m_pList->horizontalHeader();
    for (int c = 0; c < m_pListModel->columnCount(); ++c) {
        header->setSectionResizeMode(c, c == kTermColumn ? QHeaderView::Stretch : QHeaderView::Interactive);
        if (c != kTermColumn)
            m_pList->setColumnWidth(c, enrichmentColumnWidth(c));
    }
}

int COntologyInfo::enrichmentColumnWidth(int column) const
{
    static const char* const widest[] = {"cluster", "GO:0000000", "", "00000", "00000", "00000", "00000",
                                         "0.00000e-000", "0.00000e-000"};
    if (column < 0 || column >= static_cast<int>(std::size(widest)))
        return 0;
    const QFontMetrics fm = m_pList->fontMetrics();
    const int header = m_pList->horizontalHeader()->fontMetrics().horizontalAdvance(
        QString::fromStdString(enrichmentColumns()[static_cast<size_t>(column)]));
    return std::max(fm.horizontalAdvance(QString(widest[column])), header) + 14;
}

int COntologyInfo::enrichmentFixedWidth() const
{
    int sum = 0;
    for (int c = 0; c < static_cast<int>(enrichmentColumns().size()); ++c)
        if (c != kTermColumn)
            sum += enrichmentColumnWidth(c);
    return sum;
}

void COntologyInfo::search(const QString& text)
{
    if (!ensureOntology())
        return;
    m_bFollowCut = false;
    if (m_pCancel)
        m_pCancel->store(true);
    showSearch(searchTerms(*m_pOntology, text.toStdString()));
}

void COntologyInfo::showSearch(const std::vector<int>& terms)
{
    std::vector<QStringList> rows;
    for (int t : terms) {
        const GoTerm& term = m_pOntology->term(t);
        rows.push_back({QString::fromStdString(goIdText(term.m_nNumber)), QString::fromStdString(term.m_strName),
                        QString::number(m_pIndex ? m_pIndex->count(t) : 0)});
    }
    m_pListTitle->setText(QString("Search: %1 terms").arg(terms.size()));
    m_pListModel->setRows({"GO identifier", "term", "items"}, std::move(rows));
    for (int c = 0; c < m_pListModel->columnCount(); ++c)
        m_pList->horizontalHeader()->setSectionResizeMode(c, c == 1 ? QHeaderView::Stretch : QHeaderView::Interactive);
    m_pList->resizeColumnsToContents();
    if (!terms.empty())
        showTermInTree(terms.front());
}

void COntologyInfo::showTermInTree(int term)
{
    const QModelIndex i = m_pTreeModel->indexOfTerm(term);
    if (!i.isValid())
        return;
    for (QModelIndex p = i.parent(); p.isValid(); p = p.parent())
        m_pTree->expand(p);
    m_pTree->setCurrentIndex(i);
    m_pTree->scrollTo(i, QAbstractItemView::PositionAtCenter);
}

void COntologyInfo::selectItems(std::vector<int> rows)
{
    CArxDoc* d = doc();
    if (!d || !d->m_bDataLoaded || rows.empty())
        return;
    d->setItemSelection(std::move(rows), this);
    refreshSelectedTree();
}

void COntologyInfo::selectFromList(bool onlySelectedRows)
{
    if (!m_pAttachment)
        return;
    std::vector<int> numbers;
    auto take = [&](int r) {
        for (const QString& cell : m_pListModel->row(r))
            if (cell.contains("GO:"))
                for (int n : goNumbersInGoidText(cell.toStdString()))
                    numbers.push_back(n);
    };
    if (onlySelectedRows) {
        for (const QModelIndex& i : m_pList->selectionModel()->selectedRows())
            take(i.row());
    } else
        for (int r = 0; r < m_pListModel->rowCount(); ++r)
            take(r);
    selectItems(itemsAnnotatedWithAny(*m_pAttachment, numbers));
}

void COntologyInfo::runPopupCommand(int command, int term)
{
    if (!m_pOntology || term < 0 || term >= m_pOntology->termCount())
        return;
    const int number = m_pOntology->term(term).m_nNumber;
    switch (command) {
    case kFindInDatabase:
        if (m_urlOpener)
            m_urlOpener(QString::fromStdString(goBrowserAddress(number)));
        break;
    case kSelectTerm:
        if (m_pAttachment)
            selectItems(m_pAttachment->itemsAnnotatedWith(number));
        break;
    case kSelectDescendants:
        if (m_pIndex)
            selectItems(m_pIndex->itemsUnder(term));
        break;
    default:
        break;
    }
}

void COntologyInfo::popup(QTreeView* view, CGoTreeModel* model, const QPoint& pos)
{
    const QModelIndex i = view->indexAt(pos);
    if (!i.isValid())
        return;
    view->setCurrentIndex(i);
    // The GO number as the item's text gives it (seven characters after "GO:").
    const int number = goNumberAfterPrefix(i.data().toString().toStdString());
    const int term = model->ontology() ? model->ontology()->termIndex(number) : -1;
    QMenu menu;
    QAction* find = menu.addAction("Find this GOID in GO database");
    QAction* one = menu.addAction("Select genes mapped to this GO ID");
    QAction* all = menu.addAction("Select genes mapped to this or descendant's GOIDs");
    QAction* chosen = menu.exec(view->viewport()->mapToGlobal(pos));
    if (chosen == find)
        runPopupCommand(kFindInDatabase, term);
    else if (chosen == one)
        runPopupCommand(kSelectTerm, term);
    else if (chosen == all)
        runPopupCommand(kSelectDescendants, term);
}

bool COntologyInfo::exportList(const QString& path) const
{
    if (m_bFollowCut && m_pIndex) {
        const double threshold = goFdrThresholds()[static_cast<size_t>(std::max(0, m_pFdr->currentIndex()))];
        return writeEnrichmentFile(path.toStdString(), *m_pIndex, rowsUpToFdr(m_enrichment, threshold));
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((m_pListModel->columns().join('\t') + '\n').toUtf8());
    for (int r = 0; r < m_pListModel->rowCount(); ++r)
        f.write((m_pListModel->row(r).join('\t') + '\n').toUtf8());
    return f.error() == QFile::NoError;
}
