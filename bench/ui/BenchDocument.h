#pragma once
// What the drawing benchmarks share: the expression file they draw (made by
// make_expression_file.py in a temporary folder, or ARBOLIX_BENCH_FILE), and
// a document over it with its forest pair.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/CArxDoc.h"
#include "cluster/ClusterPartition.h"
#include "data/DataMatrix.h"

// The file of `rows` x `columns` in temp/folder; "" when it cannot be made.
inline std::string benchExpressionFile(const char* folder, int rows, int columns)
{
    if (const char* given = std::getenv("ARBOLIX_BENCH_FILE"))
        return given;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / folder;
    std::filesystem::create_directories(dir);
    const std::string path =
        (dir / ("expression_" + std::to_string(rows) + "x" + std::to_string(columns) + ".txt")).string();
    if (!std::filesystem::exists(path)) {
        const std::string cmd = "/usr/bin/python3 " ARBOLIX_BENCH_DIR "/make_expression_file.py '" + path + "' " +
                                std::to_string(rows) + " " + std::to_string(columns) + " 1";
        if (std::system(cmd.c_str()) != 0)
            return {};
    }
    return path;
}

// Reads the file into the document's data slot with both statistics sets and
// makes its (unclustered) forest pair; nullptr on failure.
inline DataMatrix* loadBenchData(CArxDoc& doc, const std::string& path, std::unique_ptr<CForest>& rows,
                                 std::unique_ptr<CForest>& columns)
{
    CArxData& appSlots = doc.appData();
    appSlots.prepareFreshRead();
    DataMatrix* data = appSlots.m_pData.get();
    if (path.empty() || !data->loadDataFile(path))
        return nullptr;
    data->computeStatistics(false, true);
    data->computeStatistics(false, false);
    return makeForestPair(*data, rows, columns) ? data : nullptr;
}

// Makes the pair the document's main pair; data loaded.
inline void installBenchPair(CArxDoc& doc, DataMatrix* data, std::unique_ptr<CForest> rows,
                             std::unique_ptr<CForest> columns)
{
    CForestPair pair;
    pair.m_pRows = std::move(rows);
    pair.m_pColumns = std::move(columns);
    pair.m_pData = data;
    doc.m_forestPairs.push_back(std::move(pair));
    doc.m_pRowForest = doc.m_forestPairs[0].m_pRows.get();
    doc.m_pColForest = doc.m_forestPairs[0].m_pColumns.get();
    doc.m_bDataLoaded = true;
}
