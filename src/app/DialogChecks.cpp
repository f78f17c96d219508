#include "app/DialogChecks.h"

#include "cluster/Forest.h"
#include "platform/Format.h"

namespace {

const char* const kOneSample = "Please select at least one sample to cluster";
const char* const kOneSampleEachList = "Please select at least one sample to cluster on each list";
const char* const kPartitionVariable = "Please select one variable to partion by on the list on the right";
const char* const kPearsonFew =
    "Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
    "Please select more than 2, or choose another distance measure.";
const char* const kPearsonFewEachList =
    "Pearson's correlation is not a good choice for clustering with 1 or 2 samples.\n"
    "Please select more than 2 on each list, or choose another distance measure.";

int checkedCount(const std::vector<CColumnChoice>& list)
{
    int n = 0;
    for (const CColumnChoice& c : list)
        n += c.m_bChecked ? 1 : 0;
    return n;
}

bool tooFewForPearson(int checked, int measure) { return measure == kMeasurePearson && checked >= 1 && checked <= 2; }

std::string checkKMeansDirection(const CKMeansDirection& d, int leaves, const char* what)
{
    if (!d.m_bRun)
        return {};
    if (d.m_nK < 2)
        return "Please specify more than one cluster to generate";
    if (!d.m_bUseTree && d.m_nK > leaves)
        return strFormat("K = %d is more than the number of %s (%d).\nPlease specify at most %d clusters.", d.m_nK, what,
                         leaves, leaves);
    return {};
}

} // namespace

std::string checkClusteringParameters(const CClusteringParameters& p)
{
    const int measure = p.m_options.measure;
    const int first = checkedCount(p.m_columns);
    switch (p.m_nPartitioning) {
    case kPartitionByRow:
        if (first == 0)
            return kOneSampleEachList;
        if (checkedCount(p.m_second) == 0)
            return kPartitionVariable;
        if (tooFewForPearson(first, measure))
            return kPearsonFewEachList;
        return {};
    case kPartitionByColumn: {
        const int second = checkedCount(p.m_second);
        if (first == 0 || second == 0)
            return kOneSampleEachList;
        if (tooFewForPearson(first, measure) || tooFewForPearson(second, measure))
            return kPearsonFewEachList;
        return {};
    }
    default:
        if (first == 0 && (p.m_options.clusterRows || p.m_options.clusterColumns))
            return kOneSample;
        if (tooFewForPearson(first, measure))
            return kPearsonFew;
        return {};
    }
}

std::string checkKMeansParameters(const CKMeansParameters& params, int rowLeaves, int columnLeaves)
{
    std::string m = checkKMeansDirection(params.m_rows, rowLeaves, "rows");
    return m.empty() ? checkKMeansDirection(params.m_columns, columnLeaves, "columns") : m;
}

std::string kMeansRandomLabel() { return "How many clusters do you like to have?"; }

std::string kMeansTreeLabel(int clusters)
{
    return strFormat("Current number of clusters in Hierarchical clustering is %d.", clusters);
}

std::string checkPickDendrograms(const CForest* first, const CForest* second)
{
    if (!first)
        return "The first dendrogram is not valid.";
    if (!second)
        return "The second dendrogram is not valid.";
    if (first->m_clusters.size() < 2)
        return "Drag minium similarity bar to generate at least TWO clusters on the FIRST dendrogram.";
    if (second->m_clusters.size() < 2)
        return "Drag minium similarity bar to generate at least TWO clusters on the SECOND dendrogram.";
    return {};
}

std::string dendrogramInfoText(int which, const std::string& title, int number, int clusters)
{
    return strFormat("Dendro%d:%s\r\n%d\r\n# of Clusters=%d", which == 2 ? 2 : 1, title.c_str(), number, clusters);
}
