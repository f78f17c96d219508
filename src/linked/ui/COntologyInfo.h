#pragma once
// The "Gene Ontology" tab: the ontology tree with item counts (tree 1013),
// the GO identifiers of the selected items (tree 1190), list 1096 with the
// enrichment of the current clusters or the search results, and the
// buttons "Load Ontology", "Get Latest Ontology", "Hype Test", "<- All",
// "<- Selected", "Search" and "Annotation". Both trees carry the "go"
// popup. The enrichment follows the row dendrogram's cut: it runs off the
// GUI thread and the newest cut wins.
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/UpdateHints.h"
#include "linked/GoDownload.h"
#include "linked/GoEnrichment.h"

class CArxDoc;
class CGoListModel;
class CGoTreeModel;
class GoAttachment;
class GoIndex;
class GoOntology;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTreeView;

class COntologyInfo final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    // The popup's commands.
    static constexpr int kFindInDatabase = 32825;
    static constexpr int kSelectTerm = 32823;
    static constexpr int kSelectDescendants = 32824;

    explicit COntologyInfo(QWidget* parent = nullptr);
    ~COntologyInfo() override;

    void onUpdate(CDocObserver* sender, int hint) override;
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }

    // ---- commands ----
    // "Load Ontology": from the current directory or beside the data file,
    // else dialog 194. False when nothing was loaded.
    bool loadOntology();
    // Loads a folder of flat files or an OBO file, attaches and fills the
    // trees; after a download the missing ontology files are reported with
    // the "No Load" messages.
    bool loadFrom(const QString& path, bool afterDownload = false);
    // "Get Latest Ontology": download from the source, then load.
    bool getLatestOntology();
    // "Hype Test": the enrichment of the current cut in list 1096, followed from now on.
    void hypeTest();
    // "<- All" / "<- Selected".
    void selectFromList(bool onlySelectedRows);
    // "Search".
    void search(const QString& text);
    // The popup's commands on a term (index into the ontology).
    void runPopupCommand(int command, int term);
    // Attaches the items' GO identifiers again (new data or annotation).
    void attach();
    // "Annotation": the document's annotation loader, then attaching again.
    void loadAnnotation();
    // The list's rows as tab-delimited text.
    bool exportList(const QString& path) const;

    // ---- for the shell and the tests ----
    void setUrlOpener(std::function<void(const QString&)> f) { m_urlOpener = std::move(f); }
    void setFileChooser(std::function<QString()> f) { m_fileChooser = std::move(f); }
    // The file chooser of the "Annotation" button.
    void setAnnotationChooser(std::function<QString()> f) { m_annotationChooser = std::move(f); }
    GoDownloadSource& downloadSource() { return m_source; }
    CGoTreeModel* treeModel() const { return m_pTreeModel; }
    CGoTreeModel* selectedModel() const { return m_pSelectedModel; }
    QTreeView* tree() const { return m_pTree; }
    QTreeView* selectedTree() const { return m_pSelectedTree; }
    QTableView* list() const { return m_pList; }
    CGoListModel* listModel() const { return m_pListModel; }
    QComboBox* fdrBox() const { return m_pFdr; }
    QLabel* selectedTitle() const { return m_pSelectedTitle; }
    QLabel* listTitle() const { return m_pListTitle; }
    std::shared_ptr<const GoOntology> ontology() const { return m_pOntology; }
    std::shared_ptr<const GoIndex> index() const { return m_pIndex; }
    // Enrichment runs started and shown (a newer cut drops older results).
    int enrichmentRunsStarted() const { return m_nGeneration; }
    int enrichmentRunsShown() const { return m_nShown; }
    // The folders searched for the ontology: the current directory, then the data file's.
    QStringList ontologyFolders() const;
    // Loads the ontology found in those folders without asking (once for a
    // set of folders); the first showing of the panel does it.
    bool loadFoundOntology();
    // The panel's line on the loaded ontology.
    QLabel* sourceLabel() const { return m_pSourceLabel; }
    static QString sourceText(const QString& path, int terms);
    // The enrichment list's width of a column (the term's: 0) and of all but the term.
    int enrichmentColumnWidth(int column) const;
    int enrichmentFixedWidth() const;
    static constexpr int kTermColumn = 2;

signals:
    // The list shows a new enrichment result.
    void enrichmentShown();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void buildUi();
    void showSource();
    void clearAttachment();
    void refreshSelectedTree();
    void runEnrichment();
    void showEnrichment();
    void showSearch(const std::vector<int>& terms);
    void showTermInTree(int term);
    void popup(QTreeView* view, CGoTreeModel* model, const QPoint& pos);
    bool ensureOntology();
    void selectItems(std::vector<int> rows);

    std::function<CArxDoc*()> m_docSource;
    std::function<void(const QString&)> m_urlOpener;
    std::function<QString()> m_fileChooser;
    std::function<QString()> m_annotationChooser;
    GoDownloadSource m_source;

    std::shared_ptr<GoOntology> m_pOntology;
    std::shared_ptr<GoAttachment> m_pAttachment;
    std::shared_ptr<const GoIndex> m_pIndex;

    bool m_bFollowCut = false;  // the list shows the enrichment and follows the bar
    std::vector<int> m_lastClusters;
    std::vector<GoEnrichmentRow> m_enrichment;  // every tested row of the newest run
    std::shared_ptr<std::atomic<bool>> m_pCancel;
    int m_nGeneration = 0;
    int m_nShown = 0;

    CGoTreeModel* m_pTreeModel;
    CGoTreeModel* m_pSelectedModel;
    CGoListModel* m_pListModel;
    QTreeView* m_pTree = nullptr;
    QTreeView* m_pSelectedTree = nullptr;
    QTableView* m_pList = nullptr;
    QLabel* m_pListTitle = nullptr;
    QLabel* m_pSelectedTitle = nullptr;
    QComboBox* m_pFdr = nullptr;
    QLineEdit* m_pSearch = nullptr;
    QLabel* m_pSourceLabel = nullptr;
    QString m_strLoadedFrom;
    QStringList m_triedFolders;  // the folders the first showing searched
    bool m_bAutoLoaded = false;
};
