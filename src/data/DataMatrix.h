#pragma once
// The in-memory table every subsystem reads: items (rows) by value columns,
// with original values, current (transformed) values and a weight per cell in
// flat row-major float pools, per-row statistics, and one FieldInfo per field
// of the source file.
//
// A value field's arrays are views into the pools (column k of each pool), so
// writing a cell through either side changes both.
#include <cstdlib>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/FieldInfo.h"
#include "data/StatRecord.h"

class TableFile;

class DataMatrix {
public:
    DataMatrix();
    virtual ~DataMatrix();
    DataMatrix(const DataMatrix&) = delete;
    DataMatrix& operator=(const DataMatrix&) = delete;

    // ---- loading (each releases the previous contents first; a failed or
    // cancelled load leaves the matrix empty) ----
    bool loadDataFile(const std::string& path);
    bool loadSequenceFile(const std::string& path);
    // The table block of a clustering result file already read into `table`;
    // per-cell weights come from the ".wts" file beside `path` when present
    // and weightsFile is set.
    bool loadClusterTable(TableFile& table, const std::string& path, bool weightsFile = true);

    // Releases the pools and every field; counts and maps stay.
    void freePools();
    // Releases everything: pools, fields, maps, names and counts.
    void clear();

    // ---- access ----
    int rowCount() const { return m_nRows; }
    bool isEmpty() const { return m_fields.empty(); }
    FieldInfo* field(int i) { return m_fields[static_cast<size_t>(i)].get(); }
    const FieldInfo* field(int i) const { return m_fields[static_cast<size_t>(i)].get(); }
    // Field index of an upper-case name, -1 when not found.
    int fieldIndex(const std::string& name) const;
    FieldInfo* fieldByName(const std::string& name);
    // Field of value column k.
    FieldInfo* columnField(int k) { return field(static_cast<int>(m_arrColumnFields[static_cast<size_t>(k)])); }
    const FieldInfo* columnField(int k) const { return field(static_cast<int>(m_arrColumnFields[static_cast<size_t>(k)])); }
    float* rowValues(int r) { return m_pRowExpLevelPool.get() + static_cast<size_t>(r) * m_nColumns; }
    const float* rowValues(int r) const { return m_pRowExpLevelPool.get() + static_cast<size_t>(r) * m_nColumns; }
    float* rowOrgValues(int r) { return m_pOrgExpLevelPool.get() + static_cast<size_t>(r) * m_nColumns; }
    const float* rowOrgValues(int r) const { return m_pOrgExpLevelPool.get() + static_cast<size_t>(r) * m_nColumns; }
    float* rowWeights(int r) { return m_pRowWeightPool.get() + static_cast<size_t>(r) * m_nColumns; }
    const float* rowWeights(int r) const { return m_pRowWeightPool.get() + static_cast<size_t>(r) * m_nColumns; }
    float value(int r, int k) const { return m_pRowExpLevelPool[static_cast<size_t>(r) * m_nColumns + k]; }
    float orgValue(int r, int k) const { return m_pOrgExpLevelPool[static_cast<size_t>(r) * m_nColumns + k]; }
    float weight(int r, int k) const { return m_pRowWeightPool[static_cast<size_t>(r) * m_nColumns + k]; }
    // Item identifier (field 0) and display name (the NAME or TITLE field).
    const std::string& itemId(int r) const;
    const std::string& itemName(int r) const;
    int categoricalFieldCount() const;

    // Writes a whole value column (byRow false: index = value column k) or a
    // whole row (byRow true: index = item r) of current or original values.
    void setValues(int index, const float* source, bool byRow, bool original);
    void setWeights(int index, const float* source, bool byRow);

    // Label of a code of a categorical field; "" when unknown. A field without
    // a code map shows "Trying to lookup at a non-categorical_str variable...".
    std::string lookupLabel(const std::string& fieldName, int code) const;

    // ---- subsets (the caller owns the new matrices) ----
    bool copyRows(const std::vector<unsigned>& rows, DataMatrix& dest) const;
    bool splitByCategory(const std::string& fieldName, std::vector<std::unique_ptr<DataMatrix>>& out) const;
    bool splitColumns(const std::vector<std::string>& first, const std::vector<std::string>& second,
                      std::vector<std::unique_ptr<DataMatrix>>& out) const;

    // ---- statistics and transformations ----
    void computeStatistics(bool expressionOnly, bool original);
    // Current values := logarithm of the original values (1 natural, 10 decimal, b base b).
    // Returns the number of cells that were not positive.
    int takeLog(int base);
    bool normalize(bool expressionOnly, int direction, int method, float lo, float hi);
    static float quartiles(const float* values, const float* weights, int n, float& q1, float& q3,
                           float& lowerWhisker, float& upperWhisker, size_t stride = 1);
    static bool meanStdev(const float* values, const float* weights, int n, double& mean, double& stdev,
                          bool sample = false, size_t stride = 1);
    static std::string normalizationName(int method, float lo, float hi);

    // ---- members ----
    bool m_bHasCID = false;
    std::vector<unsigned> m_arrRowIndex;
    std::string m_strName;
    std::string m_strSubset = "ALL";
    int m_nWeightType = 0;
    int m_nRows = 0;
    int m_nFields = 0;
    int m_nColumns = 0;
    int m_nExpColumns = 0;
    // Pools come zeroed from calloc, so pages not yet written cost no memory.
    struct PoolDeleter {
        void operator()(void* p) const { std::free(p); }
    };
    template <typename T>
    using Pool = std::unique_ptr<T[], PoolDeleter>;
    Pool<float> m_pOrgExpLevelPool;
    Pool<float> m_pRowExpLevelPool;
    Pool<float> m_pRowWeightPool;
    Pool<StatRecord> m_pStatOrgPool;
    Pool<StatRecord> m_pStatNorPool;
    float m_fOrgMax = 0.0f, m_fOrgMin = 0.0f;
    float m_fNorMax = 0.0f, m_fNorMin = 0.0f;
    std::vector<unsigned> m_arrColumnFields;
    std::vector<std::unique_ptr<FieldInfo>> m_fields;
    std::unordered_map<std::string, int> m_mapFieldIndex;

    // Data set name of a path: the file name without folder ('/' or '\') and extension.
    static std::string dataSetName(const std::string& path);
    // A path with its extension (from the last '.' of the file name) removed.
    static std::string withoutExtension(const std::string& path);

private:
    friend class MatrixLoader;
    // Allocates the pools for m_nRows x m_nColumns; false after the message.
    // Without the current-value pool the fields' current values read the
    // original pool until completeCurrentValues() makes the current pool.
    bool allocatePools(bool withCurrent = true);
    bool completeCurrentValues();
    // Points every value field at its pool column.
    void attachFields();
    void rebuildFieldIndex();
};
