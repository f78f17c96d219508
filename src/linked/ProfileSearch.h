#pragma once
// The profile search behind the "Profile Search" tab, on data values: a
// model profile compared with every candidate item by Pearson's r,
// Euclidean or the Absolute band, ceilings and floors per variable, and a
// search by name. The candidate list holds the items the searches look at,
// matched items in its first part and unmatched ones after them, so that a
// threshold change tests only the part that can change.
//
// Values are the matrix's current values. Pearson's r and Euclidean skip
// missing cells as every distance does; the Absolute band and the ceilings
// and floors, which the user draws in the plot, see a missing value where
// the plot draws it: on the bottom line, the data minimum.
#include <cstdint>
#include <string>
#include <vector>

class DataMatrix;

enum TrendMethod : int { kTrendModel = 0, kTrendCeilFloor = 1, kTrendName = 2 };
enum TrendMeasure : int { kTrendPearson = 0, kTrendEuclidean = 1, kTrendAbsolute = 2 };

class CProfileSearch {
public:
    // Takes the matrix (not owned; nullptr empties the search): every item
    // a candidate, nothing matched, no model, no constraint.
    void setData(const DataMatrix* data);
    const DataMatrix* data() const { return m_pData; }
    int itemCount() const { return static_cast<int>(m_matched.size()); }
    int variableCount() const { return m_nVariables; }
    float dataMin() const { return m_fMin; }
    float dataMax() const { return m_fMax; }

    // ---- candidates and matches ----
    const std::vector<int>& candidates() const { return m_candidates; }
    int matchedCount() const { return m_nMatched; }
    bool isMatched(int row) const { return m_matched[static_cast<size_t>(row)] != 0; }
    // The matched rows in item order.
    std::vector<int> matchedRows() const;
    // Clears every match (the candidates stay).
    void clearMatches();
    // Pin This Result: the matches become the candidates; false (nothing
    // changes) when nothing is matched.
    bool pin();
    // Consider All Profiles: every item is a candidate again (matches kept).
    void considerAll();
    bool pinned() const { return m_bPinned; }
    // Items tested by the last search (the incremental update tests fewer).
    int lastTested() const { return m_nLastTested; }

    // ---- model-based search ----
    void setMeasure(int measure);
    int measure() const { return m_nMeasure; }
    // The model: one value per variable, NaN where it is not defined.
    void setModel(std::vector<float> model);
    // The model copied from an item's profile (missing cells at the data minimum).
    void setModelFromItem(int row);
    void setModelPoint(int variable, float value);
    const std::vector<float>& model() const { return m_model; }
    bool hasModel() const;
    // Matches the candidates whose score lies in [lo, hi]: similarity
    // fractions for Pearson's r and Euclidean, value distances d1 <= d2 for
    // Absolute. Scores are recomputed after the model or the measure
    // changed; otherwise only the part of the list that can change is
    // tested. Without a model nothing matches.
    void searchModel(double lo, double hi);
    // The similarity of an item to the model (Pearson's r, Euclidean), NaN
    // before the first search.
    float score(int row) const { return m_score[static_cast<size_t>(row)]; }

    // ---- ceilings and floors (NaN = none) ----
    void setCeiling(int variable, float value);
    void setFloor(int variable, float value);
    void removeCeiling(int variable);
    void removeFloor(int variable);
    void clearConstraints();
    const std::vector<float>& ceilings() const { return m_ceil; }
    const std::vector<float>& floors() const { return m_floor; }
    bool hasConstraints() const;
    // Matches the candidates that stay at or below every ceiling and at or
    // above every floor; with no constraint nothing matches.
    void searchCeilFloor();

    // ---- by name ----
    // Lower-cases the text; empty clears the matches. Otherwise an item
    // matches when its name or its identifier, lower-cased, contains it.
    // Returns the number of matches.
    int searchName(const std::string& text);

    // ---- drawing helpers ----
    // Lowest and highest value per variable over all candidates, or over
    // the matched ones; false when there is none.
    bool envelope(bool matchedOnly, std::vector<float>& low, std::vector<float>& high) const;
    // The value the plot and the pixel-based tests use for a cell.
    float plotValue(int row, int variable) const;

private:
    bool matchesModel(int row, double lo, double hi) const;
    void computeScores();
    void testAll(double lo, double hi);
    void setMatchedSet(const std::vector<char>& keep);
    void resetModelState() { m_bScoresValid = false; }

    const DataMatrix* m_pData = nullptr;
    int m_nVariables = 0;
    float m_fMin = 0.0f, m_fMax = 0.0f;
    std::vector<double> m_ranges;           // per variable: largest - smallest value
    std::vector<std::string> m_lowerNames;  // name and identifier, lower-cased, per item
    std::vector<std::string> m_lowerIds;

    std::vector<int> m_candidates;  // matched part first
    int m_nMatched = 0;
    std::vector<std::uint8_t> m_matched;  // per item
    bool m_bPinned = false;
    int m_nLastTested = 0;

    int m_nMeasure = kTrendPearson;
    std::vector<float> m_model;
    bool m_bScoresValid = false;
    bool m_bHaveBounds = false;
    double m_dLo = 0.0, m_dHi = 0.0;
    std::vector<float> m_score;                       // Pearson, Euclidean
    std::vector<float> m_minSide, m_maxSide, m_maxAbs;  // Absolute

    std::vector<float> m_ceil, m_floor;
};
