#pragma once
// Histogram ordering: every variable (value column) of the data matrix is
// ranked by a one-variable criterion. The ordering keeps one record per
// variable with its 200 equal-width buckets and their members (computed once
// when data are loaded), the scores of the last run with their detail values,
// the ordered list (rank order, or the order of a header click) and the cell
// texts that the panel's list and the command-line tool show.
#include <memory>
#include <span>
#include <string>
#include <vector>

class DataMatrix;
class IProgress;
struct StatRecord;

// ---- the bucket rule, shared by the records, the criteria and the charts ----
// Equal-width buckets between minimum and maximum, width (max - min) / count
// in double: a value goes into the first bucket b whose upper edge
// min + (b + 1) w is greater than it; a value not below the last upper edge
// goes into the last bucket (so every value of a constant variable does).
struct BucketRule {
    double min = 0.0;
    double width = 0.0;
    double inverseWidth = 0.0;  // a first guess only; the edges decide
    int count = 1;
    BucketRule() = default;
    BucketRule(float minimum, float maximum, int buckets)
        : min(minimum), width((static_cast<double>(maximum) - minimum) / buckets),
          inverseWidth(width > 0.0 ? 1.0 / width : 0.0), count(buckets)
    {}
    double upperEdge(int b) const { return min + (b + 1) * width; }
    // Inline: the load puts every cell through it.
    int bucketOf(float v) const
    {
        const double x = v;
        if (!(width > 0.0))
            return x < min ? 0 : count - 1;
        const double q = (x - min) * inverseWidth;
        int b = q >= 1.0 ? (q >= count ? count - 1 : static_cast<int>(q)) : 0;  // NaN: 0, then the edges
        // The quotient can be one off at an edge; the edges decide.
        while (b > 0 && upperEdge(b - 1) > x)
            --b;
        while (b < count - 1 && !(upperEdge(b) > x))
            ++b;
        return b;
    }
};

// Per-variable ranking record.
struct HistogramRecord {
    int m_nColumn = -1;
    double m_dScore = 0.0;
    bool m_bScored = false;             // false: the score is not available ("N/A")
    std::vector<double> m_details;      // the criterion number first, then its detail values
    int m_nBuckets = 0;                 // 0 when the record has no bucket data
    float m_fBucketMin = 0.0f, m_fBucketMax = 0.0f;  // the range the buckets were computed over
    // m_nBuckets counts. Counts and memberships of all records live in two
    // blocks the ordering owns, so a load allocates twice, not per variable.
    std::span<int> m_bucketCounts;
    // Bucket membership: the bucket of every item (row), kNoBucket for a
    // missing cell. One byte per item keeps the load cheap; the items of a
    // bucket are gathered when asked for (bar selection).
    static constexpr unsigned char kNoBucket = 255;
    std::span<unsigned char> m_itemBucket;
    bool hasBuckets() const { return m_nBuckets > 0; }
    // The items of bucket b, ascending.
    std::vector<int> bucketMembers(int b) const
    {
        std::vector<int> rows;
        rows.reserve(static_cast<size_t>(m_bucketCounts[static_cast<size_t>(b)]));
        for (size_t r = 0; r < m_itemBucket.size(); ++r)
            if (m_itemBucket[r] == b)
                rows.push_back(static_cast<int>(r));
        return rows;
    }
};

// Criteria, in the order of the criterion box.
enum HistogramCriterion {
    kOriginalOrder = 0,
    kNormality = 1,
    kUniformity = 2,
    kOutliers = 3,
    kUniqueValues = 4,
    kBiggestGap = 5,
    kHistogramCriteria = 6
};
const char* histogramCriterionName(int criterion);         // "Original Order", ...
const char* histogramCriterionDescription(int criterion);  // the text under the box

// The list's ten columns.
enum HistogramListColumn {
    kListRank = 0,
    kListName,
    kListScore,
    kListMin,
    kListQ1,
    kListMedian,
    kListQ3,
    kListMax,
    kListMean,
    kListStdev,
    kHistogramListColumns = 10
};
// "Rank", "Column Name", "Score" ("Error" for Normality), "Min", ...
const char* histogramListTitle(int listColumn, int criterion);

// Outcome of one variable's score.
struct HistogramScore {
    double score = 0.0;
    bool available = true;
};

// The score function: values are the variable's n values of the chosen source
// (missing cells with the 0.0 they hold), in any order; they are sorted in
// place where the criterion needs it. stats is the variable's statistics
// record of the same source. Appends the criterion number and its detail
// values to record.m_details. Not available: Normality of a variable without
// spread (m2 = 0), and any score that is not a finite number.
HistogramScore histogramScore(int criterion, std::vector<float>& values, const StatRecord& stats,
                              HistogramRecord& record);

class HistogramOrdering {
public:
    static constexpr int kBuckets = 200;

    HistogramOrdering() = default;
    // The records point into the ordering's blocks: moving keeps them, a
    // copy would share them.
    HistogramOrdering(const HistogramOrdering&) = delete;
    HistogramOrdering& operator=(const HistogramOrdering&) = delete;
    HistogramOrdering(HistogramOrdering&&) = default;
    HistogramOrdering& operator=(HistogramOrdering&&) = default;

    // On data load: one record per value column with its buckets over the
    // chosen source; the list in original order. Clears the ordering when
    // data is nullptr or empty.
    void build(const DataMatrix* data, bool original);
    void clear() { build(nullptr, false); }
    bool empty() const { return m_records.empty(); }
    const DataMatrix* data() const { return m_pData; }
    int variableCount() const { return static_cast<int>(m_records.size()); }

    // The scoring run of criterion 1..5 with the progress window
    // ("Populating the histogram list...", one step per variable, then
    // "Sorting the list..."): scores, score range, sort (ascending for
    // Normality, descending otherwise; not available last), ranks. Returns
    // false when the user cancelled: the list is then in original order.
    // Criterion 0 (and an unknown number) fills the original order.
    bool score(int criterion, bool original, IProgress* progress = nullptr);
    // Criterion 0: column order, no scores, rank = position.
    void fillOriginalOrder(bool original);

    int criterion() const { return m_nCriterion; }
    bool useOriginal() const { return m_bOriginal; }

    // ---- the ordered list ----
    int rowCount() const { return static_cast<int>(m_order.size()); }
    int columnAt(int row) const { return m_order[static_cast<size_t>(row)]; }
    int rowOfColumn(int column) const { return m_rowOf[static_cast<size_t>(column)]; }
    const std::vector<int>& order() const { return m_order; }
    // The list's cell texts (the panel and the command-line tool both show these).
    std::string cellText(int row, int listColumn) const;
    std::string headerText(int listColumn) const { return histogramListTitle(listColumn, m_nCriterion); }
    // A header click: "Column Name" sorts as text, the others as numbers;
    // equal keys keep their order, not available scores go last.
    void sortBy(int listColumn, bool ascending);
    int sortColumn() const { return m_nSortColumn; }
    bool sortAscending() const { return m_bSortAscending; }

    // ---- records and the strip ----
    const HistogramRecord& record(int column) const { return m_records[static_cast<size_t>(column)]; }
    const std::vector<HistogramRecord>& records() const { return m_records; }
    // The strip's score range (DBL_MAX / -DBL_MAX when nothing was scored).
    double scoreMin() const { return m_dScoreMin; }
    double scoreMax() const { return m_dScoreMax; }
    // The statistics record of a variable for the source in use.
    const StatRecord& stats(int column) const;
    const StatRecord& stats(int column, bool original) const;

private:
    void renumber();
    void resetScores();

    const DataMatrix* m_pData = nullptr;
    std::vector<HistogramRecord> m_records;
    std::unique_ptr<int[]> m_countPool;           // kBuckets counts per record
    std::unique_ptr<unsigned char[]> m_itemPool;  // one byte per item per record
    std::vector<int> m_order;  // row -> column
    std::vector<int> m_rowOf;  // column -> row
    std::vector<int> m_rank;   // column -> rank (1-based)
    int m_nCriterion = kOriginalOrder;
    bool m_bOriginal = false;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;
    double m_dScoreMin = 0.0, m_dScoreMax = 0.0;
};
