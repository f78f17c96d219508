#include "app/CArxDoc.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <unordered_map>

#include "app/DialogChecks.h"
#include "app/ItemLists.h"
#include "cluster/BatchRun.h"
#include "cluster/ClusterPartition.h"
#include "cluster/KMeans.h"
#include "cluster/PrecomputedMatrix.h"
#include "cluster/ResultFiles.h"
#include "data/LoadPipeline.h"
#include "data/TableFile.h"
#include "linked/Annotation.h"
#include "platform/Format.h"
#include "platform/Messages.h"

namespace {
const char* const kLoadFirst = "Load data file first !";
const char* const kPleaseLoad = "Please load data first!";

std::vector<std::string> checkedNames(const std::vector<CColumnChoice>& list)
{
    std::vector<std::string> out;
    for (const CColumnChoice& c : list)
        if (c.m_bChecked)
            out.push_back(c.m_strName);
    return out;
}
// TreeView's data file, read as a clustering result.
bool isTreeViewName(const std::string& path) { return TableFile::extensionOf(path) == "cdt"; }

} // namespace

CArxDoc::CArxDoc(CArxData* appData) : m_pAppData(appData)
{
    if (!m_pAppData) {
        m_ownData = std::make_unique<CArxData>();
        m_pAppData = m_ownData.get();
    }
}

CArxDoc::~CArxDoc() { clearResults(); }

// ---------------------------------------------------------------- views

void CArxDoc::attach(CDocObserver* view)
{
    if (view && !isAttached(view))
        m_views.push_back(view);
}

void CArxDoc::detach(CDocObserver* view) { m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end()); }

bool CArxDoc::isAttached(const CDocObserver* view) const
{
    return std::find(m_views.begin(), m_views.end(), view) != m_views.end();
}

void CArxDoc::updateAllViews(CDocObserver* sender, int hint)
{
    const std::vector<CDocObserver*> views = m_views;  // a view may detach others while notified
    for (CDocObserver* v : views)
        if (v != sender && isAttached(v))
            v->onUpdate(sender, hint);
}

std::string CArxDoc::windowCaption() const { return "Arbolix - " + m_strDataName; }

// ---------------------------------------------------------------- results

void CArxDoc::clearResults()
{
    m_pRowForest = m_pRowForest2 = m_pColForest = m_pColForest2 = nullptr;
    m_forestPairs.clear();  // before the partitions they point into
    m_partitions.clear();
    m_pAnnotation.reset();  // matched to the items of the data going away
    m_selectedItems.clear();
    m_selectedVariables.clear();
    m_nCurrentItem = m_nCurrentVariable = -1;
    m_bDataLoaded = false;
    m_bCompareMode = false;
    m_bModified = false;
    m_run[0] = m_run[1] = CRunSettings{};
    m_flips.clear();
    m_itemStrips.clear();
    m_columnStrip = ClassStrip{};
    forestsReplaced();
}

void CArxDoc::dropExtraResults()
{
    m_pRowForest2 = m_pColForest2 = nullptr;
    if (m_forestPairs.size() > 1)
        m_forestPairs.erase(m_forestPairs.begin() + 1, m_forestPairs.end());
    m_partitions.clear();
    pointForests();
}

void CArxDoc::pointForests()
{
    forestsReplaced();
    m_pRowForest = m_pColForest = m_pRowForest2 = m_pColForest2 = nullptr;
    if (!m_forestPairs.empty()) {
        m_pRowForest = m_forestPairs[0].m_pRows.get();
        m_pColForest = m_forestPairs[0].m_pColumns.get();
    }
    if (m_bCompareMode && m_forestPairs.size() > 1) {
        m_pRowForest2 = m_forestPairs[1].m_pRows.get();
        m_pColForest2 = m_forestPairs[1].m_pColumns.get();
    }
}

bool CArxDoc::buildMainPair(DataMatrix& data)
{
    CForestPair pair;
    if (!makeForestPair(data, pair.m_pRows, pair.m_pColumns))
        return false;
    pair.m_pData = &data;
    m_forestPairs.clear();
    m_forestPairs.push_back(std::move(pair));
    pointForests();
    return true;
}

void CArxDoc::close()
{
    clearResults();
    m_strDataName.clear();
    m_strDataPath.clear();
}

void CArxDoc::forestsReplaced()
{
    static std::atomic<unsigned long long> next{0};
    m_nResultsRevision = ++next;
}

void CArxDoc::resultsChanged(CDocObserver* sender)
{
    for (CForestPair& pair : m_forestPairs)
        for (CForest* f : {pair.m_pRows.get(), pair.m_pColumns.get()})
            if (f && f->m_bKMeans)
                refreshKMeansOrder(*f);
    relabelFromAnnotation();  // new forests start from the data's labels
    m_flips.clear();          // the flipped forests are gone
    refreshColumnStrip();
    updateAllViews(sender, kHintResultsChanged);
}

// ---------------------------------------------------------------- reading

bool CArxDoc::readDataFile(const std::string& path, bool log, int direction, int method, float lo, float hi,
                           bool sequence)
{
    clearResults();
    m_bLogTransformed = log;
    m_nNormDirection = sequence ? -1 : direction;
    m_nNormMethod = sequence || direction < 0 ? -1 : method;
    m_fScaleLo = lo;
    m_fScaleHi = hi;
    m_bSequence = sequence;
    DataMatrix* data = loadCurrentMatrix(path, sequence, m_pAppData->m_pData, m_pAppData->m_pFilteredData);
    if (!data || data->m_nRows < 1 || data->m_nColumns < 1) {
        close();
        return false;
    }
    TransformChoice choice;
    choice.log = log && !sequence;
    choice.direction = m_nNormDirection;
    choice.method = m_nNormMethod;
    choice.lo = lo;
    choice.hi = hi;
    choice.sequence = sequence;
    if (!applyTransformations(*data, choice) || !buildMainPair(*data)) {
        close();
        return false;
    }
    m_strDataName = data->m_strName;
    m_strDataPath = path;
    m_nWeightType = data->m_nWeightType;
    m_bPValuesAvailable = data->m_nWeightType == 1;
    m_bUsePValueWeights = false;
    m_bClusterRows = m_bClusterColumns = true;
    m_bDataLoaded = true;
    return true;
}

bool CArxDoc::openDataFile(const std::string& path, bool log, int direction, int method, float lo, float hi,
                           bool sequence)
{
    updateAllViews(nullptr, kHintNewData);
    if (!readDataFile(path, log, direction, method, lo, hi, sequence))
        return false;
    m_bCompareMode = false;
    resultsChanged();
    return true;
}

bool CArxDoc::importResult(const std::string& datPath)
{
    clearResults();
    std::unique_ptr<ImportedResult> r =
        isTreeViewName(datPath) ? ::importTreeView(datPath) : ::importResult(datPath);
    if (!r) {
        close();
        return false;
    }
    const ResultHeader& h = r->header;
    m_pAppData->m_pFilteredData.reset();
    m_pAppData->m_pData = std::move(r->data);
    CForestPair pair;
    pair.m_pRows = std::move(r->rows);
    pair.m_pColumns = std::move(r->columns);
    pair.m_pData = m_pAppData->m_pData.get();
    m_forestPairs.push_back(std::move(pair));
    pointForests();

    m_bLogTransformed = h.logTransformed;
    m_run[0].m_nLinkage = h.linkage;
    m_run[0].m_nMeasure = h.measure;
    m_run[0].m_bCentered = h.centered;
    m_run[0].m_bAbsolute = h.absolute;
    m_nNormMethod = h.originalValues ? -1 : h.normMethod;
    m_nNormDirection = h.originalValues ? -1 : h.normDirection;
    m_fScaleLo = h.lo;
    m_fScaleHi = h.hi;
    m_bSequence = h.sequence;
    m_nWeightType = m_pAppData->m_pData->m_nWeightType;
    m_bPValuesAvailable = m_nWeightType == 1;
    m_bUsePValueWeights = h.pValueWeights && m_bPValuesAvailable;
    m_bClusterRows = r->rowsClustered;
    m_bClusterColumns = r->columnsClustered;
    m_bRowView = r->rowsClustered || !r->columnsClustered;
    m_strDataName = m_pAppData->m_pData->m_strName;
    m_strDataPath = datPath;
    m_bDataLoaded = true;
    return true;
}

bool CArxDoc::openClusteringResult(const std::string& datPath)
{
    clearResults();
    m_pAppData->prepareFreshRead();
    updateAllViews(nullptr, kHintNewData);
    if (!importResult(datPath))
        return false;
    m_bCompareMode = false;
    resultsChanged();
    return true;
}

bool CArxDoc::isClusteringResultName(const std::string& path)
{
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find(".dat") != std::string::npos || isTreeViewName(path);
}

// ---------------------------------------------------------------- guards

std::string CArxDoc::hierarchicalClusteringGuard() const { return m_bDataLoaded ? std::string() : kLoadFirst; }
std::string CArxDoc::kMeansGuard() const { return m_bDataLoaded ? std::string() : kPleaseLoad; }
std::string CArxDoc::compareGuard() const { return m_bDataLoaded ? std::string() : kLoadFirst; }
std::string CArxDoc::powerCalculationGuard() const { return m_bDataLoaded ? std::string() : kLoadFirst; }

// ---------------------------------------------------------------- hierarchical clustering

bool CArxDoc::hierarchicalClustering(const CClusteringParameters& params)
{
    if (std::string guard = hierarchicalClusteringGuard(); !guard.empty()) {
        showMessage(guard);
        return false;
    }
    if (std::string refusal = checkClusteringParameters(params); !refusal.empty()) {
        showMessage(refusal);
        return false;
    }
    DataMatrix* data = mainPair() ? mainPair()->m_pData : nullptr;
    if (!data)
        return false;

    // 1.-2. Earlier partitions and comparisons go; the selection is cleared.
    m_bCompareMode = false;
    dropExtraResults();
    clearSelection();

    // 3. The settings of this run.
    ClusteringOptions options = params.m_options;
    options.pValueWeights = options.pValueWeights && m_bPValuesAvailable;
    m_run[0] = CRunSettings{options.linkage, options.measure, options.centered, options.absolute, options.arrangement};
    m_run[1] = CRunSettings{};
    m_bUsePValueWeights = options.pValueWeights;
    m_bClusterColumns = options.clusterColumns;
    m_bClusterRows = options.clusterRows;

    // 4. By the partitioning.
    if (params.m_nPartitioning == kPartitionNone) {
        // A fresh pair, so the run starts from the data as read; it replaces
        // the main pair only when the run succeeds.
        CForestPair fresh;
        if (!makeForestPair(*data, fresh.m_pRows, fresh.m_pColumns))
            return false;
        fresh.m_pData = data;
        enableColumnsByName(*fresh.m_pColumns, checkedNames(params.m_columns));
        if (options.clusterRows && !params.m_strRowMatrix.empty() &&
            !loadPrecomputedMatrix(*fresh.m_pRows, params.m_strRowMatrix))
            return false;
        if (options.clusterColumns && !params.m_strColumnMatrix.empty() &&
            !loadPrecomputedMatrix(*fresh.m_pColumns, params.m_strColumnMatrix))
            return false;
        if (!clusterPartition(*fresh.m_pRows, *fresh.m_pColumns, options))
            return false;
        m_forestPairs[0] = std::move(fresh);
        pointForests();
        if (options.clusterRows)
            m_bRowView = true;
        else if (options.clusterColumns)
            m_bRowView = false;
    } else if (!runPartitioned(params, options)) {
        return false;
    }

    // 5.
    m_bModified = true;
    resultsChanged();
    return true;
}

bool CArxDoc::runPartitioned(const CClusteringParameters& params, const ClusteringOptions& options)
{
    DataMatrix& data = *m_forestPairs[0].m_pData;
    PartitionTransform transform;
    transform.direction = m_nNormDirection;
    transform.method = m_nNormMethod;
    transform.lo = m_fScaleLo;
    transform.hi = m_fScaleHi;
    std::vector<CPartition> parts;
    bool made = false;
    std::vector<std::string> columns = checkedNames(params.m_columns);
    if (params.m_nPartitioning == kPartitionByRow) {
        m_bRowView = false;
        const std::vector<std::string> variables = checkedNames(params.m_second);
        made = !variables.empty() && partitionByRow(data, variables.front(), transform, parts);
    } else {
        m_bRowView = true;
        made = partitionByColumn(data, columns, checkedNames(params.m_second), transform, parts);
        columns.clear();  // each partition holds only its own list's columns: all are clustered
    }
    if (!made)
        return false;
    for (CPartition& part : parts) {
        enableColumnsByName(*part.m_pColumns, columns);
        CForestPair pair;
        pair.m_pRows = std::move(part.m_pRows);
        pair.m_pColumns = std::move(part.m_pColumns);
        pair.m_pData = part.m_pData.get();
        pair.m_strName = part.m_strName;
        m_partitions.push_back(std::move(part.m_pData));
        m_forestPairs.push_back(std::move(pair));
        CForestPair& added = m_forestPairs.back();
        if (!clusterPartition(*added.m_pRows, *added.m_pColumns, options))
            return false;  // the runs made so far stay
    }
    pointForests();
    return true;
}

// ---------------------------------------------------------------- k-means

CKMeansTreeChoice CArxDoc::kMeansTreeChoice(bool rows) const
{
    CKMeansTreeChoice choice;
    const CForest* forest = rows ? m_pRowForest : m_pColForest;
    if (!m_bDataLoaded)
        choice.m_strMessage = kPleaseLoad;
    else if (!forest || !forest->hasTree())
        choice.m_strMessage = "Please do the hierarchical clustering first!";
    else {
        choice.m_nK = static_cast<int>(forest->m_clusters.size());
        choice.m_strLabel = kMeansTreeLabel(choice.m_nK);
    }
    return choice;
}

bool CArxDoc::kMeansClustering(const CKMeansParameters& params)
{
    if (std::string guard = kMeansGuard(); !guard.empty() || !m_pRowForest || !m_pColForest) {
        showMessage(kPleaseLoad);
        return false;
    }
    // The dialog's K follows the cut when the tree is used.
    CKMeansParameters checked = params;
    for (bool rows : {true, false}) {
        CKMeansDirection& d = rows ? checked.m_rows : checked.m_columns;
        if (!d.m_bRun || !d.m_bUseTree)
            continue;
        const CKMeansTreeChoice choice = kMeansTreeChoice(rows);
        if (!choice.m_strMessage.empty()) {
            showMessage(choice.m_strMessage);
            return false;
        }
        d.m_nK = choice.m_nK;
    }
    if (std::string refusal = checkKMeansParameters(checked, m_pRowForest->m_nLeaves, m_pColForest->m_nLeaves);
        !refusal.empty()) {
        showMessage(refusal);
        return false;
    }
    std::optional<unsigned> seed;
    if (checked.m_bSeeded)
        seed = checked.m_nSeed;
    for (bool rows : {true, false}) {
        const CKMeansDirection& d = rows ? checked.m_rows : checked.m_columns;
        if (!d.m_bRun)
            continue;
        CForest& forest = rows ? *m_pRowForest : *m_pColForest;
        forest.m_bKMeans = false;
        const KMeansOutcome outcome = runKMeans(forest, d.m_nK, d.m_bUseTree, kKMeansIterationLimit, seed);
        if (outcome == KMeansOutcome::Refused)
            return false;
        if (outcome == KMeansOutcome::LimitReached)
            showMessage(rows ? "Row K-Means didn't converge: Maximum iteration limit (2000) reached!"
                             : "Column K-Means didn't converge: Maximum iteration limit (2000) reached!");
        forest.m_bKMeans = true;
        refreshKMeansOrder(forest);
        m_bModified = true;
    }
    return true;
}

std::string CArxDoc::kMeansExportGuard() const
{
    if (!m_bDataLoaded || !m_pRowForest || !m_pColForest)
        return kPleaseLoad;
    if (!m_pRowForest->m_bKMeans && !m_pColForest->m_bKMeans)
        return "Do K-means Clustering first!";
    return {};
}

bool CArxDoc::exportKMeans(const std::string& path, bool originalValues)
{
    if (std::string guard = kMeansExportGuard(); !guard.empty()) {
        showMessage(guard);
        return false;
    }
    return ::exportKMeans(*m_pRowForest, *m_pColForest, *m_forestPairs[0].m_pData, path, originalValues);
}

// ---------------------------------------------------------------- comparison

bool CArxDoc::compareClustering(const CCompareParameters& params)
{
    if (std::string guard = compareGuard(); !guard.empty()) {
        showMessage(guard);
        return false;
    }
    if (m_forestPairs.empty())
        return false;
    m_bCompareMode = true;
    dropExtraResults();
    clearSelection();

    // A second pair: a copy of the main pair (its leaves, order and trees).
    CForestPair second;
    DataMatrix& data = *m_forestPairs[0].m_pData;
    if (!makeForestPair(data, second.m_pRows, second.m_pColumns) || !second.m_pRows->copyLeaves(*m_pRowForest) ||
        !second.m_pColumns->copyLeaves(*m_pColForest)) {
        m_bCompareMode = false;
        return false;
    }
    second.m_pRows->m_pPartner = second.m_pColumns.get();
    second.m_pColumns->m_pPartner = second.m_pRows.get();
    second.m_pData = &data;
    second.m_strName = "Comparison";
    m_forestPairs.push_back(std::move(second));
    pointForests();

    m_bCompareRows = params.m_bRows;
    auto optionsOf = [&](const CCompareMethod& m) {
        ClusteringOptions o;
        o.linkage = m.m_nLinkage;
        o.measure = m.m_nMeasure;
        o.centered = m.m_bCentered;
        o.absolute = m.m_bAbsolute;
        o.pValueWeights = m.m_bPValueWeights && m_bPValuesAvailable;
        o.arrangement = kKeepRightChildSmall;
        o.clusterRows = params.m_bRows;
        o.clusterColumns = !params.m_bRows;
        return o;
    };
    const ClusteringOptions first = optionsOf(params.m_method1), other = optionsOf(params.m_method2);
    m_run[0] = CRunSettings{first.linkage, first.measure, first.centered, first.absolute, first.arrangement};
    m_run[1] = CRunSettings{other.linkage, other.measure, other.centered, other.absolute, other.arrangement};
    if (!clusterPartition(*m_pRowForest, *m_pColForest, first))
        return false;
    if (!clusterPartition(*m_pRowForest2, *m_pColForest2, other))
        return false;
    m_bModified = true;
    resultsChanged();
    return true;
}

// ---------------------------------------------------------------- tools

bool CArxDoc::switchViews(CDocObserver* sender)
{
    if (!canSwitchViews())
        return false;
    m_bRowView = !m_bRowView;
    if (CForest* shown = m_bRowView ? m_pRowForest : m_pColForest)
        shown->cut(kSwitchMinSimilarity);
    updateAllViews(sender, kHintDirectionSwitched);
    return true;
}

int CArxDoc::rowOfItem(int item) const
{
    if (!m_pRowForest)
        return -1;
    // The forest keeps the item -> leaf map; views ask for every point they draw.
    const int k = m_pRowForest->localOf(item);
    if (k >= 0 && k < m_pRowForest->m_nLeaves && m_pRowForest->m_pOrgNodes[static_cast<size_t>(k)]->m_nIndex == item)
        return k;
    return -1;
}

int CArxDoc::itemOfRow(int row) const
{
    if (!m_pRowForest || row < 0 || row >= m_pRowForest->m_nLeaves)
        return -1;
    return m_pRowForest->m_pOrgNodes[static_cast<size_t>(row)]->m_nIndex;
}

int CArxDoc::importItemsList(const std::string& path, int operation, CDocObserver* sender)
{
    std::vector<std::string> list;
    if (!readItemListOrTell(path, list))
        return -1;
    const DataMatrix* data = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    if (!m_bDataLoaded || !data || !m_pRowForest)
        return 0;
    std::unordered_map<std::string, int> rowOfId;
    for (int r = data->m_nRows - 1; r >= 0; --r)
        rowOfId[data->itemId(r)] = r;  // the first item of an identifier wins
    std::vector<int> imported;
    for (const std::string& id : list) {
        auto it = rowOfId.find(id);
        if (it != rowOfId.end())
            imported.push_back(itemOfRow(it->second));
    }
    std::sort(imported.begin(), imported.end());
    imported.erase(std::unique(imported.begin(), imported.end()), imported.end());
    setItemSelection(applySetOperation(m_selectedItems, imported, operation), sender);
    return static_cast<int>(imported.size());
}

std::vector<std::string> CArxDoc::selectedItemIds() const
{
    std::vector<std::string> ids;
    const DataMatrix* data = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    if (!data || !m_pRowForest)
        return ids;
    std::unordered_map<int, int> rowOf;  // item -> row
    for (int k = 0; k < m_pRowForest->m_nLeaves; ++k)
        rowOf.emplace(m_pRowForest->m_pOrgNodes[static_cast<size_t>(k)]->m_nIndex, k);
    for (int item : m_selectedItems)
        if (auto it = rowOf.find(item); it != rowOf.end() && it->second < data->m_nRows)
            ids.push_back(data->itemId(it->second));
    return ids;
}

int CArxDoc::countSelectionInLists(const std::string& folder) const
{
    if (!m_bDataLoaded) {
        showMessage(kLoadFirst);
        return -1;
    }
    return ::countListsInSelection(folder, selectedItemIds());
}

int CArxDoc::summariseItemLists(const std::string& folder) const
{
    const DataMatrix* data = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    if (!m_bDataLoaded || !data) {
        showMessage(kLoadFirst);
        return -1;
    }
    ItemNames items;
    for (int r = 0; r < data->m_nRows; ++r) {
        items.ids.push_back(data->itemId(r));
        items.names.push_back(data->itemName(r));
    }
    return ::summariseLists(folder, items);
}

void CArxDoc::selectTop10Percent(CDocObserver* sender)
{
    if (!m_bDataLoaded || !m_pRowForest)
        return;
    const CForest& f = *m_pRowForest;
    std::vector<std::pair<double, int>> ranked;  // (mean, position)
    for (int p = 0; p < f.m_nLeaves; ++p) {
        const CNode* leaf = f.leaf(p);
        ranked.emplace_back(leaf->m_pStat ? leaf->m_pStat->mean : 0.0, p);
    }
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    const size_t take = static_cast<size_t>(static_cast<double>(ranked.size()) * 0.1 + 0.5);
    std::vector<int> items;
    for (size_t i = 0; i < take && i < ranked.size(); ++i)
        items.push_back(f.dataIndex(ranked[i].second));
    setItemSelection(std::move(items), sender);
}

// ---------------------------------------------------------------- files

std::string CArxDoc::filesToSaveText(const std::string& name, bool geneArrayWording) const
{
    const bool rows = m_pRowForest && m_pRowForest->hasTree();
    const bool columns = m_pColForest && m_pColForest->hasTree();
    const DataMatrix* data = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    return ::filesToSaveText(name, rows, columns, data && data->m_nWeightType > 0, geneArrayWording);
}

std::string CArxDoc::filesToSaveText(ResultFormat format, const std::string& name) const
{
    if (format == ResultFormat::Arbolix)
        return filesToSaveText(name);
    const DataMatrix* data = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    return ::filesToSaveText(format, name, m_pRowForest && m_pRowForest->hasTree(),
                             m_pColForest && m_pColForest->hasTree(), data && data->m_nWeightType > 0);
}

bool CArxDoc::exportResult(const std::string& folder, const std::string& fileName, bool originalValues,
                           ResultFormat format)
{
    if (!canExportResult() || m_forestPairs.empty())
        return false;
    ExportSource source;
    source.rows = m_pRowForest;
    source.columns = m_pColForest;
    source.data = m_forestPairs[0].m_pData;
    source.rowsClustered = m_pRowForest->hasTree();
    source.columnsClustered = m_pColForest->hasTree();
    ResultHeader& h = source.header;
    h.title = m_strDataName;
    h.logTransformed = m_bLogTransformed;
    h.linkage = m_run[0].m_nLinkage;
    h.measure = m_run[0].m_nMeasure;
    h.centered = m_run[0].m_bCentered;
    h.absolute = m_run[0].m_bAbsolute;
    h.pValueWeights = m_bUsePValueWeights;
    h.originalValues = originalValues;
    h.normMethod = m_nNormMethod;
    h.normDirection = m_nNormDirection;
    h.lo = m_fScaleLo;
    h.hi = m_fScaleHi;
    h.weightType = source.data->m_nWeightType > 0 ? source.data->m_nWeightType : 0;
    h.sequence = m_bSequence;
    const bool exported = ::exportResult(format, source, (std::filesystem::path(folder) / fileName).string());
    m_bModified = m_bModified && !exported;
    return exported;
}

bool CArxDoc::saveModified(const std::function<bool()>& exportResult)
{
    if (!m_bModified)
        return true;
    switch (messages().question(strFormat("Save changes to %s?", m_strDataName.c_str()))) {
    case Answer::Yes:
        return exportResult() && !m_bModified;
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void CArxDoc::moveDataTo(CArxData& target)
{
    if (&target == m_pAppData)
        return;
    target.m_pData = std::move(m_pAppData->m_pData);
    target.m_pFilteredData = std::move(m_pAppData->m_pFilteredData);
    m_pAppData = &target;
    m_ownData.reset();
}

bool CArxDoc::saveSelectedItems(const std::string& path)
{
    if (m_forestPairs.empty() || !m_pRowForest)
        return false;
    std::vector<int> rows;
    for (int item : m_selectedItems)
        if (int r = rowOfItem(item); r >= 0)
            rows.push_back(r);
    return saveNodes(*m_forestPairs[0].m_pData, rows, path);
}

bool CArxDoc::saveSelectedCluster(const std::string& path)
{
    if (m_forestPairs.empty() || !m_pRowForest)
        return false;
    std::vector<int> rows;
    auto [first, last] = m_pRowForest->selectedClusterRange();
    for (int p = first; p <= last && p >= 0; ++p)
        if (int r = rowOfItem(m_pRowForest->dataIndex(p)); r >= 0)
            rows.push_back(r);
    return saveNodes(*m_forestPairs[0].m_pData, rows, path);
}

// ---------------------------------------------------------------- evaluation

std::optional<ClusterEvaluation> CArxDoc::evaluateHierarchical(bool rows, float minSimilarity)
{
    CForest* forest = rows ? m_pRowForest : m_pColForest;
    if (!m_bDataLoaded || !forest || !forest->hasTree()) {
        showMessage("Do Hierarchical Clustering first!");
        return std::nullopt;
    }
    forest->cut(minSimilarity);
    ClusterEvaluation e = ::evaluateHierarchical(*forest, m_run[0].m_bCentered, m_run[0].m_bAbsolute);
    if (!m_strEvaluationLogPath.empty())
        appendEvaluationLog(m_strEvaluationLogPath, evaluationLogLine(e, minSimilarity));
    return e;
}

std::optional<ClusterEvaluation> CArxDoc::evaluateKMeans(bool rows)
{
    CForest* forest = rows ? m_pRowForest : m_pColForest;
    if (!m_bDataLoaded || !forest || !forest->m_bKMeans) {
        showMessage("Do K-means Clustering first!");
        return std::nullopt;
    }
    ClusterEvaluation e = ::evaluateKMeans(*forest, m_run[0].m_bCentered, m_run[0].m_bAbsolute);
    // The log line of a k-means result: no cut, so no minimum similarity.
    if (!m_strEvaluationLogPath.empty())
        appendEvaluationLog(m_strEvaluationLogPath, strFormat("%d\tN/A\t", e.clusters) + evaluationText(e.within) +
                                                        "\t" + evaluationText(e.between) + "\n");
    return e;
}

std::string CArxDoc::batchRun(const std::string& folder, int steps)
{
    const bool rows = overviewShowsRows();
    const CForest* forest = rows ? m_pRowForest : m_pColForest;
    if (!m_bDataLoaded || !forest || !forest->hasTree() || steps < 1)
        return {};
    const std::string path = (std::filesystem::path(folder) / batchFileName(m_strDataName, rows)).string();
    std::error_code ec;
    if (std::filesystem::exists(path, ec) &&
        messages().question(path + " already exists. Do you want to overwrite it?") != Answer::Yes)
        return {};
    const std::string text = batchTable(batchSteps(*forest, steps));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        showMessage("Error in opening the file");
        return {};
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !ok) {
        showMessage("Error in writing the file " + path);
        return {};
    }
    return path;
}

// ---------------------------------------------------------------- annotation

bool CArxDoc::attachAnnotation(const std::string& path, CDocObserver* sender)
{
    const DataMatrix* matrix = m_forestPairs.empty() ? nullptr : m_forestPairs[0].m_pData;
    if (!m_bDataLoaded || !matrix)
        return false;
    auto loaded = std::make_unique<Annotation>();
    if (!loadAnnotation(path, *matrix, *loaded))
        return false;
    m_pAnnotation = std::move(loaded);
    relabelFromAnnotation();
    updateAllViews(sender, kHintAnnotation);
    return true;
}

void CArxDoc::relabelFromAnnotation()
{
    if (!m_pAnnotation)
        return;
    for (CForestPair& pair : m_forestPairs)
        if (pair.m_pRows)
            relabelLeaves(*pair.m_pRows, *m_pAnnotation);
}

std::string CArxDoc::annotationCell(int item, const std::string& part) const
{
    if (!m_pAnnotation)
        return {};
    const int row = itemOfRow(item) == item ? item : rowOfItem(item);
    const int column = m_pAnnotation->findColumn(part);
    return std::string(m_pAnnotation->cell(m_pAnnotation->lineOfRow(row), column));
}

// ---------------------------------------------------------------- selection

void CArxDoc::setItemSelection(std::vector<int> items, CDocObserver* sender)
{
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    m_selectedItems = std::move(items);
    updateAllViews(sender, kHintItemSelection);
}

void CArxDoc::setVariableSelection(std::vector<int> columns, CDocObserver* sender)
{
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    m_selectedVariables = std::move(columns);
    updateAllViews(sender, kHintVariableSelection);
}

void CArxDoc::clearSelection()
{
    m_selectedItems.clear();
    m_selectedVariables.clear();
}

void CArxDoc::setCurrentItem(int row, CDocObserver* sender)
{
    if (row == m_nCurrentItem)
        return;
    m_nCurrentItem = row;
    updateAllViews(sender, kHintCurrentItem);
}

void CArxDoc::setCurrentVariable(int column, CDocObserver* sender)
{
    if (column == m_nCurrentVariable)
        return;
    m_nCurrentVariable = column;
    updateAllViews(sender, kHintCurrentVariable);
}

void CArxDoc::setSelectionColor(Rgb colour, CDocObserver* sender)
{
    m_clrSelection = colour;
    updateAllViews(sender, kHintSelectionColor);
}
