#pragma once
// The bundled sample, clustered by rows and columns, in a document the
// views can show; and the colour mapping started from its histogram.
#include <memory>
#include <string>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"

struct ViewFixture {
    std::unique_ptr<CArxDoc> doc = std::make_unique<CArxDoc>();
    ColorMapping mapping;
    DataMatrix* data = nullptr;

    // Loads the sample (or any data file), clusters it and fills the document.
    bool load(const std::string& path = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt",
              bool cluster = true)
    {
        CArxData& appSlots = doc->appData();
        appSlots.prepareFreshRead();
        data = appSlots.m_pData.get();
        if (!data->loadDataFile(path))
            return false;
        data->computeStatistics(false, true);
        data->computeStatistics(false, false);
        std::unique_ptr<CForest> rows, cols;
        if (!makeForestPair(*data, rows, cols))
            return false;
        if (cluster && !clusterPartition(*rows, *cols, ClusteringOptions{}))
            return false;
        CForestPair pair;
        pair.m_pRows = std::move(rows);
        pair.m_pColumns = std::move(cols);
        pair.m_pData = data;
        doc->m_forestPairs.clear();
        doc->m_forestPairs.push_back(std::move(pair));
        doc->m_pRowForest = doc->m_forestPairs[0].m_pRows.get();
        doc->m_pColForest = doc->m_forestPairs[0].m_pColumns.get();
        doc->m_bDataLoaded = true;
        doc->m_bLogTransformed = false;
        doc->m_strDataName = DataMatrix::dataSetName(path);
        mapping.m_nBarLength = 210;
        mapping.m_nMargin = 10;
        float lo = 0, hi = 0;
        const std::vector<unsigned> h = valueHistogram(*data, 100, lo, hi);
        mapping.startValues(h, lo, hi, false);
        return true;
    }
};
