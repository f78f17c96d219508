#include "cluster/ClusterPartition.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "data/DataMatrix.h"

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool hasDisabledLeaf(const CForest& f)
{
    for (int p = 0; p < f.m_nLeaves; ++p)
        if (!f.leaf(p)->m_bEnabled)
            return true;
    return false;
}

void prepareRun(CForest& target, const CForest& partner, const ClusteringOptions& o, std::vector<float>& weights)
{
    weights = columnWeightVector(partner);
    auto [manhattan, euclidean] = computeNormalisers(partner);
    target.setNormalisers(manhattan, euclidean);
    target.selectMeasure(o.measure);
    target.m_columnWeights = weights;
}

bool transformPartition(DataMatrix& data, const PartitionTransform& t)
{
    data.computeStatistics(false, true);
    if (t.direction != -1 && !data.normalize(false, t.direction, t.method, t.lo, t.hi))
        return false;
    data.computeStatistics(false, false);
    return true;
}

} // namespace

std::vector<float> columnWeightVector(const CForest& partner)
{
    std::vector<float> weights(static_cast<size_t>(partner.m_nLeaves));
    for (int p = 0; p < partner.m_nLeaves; ++p) {
        const CNode* leaf = partner.leaf(p);
        weights[static_cast<size_t>(p)] = leaf->m_bEnabled ? leaf->m_fWeight : -1.0f;
    }
    return weights;
}

bool clusterPartition(CForest& rows, CForest& columns, const ClusteringOptions& o)
{
    rows.m_bPValueWeights = columns.m_bPValueWeights = o.pValueWeights;
    rows.m_bClustered = columns.m_bClustered = false;

    std::vector<float> weights;
    prepareRun(rows, columns, o, weights);
    if (o.clusterRows && rows.m_nLeaves >= 3) {
        if (!buildDendrogram(rows, o.linkage, o.arrangement, o.centered, o.absolute, weights))
            return false;
        if (!columns.permuteProfiles(rows.applyOrder()))
            return false;
    }

    prepareRun(columns, rows, o, weights);
    if (o.clusterColumns && columns.m_nLeaves >= 3) {
        if (!buildDendrogram(columns, o.linkage, o.arrangement, o.centered, o.absolute, weights))
            return false;
        const std::vector<int> from = hasDisabledLeaf(columns) ? columns.orderEnabledFirst() : columns.applyOrder();
        return rows.permuteProfiles(from);
    }
    if (columns.m_nLeaves >= 2 && hasDisabledLeaf(columns))
        return rows.permuteProfiles(columns.orderEnabledFirst());
    return true;
}

int enableColumnsByName(CForest& columns, const std::vector<std::string>& names)
{
    std::unordered_set<std::string> wanted;
    for (const std::string& n : names)
        wanted.insert(upper(n));
    int enabled = 0;
    for (int p = 0; p < columns.m_nLeaves; ++p) {
        CNode* leaf = columns.leaf(p);
        leaf->m_bEnabled = wanted.empty() || wanted.count(upper(leaf->m_strName)) ? 1 : 0;
        enabled += leaf->m_bEnabled;
    }
    return enabled;
}

bool makeForestPair(DataMatrix& data, std::unique_ptr<CForest>& rows, std::unique_ptr<CForest>& columns)
{
    const int r = data.m_nRows, c = data.m_nColumns;
    if (r < 1 || c < 1)
        return false;
    rows = std::make_unique<CForest>(2 * r - 1, c, r, true);
    if (!rows->ok() || !rows->initialiseLeaves(data))
        return false;
    columns = std::make_unique<CForest>(2 * c - 1, r, c, false);
    if (!columns->ok() || !columns->initialiseLeaves(data))
        return false;
    rows->m_pPartner = columns.get();
    columns->m_pPartner = rows.get();
    return true;
}

bool partitionByRow(const DataMatrix& data, const std::string& fieldName, const PartitionTransform& transform,
                    std::vector<CPartition>& out)
{
    std::vector<std::unique_ptr<DataMatrix>> parts;
    if (!data.splitByCategory(fieldName, parts))
        return false;
    for (auto& part : parts) {
        CPartition p;
        p.m_strName = part->m_strSubset;
        p.m_pData = std::move(part);
        if (p.m_pData->m_nRows < 1)
            continue;  // a category without rows has nothing to show
        if (!transformPartition(*p.m_pData, transform) || !makeForestPair(*p.m_pData, p.m_pRows, p.m_pColumns))
            return false;
        std::vector<int> rowsInFull(p.m_pData->m_arrRowIndex.begin(), p.m_pData->m_arrRowIndex.end());
        if (rowsInFull.size() == static_cast<size_t>(p.m_pData->m_nRows))
            p.m_pRows->setLeafDataIndices(rowsInFull);
        out.push_back(std::move(p));
    }
    return true;
}

bool partitionByColumn(const DataMatrix& data, const std::vector<std::string>& first,
                       const std::vector<std::string>& second, const PartitionTransform& transform,
                       std::vector<CPartition>& out)
{
    std::vector<std::unique_ptr<DataMatrix>> parts;
    if (!data.splitColumns(first, second, parts))
        return false;
    for (auto& part : parts) {
        CPartition p;
        p.m_strName = part->m_strSubset;
        p.m_pData = std::move(part);
        if (p.m_pData->m_nColumns < 1)
            return false;
        if (!transformPartition(*p.m_pData, transform) || !makeForestPair(*p.m_pData, p.m_pRows, p.m_pColumns))
            return false;
        // Column leaves keep their number in the full matrix.
        std::vector<int> columnsInFull;
        for (int k = 0; k < p.m_pData->m_nColumns; ++k) {
            const int field = data.fieldIndex(p.m_pData->columnField(k)->m_strName);
            auto at = std::find(data.m_arrColumnFields.begin(), data.m_arrColumnFields.end(),
                                static_cast<unsigned>(field));
            columnsInFull.push_back(at == data.m_arrColumnFields.end()
                                        ? k
                                        : static_cast<int>(at - data.m_arrColumnFields.begin()));
        }
        p.m_pColumns->setLeafDataIndices(columnsInFull);
        out.push_back(std::move(p));
    }
    return true;
}
