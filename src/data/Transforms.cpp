// Current values derived from the original ones: logarithm and the four
// normalisation methods.
#include <cmath>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Messages.h"

int DataMatrix::takeLog(int base)
{
    const size_t cells = static_cast<size_t>(m_nRows) * static_cast<size_t>(m_nColumns);
    const float* org = m_pOrgExpLevelPool.get();
    float* cur = m_pRowExpLevelPool.get();
    const double scale = (base == 1 || base == 10) ? 1.0 : 1.0 / std::log(static_cast<double>(base));
    int notPositive = 0;
    for (size_t i = 0; i < cells; ++i) {
        const float x = org[i];
        if (!(x > 0.0f)) {
            cur[i] = 0.0f;
            ++notPositive;
        } else if (base == 10) {
            cur[i] = std::log10(x);
        } else if (base == 1) {
            cur[i] = std::log(x);
        } else {
            cur[i] = static_cast<float>(std::log(static_cast<double>(x)) * scale);
        }
    }
    // One message for the whole pass rather than one per cell.
    if (notPositive > 0)
        showMessage(strFormat("Taking log of a number less than or equal to zero... -> Set the result to 0\n"
                              "(%d cells)",
                              notPositive));
    return notPositive;
}

std::string DataMatrix::normalizationName(int method, float lo, float hi)
{
    switch (method) {
    case 0:
        return "Standardization (Mean and Stdev)";
    case 1:
        return "Contol";
    case 2:
        return "Median";
    case 3:
        return strFormat("Rescaling from %.2f to %.2f", lo, hi);
    default:
        return std::string();
    }
}

namespace {
// How one row's or column's cells go from original to current values.
struct Formula {
    int method = 0;
    double a = 0.0, b = 1.0;  // mean and stdev, divisor, or min and max
    double lo = 0.0, hi = 1.0;
    bool constant = false;
    float constantValue = 0.0f;
    float apply(float xf) const
    {
        if (constant)
            return constantValue;
        const double x = xf;
        switch (method) {
        case 0:
            return static_cast<float>((x - a) / b);
        case 3:
            return static_cast<float>((x - a) * (hi - lo) / (b - a) + lo);
        default:
            return static_cast<float>(x / a);
        }
    }
};
} // namespace

bool DataMatrix::normalize(bool expressionOnly, int direction, int method, float lo, float hi)
{
    if (method < 0 || method > 3 || (direction != 0 && direction != 1))
        return true;
    const int K = expressionOnly ? m_nExpColumns : m_nColumns;
    if (!m_pOrgExpLevelPool || !m_pStatOrgPool || m_nRows == 0 || K == 0)
        return true;  // nothing to normalise
    const bool byRow = direction == 0;
    const int lines = byRow ? m_nRows : K;
    const size_t cols = static_cast<size_t>(m_nColumns);
    for (int i = 0; i < lines; ++i) {
        const StatRecord& st = byRow ? m_pStatOrgPool[static_cast<size_t>(i)] : columnField(i)->m_statOrg;
        Formula t;
        t.method = method;
        t.lo = lo;
        t.hi = hi;
        switch (method) {
        case 0:
            if (st.stdev == 0.0) {
                t.constant = true;
                t.constantValue = 0.0f;
            } else {
                t.a = st.mean;
                t.b = st.stdev;
            }
            break;
        case 1: {
            const float control = byRow ? orgValue(i, 0) : orgValue(0, i);
            if (control == 0.0f) {
                showMessage(byRow ? strFormat("Control value at %d-th row is zero.\nTry another Normalization or "
                                              "delete the row.",
                                              i)
                                  : strFormat("Control value at %d-th column is zero.\nTry another Normalization "
                                              "or delete the column.",
                                              i));
                return false;
            }
            t.a = control;
            break;
        }
        case 2:
            if (st.median == 0.0f) {
                showMessage(byRow ? strFormat("Median of %dth row is zero", i)
                                  : strFormat("Median of %dth column is zero", i));
                return false;
            }
            t.a = st.median;
            break;
        case 3:
            if (st.min == st.max) {
                t.constant = true;
                t.constantValue = (lo + hi) / 2.0f;
            } else {
                t.a = st.min;
                t.b = st.max;
            }
            break;
        }
        const int cells = byRow ? K : m_nRows;
        for (int j = 0; j < cells; ++j) {
            const size_t at = byRow ? static_cast<size_t>(i) * cols + static_cast<size_t>(j)
                                    : static_cast<size_t>(j) * cols + static_cast<size_t>(i);
            m_pRowExpLevelPool[at] = isMissingWeight(m_pRowWeightPool[at]) ? 0.0f : t.apply(m_pOrgExpLevelPool[at]);
        }
    }
    return true;
}
