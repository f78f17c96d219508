#include "app/CutInfo.h"

#include "cluster/Evaluation.h"
#include "cluster/Forest.h"
#include "platform/Format.h"

std::string clusteringInfoText(const CForest& forest, float minSimilarity)
{
    const int alones = forest.itemsLeft();
    std::string text = strFormat("Minimum Similarity = %4.3f", minSimilarity) +
                       strFormat("  # of Clusters = %d", static_cast<int>(forest.m_clusters.size()));
    if (forest.m_bHasClasses)
        text += "  " + strFormat("F-measure = %.3f", fMeasure(forest));
    text += strFormat("  # of Items Left = %d", forest.m_nLeaves - alones) + strFormat("  # of Alones = %d", alones);
    return text;
}
