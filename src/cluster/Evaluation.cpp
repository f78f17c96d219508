// F-measure of a cut, within- and between-cluster distances, and the
// cluster-by-cluster comparison of two dendrograms.
#include "cluster/Evaluation.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "cluster/Forest.h"
#include "platform/Format.h"
#include "platform/Parallel.h"

double fMeasure(const CForest& forest)
{
    const int n = forest.m_nLeaves;
    if (!forest.m_bHasClasses || forest.m_clusters.empty() || n < 1)
        return 0.0;
    std::vector<int> classes(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p)
        classes[static_cast<size_t>(p)] = forest.leaf(p)->m_nMarker2;
    std::vector<std::pair<int, int>> ranges;
    for (const CNode* c : forest.m_clusters)
        ranges.push_back(forest.leafRange(c));
    return fMeasureOfRanges(classes, forest.m_classSizes, ranges);
}

double fMeasureOfRanges(const std::vector<int>& classes, const std::vector<int>& classSizes,
                        const std::vector<std::pair<int, int>>& ranges)
{
    const int n = static_cast<int>(classes.size());
    if (ranges.empty() || n < 1)
        return 0.0;
    const size_t classCount = classSizes.size();
    auto classIndex = [&](int p) {
        const int c = classes[static_cast<size_t>(p)];
        return c >= 1 && static_cast<size_t>(c) <= classCount ? static_cast<size_t>(c - 1) : classCount;
    };
    // n_ij per cluster, and which classes have a leaf outside every cluster.
    std::vector<std::vector<int>> inCluster(ranges.size(), std::vector<int>(classCount, 0));
    std::vector<char> inside(static_cast<size_t>(n), 0);
    for (size_t i = 0; i < ranges.size(); ++i) {
        auto [first, last] = ranges[i];
        for (int p = std::max(first, 0); p <= last && p < n; ++p) {
            inside[static_cast<size_t>(p)] = 1;
            if (const size_t c = classIndex(p); c < classCount)
                ++inCluster[i][c];
        }
    }
    std::vector<char> outside(classCount, 0);
    for (int p = 0; p < n; ++p)
        if (const size_t c = classIndex(p); !inside[static_cast<size_t>(p)] && c < classCount)
            outside[c] = 1;
    double total = 0.0;
    for (size_t j = 0; j < classCount; ++j) {
        const double size = classSizes[j];
        if (size <= 0)
            continue;
        double best = 0.0;
        for (size_t i = 0; i < ranges.size(); ++i) {
            const double nij = inCluster[i][j];
            if (nij <= 0)
                continue;
            const double P = nij / (ranges[i].second - ranges[i].first + 1), R = nij / size;
            best = std::max(best, 2.0 * P * R / (P + R));
        }
        if (outside[j])
            best = std::max(best, 2.0 * (1.0 / size) / (1.0 / size + 1.0));
        total += size / n * best;
    }
    return total;
}

namespace {

size_t pairCount(const std::vector<int>& a, const std::vector<int>& b, bool same)
{
    return same ? a.size() * (a.empty() ? 0 : a.size() - 1) / 2 : a.size() * b.size();
}

// The sum of the distances of the pairs, in a fixed order.
double distanceSum(const CForest& forest, const EvaluationDistance& c, const std::vector<int>& a,
                   const std::vector<int>& b, bool same)
{
    double sum = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        const CNode* x = forest.leaf(a[i]);
        const size_t stop = same ? i : b.size();
        for (size_t j = 0; j < stop; ++j) {
            const CNode* y = forest.leaf(same ? a[j] : b[j]);
            sum += c.distance(x->m_pValues, x->m_pWeights, y->m_pValues, y->m_pWeights, c.params);
        }
    }
    return sum;
}

} // namespace

EvaluationDistance::EvaluationDistance(const CForest& forest, bool centered, bool absolute)
{
    const int L = forest.m_nProfileLength;
    weights.assign(static_cast<size_t>(L), 1.0f);
    if (forest.m_pPartner && forest.m_pPartner->m_nLeaves == L)
        for (int p = 0; p < L; ++p)
            weights[static_cast<size_t>(p)] = forest.m_pPartner->leaf(p)->m_fWeight;
    params = forest.distanceParams(weights.data(), centered, absolute);
    distance = forest.m_pDistance;
    measure = forest.m_nMeasure;
    if (!distance) {
        measure = kMeasureEuclidean;
        distance = distanceFunction(measure);
    }
    if (distanceFunction(measure) != distance) {
        measure = -1;
        for (int m = kMeasurePearson; m <= kMeasureMatching; ++m)
            if (distanceFunction(m) == distance)
                measure = m;
    }
    if (forest.m_pPartner && ((measure == kMeasureEuclidean && !(params.euclideanNormaliser > 0.0)) ||
                              (measure == kMeasureManhattan && !(params.manhattanNormaliser > 0.0)))) {
        auto [manhattan, euclidean] = computeNormalisers(*forest.m_pPartner);
        params.manhattanNormaliser = manhattan;
        params.euclideanNormaliser = euclidean;
    }
}

std::optional<double> averageDistance(const CForest& forest, const std::vector<int>& a, const std::vector<int>& b,
                                      bool centered, bool absolute)
{
    const bool same = &a == &b || a == b;
    const size_t pairs = pairCount(a, b, same);
    if (pairs == 0)
        return std::nullopt;
    const EvaluationDistance context(forest, centered, absolute);
    // One partial sum per leaf of A, added up in order afterwards, so the
    // result does not depend on the number of threads.
    std::vector<double> partial(a.size(), 0.0);
    parallelFor(a.size(), 16, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const CNode* x = forest.leaf(a[i]);
            const size_t stop = same ? i : b.size();
            double sum = 0.0;
            for (size_t j = 0; j < stop; ++j) {
                const CNode* y = forest.leaf(same ? a[j] : b[j]);
                sum += context.distance(x->m_pValues, x->m_pWeights, y->m_pValues, y->m_pWeights, context.params);
            }
            partial[i] = sum;
        }
    });
    double sum = 0.0;
    for (double s : partial)
        sum += s;
    return sum / static_cast<double>(pairs);
}

std::vector<std::vector<int>> cutClusters(const CForest& forest)
{
    std::vector<std::vector<int>> out;
    for (size_t c = 0; c < forest.m_clusters.size(); ++c) {
        auto [first, last] = forest.clusterRange(static_cast<int>(c));
        std::vector<int> positions;
        for (int p = first; p <= last && p >= 0; ++p)
            positions.push_back(p);
        out.push_back(std::move(positions));
    }
    return out;
}

std::vector<std::vector<int>> kMeansClusters(const CForest& forest)
{
    std::vector<std::vector<int>> out;
    int current = 0;
    bool first = true;
    for (int p : forest.m_kmeansOrder) {
        if (p < 0 || p >= forest.m_nLeaves)
            continue;
        const int c = forest.leaf(p)->m_nMarker1;
        if (first || c != current) {
            out.emplace_back();
            current = c;
            first = false;
        }
        out.back().push_back(p);
    }
    return out;
}

ClusterEvaluation evaluateClusters(const CForest& forest, const std::vector<std::vector<int>>& clusters, bool centered,
                                   bool absolute)
{
    ClusterEvaluation e;
    e.clusters = static_cast<int>(clusters.size());
    // Every (cluster, cluster) pair, the cluster with itself first; each
    // pair's sum is made by one thread in a fixed order.
    struct Job {
        size_t a, b;
        double mean = 0.0;
        bool available = false;
    };
    std::vector<Job> jobs;
    for (size_t i = 0; i < clusters.size(); ++i)
        for (size_t j = i; j < clusters.size(); ++j)
            jobs.push_back({i, j});
    const EvaluationDistance context(forest, centered, absolute);
    parallelFor(jobs.size(), 1, [&](size_t begin, size_t end) {
        for (size_t k = begin; k < end; ++k) {
            Job& job = jobs[k];
            const bool same = job.a == job.b;
            const size_t pairs = pairCount(clusters[job.a], clusters[job.b], same);
            if (pairs == 0)
                continue;
            job.mean = distanceSum(forest, context, clusters[job.a], clusters[job.b], same) / static_cast<double>(pairs);
            job.available = true;
        }
    });
    double within = 0.0, between = 0.0;
    int withinCount = 0, betweenCount = 0;
    for (const Job& job : jobs) {
        if (!job.available)
            continue;
        if (job.a == job.b) {
            within += job.mean;
            ++withinCount;
        } else {
            between += job.mean;
            ++betweenCount;
        }
    }
    if (withinCount > 0)
        e.within = within / withinCount;
    if (betweenCount > 0)
        e.between = between / betweenCount;
    if (e.within && e.between && *e.between != 0.0)
        e.ratio = *e.within / *e.between;
    return e;
}

ClusterEvaluation evaluateHierarchical(const CForest& forest, bool centered, bool absolute)
{
    return evaluateClusters(forest, cutClusters(forest), centered, absolute);
}

ClusterEvaluation evaluateKMeans(const CForest& forest, bool centered, bool absolute)
{
    return evaluateClusters(forest, kMeansClusters(forest), centered, absolute);
}

std::string evaluationText(const std::optional<double>& value)
{
    return value ? strFormat("%6.3f", *value) : std::string("N/A");
}

std::string unavailableText(const std::string& reason) { return "N/A (" + reason + ")"; }

EvaluationTexts evaluationTexts(const ClusterEvaluation& e)
{
    // Distances are on the 0..65535 scale of the similarity measures.
    auto distance = [](const std::optional<double>& d, const char* reason) {
        return d ? strFormat("%6.3f (similarity %.3f)", *d, 1.0 - *d / 65535.0) : unavailableText(reason);
    };
    EvaluationTexts t;
    t.within = distance(e.within, "no cluster has two members");
    t.between = distance(e.between, "fewer than two clusters");
    if (e.ratio)
        t.ratio = strFormat("%6.3f", *e.ratio);
    else
        t.ratio = t.within.rfind("N/A", 0) == 0    ? t.within
                  : t.between.rfind("N/A", 0) == 0 ? t.between
                                                   : unavailableText("between-cluster distance is 0");
    return t;
}

std::string evaluationLogLine(const ClusterEvaluation& e, float minSimilarity)
{
    return strFormat("%d\t%5.4f\t", e.clusters, static_cast<double>(minSimilarity)) + evaluationText(e.within) + "\t" +
           evaluationText(e.between) + "\n";
}

bool appendEvaluationLog(const std::string& path, const std::string& line)
{
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return false;
    const bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<std::vector<int>> cutClusterItems(const CForest& forest)
{
    std::vector<std::vector<int>> out;
    for (const auto& positions : cutClusters(forest)) {
        std::vector<int> items;
        for (int p : positions)
            items.push_back(forest.dataIndex(p));
        std::sort(items.begin(), items.end());
        out.push_back(std::move(items));
    }
    return out;
}

std::vector<ClusterPairScore> compareClusterCuts(const CForest& first, const CForest& second)
{
    const auto a = cutClusterItems(first), b = cutClusterItems(second);
    std::vector<ClusterPairScore> out;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j) {
            size_t shared = 0;
            for (auto p = a[i].begin(), q = b[j].begin(); p != a[i].end() && q != b[j].end();) {
                if (*p < *q) {
                    ++p;
                } else if (*q < *p) {
                    ++q;
                } else {
                    ++shared;
                    ++p;
                    ++q;
                }
            }
            out.push_back({static_cast<int>(i), static_cast<int>(j), clusterPairFMeasure(shared, a[i].size(), b[j].size())});
        }
    return out;
}

double clusterPairFMeasure(size_t shared, size_t first, size_t second, double* precision, double* recall)
{
    const double P = second > 0 ? static_cast<double>(shared) / static_cast<double>(second) : 0.0;
    const double R = first > 0 ? static_cast<double>(shared) / static_cast<double>(first) : 0.0;
    if (precision)
        *precision = P;
    if (recall)
        *recall = R;
    return shared > 0 ? 2.0 * P * R / (P + R) : 0.0;
}

std::vector<std::string> clusterPairRow(const ClusterPairScore& s)
{
    return {strFormat("Row Cluster %d", s.first), strFormat("Col Cluster %d", s.second), strFormat("%.3f", s.score)};
}
