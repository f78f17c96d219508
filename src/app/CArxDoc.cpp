#include "app/CArxDoc.h"

#include <algorithm>

CArxDoc::CArxDoc(CArxData* appData) : m_pAppData(appData)
{
    if (!m_pAppData) {
        m_ownData = std::make_unique<CArxData>();
        m_pAppData = m_ownData.get();
    }
}

CArxDoc::~CArxDoc() = default;

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
    const std::vector<CDocObserver*> views = m_views;  // a view may detach while notified
    for (CDocObserver* v : views)
        if (v != sender && isAttached(v))
            v->onUpdate(sender, hint);
}

std::string CArxDoc::windowCaption() const { return "Arbolix - " + m_strDataName; }
bool CArxDoc::readDataFile(const std::string&, bool, int, int, float, float, bool) { return false; }
bool CArxDoc::openDataFile(const std::string&, bool, int, int, float, float, bool) { return false; }
bool CArxDoc::importResult(const std::string&) { return false; }
bool CArxDoc::openClusteringResult(const std::string&) { return false; }
bool CArxDoc::isClusteringResultName(const std::string&) { return false; }
void CArxDoc::close() {}
void CArxDoc::resultsChanged(CDocObserver*) {}
std::string CArxDoc::hierarchicalClusteringGuard() const { return {}; }
std::string CArxDoc::kMeansGuard() const { return {}; }
std::string CArxDoc::compareGuard() const { return {}; }
std::string CArxDoc::powerCalculationGuard() const { return {}; }
bool CArxDoc::hierarchicalClustering(const CClusteringParameters&) { return false; }
bool CArxDoc::kMeansClustering(const CKMeansParameters&) { return false; }
CKMeansTreeChoice CArxDoc::kMeansTreeChoice(bool) const { return {}; }
bool CArxDoc::compareClustering(const CCompareParameters&) { return false; }
bool CArxDoc::switchViews(CDocObserver*) { return false; }
int CArxDoc::importItemsList(const std::string&, int, CDocObserver*) { return -1; }
void CArxDoc::selectTop10Percent(CDocObserver*) {}
std::string CArxDoc::filesToSaveText(const std::string&, bool) const { return {}; }
bool CArxDoc::exportResult(const std::string&, const std::string&, bool) { return false; }
bool CArxDoc::saveSelectedItems(const std::string&) { return false; }
bool CArxDoc::saveSelectedCluster(const std::string&) { return false; }
std::string CArxDoc::kMeansExportGuard() const { return {}; }
bool CArxDoc::exportKMeans(const std::string&, bool) { return false; }
std::optional<ClusterEvaluation> CArxDoc::evaluateHierarchical(bool, float) { return {}; }
std::optional<ClusterEvaluation> CArxDoc::evaluateKMeans(bool) { return {}; }
std::string CArxDoc::batchRun(const std::string&, int) { return {}; }
void CArxDoc::setItemSelection(std::vector<int>, CDocObserver*) {}
void CArxDoc::setVariableSelection(std::vector<int>, CDocObserver*) {}
void CArxDoc::clearSelection() {}
void CArxDoc::setCurrentItem(int, CDocObserver*) {}
void CArxDoc::setCurrentVariable(int, CDocObserver*) {}
void CArxDoc::setSelectionColor(Rgb, CDocObserver*) {}
