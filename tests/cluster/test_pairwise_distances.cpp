// The pairwise distances of a clustering run with missing cells: whatever
// way the kernels take (complete rows, rows with missing cells, one thread
// or several, vector or portable kernels), every stored 16-bit distance is
// the rounded distance of the measure's definition, computed pair by pair.
// And the trees over the bundled sample with blanked cells are the trees of
// those definition distances.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "ClusterFixtures.h"
#include "cluster/ClusterPartition.h"
#include "cluster/CondensedMatrix.h"
#include "cluster/PairwiseDistances.h"
#include "data/DataMatrix.h"
#include "platform/Format.h"
#include "platform/Parallel.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

// Profiles of expression-like values with the awkward cases in them: each
// profile has its own level and spread (some with a large level and a tiny
// spread, where sums of raw squares lose the variance), near-copies and
// mirror images of other profiles with other missing cells, constant
// profiles, profiles constant over their present cells, and profiles with
// no, one or two present cells. Cell weights are p-values' complements.
Profiles awkwardProfiles(int n, int length, unsigned seed, double missing)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    Profiles p;
    p.n = n;
    p.length = length;
    p.values.resize(static_cast<size_t>(n) * length);
    p.weights.resize(p.values.size());
    for (int i = 0; i < n; ++i) {
        float* v = p.row(i);
        float* w = p.weightRow(i);
        const int kind = i % 11;
        const double level = kind == 3 ? 5000.0 : 7.0 + 2.0 * normal(rng);
        const double spread = kind == 3 ? 0.01 : 0.05 + 2.0 * uniform(rng);
        for (int k = 0; k < length; ++k) {
            double x = level + spread * normal(rng);
            if (i > 0 && kind == 5)  // a near-copy of the previous profile
                x = p.row(i - 1)[k] + 1e-4 * normal(rng);
            if (i > 0 && kind == 6)  // a mirror image, shifted and scaled
                x = 20.0 - 2.0 * p.row(i - 1)[k];
            if (kind == 7 && i % 3 == 0)
                x = 4.25;  // constant
            v[k] = static_cast<float>(x);
            w[k] = static_cast<float>(uniform(rng));
            if (uniform(rng) < missing) {
                v[k] = 0.0f;
                w[k] = -1.0f;
            }
        }
        auto keepPresent = [&](int keep) {  // only the first `keep` cells present
            for (int k = keep; k < length; ++k) {
                v[k] = 0.0f;
                w[k] = -1.0f;
            }
        };
        if (i == 9)
            keepPresent(0);
        if (i == 20)
            keepPresent(1);
        if (i == 31)
            keepPresent(2);
        if (i == 42) {  // constant over its present cells, other values where it misses
            for (int k = 0; k < length; ++k)
                if (w[k] != -1.0f)
                    v[k] = 3.0f;
            w[0] = -1.0f;
            v[0] = 9.0f;
        }
    }
    return p;
}

struct Setting {
    int measure;
    bool centered, absolute, pValueWeights;
};

std::string describe(const Setting& s)
{
    return strFormat("measure %d centered %d absolute %d p-values %d", s.measure, s.centered, s.absolute,
                     s.pValueWeights);
}

// The input of a run over p with the setting, some slots disabled.
PairwiseInput inputOf(Profiles& p, const std::vector<float>& columnWeights, const Setting& s)
{
    PairwiseInput in;
    in.measure = s.measure;
    in.params.columnWeights = columnWeights.data();
    in.params.n = p.length;
    in.params.centered = s.centered;
    in.params.absolute = s.absolute;
    in.params.pValueWeights = s.pValueWeights;
    // Normalisers from the value ranges, so that the distances spread over the scale.
    double manhattan = 0.0, euclidean = 0.0;
    for (int k = 0; k < p.length; ++k) {
        float lo = 0.0f, hi = 0.0f;
        bool any = false;
        for (int i = 0; i < p.n; ++i)
            if (p.weightRow(i)[k] != -1.0f && p.row(i)[k] < 1000.0f) {
                lo = any ? std::min(lo, p.row(i)[k]) : p.row(i)[k];
                hi = any ? std::max(hi, p.row(i)[k]) : p.row(i)[k];
                any = true;
            }
        manhattan += hi - lo;
        euclidean += double(hi - lo) * (hi - lo);
    }
    in.params.manhattanNormaliser = manhattan;
    in.params.euclideanNormaliser = std::sqrt(p.length * euclidean);
    for (int k = 0; k < p.n; ++k) {
        in.values.push_back(p.row(k));
        in.weights.push_back(p.weightRow(k));
        in.enabled.push_back(k % 37 != 12);
    }
    return in;
}

// Computes the matrix with 1 thread, 2 threads and (unless `portable` is
// false) the portable kernels, and counts the cells that differ from the
// definition's.
void expectTheDefinitionsDistances(Profiles& p, const std::vector<float>& columnWeights, const Setting& s,
                                   const std::string& what, bool portable = true)
{
    const PairwiseInput in = inputOf(p, columnWeights, s);
    const int n = p.n;
    RecordingProgress progress;
    std::vector<std::unique_ptr<CondensedMatrix>> results;
    const int runs = portable ? 3 : 2;
    for (int run = 0; run < runs; ++run) {
        setClusteringThreads(run == 0 ? 1 : 2);
        setVectorKernels(run < 2);  // the last run with the portable kernels
        results.push_back(CondensedMatrix::allocate(n));
        ASSERT_TRUE(computePairwiseDistances(in, *results.back(), progress));
    }
    setClusteringThreads(0);
    setVectorKernels(true);
    const DistanceFn fn = distanceFunction(s.measure);
    int mismatches[3] = {0, 0, 0};
    std::string first;
    for (int i = 1; i < n; ++i)
        for (int j = 0; j < i; ++j) {
            const unsigned short expected =
                in.enabled[i] && in.enabled[j]
                    ? roundDistance(fn(p.row(i), p.weightRow(i), p.row(j), p.weightRow(j), in.params))
                    : 65535;
            for (int run = 0; run < runs; ++run)
                if (results[static_cast<size_t>(run)]->at(i, j) != expected) {
                    if (first.empty())
                        first = strFormat("run %d pair (%d, %d): %u, expected %u", run, i, j,
                                          results[static_cast<size_t>(run)]->at(i, j), expected);
                    ++mismatches[run];
                }
        }
    EXPECT_EQ(mismatches[0] + mismatches[1] + mismatches[2], 0)
        << what << ", " << describe(s) << ": one thread " << mismatches[0] << ", two threads " << mismatches[1]
        << ", portable kernels " << mismatches[2] << "; first " << first;
}

std::vector<Setting> everySetting()
{
    std::vector<Setting> out;
    for (bool pValues : {false, true}) {
        for (int flags = 0; flags < 4; ++flags)
            out.push_back({kMeasurePearson, !(flags & 1), (flags & 2) != 0, pValues});
        out.push_back({kMeasureEuclidean, true, false, pValues});
        out.push_back({kMeasureManhattan, true, false, pValues});
    }
    out.push_back({kMeasureMatching, true, false, false});
    return out;
}

TEST(PairwiseDistances, MissingCellsGiveTheDefinitionsDistancesForEveryMeasureAndFlag)
{
    // Many short profiles (clustering rows) and a few long ones (clustering
    // columns), both past the size at which the work is split.
    struct Shape {
        int n, length;
        double missing;
    };
    for (const Shape& shape : {Shape{230, 41, 0.01}, Shape{230, 41, 0.1}, Shape{205, 130, 0.1}}) {
        Profiles p = awkwardProfiles(shape.n, shape.length, 11u + static_cast<unsigned>(shape.length), shape.missing);
        std::vector<float> columnWeights(static_cast<size_t>(shape.length), 1.0f);
        columnWeights[2] = -1.0f;  // excluded
        columnWeights[5] = 0.0f;   // counted, without weight
        columnWeights[8] = 2.5f;
        columnWeights[13] = 0.25f;
        for (const Setting& s : everySetting())
            expectTheDefinitionsDistances(p, columnWeights, s,
                                          strFormat("%d x %d, %g missing", shape.n, shape.length, shape.missing));
    }
}

TEST(PairwiseDistances, LongProfilesWithMissingCells)
{
    // Profiles of more than a thousand columns take another way through the
    // vector kernels' tiles, whatever Pearson's flags.
    Profiles p = awkwardProfiles(205, 1030, 17u, 0.1);
    std::vector<float> columnWeights(1030, 1.0f);
    columnWeights[2] = -1.0f;
    columnWeights[5] = 0.0f;
    for (const Setting& s : {Setting{kMeasurePearson, true, false, false}, Setting{kMeasurePearson, false, true, false}})
        expectTheDefinitionsDistances(p, columnWeights, s, "long profiles", false);
}

TEST(PairwiseDistances, LargeLevelsWithSmallSpreadsAndEqualWeightsWithoutMissingCells)
{
    // Complete profiles far from 0 relative to their spread: the correlation
    // must not come from raw sums of products.
    Profiles p = awkwardProfiles(230, 64, 5u, 0.0);
    for (int i = 0; i < p.n; ++i)
        for (int k = 0; k < p.length; ++k) {
            p.weightRow(i)[k] = 1.0f;
            p.row(i)[k] = 20000.0f + (p.row(i)[k] - 7.0f) * 0.05f;
        }
    const std::vector<float> columnWeights(64, 1.0f);
    for (const Setting& s : everySetting())
        if (!s.pValueWeights)
            expectTheDefinitionsDistances(p, columnWeights, s, "large levels");
}

TEST(PairwiseDistances, CompleteProfilesUnderOneColumnWeight)
{
    // Euclidean then sums plain squared differences; near-copies and large
    // levels included.
    Profiles p = awkwardProfiles(230, 41, 29u, 0.0);
    std::fill(p.weights.begin(), p.weights.end(), 1.0f);
    std::vector<float> columnWeights(41, 1.0f), withExcluded = columnWeights;
    withExcluded[2] = -1.0f;
    for (const std::vector<float>& weights : {columnWeights, withExcluded})
        for (int measure : {kMeasureEuclidean, kMeasureManhattan})
            expectTheDefinitionsDistances(p, weights, Setting{measure, true, false, false}, "one column weight");
}

TEST(PairwiseDistances, ZeroWeightsEverywhereAndNoSharedColumns)
{
    // Every column of a few profiles has weight 0 (a total weight of 0 gives
    // 65535), and two halves of the profiles share no column.
    Profiles p = awkwardProfiles(210, 20, 3u, 0.05);
    for (int i = 0; i < p.n; ++i)
        for (int k = 0; k < p.length; ++k)
            if ((i % 2 == 0) == (k < 10)) {
                p.row(i)[k] = 0.0f;
                p.weightRow(i)[k] = -1.0f;
            }
    std::vector<float> columnWeights(20, 1.0f);
    for (int k = 0; k < 6; ++k)
        columnWeights[static_cast<size_t>(k)] = 0.0f;
    for (const Setting& s : everySetting())
        expectTheDefinitionsDistances(p, columnWeights, s, "zero weights");
}

TEST(PairwiseDistances, UnroundedDistancesWithMissingCellsAreTheDefinitions)
{
    // Every pair of a block, either way round and with itself, with the
    // vector and the portable kernels.
    Profiles p = awkwardProfiles(90, 41, 23u, 0.1);
    std::vector<float> columnWeights(41, 1.0f);
    columnWeights[2] = -1.0f;
    columnWeights[5] = 0.0f;
    columnWeights[8] = 2.5f;
    const int n = p.n;
    for (const Setting& s : everySetting())
        for (bool vector : {true, false}) {
            const PairwiseInput in = inputOf(p, columnWeights, s);
            setVectorKernels(vector);
            const PairDistances pairs(in);
            setVectorKernels(true);
            // Rows 3..n-1 against 1..n-2: blocks that start and end off the
            // groups of four.
            std::vector<double> out(static_cast<size_t>(n) * n, -1.0);
            pairs.compute(3, n, 1, n - 1, out.data(), static_cast<size_t>(n));
            const DistanceFn fn = distanceFunction(s.measure);
            int mismatches = 0;
            std::string first;
            for (int i = 3; i < n; ++i)
                for (int j = 1; j < n - 1; ++j) {
                    const double expected =
                        in.enabled[i] && in.enabled[j]
                            ? fn(p.row(i), p.weightRow(i), p.row(j), p.weightRow(j), in.params)
                            : 65535.0;
                    const double got = out[static_cast<size_t>(i - 3) * n + static_cast<size_t>(j - 1)];
                    if (!(std::fabs(got - expected) <= 1e-6)) {
                        if (first.empty())
                            first = strFormat("pair (%d, %d): %.9f, expected %.9f", i, j, got, expected);
                        ++mismatches;
                    }
                }
            EXPECT_EQ(mismatches, 0) << describe(s) << (vector ? ", vector" : ", portable") << "; first " << first;
        }
}

// ---- trees over the sample ----

const std::string kSample = std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt";

// The sample with each value cell blanked with probability `share`.
std::string blankedSample(const TempDir& dir, double share, unsigned seed)
{
    std::ifstream in(kSample);
    const std::string path = dir.path("blanked.txt");
    std::ofstream out(path);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> coin(0.0, 1.0);
    std::string line;
    for (int lineNo = 0; std::getline(in, line); ++lineNo) {
        if (lineNo < 2) {  // header and class row
            out << line << '\n';
            continue;
        }
        std::stringstream fields(line);
        std::string field;
        for (int f = 0; std::getline(fields, field, '\t'); ++f)
            out << (f ? "\t" : "") << (f >= 2 && coin(rng) < share ? "" : field);
        out << '\n';
    }
    return path;
}

// The merges of a forest: children and similarity, in merge order.
std::vector<std::string> merges(const CForest& f)
{
    std::vector<std::string> out;
    for (int i = f.m_nLeaves; i < 2 * f.m_nLeaves - 1; ++i) {
        const CNode* b = f.m_pNodes[static_cast<size_t>(i)];
        auto id = [](const CNode* c) { return strFormat(c->isLeaf() ? "L%d" : "B%d", c->m_nIndex); };
        out.push_back(id(b->m_pFirst) + " " + id(b->m_pSecond) + " " +
                      strFormat("%.9g", static_cast<double>(b->m_fSimilarity)));
    }
    return out;
}

// The matrix of a forest's leaves computed pair by pair by the definition,
// with the normalisers of a run.
std::unique_ptr<CondensedMatrix> definitionMatrix(CForest& f, const CForest& partner, const ClusteringOptions& o)
{
    const std::vector<float> weights = columnWeightVector(partner);
    auto [manhattan, euclidean] = computeNormalisers(partner);
    f.setNormalisers(manhattan, euclidean);
    const DistanceParams params = f.distanceParams(weights.data(), o.centered, o.absolute);
    const DistanceFn fn = distanceFunction(o.measure);
    auto m = CondensedMatrix::allocate(f.m_nLeaves);
    // Rows split over the cores, each row by itself.
    parallelFor(static_cast<size_t>(f.m_nLeaves), 64, [&](size_t i0, size_t i1) {
        for (int i = std::max<int>(1, static_cast<int>(i0)); i < static_cast<int>(i1); ++i)
            for (int j = 0; j < i; ++j) {
                const CNode* a = f.m_pOrgNodes[static_cast<size_t>(i)];
                const CNode* b = f.m_pOrgNodes[static_cast<size_t>(j)];
                m->cell(i, j) = a->m_bEnabled && b->m_bEnabled
                                    ? roundDistance(fn(a->m_pValues, a->m_pWeights, b->m_pValues, b->m_pWeights, params))
                                    : 65535;
            }
    });
    return m;
}

TEST(PairwiseDistances, TreesOfTheSampleWithBlankedCellsAreThoseOfTheDefinition)
{
    ScopedRecordingMessages messages;
    TempDir dir;
    const std::string path = blankedSample(dir, 0.05, 7u);
    // Both measures by columns; the rows (2000 leaves) by Pearson's.
    for (int measure : {kMeasurePearson, kMeasureEuclidean})
        for (bool byRows : {true, false}) {
            if (byRows && measure != kMeasurePearson)
                continue;
            ClusteringOptions o;
            o.measure = measure;
            o.clusterRows = byRows;
            o.clusterColumns = !byRows;
            std::vector<std::string> trees[2];  // kernels, definition
            for (int way = 0; way < 2; ++way) {
                DataMatrix data;
                ASSERT_TRUE(data.loadDataFile(path));
                data.computeStatistics(false, true);
                data.computeStatistics(false, false);
                std::unique_ptr<CForest> rows, columns;
                ASSERT_TRUE(makeForestPair(data, rows, columns));
                CForest& f = byRows ? *rows : *columns;
                if (way == 1)
                    f.m_pMatrix = definitionMatrix(f, byRows ? *columns : *rows, o);
                ASSERT_TRUE(clusterPartition(*rows, *columns, o));
                trees[way] = merges(f);
            }
            EXPECT_EQ(trees[0].size(), byRows ? 1999u : 127u);
            EXPECT_EQ(trees[0], trees[1]) << (byRows ? "rows" : "columns") << ", measure " << measure;
        }
}

} // namespace
