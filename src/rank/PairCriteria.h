#pragma once
// The scores of a pair of variables (the scatterplot ordering): the ten
// criteria with their names and descriptions, the pair record, the values a
// scoring run reads, and the scoring of one pair.
//
// Criteria 0-3 fit y on x (and x on y) by linear least squares on the
// polynomial basis; 4-6 work on the pixel positions the points have in the
// scatterplot view (ScatterGeometry.h); 7 analyses a contingency table.
#include <cstdint>
#include <string>
#include <vector>

#include "rank/LocalOutlierFactor.h"
#include "rank/ScatterGeometry.h"

class DataMatrix;

enum PairCriterion {
    kPairCorrelation = 0,
    kPairLinearError = 1,
    kPairQuadraticError = 2,
    kPairQuadracity = 3,
    kPairUniformity = 4,
    kPairOutliers = 5,
    kPairRoi = 6,
    kPairAssociation = 7,
    kPairClusterSimilarity = 8,
    kPairNoOrder = 9,
};
constexpr int kPairCriterionCount = 10;

// The criterion box's items ("Correlation Coefficient" ... "No Order").
const char* pairCriterionName(int criterion);
// The description shown under the box.
const char* pairCriterionDescription(int criterion);
// Criteria 1 and 2 rank the smallest error first.
inline bool pairCriterionAscending(int criterion)
{
    return criterion == kPairLinearError || criterion == kPairQuadraticError;
}

// The record of one pair. x and y are the pair's variables in the order
// shown (y against x); the swapped flag tells that they are the other way
// round from the scoring order (the x-on-y fit was the better one).
struct PairScore {
    bool m_bSwapped = false;
    bool m_bFailed = false;  // the fit or table analysis failed: shown "N/A", ranked last
    int m_nX = 0;
    int m_nY = 0;
    double m_dScore = 0.0;
    double m_dAuxiliary = 1.0;
    // The criterion number, then the criterion's values: the fitted curve's
    // coefficients (y = slope x + intercept; a1, a0; a2, a1, a0 with y the
    // pair's y as a function of its x), or the outlying items.
    std::vector<double> m_details;
};

// The values one scoring run reads, one column per variable (a column-major
// copy of the chosen source), with the missing flags, the statistics' range
// and whether the variable is categorical.
struct PairColumns {
    int m_nRows = 0;
    int m_nColumns = 0;
    std::vector<float> m_values;
    std::vector<uint8_t> m_missing;
    std::vector<float> m_min, m_max;
    std::vector<uint8_t> m_categorical;
    std::vector<std::string> m_names;
    std::vector<int> m_itemOfRow;  // item number of every row (the outlier criterion's detail values)

    // A table of `rows` rows (items) without variables yet.
    explicit PairColumns(int rows = 0);
    // Appends a variable from its values and missing flags (its range is
    // that of the present values).
    void addColumn(const std::string& name, const std::vector<float>& values, const std::vector<uint8_t>& missing,
                   bool categorical = false);

    const float* values(int k) const { return m_values.data() + static_cast<size_t>(k) * m_nRows; }
    const uint8_t* missing(int k) const { return m_missing.data() + static_cast<size_t>(k) * m_nRows; }
    // From a matrix's value columns, original or transformed values; items
    // are the rows unless itemOfRow is given.
    static PairColumns from(const DataMatrix& data, bool original, std::vector<int> itemOfRow = {});
};

// The panel's choices that scoring depends on.
struct PairSettings {
    bool m_bIgnoreMissing = false;
    bool m_bSameScale = false;
    PlotGeometry m_geometry;  // the panel's scatterplot view
    RoiRegion m_roi;          // the region last drawn in it (criterion 6)
};

// The number of association classes of a numeric variable for N values:
// trunc(min(max(0.1 N, 20), 30)).
int associationClasses(int n);

// Scores pairs one after another with buffers of its own; one per thread.
class PairScorer {
public:
    PairScorer(const PairColumns& columns, const PairSettings& settings);

    // Scores the pair (x, y) by the criterion (0-7) into the record (its
    // detail values get the criterion number first). Returns the swapped
    // flag: the record then holds x and y exchanged. A numerical failure
    // marks the record failed and keeps the routine's text in failure().
    bool score(int criterion, int x, int y, PairScore& record);
    const char* failure() const { return m_pFailure; }

    // The scatterplot positions of all rows of the pair (x, y).
    const std::vector<PixelPoint>& positions(int x, int y);
    ScatterMapping mappingOf(int x, int y) const;

private:
    int gatherValues(int x, int y);
    bool fit(const float* xs, const float* ys, int n, int parameters, float* a, float& chisq);
    bool scoreFits(int criterion, int x, int y, PairScore& record);
    void scoreAssociation(int x, int y, PairScore& record);
    int classesOf(int k, int classes, const std::vector<int>& rows, std::vector<int>& out);

    const PairColumns& m_columns;
    const PairSettings& m_settings;
    const char* m_pFailure = nullptr;
    std::vector<float> m_xs, m_ys, m_sig;
    std::vector<int> m_rows;
    std::vector<PixelPoint> m_points;
    std::vector<int> m_outlying;
    std::vector<int> m_classX, m_classY, m_table;
    std::vector<int*> m_tableRows;
    LofWorkspace m_lof;
};
