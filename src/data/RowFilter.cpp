#include "data/RowFilter.h"

#include <vector>

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Progress.h"

namespace {
int presentCells(const DataMatrix& m, int r, double p)
{
    const float* w = m.rowWeights(r);
    int present = 0;
    for (int k = 0; k < m.m_nColumns; ++k) {
        if (isMissingWeight(w[k]))
            continue;
        if (m.m_nWeightType == 1 && w[k] > 1.0 - p)
            ++present;
        else if (m.m_nWeightType == 2 && w[k] == 1.0f)
            ++present;
    }
    return present;
}
} // namespace

int filterRows(const DataMatrix& src, double p, double percent, double s, DataMatrix& dest)
{
    static const char* const kTitle = "Filtering Expression Profile Data";
    ProgressScope progress(kTitle, kTitle);
    progress->setRange(1, src.m_nRows);

    std::vector<unsigned> kept;
    for (int r = 0; r < src.m_nRows; ++r) {
        bool pass = true;
        if (percent > 0) {
            // present / columns >= percent / 100, compared without division
            // so that a whole percentage of the columns passes exactly.
            pass = src.m_nColumns > 0 && presentCells(src, r, p) * 100.0 >= percent * src.m_nColumns;
        }
        if (pass && s >= 0) {
            double mean = 0.0, stdev = 0.0;
            DataMatrix::meanStdev(src.rowOrgValues(r), src.rowWeights(r), src.m_nColumns, mean, stdev);
            pass = stdev > s;
        }
        if (pass)
            kept.push_back(static_cast<unsigned>(r));
        if (r % 100 == 0) {
            if (progress->cancelled())
                return -1;
            progress->setPosition(r);
            progress->pump();
        }
    }
    if (!src.copyRows(kept, dest))
        return -1;
    progress->setPosition(src.m_nRows);
    return static_cast<int>(kept.size());
}
