#pragma once
// What the document tests share: clustering parameters that choose every
// value column, and a forest's leaves in the order shown.
#include <vector>

#include "app/CArxDoc.h"
#include "cluster/Forest.h"

// Every value column of the open document chosen, with the given measure.
inline CClusteringParameters everyColumn(const CArxDoc& doc, int measure = kMeasurePearson)
{
    CClusteringParameters p;
    p.m_options.measure = measure;
    for (int k = 0; k < doc.m_pColForest->m_nLeaves; ++k)
        p.m_columns.push_back({doc.m_pColForest->leaf(k)->m_strName, true});
    return p;
}

// The data index of each leaf position.
inline std::vector<int> leafOrder(const CForest& f)
{
    std::vector<int> out;
    for (int p = 0; p < f.m_nLeaves; ++p)
        out.push_back(f.dataIndex(p));
    return out;
}
