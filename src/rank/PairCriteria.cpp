#include "rank/PairCriteria.h"

#include <algorithm>
#include <cmath>

#include "cluster/Similarity.h"
#include "data/DataMatrix.h"
#include "rank/HistogramOrdering.h"
#include "rank/Numerics.h"

namespace {

const char* const kNames[kPairCriterionCount] = {
    "Correlation Coefficient", "Least Square Error - Linear", "Least Square Error - Quadratic",
    "Quadracity",              "Uniformity",                  "Number of Outliers",
    "Number of Items in ROI",  "Association",                 "Cluster Similarity",
    "No Order"};

// Criterion 5 states the threshold the count uses (one third of the LOF
// range above the minimum), not the midpoint.
const char* const kDescriptions[kPairCriterionCount] = {
    "Pearson's r\r\nLinear correlation between two vars",
    "Linear regression",
    "Curvilinear regression",
    "Quadracity:\r\nThe coefficient of x^2\r\nColor: Quadracity\n\rSize: Least Square Error",
    "How uniform is a scatterplot?\r\nEntropy",
    "How many outliers are in a scatterplot?\r\nLocal Outlier Factor(LOF)\r\nMin # of Neighbors = 6\r\n"
    "Outlier if LOF>=MinLOF+(MaxLOF-MinLOF)/3",
    "ROI : Region Of Interest\r\nHow many items are within a ROI?\r\n  1. Select a ROI type\r\n  2. Define a ROI "
    "on the scatterplot!",
    "Association between two variables\r\nColor: Contingency Coeffifient C\r\nSize: Chi-square p-value",
    "Compare two clustering results\r\nF-measure=2*P*R/(P+R)\r\nP: Precision\r\nR: Recall",
    "No Order\r\nChoose an ordering criteron"};

} // namespace

const char* pairCriterionName(int criterion)
{
    return criterion >= 0 && criterion < kPairCriterionCount ? kNames[criterion] : "";
}

const char* pairCriterionDescription(int criterion)
{
    return criterion >= 0 && criterion < kPairCriterionCount ? kDescriptions[criterion] : "";
}

PairColumns::PairColumns(int rows) : m_nRows(std::max(0, rows))
{
    for (int r = 0; r < m_nRows; ++r)
        m_itemOfRow.push_back(r);
}

void PairColumns::addColumn(const std::string& name, const std::vector<float>& values,
                            const std::vector<uint8_t>& missing, bool categorical)
{
    float lo = 0.0f, hi = 0.0f;
    bool any = false;
    for (int r = 0; r < m_nRows; ++r) {
        const float v = values[static_cast<size_t>(r)];
        const bool gap = missing[static_cast<size_t>(r)] != 0;
        m_values.push_back(v);
        m_missing.push_back(gap ? 1 : 0);
        if (!gap) {
            lo = any ? std::min(lo, v) : v;
            hi = any ? std::max(hi, v) : v;
            any = true;
        }
    }
    m_min.push_back(lo);
    m_max.push_back(hi);
    m_categorical.push_back(categorical ? 1 : 0);
    m_names.push_back(name);
    ++m_nColumns;
}

PairColumns PairColumns::from(const DataMatrix& data, bool original, std::vector<int> itemOfRow)
{
    PairColumns c;
    c.m_nRows = data.rowCount();
    c.m_itemOfRow.clear();
    c.m_nColumns = data.m_nColumns;
    const size_t rows = static_cast<size_t>(c.m_nRows), cols = static_cast<size_t>(c.m_nColumns);
    c.m_values.resize(rows * cols);
    c.m_missing.resize(rows * cols);
    const float* pool = original ? data.m_pOrgExpLevelPool.get() : data.m_pRowExpLevelPool.get();
    const float* weights = data.m_pRowWeightPool.get();
    if (pool && weights)
        for (size_t r = 0; r < rows; ++r)
            for (size_t k = 0; k < cols; ++k) {
                c.m_values[k * rows + r] = pool[r * cols + k];
                c.m_missing[k * rows + r] = weights[r * cols + k] == -1.0f ? 1 : 0;
            }
    for (int k = 0; k < c.m_nColumns; ++k) {
        const FieldInfo* f = data.columnField(k);
        const StatRecord& s = original ? f->m_statOrg : f->m_statNor;
        c.m_min.push_back(s.min);
        c.m_max.push_back(s.max);
        c.m_categorical.push_back(f->isCategorical() ? 1 : 0);
        c.m_names.push_back(f->m_strName);
    }
    if (itemOfRow.size() == rows)
        c.m_itemOfRow = std::move(itemOfRow);
    else {
        c.m_itemOfRow.resize(rows);
        for (size_t r = 0; r < rows; ++r)
            c.m_itemOfRow[r] = static_cast<int>(r);
    }
    return c;
}

int associationClasses(int n)
{
    return static_cast<int>(std::min(std::max(0.1 * n, 20.0), 30.0));
}

PairScorer::PairScorer(const PairColumns& columns, const PairSettings& settings)
    : m_columns(columns), m_settings(settings)
{
    const size_t rows = static_cast<size_t>(columns.m_nRows);
    m_xs.resize(rows);
    m_ys.resize(rows);
    m_sig.assign(rows, 1.0f);
    m_rows.reserve(rows);
}

int PairScorer::gatherValues(int x, int y)
{
    const float* vx = m_columns.values(x);
    const float* vy = m_columns.values(y);
    const uint8_t* mx = m_columns.missing(x);
    const uint8_t* my = m_columns.missing(y);
    int n = 0;
    for (int r = 0; r < m_columns.m_nRows; ++r) {
        if (m_settings.m_bIgnoreMissing && (mx[r] || my[r]))
            continue;
        m_xs[static_cast<size_t>(n)] = vx[r];
        m_ys[static_cast<size_t>(n)] = vy[r];
        ++n;
    }
    return n;
}

ScatterMapping PairScorer::mappingOf(int x, int y) const
{
    const PairColumns& c = m_columns;
    const size_t ux = static_cast<size_t>(x), uy = static_cast<size_t>(y);
    return ScatterMapping(m_settings.m_geometry, axisRange(c.m_min[ux], c.m_max[ux], c.m_min[uy], c.m_max[uy],
                                                           m_settings.m_bSameScale));
}

const std::vector<PixelPoint>& PairScorer::positions(int x, int y)
{
    const PairColumns& c = m_columns;
    mapPoints(mappingOf(x, y), c.values(x), c.missing(x), c.values(y), c.missing(y), c.m_nRows, m_points);
    return m_points;
}

bool PairScorer::fit(const float* xs, const float* ys, int n, int parameters, float* a, float& chisq)
{
    // Fewer distinct x values than parameters leave the normal equations
    // singular; in single precision the elimination may miss that and
    // return a meaningless curve, so such a fit fails here as it would there.
    int distinct = 1;
    float first = n > 0 ? xs[0] : 0.0f, second = first;
    for (int i = 1; i < n && distinct < parameters; ++i)
        if (xs[i] != first && (distinct < 2 || xs[i] != second)) {
            second = distinct == 1 ? xs[i] : second;
            ++distinct;
        }
    if (distinct < parameters) {
        m_pFailure = "gaussj: Singular Matrix-2";
        return false;
    }
    float covarBlock[9];
    float* covar[3] = {covarBlock, covarBlock + 3, covarBlock + 6};
    const int ia[3] = {1, 1, 1};
    const NrStatus status = lfit(xs, ys, m_sig.data(), n, a, ia, parameters, covar, &chisq, fpoly);
    if (!status) {
        m_pFailure = status.message;
        return false;
    }
    return true;
}

bool PairScorer::scoreFits(int criterion, int x, int y, PairScore& record)
{
    const int n = gatherValues(x, y);
    if (n == 0) {
        record.m_dScore = criterion == kPairLinearError || criterion == kPairQuadraticError ? 1.0 : 0.0;
        return false;
    }
    if (criterion == kPairCorrelation) {
        const std::vector<float> ones(static_cast<size_t>(n), 1.0f);
        DistanceParams p;
        p.n = n;
        record.m_dScore = correlation(m_xs.data(), ones.data(), m_ys.data(), ones.data(), p);
        float a[2] = {0.0f, 0.0f}, chisq = 0.0f;
        if (!fit(m_xs.data(), m_ys.data(), n, 2, a, chisq)) {
            record.m_bFailed = true;
            return false;
        }
        record.m_details.push_back(a[1]);
        record.m_details.push_back(a[0]);
        return false;
    }
    const int parameters = criterion == kPairLinearError ? 2 : 3;
    float onX[3] = {0.0f, 0.0f, 0.0f}, onY[3] = {0.0f, 0.0f, 0.0f};
    float chisqOnX = 0.0f, chisqOnY = 0.0f;
    if (!fit(m_xs.data(), m_ys.data(), n, parameters, onX, chisqOnX) ||
        !fit(m_ys.data(), m_xs.data(), n, parameters, onY, chisqOnY)) {
        record.m_bFailed = true;
        return false;
    }
    // y on x wins only when strictly better; a tie keeps x on y.
    const bool swapped = !(chisqOnX < chisqOnY);
    const float* a = swapped ? onY : onX;
    const double error = static_cast<double>(swapped ? chisqOnY : chisqOnX) / n;
    for (int i = parameters - 1; i >= 0; --i)
        record.m_details.push_back(a[i]);
    if (criterion == kPairQuadracity) {
        record.m_dScore = a[2];
        record.m_dAuxiliary = std::max(0.0, 1.0 - error);
    } else {
        record.m_dScore = error;
    }
    return swapped;
}

int PairScorer::classesOf(int k, int classes, const std::vector<int>& rows, std::vector<int>& out)
{
    const float* v = m_columns.values(k);
    const uint8_t* missing = m_columns.missing(k);
    out.resize(rows.size());
    if (m_columns.m_categorical[static_cast<size_t>(k)]) {
        // Every category is a class.
        std::vector<float> codes;
        for (int r : rows)
            if (!missing[r])
                codes.push_back(v[r]);
        std::sort(codes.begin(), codes.end());
        codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
        for (size_t i = 0; i < rows.size(); ++i) {
            const int r = rows[i];
            out[i] = missing[r] ? -1
                                : static_cast<int>(std::lower_bound(codes.begin(), codes.end(), v[r]) - codes.begin());
        }
        return static_cast<int>(codes.size());
    }
    const BucketRule rule(m_columns.m_min[static_cast<size_t>(k)], m_columns.m_max[static_cast<size_t>(k)], classes);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int r = rows[i];
        out[i] = missing[r] ? -1 : rule.bucketOf(v[r]);
    }
    return classes;
}

void PairScorer::scoreAssociation(int x, int y, PairScore& record)
{
    const uint8_t* mx = m_columns.missing(x);
    const uint8_t* my = m_columns.missing(y);
    m_rows.clear();
    for (int r = 0; r < m_columns.m_nRows; ++r)
        if (!m_settings.m_bIgnoreMissing || !(mx[r] || my[r]))
            m_rows.push_back(r);
    const int n = static_cast<int>(m_rows.size());
    if (n == 0) {
        record.m_dScore = 0.0;
        return;
    }
    const int classes = associationClasses(n);
    const int ni = classesOf(x, classes, m_rows, m_classX);
    const int nj = classesOf(y, classes, m_rows, m_classY);
    if (ni == 0 || nj == 0) {
        record.m_dScore = 0.0;
        return;
    }
    m_table.assign(static_cast<size_t>(ni) * static_cast<size_t>(nj), 0);
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_classX[i] >= 0 && m_classY[i] >= 0)
            ++m_table[static_cast<size_t>(m_classX[i]) * static_cast<size_t>(nj) + static_cast<size_t>(m_classY[i])];
    if (std::all_of(m_table.begin(), m_table.end(), [](int c) { return c == 0; })) {
        // No row has a class on both sides: nothing is associated.
        record.m_dScore = 0.0;
        record.m_dAuxiliary = 0.0;
        return;
    }
    m_tableRows.resize(static_cast<size_t>(ni));
    for (int i = 0; i < ni; ++i)
        m_tableRows[static_cast<size_t>(i)] = m_table.data() + static_cast<size_t>(i) * static_cast<size_t>(nj);
    float chisq = 0.0f, df = 0.0f, prob = 0.0f, cramrv = 0.0f, ccc = 0.0f;
    const NrStatus status = cntab1(m_tableRows.data(), ni, nj, &chisq, &df, &prob, &cramrv, &ccc);
    if (!status) {
        m_pFailure = status.message;
        record.m_bFailed = true;
        return;
    }
    record.m_dScore = ccc;
    record.m_dAuxiliary = 1.0 - static_cast<double>(prob);
}

bool PairScorer::score(int criterion, int x, int y, PairScore& record)
{
    record.m_bSwapped = false;
    record.m_bFailed = false;
    record.m_nX = x;
    record.m_nY = y;
    record.m_dScore = 0.0;
    record.m_dAuxiliary = 1.0;
    record.m_details.assign(1, static_cast<double>(criterion));
    bool swapped = false;
    switch (criterion) {
    case kPairCorrelation:
    case kPairLinearError:
    case kPairQuadraticError:
    case kPairQuadracity: swapped = scoreFits(criterion, x, y, record); break;
    case kPairUniformity: record.m_dScore = gridEntropy(mappingOf(x, y), positions(x, y)); break;
    case kPairOutliers: {
        const int count = m_lof.outliers(positions(x, y), m_outlying);
        record.m_dScore = count;
        for (int r : m_outlying)
            record.m_details.push_back(m_columns.m_itemOfRow[static_cast<size_t>(r)]);
        break;
    }
    case kPairRoi: record.m_dScore = countInRegion(m_settings.m_roi, positions(x, y)); break;
    case kPairAssociation: scoreAssociation(x, y, record); break;
    default: break;
    }
    if (swapped) {
        record.m_bSwapped = true;
        record.m_nX = y;
        record.m_nY = x;
    }
    return swapped;
}
