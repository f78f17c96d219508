// K-means over the leaves of a forest.
//
// Invariants of a run: every leaf is assigned to a live centroid; a centroid
// is live from the start until an iteration leaves it without members, and
// a dead centroid keeps its last values and takes no leaf again, so no mean
// is ever taken over zero members. Centroid values are means over the
// members' present cells (cells no member has stay 0).
#include <algorithm>
#include <ctime>
#include <limits>
#include <random>
#include <unordered_map>

#include "cluster/Forest.h"
#include "cluster/KMeans.h"
#include "cluster/LineWriter.h"
#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {

// Mean of the present cells of the leaves at `positions` into `centroid`.
void meanOf(const CForest& f, const std::vector<int>& positions, float* centroid, std::vector<double>& sum,
            std::vector<int>& count)
{
    const int L = f.m_nProfileLength;
    std::fill(sum.begin(), sum.end(), 0.0);
    std::fill(count.begin(), count.end(), 0);
    for (int p : positions) {
        const CNode* leaf = f.leaf(p);
        for (int c = 0; c < L; ++c)
            if (!leaf->m_pWeights || !isMissingWeight(leaf->m_pWeights[c])) {
                sum[static_cast<size_t>(c)] += leaf->m_pValues[c];
                ++count[static_cast<size_t>(c)];
            }
    }
    for (int c = 0; c < L; ++c)
        centroid[c] = count[static_cast<size_t>(c)] ? static_cast<float>(sum[static_cast<size_t>(c)] / count[static_cast<size_t>(c)])
                                                    : 0.0f;
}

} // namespace

KMeansOutcome runKMeans(CForest& forest, int k, bool useTreeClusters, int iterationLimit, std::optional<unsigned> seed,
                        int* iterations)
{
    if (iterations)
        *iterations = 0;
    const int n = forest.m_nLeaves;
    const int L = forest.m_nProfileLength;
    if (useTreeClusters)
        k = static_cast<int>(forest.m_clusters.size());
    if (k < 1 || k > n || L < 1 || !forest.ok())
        return KMeansOutcome::Refused;
    for (int p = 0; p < n; ++p)
        if (!forest.leaf(p)->m_pValues)
            return KMeansOutcome::Refused;

    // 1. The distance function: that of the last clustering, else Euclidean.
    if (!forest.m_pDistance)
        forest.selectMeasure(kMeasureEuclidean);
    if (forest.m_pPartner &&
        ((forest.m_nMeasure == kMeasureEuclidean && !(forest.m_dEuclideanNormaliser > 0.0)) ||
         (forest.m_nMeasure == kMeasureManhattan && !(forest.m_dManhattanNormaliser > 0.0)))) {
        auto [manhattan, euclidean] = computeNormalisers(*forest.m_pPartner);
        forest.setNormalisers(manhattan, euclidean);
    }
    if (forest.m_columnWeights.size() != static_cast<size_t>(L))
        forest.m_columnWeights.assign(static_cast<size_t>(L), 1.0f);
    const DistanceParams params = forest.distanceParams(forest.m_columnWeights.data(), true, false);
    const std::vector<float> ones(static_cast<size_t>(L), 1.0f);

    // 2. Initial centroids.
    std::vector<float> centroids(static_cast<size_t>(k) * static_cast<size_t>(L));
    auto centroid = [&](int c) { return centroids.data() + static_cast<size_t>(c) * static_cast<size_t>(L); };
    std::vector<double> sum(static_cast<size_t>(L));
    std::vector<int> count(static_cast<size_t>(L));
    if (useTreeClusters) {
        for (int c = 0; c < k; ++c) {
            auto [first, last] = forest.clusterRange(c);
            std::vector<int> members;
            for (int p = first; p <= last && p >= 0; ++p)
                members.push_back(p);
            meanOf(forest, members, centroid(c), sum, count);
        }
    } else {
        std::mt19937 generator(seed ? *seed : static_cast<unsigned>(std::time(nullptr)));
        std::vector<char> drawn(static_cast<size_t>(n), 0);
        for (int c = 0; c < k; ++c) {
            int r;
            do
                r = static_cast<int>(generator() % static_cast<unsigned>(n));
            while (drawn[static_cast<size_t>(r)]);
            drawn[static_cast<size_t>(r)] = 1;
            std::copy(forest.leaf(r)->m_pValues, forest.leaf(r)->m_pValues + L, centroid(c));
        }
    }

    // 3. Assign and update until nothing changes or the limit is reached.
    std::vector<int> assignment(static_cast<size_t>(n), -1), previous;
    std::vector<char> live(static_cast<size_t>(k), 1);
    std::vector<int> members(static_cast<size_t>(k));
    std::vector<std::vector<int>> memberPositions(static_cast<size_t>(k));
    bool changed = true;
    int iteration = 0;
    while (iteration < iterationLimit) {
        previous = assignment;
        for (int p = 0; p < n; ++p) {
            const CNode* leaf = forest.leaf(p);
            int best = -1;
            double bestDistance = std::numeric_limits<double>::infinity();
            for (int c = 0; c < k; ++c) {
                if (!live[static_cast<size_t>(c)])
                    continue;
                const double d = forest.m_pDistance(leaf->m_pValues, leaf->m_pWeights, centroid(c), ones.data(), params);
                if (d < bestDistance || best < 0) {
                    best = c;
                    bestDistance = d;
                }
            }
            assignment[static_cast<size_t>(p)] = best;
        }
        for (auto& m : memberPositions)
            m.clear();
        for (int p = 0; p < n; ++p)
            memberPositions[static_cast<size_t>(assignment[static_cast<size_t>(p)])].push_back(p);
        for (int c = 0; c < k; ++c) {
            if (memberPositions[static_cast<size_t>(c)].empty())
                live[static_cast<size_t>(c)] = 0;
            else
                meanOf(forest, memberPositions[static_cast<size_t>(c)], centroid(c), sum, count);
        }
        changed = assignment != previous;
        if (!changed)
            break;
        ++iteration;
    }

    // 4. The result goes into the leaves.
    for (int p = 0; p < n; ++p)
        forest.leaf(p)->m_nMarker1 = assignment[static_cast<size_t>(p)];
    if (iterations)
        *iterations = iteration;
    return changed ? KMeansOutcome::LimitReached : KMeansOutcome::Converged;
}

void refreshKMeansOrder(CForest& forest)
{
    std::vector<std::pair<int, int>> pairs;  // (cluster, position)
    pairs.reserve(static_cast<size_t>(forest.m_nLeaves));
    for (int p = 0; p < forest.m_nLeaves; ++p)
        pairs.emplace_back(forest.leaf(p)->m_nMarker1, p);
    std::sort(pairs.begin(), pairs.end());
    forest.m_kmeansOrder.clear();
    for (const auto& pr : pairs)
        forest.m_kmeansOrder.push_back(pr.second);
}

bool exportKMeans(const CForest& rows, const CForest& columns, const DataMatrix& data, const std::string& path,
                  bool originalValues)
{
    if (!rows.m_bKMeans && !columns.m_bKMeans)
        return false;
    auto orderOf = [](const CForest& f) {
        if (f.m_bKMeans && f.m_kmeansOrder.size() == static_cast<size_t>(f.m_nLeaves))
            return f.m_kmeansOrder;
        std::vector<int> order(static_cast<size_t>(f.m_nLeaves));
        for (int p = 0; p < f.m_nLeaves; ++p)
            order[static_cast<size_t>(p)] = p;
        return order;
    };
    auto localIndex = [](const CForest& f) {
        std::unordered_map<const CNode*, int> local;
        for (int i = 0; i < f.m_nLeaves; ++i)
            local.emplace(f.m_pOrgNodes[static_cast<size_t>(i)], i);
        std::vector<int> out(static_cast<size_t>(f.m_nLeaves));
        for (int p = 0; p < f.m_nLeaves; ++p)
            out[static_cast<size_t>(p)] = local[f.leaf(p)];
        return out;
    };
    const std::vector<int> rowOrder = orderOf(rows), columnOrder = orderOf(columns);
    const std::vector<int> rowOf = localIndex(rows), columnOf = localIndex(columns);
    const bool rowClusters = rows.m_bKMeans;

    ProgressScope progress("Progress", "Exporting K-means clustering result...");
    LineWriter out;
    if (!out.open(path)) {
        showMessage("Error in opening the file");
        return false;
    }
    out.line({"K-means Clustering Result generated by the Arbolix"});
    std::vector<std::string> cells;
    if (rowClusters)
        cells.emplace_back("CLUSTER ID");
    cells.emplace_back("ID");
    for (int p : columnOrder)
        cells.push_back(data.columnField(columnOf[static_cast<size_t>(p)])->m_strName);
    cells.emplace_back("NAME");
    out.line(cells);
    if (columns.m_bKMeans) {
        cells.assign(rowClusters ? 2 : 1, std::string());
        for (int p : columnOrder)
            cells.push_back(strFormat("KCLUSTER%d", columns.leaf(p)->m_nMarker1 + 1));
        out.line(cells);
    }
    const int nr = rows.m_nLeaves;
    progress->setRange(0, nr);
    const int interval = progressInterval(nr);
    for (int i = 0; i < nr; ++i) {
        if (cancelledAt(progress.get(), i, interval)) {
            out.close();
            return false;
        }
        const int p = rowOrder[static_cast<size_t>(i)];
        const int r = rowOf[static_cast<size_t>(p)];
        cells.clear();
        if (rowClusters)
            cells.push_back(strFormat("KCLUSTER%d", rows.leaf(p)->m_nMarker1 + 1));
        cells.push_back(data.itemId(r));
        for (int q : columnOrder) {
            const int c = columnOf[static_cast<size_t>(q)];
            cells.push_back(isMissingWeight(data.weight(r, c))
                                ? std::string()
                                : strFormat("%f", static_cast<double>(originalValues ? data.orgValue(r, c) : data.value(r, c))));
        }
        cells.push_back(data.itemName(r));
        out.line(cells);
    }
    progress->setMessage("Writing output files...");
    if (!out.close()) {
        showMessage("Error in writing the file " + path);
        return false;
    }
    return true;
}
