#include "linked/ProfileSearch.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "cluster/Similarity.h"
#include "data/DataMatrix.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::string lowerCased(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

void CProfileSearch::setData(const DataMatrix* data)
{
    m_pData = data && !data->isEmpty() ? data : nullptr;
    const int rows = m_pData ? m_pData->rowCount() : 0;
    m_nVariables = m_pData ? m_pData->m_nColumns : 0;
    m_candidates.resize(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        m_candidates[static_cast<size_t>(r)] = r;
    m_nMatched = 0;
    m_matched.assign(static_cast<size_t>(rows), 0);
    m_bPinned = false;
    m_nLastTested = 0;
    m_model.assign(static_cast<size_t>(m_nVariables), kNaN);
    m_ceil.assign(static_cast<size_t>(m_nVariables), kNaN);
    m_floor.assign(static_cast<size_t>(m_nVariables), kNaN);
    m_score.assign(static_cast<size_t>(rows), kNaN);
    m_minSide.assign(static_cast<size_t>(rows), 0.0f);
    m_maxSide.assign(static_cast<size_t>(rows), 0.0f);
    m_maxAbs.assign(static_cast<size_t>(rows), 0.0f);
    m_bScoresValid = false;
    m_bHaveBounds = false;
    m_lowerNames.assign(static_cast<size_t>(rows), {});
    m_lowerIds.assign(static_cast<size_t>(rows), {});
    m_ranges.assign(static_cast<size_t>(m_nVariables), 0.0);
    m_fMin = m_fMax = 0.0f;
    if (!m_pData)
        return;

    // Column ranges (for the Euclidean normaliser) and the data range of
    // the plot, over present cells.
    std::vector<float> lo(static_cast<size_t>(m_nVariables), std::numeric_limits<float>::max());
    std::vector<float> hi(static_cast<size_t>(m_nVariables), std::numeric_limits<float>::lowest());
    for (int r = 0; r < rows; ++r) {
        const float* v = m_pData->rowValues(r);
        const float* w = m_pData->rowWeights(r);
        for (int k = 0; k < m_nVariables; ++k) {
            if (w[k] == -1.0f)
                continue;
            lo[static_cast<size_t>(k)] = std::min(lo[static_cast<size_t>(k)], v[k]);
            hi[static_cast<size_t>(k)] = std::max(hi[static_cast<size_t>(k)], v[k]);
        }
        m_lowerNames[static_cast<size_t>(r)] = lowerCased(m_pData->itemName(r));
        m_lowerIds[static_cast<size_t>(r)] = lowerCased(m_pData->itemId(r));
    }
    bool any = false;
    for (int k = 0; k < m_nVariables; ++k) {
        if (lo[static_cast<size_t>(k)] > hi[static_cast<size_t>(k)])
            continue;
        m_ranges[static_cast<size_t>(k)] = static_cast<double>(hi[static_cast<size_t>(k)]) - lo[static_cast<size_t>(k)];
        m_fMin = any ? std::min(m_fMin, lo[static_cast<size_t>(k)]) : lo[static_cast<size_t>(k)];
        m_fMax = any ? std::max(m_fMax, hi[static_cast<size_t>(k)]) : hi[static_cast<size_t>(k)];
        any = true;
    }
}

float CProfileSearch::plotValue(int row, int variable) const
{
    return m_pData->weight(row, variable) == -1.0f ? m_fMin : m_pData->value(row, variable);
}

// ---------------------------------------------------------------- candidates

std::vector<int> CProfileSearch::matchedRows() const
{
    std::vector<int> out;
    out.reserve(static_cast<size_t>(m_nMatched));
    for (size_t r = 0; r < m_matched.size(); ++r)
        if (m_matched[r])
            out.push_back(static_cast<int>(r));
    return out;
}

void CProfileSearch::clearMatches()
{
    std::fill(m_matched.begin(), m_matched.end(), 0);
    m_nMatched = 0;
    m_bHaveBounds = false;
}

void CProfileSearch::setMatchedSet(const std::vector<char>& keep)
{
    // Rebuilds the split: matched candidates first, in item order.
    std::fill(m_matched.begin(), m_matched.end(), 0);
    std::vector<int> matched, unmatched;
    matched.reserve(m_candidates.size());
    unmatched.reserve(m_candidates.size());
    for (int r : m_candidates)
        (keep[static_cast<size_t>(r)] ? matched : unmatched).push_back(r);
    std::sort(matched.begin(), matched.end());
    std::sort(unmatched.begin(), unmatched.end());
    for (int r : matched)
        m_matched[static_cast<size_t>(r)] = 1;
    m_nMatched = static_cast<int>(matched.size());
    m_candidates = std::move(matched);
    m_candidates.insert(m_candidates.end(), unmatched.begin(), unmatched.end());
    m_bHaveBounds = false;
}

bool CProfileSearch::pin()
{
    if (m_nMatched == 0)
        return false;
    m_candidates.resize(static_cast<size_t>(m_nMatched));
    std::sort(m_candidates.begin(), m_candidates.end());
    m_bPinned = true;
    m_bScoresValid = false;
    m_bHaveBounds = false;
    return true;
}

void CProfileSearch::considerAll()
{
    const int rows = itemCount();
    m_candidates.resize(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r)
        m_candidates[static_cast<size_t>(r)] = r;
    std::vector<char> keep(m_matched.begin(), m_matched.end());
    setMatchedSet(keep);
    m_bPinned = false;
    m_bScoresValid = false;
}

// ---------------------------------------------------------------- model

void CProfileSearch::setMeasure(int measure)
{
    if (measure != m_nMeasure) {
        m_nMeasure = measure;
        m_bScoresValid = false;
    }
}

void CProfileSearch::setModel(std::vector<float> model)
{
    model.resize(static_cast<size_t>(m_nVariables), kNaN);
    m_model = std::move(model);
    m_bScoresValid = false;
}

void CProfileSearch::setModelFromItem(int row)
{
    if (!m_pData || row < 0 || row >= itemCount())
        return;
    for (int k = 0; k < m_nVariables; ++k)
        m_model[static_cast<size_t>(k)] = plotValue(row, k);
    m_bScoresValid = false;
}

void CProfileSearch::setModelPoint(int variable, float value)
{
    if (variable < 0 || variable >= m_nVariables)
        return;
    m_model[static_cast<size_t>(variable)] = value;
    m_bScoresValid = false;
}

bool CProfileSearch::hasModel() const
{
    return std::any_of(m_model.begin(), m_model.end(), [](float v) { return !std::isnan(v); });
}

void CProfileSearch::computeScores()
{
    const size_t n = static_cast<size_t>(m_nVariables);
    if (m_nMeasure == kTrendAbsolute) {
        int first = -1;
        for (int k = 0; k < m_nVariables && first < 0; ++k)
            if (!std::isnan(m_model[static_cast<size_t>(k)]))
                first = k;
        for (int r : m_candidates) {
            const float side = plotValue(r, first) >= m_model[static_cast<size_t>(first)] ? 1.0f : -1.0f;
            float minSide = std::numeric_limits<float>::max(), maxSide = std::numeric_limits<float>::lowest();
            float maxAbs = 0.0f;
            for (int k = first; k < m_nVariables; ++k) {
                const float m = m_model[static_cast<size_t>(k)];
                if (std::isnan(m))
                    continue;
                const float d = (plotValue(r, k) - m) * side;
                minSide = std::min(minSide, d);
                maxSide = std::max(maxSide, d);
                maxAbs = std::max(maxAbs, std::fabs(d));
            }
            m_minSide[static_cast<size_t>(r)] = minSide;
            m_maxSide[static_cast<size_t>(r)] = maxSide;
            m_maxAbs[static_cast<size_t>(r)] = maxAbs;
        }
    } else {
        // Part of every distance: the model's defined variables take part
        // (weight 1), the others are excluded like missing cells.
        std::vector<float> values(n, 0.0f), weights(n, -1.0f);
        double normSq = 0.0;
        for (size_t k = 0; k < n; ++k)
            if (!std::isnan(m_model[k])) {
                values[k] = m_model[k];
                weights[k] = 1.0f;
                normSq += m_ranges[k] * m_ranges[k];
            }
        DistanceParams p;
        p.n = m_nVariables;
        p.centered = true;
        p.euclideanNormaliser = std::sqrt(normSq);
        const DistanceFn fn = m_nMeasure == kTrendEuclidean ? &euclideanDistance : &pearsonDistance;
        for (int r : m_candidates) {
            const double d = fn(values.data(), weights.data(), m_pData->rowValues(r), m_pData->rowWeights(r), p);
            m_score[static_cast<size_t>(r)] = static_cast<float>(std::clamp(1.0 - d / kMaxDistance, 0.0, 1.0));
        }
    }
    m_bScoresValid = true;
}

bool CProfileSearch::matchesModel(int row, double lo, double hi) const
{
    const size_t r = static_cast<size_t>(row);
    if (m_nMeasure == kTrendAbsolute) {
        if (lo <= 0.0)
            return m_maxAbs[r] <= hi;
        return m_minSide[r] >= lo && m_maxSide[r] <= hi;
    }
    return m_score[r] >= lo && m_score[r] <= hi;
}

void CProfileSearch::testAll(double lo, double hi)
{
    std::vector<char> keep(m_matched.size(), 0);
    for (int r : m_candidates)
        keep[static_cast<size_t>(r)] = matchesModel(r, lo, hi) ? 1 : 0;
    setMatchedSet(keep);
    m_nLastTested = static_cast<int>(m_candidates.size());
}

void CProfileSearch::searchModel(double lo, double hi)
{
    if (!m_pData || !hasModel()) {
        clearMatches();
        m_nLastTested = 0;
        return;
    }
    if (lo > hi)
        std::swap(lo, hi);
    const bool widen = m_bHaveBounds && lo <= m_dLo && hi >= m_dHi;
    const bool narrow = m_bHaveBounds && lo >= m_dLo && hi <= m_dHi;
    if (!m_bScoresValid) {
        computeScores();
        testAll(lo, hi);
    } else if (widen) {
        // Only unmatched candidates can join; each joins the matched part.
        size_t i = static_cast<size_t>(m_nMatched);
        m_nLastTested = static_cast<int>(m_candidates.size()) - m_nMatched;
        for (; i < m_candidates.size(); ++i) {
            const int r = m_candidates[i];
            if (matchesModel(r, lo, hi)) {
                std::swap(m_candidates[i], m_candidates[static_cast<size_t>(m_nMatched)]);
                ++m_nMatched;
                m_matched[static_cast<size_t>(r)] = 1;
            }
        }
    } else if (narrow) {
        // Only matched candidates can leave; each moves to the unmatched part.
        m_nLastTested = m_nMatched;
        for (int i = m_nMatched - 1; i >= 0; --i) {
            const int r = m_candidates[static_cast<size_t>(i)];
            if (!matchesModel(r, lo, hi)) {
                --m_nMatched;
                std::swap(m_candidates[static_cast<size_t>(i)], m_candidates[static_cast<size_t>(m_nMatched)]);
                m_matched[static_cast<size_t>(r)] = 0;
            }
        }
    } else {
        testAll(lo, hi);
    }
    m_bHaveBounds = true;
    m_dLo = lo;
    m_dHi = hi;
}

// ---------------------------------------------------------------- ceilings and floors

void CProfileSearch::setCeiling(int variable, float value)
{
    if (variable >= 0 && variable < m_nVariables)
        m_ceil[static_cast<size_t>(variable)] = value;
}

void CProfileSearch::setFloor(int variable, float value)
{
    if (variable >= 0 && variable < m_nVariables)
        m_floor[static_cast<size_t>(variable)] = value;
}

void CProfileSearch::removeCeiling(int variable) { setCeiling(variable, kNaN); }
void CProfileSearch::removeFloor(int variable) { setFloor(variable, kNaN); }

void CProfileSearch::clearConstraints()
{
    std::fill(m_ceil.begin(), m_ceil.end(), kNaN);
    std::fill(m_floor.begin(), m_floor.end(), kNaN);
}

bool CProfileSearch::hasConstraints() const
{
    auto defined = [](float v) { return !std::isnan(v); };
    return std::any_of(m_ceil.begin(), m_ceil.end(), defined) || std::any_of(m_floor.begin(), m_floor.end(), defined);
}

void CProfileSearch::searchCeilFloor()
{
    std::vector<char> keep(m_matched.size(), 0);
    m_nLastTested = 0;
    if (m_pData && hasConstraints()) {
        std::vector<int> vars;
        for (int k = 0; k < m_nVariables; ++k)
            if (!std::isnan(m_ceil[static_cast<size_t>(k)]) || !std::isnan(m_floor[static_cast<size_t>(k)]))
                vars.push_back(k);
        for (int r : m_candidates) {
            bool ok = true;
            for (size_t i = 0; i < vars.size() && ok; ++i) {
                const int k = vars[i];
                const float v = plotValue(r, k);
                const float c = m_ceil[static_cast<size_t>(k)], f = m_floor[static_cast<size_t>(k)];
                ok = !(v > c) && !(v < f);  // NaN limits never fail
            }
            keep[static_cast<size_t>(r)] = ok ? 1 : 0;
        }
        m_nLastTested = static_cast<int>(m_candidates.size());
    }
    setMatchedSet(keep);
}

// ---------------------------------------------------------------- by name

int CProfileSearch::searchName(const std::string& text)
{
    const std::string needle = lowerCased(text);
    std::vector<char> keep(m_matched.size(), 0);
    m_nLastTested = 0;
    if (!needle.empty()) {
        for (int r : m_candidates) {
            const size_t i = static_cast<size_t>(r);
            keep[i] = m_lowerNames[i].find(needle) != std::string::npos ||
                      m_lowerIds[i].find(needle) != std::string::npos;
        }
        m_nLastTested = static_cast<int>(m_candidates.size());
    }
    setMatchedSet(keep);
    return m_nMatched;
}

// ---------------------------------------------------------------- drawing

bool CProfileSearch::envelope(bool matchedOnly, std::vector<float>& low, std::vector<float>& high) const
{
    const size_t count = matchedOnly ? static_cast<size_t>(m_nMatched) : m_candidates.size();
    if (!m_pData || count == 0 || m_nVariables == 0)
        return false;
    low.assign(static_cast<size_t>(m_nVariables), std::numeric_limits<float>::max());
    high.assign(static_cast<size_t>(m_nVariables), std::numeric_limits<float>::lowest());
    for (size_t i = 0; i < count; ++i) {
        const int r = m_candidates[i];
        for (int k = 0; k < m_nVariables; ++k) {
            const float v = plotValue(r, k);
            low[static_cast<size_t>(k)] = std::min(low[static_cast<size_t>(k)], v);
            high[static_cast<size_t>(k)] = std::max(high[static_cast<size_t>(k)], v);
        }
    }
    return true;
}
