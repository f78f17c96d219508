#pragma once
// The document: everything one opened data set or clustering result holds
// besides the matrices themselves. It owns every dendrogram forest (in pairs
// of a row forest and a column forest: entry 0 the main result, further
// entries partition and comparison results), the partitions, the selections
// and the hovered elements, the selection marker colour and the palette, and
// the settings of the last runs. Views attach as observers and are told what
// changed through the update hints (UpdateHints.h).
//
// The commands of the Clustering, File and Tool menus are run here on the
// values their dialogs collected (DialogParameters.h); the dialogs' own
// checks are in DialogChecks.h. Every refusal is a message through the
// message interface, and a refused command changes nothing.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CArxData.h"
#include "app/DialogParameters.h"
#include "app/UpdateHints.h"
#include "cluster/Evaluation.h"
#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "cluster/SetOperation.h"
#include "data/ClassStrip.h"

class Annotation;

// One pair of forests over one matrix (the whole data or a partition).
struct CForestPair {
    std::unique_ptr<CForest> m_pRows;
    std::unique_ptr<CForest> m_pColumns;
    DataMatrix* m_pData = nullptr;  // the matrix the pair was built over (not owned)
    std::string m_strName;          // "" main result; a partition's name; "Comparison"
};

// The settings of one clustering run (method 1, or method 2 of a
// comparison). A linkage of -1 means no run.
struct CRunSettings {
    int m_nLinkage = -1;
    int m_nMeasure = -1;
    bool m_bCentered = true;
    bool m_bAbsolute = false;
    int m_nArrangement = 0;
};

// What the K-means dialog shows when "Use the Hierarchical Clustering
// Result" is chosen: a refusal message, or the label and the K to set.
struct CKMeansTreeChoice {
    std::string m_strMessage;  // "Please load data first!" / "Please do the hierarchical clustering first!"
    std::string m_strLabel;    // "Current number of clusters in Hierarchical clustering is %d."
    int m_nK = 0;
};

class CArxDoc {
public:
    // The document works on the application's data slots; without them it
    // keeps slots of its own (tests, the command-line tool).
    explicit CArxDoc(CArxData* appData = nullptr);
    ~CArxDoc();
    CArxDoc(const CArxDoc&) = delete;
    CArxDoc& operator=(const CArxDoc&) = delete;

    // ---------------------------------------------------------- views
    void attach(CDocObserver* view);
    void detach(CDocObserver* view);
    bool isAttached(const CDocObserver* view) const;
    // Notifies every attached view but the sender.
    void updateAllViews(CDocObserver* sender, int hint);

    // ---------------------------------------------------------- data
    CArxData& appData() const { return *m_pAppData; }
    // The current matrix (filtered when present); nullptr before a read.
    DataMatrix* data() const { return m_pAppData->current(); }
    // Pair 0, or nullptr when nothing is loaded.
    CForestPair* mainPair() { return m_forestPairs.empty() ? nullptr : &m_forestPairs.front(); }
    // Whether the overview shows rows: the comparison's direction in
    // comparison mode, m_bRowView otherwise.
    bool overviewShowsRows() const { return m_bCompareMode ? m_bCompareRows : m_bRowView; }
    // "Arbolix - " followed by the data name.
    std::string windowCaption() const;

    // ---------------------------------------------------------- reading
    // Reading into the document after the load dialog: stores the choices,
    // clears the previous results, loads the current matrix (unless filtered
    // data are waiting), builds the forests, computes the statistics and
    // applies the logarithm and the normalisation. False when the load or
    // the normalisation fails; the document is then closed.
    bool readDataFile(const std::string& path, bool log, int direction, int method, float lo, float hi,
                      bool sequence);
    // File/Open after the load dialog: hint 3008, readDataFile, then on
    // success comparison mode off and the results-changed step.
    bool openDataFile(const std::string& path, bool log, int direction, int method, float lo, float hi,
                      bool sequence);
    // Reads a clustering result (.dat with its .rcr, .ccr and .wts; or a
    // TreeView .cdt with its .gtr and .atr) into the document; on failure
    // the document is closed.
    bool importResult(const std::string& datPath);
    // File/Import Clustering Result and a recent or dropped ".dat" file:
    // fresh data slots, hint 3008, importResult, then on success comparison
    // mode off and the results-changed step.
    bool openClusteringResult(const std::string& datPath);
    // A recent or dropped file is a clustering result when its lower-cased
    // name contains ".dat" (or ends in ".cdt", TreeView's data file).
    static bool isClusteringResultName(const std::string& path);
    // Opening another file: when a clustering result made here has not been
    // exported, asks "Save changes to %1?" (%1 the data name). Yes runs
    // `exportResult` (the export dialog and the export; the open goes on
    // only when it exported), No discards, Cancel stops the open. True when
    // the open may go on.
    bool saveModified(const std::function<bool()>& exportResult);
    // A document read with data slots of its own hands them to the
    // application's slots and works on those from then on (a file is read
    // into a new document first, so that a refused file leaves the open one
    // as it was).
    void moveDataTo(CArxData& target);
    // Releases every forest pair, partition and selection; data not loaded.
    // The application's matrices stay (the shell replaces them when it opens
    // the next file; the forests that pointed into them are gone by then).
    void close();

    // The common results-changed step: refreshes the forests' derived data
    // (k-means orders), drops per-result caches and sends hint 3002.
    void resultsChanged(CDocObserver* sender = nullptr);

    // ---------------------------------------------------------- commands
    // Guard messages: empty when the command may run.
    std::string hierarchicalClusteringGuard() const;  // "Load data file first !"
    std::string kMeansGuard() const;                  // "Please load data first!"
    std::string compareGuard() const;                 // "Load data file first !"
    std::string powerCalculationGuard() const;        // "Load data file first !"
    bool canSwitchViews() const { return m_bDataLoaded && !m_bCompareMode; }
    bool canExportResult() const { return m_bDataLoaded; }

    // Clustering/Hierarchical Clustering after the dialog's OK. Shows the
    // guard or the dialog check's message and returns false without change
    // when either refuses. False after a failing run (the runs completed
    // before it stay). Runs the results-changed step on success.
    bool hierarchicalClustering(const CClusteringParameters& params);

    // Clustering/K-means Clustering after the dialog's OK: per checked
    // direction, k-means with the iteration limit 2000; a run that reaches
    // the limit shows "Row K-Means didn't converge: Maximum iteration limit
    // (2000) reached!" (or the column message) and keeps its result.
    // Refused (message, false, no change) by the guard and by the dialog
    // check.
    bool kMeansClustering(const CKMeansParameters& params);
    static constexpr int kKMeansIterationLimit = 2000;
    CKMeansTreeChoice kMeansTreeChoice(bool rows) const;

    // Clustering/Compare Two Hierarchical Clustering Results after OK: a
    // second forest pair, run 0 with method 1 and run 1 with method 2 (both
    // "Keep Right Child Small", only the chosen direction), then the
    // results-changed step.
    bool compareClustering(const CCompareParameters& params);
    // The dialog was cancelled.
    void cancelCompare() { m_bCompareMode = false; }

    // Tool/Switch Views: flips m_bRowView, cuts the forest now shown at 0.5
    // and sends hint 3012. False (nothing changed) when not enabled.
    bool switchViews(CDocObserver* sender = nullptr);
    static constexpr float kSwitchMinSimilarity = 0.5f;

    // Tool/Import an Items List: every line's first cell names an item by
    // its identifier (exact match); the matched rows are combined with the
    // selection by the set operation and become the selection (hint 3003).
    // Returns the number of matched items, or -1 when the file cannot be
    // read ("Cannot open the file : %s").
    int importItemsList(const std::string& path, int operation = kSetNew, CDocObserver* sender = nullptr);
    // Help/intersections with the current selection: num.txt in the folder
    // with the items each list file there shares with the selection; and
    // Help/Summary Result: summary_NAME.txt per list file with the
    // identifier and name of its items found in the data (ItemLists.h).
    // "Load data file first !" and -1 before data are loaded; else the
    // number of list files (summaries) written, -1 on failure.
    int countSelectionInLists(const std::string& folder) const;
    int summariseItemLists(const std::string& folder) const;
    // The identifiers of the selected items.
    std::vector<std::string> selectedItemIds() const;
    // Help/Select top 10%: the first floor(n x 0.1 + 0.5) items by the mean
    // of their values, highest first, become the selection (hint 3003).
    void selectTop10Percent(CDocObserver* sender = nullptr);

    // File/Export Clustering Result. The dialog's "Files to save" text for a
    // file name; geneArrayWording gives the "Gene"/"Array" lines.
    std::string filesToSaveText(const std::string& name, bool geneArrayWording = false) const;
    std::string filesToSaveText(ResultFormat format, const std::string& name) const;
    // Writes folder/name + .rcr, .ccr, .dat (and .wts with per-cell
    // weights) from the main pair at the forests' current cuts; or, by the
    // format, TreeView's .cdt, .gtr, .atr, or the Newick trees.
    bool exportResult(const std::string& folder, const std::string& fileName, bool originalValues,
                      ResultFormat format = ResultFormat::Arbolix);

    // File/Save Selected Items: the selected items as a data file with its
    // side file. "Nothing to save! Select some first!" when none.
    bool saveSelectedItems(const std::string& path);
    // The selected cluster of the main row forest, saved the same way.
    bool saveSelectedCluster(const std::string& path);

    // K-means export: "Please load data first!", "Do K-means Clustering
    // first!", or empty when it may run; the proposed name; the export.
    std::string kMeansExportGuard() const;
    std::string kMeansExportName() const { return m_strDataName + "-Kmeans"; }
    bool exportKMeans(const std::string& path, bool originalValues);

    // The evaluation panel's "Evaluate" buttons for the main forest of a
    // direction: "Do Hierarchical Clustering first!" / "Do K-means
    // Clustering first!" and nothing when refused. With a log path set, the
    // hierarchical evaluation appends its log line (at the given minimum
    // similarity of the cut), the k-means one the same line with "N/A" for
    // the minimum similarity.
    std::optional<ClusterEvaluation> evaluateHierarchical(bool rows, float minSimilarity);
    std::optional<ClusterEvaluation> evaluateKMeans(bool rows);

    // The batch run over the bar of the forest the overview shows: the
    // minimum similarity steps from 1 down to 1/steps; writes
    // folder/m_strDataName + "_gene_batch.txt" (rows) or
    // "_sample_batch.txt" (columns) after the overwrite question. Returns
    // the path written, empty when refused or failed.
    std::string batchRun(const std::string& folder, int steps);

    // ---------------------------------------------------------- annotation
    // Tool/Attach Affymetrix Annotation, the table view's "Annotate" and the
    // Gene Ontology panel's "Annotation" buttons: reads the file and matches
    // it to the items (loadAnnotation, with its progress and messages). On
    // success the annotation replaces the attached one, the leaves of every
    // row forest take their labels from its "title" column and hint 3016
    // (kHintAnnotation) goes to the views. On failure nothing changes (the
    // previous annotation stays). Refused without data.
    bool attachAnnotation(const std::string& path, CDocObserver* sender = nullptr);
    // The attached annotation, nullptr when none. It is matched to the rows
    // of the main pair's matrix and dropped when other data are opened.
    const Annotation* annotation() const { return m_pAnnotation.get(); }
    // The annotation text of an item (data index) in the first annotation
    // column whose header contains `part` (compared in lower case); empty
    // when there is no annotation, the item has no line or no header
    // contains the part.
    std::string annotationCell(int item, const std::string& part) const;

    // ---------------------------------------------------------- selection
    // Items are named by their data index (the index of their row-forest
    // leaf): the row of the current matrix for opened data, the row of the
    // original data file for an imported result. Conversions; -1 when unknown.
    int rowOfItem(int item) const;
    int itemOfRow(int row) const;
    // Item selection: sorted item data indices (hint 3003).
    void setItemSelection(std::vector<int> rows, CDocObserver* sender = nullptr);
    // Variable selection: sorted value-column indices (hint 3004).
    void setVariableSelection(std::vector<int> columns, CDocObserver* sender = nullptr);
    void clearSelection();  // both, without a hint
    // The hovered item (hint 3005) and variable (hint 3006), -1 for none;
    // a hint is sent only when the value changes.
    void setCurrentItem(int row, CDocObserver* sender = nullptr);
    void setCurrentVariable(int column, CDocObserver* sender = nullptr);
    void setSelectionColor(Rgb colour, CDocObserver* sender = nullptr);  // hint 3011

    // ---------------------------------------------------------- subtree flips
    // Swaps the two children of a branch of one of the document's forests
    // (Flip Subtree of the node popups): every view follows the new leaf
    // order (hint 3017); cut, similarities and selections stay. The flip is
    // recorded for undoFlip. False (nothing changed) for a leaf, an unknown
    // forest or a node of another forest.
    bool flipSubtree(CForest* forest, int nodeIndex, CDocObserver* sender = nullptr);
    // Edit/Undo: flips the last flipped branch back (one flip per call).
    bool undoFlip(CDocObserver* sender = nullptr);
    bool canUndoFlip() const { return !m_flips.empty(); }

    // ---------------------------------------------------------- class strips
    // The columns' classes from the CID row, shown between the column
    // dendrogram and the mosaic; nullptr when the data have none or the
    // strip is switched off.
    const ClassStrip* columnStrip() const;
    bool hasColumnClasses() const { return !m_columnStrip.m_category.empty(); }
    void setColumnStripShown(bool shown, CDocObserver* sender = nullptr);  // hint 3018
    bool columnStripShown() const { return m_bShowColumnStrip; }
    // The names the item strips may be chosen from: the categorical fields
    // of the data, then the annotation columns with at most 12 distinct
    // values.
    std::vector<std::string> itemStripCandidates() const;
    // Shows item strips for these names (a categorical field, matched
    // without regard to case, or an annotation column header), in order,
    // replacing the ones shown (hint 3018). A name naming neither, or one
    // with more than 12 distinct values, is refused with a message and
    // nothing changes.
    bool setItemStrips(const std::vector<std::string>& names, CDocObserver* sender = nullptr);
    // Shows strips built elsewhere (over the items' data indices).
    void showItemStrips(std::vector<ClassStrip> strips, CDocObserver* sender = nullptr);
    const std::vector<ClassStrip>& itemStrips() const { return m_itemStrips; }
    // The strips over the leaves of one direction: the column strip for the
    // columns, the item strips for the items.
    std::vector<const ClassStrip*> stripsOver(bool rows) const;
    // Changes whenever the forests are replaced (new results, new data,
    // closed); unique across documents, so that a view can keep what it
    // derived from a forest for as long as the forest is the same.
    unsigned long long resultsRevision() const { return m_nResultsRevision; }

    // ---------------------------------------------------------- fields
    CRunSettings m_run[2];  // method 1 and (comparison mode) method 2; the second is unset outside it
    Rgb m_clrSelection{210, 105, 30};
    bool m_bRowView = true;
    bool m_bLogTransformed = true;
    bool m_bCompareMode = false;
    bool m_bDataLoaded = false;
    bool m_bModified = false;  // a clustering result made here has not been exported since
    std::string m_strDataName;
    std::string m_strDataPath;  // the file read (data file or clustering result)
    std::vector<CForestPair> m_forestPairs;
    std::vector<std::unique_ptr<DataMatrix>> m_partitions;  // names in each matrix's m_strSubset
    CForest* m_pRowForest = nullptr;
    CForest* m_pRowForest2 = nullptr;
    CForest* m_pColForest = nullptr;
    CForest* m_pColForest2 = nullptr;
    bool m_bPValuesAvailable = false;
    bool m_bUsePValueWeights = false;
    bool m_bClusterColumns = true;
    bool m_bClusterRows = true;
    int m_nNormDirection = -1;
    int m_nNormMethod = -1;
    float m_fScaleLo = 0.0f;
    float m_fScaleHi = 1.0f;
    bool m_bSequence = false;
    int m_nWeightType = 0;
    bool m_bCompareRows = true;  // the direction chosen in the comparison dialog

    std::vector<int> m_selectedItems;      // sorted row indices
    std::vector<int> m_selectedVariables;  // sorted value-column indices
    int m_nCurrentItem = -1;
    int m_nCurrentVariable = -1;
    std::array<Rgb, 11> m_palette = CNode::kPalette;

    // Evaluation log file; empty when none is open.
    std::string m_strEvaluationLogPath;

private:
    void clearResults();
    void dropExtraResults();
    bool buildMainPair(DataMatrix& data);
    void pointForests();
    bool runPartitioned(const CClusteringParameters& params, const ClusteringOptions& options);

    void relabelFromAnnotation();
    void refreshColumnStrip();
    bool itemStripTexts(const std::string& name, std::string& title, std::vector<std::string>& texts) const;

    struct FlipRecord {
        CForest* forest;
        int node;
    };
    std::vector<FlipRecord> m_flips;
    ClassStrip m_columnStrip;
    bool m_bShowColumnStrip = true;
    std::vector<ClassStrip> m_itemStrips;
    unsigned long long m_nResultsRevision = 0;
    void forestsReplaced();

    std::unique_ptr<Annotation> m_pAnnotation;
    std::unique_ptr<CArxData> m_ownData;
    CArxData* m_pAppData = nullptr;
    std::vector<CDocObserver*> m_views;
};
