#include "app/CutInfo.h"

#include <algorithm>
#include <vector>

#include "cluster/Forest.h"
#include "platform/Format.h"

double cutFMeasure(const CForest& forest)
{
    const int n = forest.m_nLeaves;
    const size_t classes = forest.m_classSizes.size();
    if (forest.m_clusters.empty() || classes == 0 || n <= 0)
        return 0.0;
    std::vector<double> best(classes, 0.0);
    std::vector<int> counts(classes, 0);
    std::vector<unsigned char> inCluster(static_cast<size_t>(n), 0);
    for (const CNode* c : forest.m_clusters) {
        auto [first, last] = forest.leafRange(c);
        std::fill(counts.begin(), counts.end(), 0);
        for (int p = first; p <= last && p >= 0 && p < n; ++p) {
            inCluster[static_cast<size_t>(p)] = 1;
            const int cls = forest.leaf(p)->m_nMarker2;
            if (cls >= 1 && static_cast<size_t>(cls) <= classes)
                ++counts[static_cast<size_t>(cls - 1)];
        }
        const double size = last - first + 1;
        for (size_t j = 0; j < classes; ++j) {
            if (counts[j] == 0 || forest.m_classSizes[j] <= 0)
                continue;
            const double P = counts[j] / size, R = counts[j] / static_cast<double>(forest.m_classSizes[j]);
            best[j] = std::max(best[j], 2.0 * P * R / (P + R));
        }
    }
    for (int p = 0; p < n; ++p) {
        if (inCluster[static_cast<size_t>(p)])
            continue;
        const int cls = forest.leaf(p)->m_nMarker2;
        if (cls < 1 || static_cast<size_t>(cls) > classes || forest.m_classSizes[static_cast<size_t>(cls - 1)] <= 0)
            continue;
        const double r = 1.0 / forest.m_classSizes[static_cast<size_t>(cls - 1)];
        best[static_cast<size_t>(cls - 1)] = std::max(best[static_cast<size_t>(cls - 1)], 2.0 * r / (r + 1.0));
    }
    double f = 0.0;
    for (size_t j = 0; j < classes; ++j)
        f += forest.m_classSizes[j] / static_cast<double>(n) * best[j];
    return f;
}

std::string clusteringInfoText(const CForest& forest, float minSimilarity)
{
    const int alones = forest.itemsLeft();
    std::string text = strFormat("Minimum Similarity = %4.3f", minSimilarity) +
                       strFormat("  # of Clusters = %d", static_cast<int>(forest.m_clusters.size()));
    if (forest.m_bHasClasses)
        text += "  " + strFormat("F-measure = %.3f", cutFMeasure(forest));
    text += strFormat("  # of Items Left = %d", forest.m_nLeaves - alones) + strFormat("  # of Alones = %d", alones);
    return text;
}
