// Agglomerative runs: tie rules, linkages, arrangements, the 1by1 rule,
// disabled leaves, cancel and memory failures, and agreement with a plain
// O(n^3) implementation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "ClusterFixtures.h"
#include "cluster/CondensedMatrix.h"
#include "cluster/HierarchicalClustering.h"
#include "cluster/PairwiseDistances.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"

namespace {

std::vector<int> leavesUnder(const CNode* node)
{
    std::vector<int> out;
    std::vector<const CNode*> stack{node};
    while (!stack.empty()) {
        const CNode* n = stack.back();
        stack.pop_back();
        if (n->isLeaf())
            out.push_back(n->m_nIndex);
        else {
            stack.push_back(n->m_pFirst);
            stack.push_back(n->m_pSecond);
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

// A forest of n leaves whose distances are given directly.
struct MatrixForest {
    Profiles profiles;
    std::unique_ptr<CForest> forest;
    MatrixForest(int n, const std::vector<std::vector<unsigned short>>& lower)
    {
        profiles = randomProfiles(n, 3, 7);
        forest = forestOver(profiles);
        forest->m_pMatrix = CondensedMatrix::allocate(n);
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < i; ++j)
                forest->m_pMatrix->row(i)[j] = lower[static_cast<size_t>(i)][static_cast<size_t>(j)];
    }
    bool run(int linkage, int arrangement = kKeepRightChildRedder)
    {
        return buildDendrogram(*forest, linkage, arrangement, true, false, unitWeights(3));
    }
    const CNode* branch(int merge) const { return forest->m_pNodes[static_cast<size_t>(forest->m_nLeaves + merge)]; }
};

using Sets = std::set<std::vector<int>>;
Sets childSets(const CNode* b) { return {leavesUnder(b->m_pFirst), leavesUnder(b->m_pSecond)}; }

TEST(Dendrogram, EqualDistancesMergeTheLargestRowWithItsLargestNeighbourFirst)
{
    MatrixForest m(3, {{}, {500}, {500, 500}});
    ASSERT_TRUE(m.run(kLinkageAverage, kKeepRightChildSmall));
    EXPECT_EQ(childSets(m.branch(0)), (Sets{{1}, {2}}));
    // Keep Right Child Small with two leaves: the leaf of the lower slot first.
    EXPECT_EQ(m.branch(0)->m_pFirst->m_nIndex, 1);
    EXPECT_EQ(childSets(m.branch(1)), (Sets{{0}, {1, 2}}));
    EXPECT_FLOAT_EQ(m.branch(1)->m_fSimilarity, similarityOf(500));
    EXPECT_TRUE(m.forest->m_bClustered);
    EXPECT_EQ(m.forest->m_pMatrix, nullptr);  // a precomputed matrix serves one run
}

TEST(Dendrogram, SingleLinkageOnPointsOfALine)
{
    Profiles p = profilesOf({{0}, {1}, {3}, {7}});
    auto f = forestOver(p, kMeasureEuclidean);  // normaliser: the range, 7
    ASSERT_TRUE(buildDendrogram(*f, kLinkageSingle, kKeepRightChildRedder, true, false, unitWeights(1)));
    const unsigned short d1 = roundDistance(1 / 7.0 * 65535), d2 = roundDistance(2 / 7.0 * 65535),
                         d4 = roundDistance(4 / 7.0 * 65535);
    EXPECT_EQ(leavesUnder(f->m_pNodes[4]), (std::vector<int>{0, 1}));
    EXPECT_EQ(leavesUnder(f->m_pNodes[5]), (std::vector<int>{0, 1, 2}));
    EXPECT_FLOAT_EQ(f->m_pNodes[4]->m_fSimilarity, similarityOf(d1));
    EXPECT_FLOAT_EQ(f->m_pNodes[5]->m_fSimilarity, similarityOf(d2));
    EXPECT_FLOAT_EQ(f->m_pNodes[6]->m_fSimilarity, similarityOf(d4));
    // Redder: the larger values on the right.
    EXPECT_EQ(f->m_pNodes[6]->m_pSecond->m_nIndex, 3);
}

TEST(Dendrogram, CentroidMergeDoesNotRescanARowThatGotCloser)
{
    // A(-1,0) and B(1,0) merge first; their centroid (0,0) is 1.8 from C,
    // closer than C's recorded neighbour D at 2.03, but C's row is not
    // rescanned, so C and D merge next.
    Profiles p = profilesOf({{-1, 0}, {1, 0}, {0, 3.83f}, {0, 1.8f}});
    auto f = forestOver(p, kMeasureEuclidean);
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverageGroup, kKeepRightChildRedder, true, false, unitWeights(2)));
    EXPECT_EQ(childSets(f->m_pNodes[4]), (Sets{{0}, {1}}));
    EXPECT_EQ(childSets(f->m_pNodes[5]), (Sets{{2}, {3}}));
    // The merged profile is the centroid.
    EXPECT_FLOAT_EQ(f->m_pNodes[4]->m_pValues[0], 0.0f);
    EXPECT_FLOAT_EQ(f->m_pNodes[4]->m_pValues[1], 0.0f);
}

TEST(Dendrogram, SimilarityIsNeverAboveAChildsSimilarity)
{
    // C is closer to the centroid of A and B (0.9) than A is to B (1).
    Profiles p = profilesOf({{0, 0}, {1, 0}, {0.5f, 0.9f}});
    auto f = forestOver(p, kMeasureEuclidean);
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverageGroup, kKeepRightChildRedder, true, false, unitWeights(2)));
    const CNode* ab = f->m_pNodes[3];
    const CNode* root = f->m_pNodes[4];
    ASSERT_EQ(childSets(root), (Sets{{0, 1}, {2}}));
    EXPECT_FLOAT_EQ(root->m_fSimilarity, ab->m_fSimilarity);
}

TEST(Dendrogram, OneByOneKeepsAbsorbingWhileNothingIsMuchCloser)
{
    const unsigned short far = 30000;
    std::vector<std::vector<unsigned short>> d = {
        {}, {100}, {1200, 1200}, {far, far, 2000}, {far, far, 2000, 500}};
    MatrixForest byOne(5, d);
    ASSERT_TRUE(byOne.run(kLinkageOneByOne));
    EXPECT_EQ(childSets(byOne.branch(0)), (Sets{{0}, {1}}));
    EXPECT_EQ(childSets(byOne.branch(1)), (Sets{{0, 1}, {2}}));  // before the closer pair 3-4
    EXPECT_FLOAT_EQ(byOne.branch(1)->m_fSimilarity, similarityOf(1200));
    EXPECT_EQ(childSets(byOne.branch(2)), (Sets{{3}, {4}}));    // 20667 - 500 >= 1000: global search

    MatrixForest average(5, d);
    ASSERT_TRUE(average.run(kLinkageAverage));
    EXPECT_EQ(childSets(average.branch(1)), (Sets{{3}, {4}}));
}

TEST(Dendrogram, DisabledLeavesJoinLastAtSimilarityZero)
{
    for (int linkage = 0; linkage < 5; ++linkage) {
        Profiles p = randomProfiles(8, 6, 11);
        auto f = forestOver(p, kMeasureEuclidean);
        f->m_pOrgNodes[1]->m_bEnabled = 0;
        f->m_pOrgNodes[5]->m_bEnabled = 0;
        ASSERT_TRUE(buildDendrogram(*f, linkage, kKeepRightChildRedder, true, false, unitWeights(6)));
        // The first five merges join the six enabled leaves.
        EXPECT_EQ(leavesUnder(f->m_pNodes[8 + 4]), (std::vector<int>{0, 2, 3, 4, 6, 7})) << linkage;
        EXPECT_GT(f->m_pNodes[8 + 4]->m_fSimilarity, 0.0f);
        EXPECT_EQ(f->m_pNodes[8 + 5]->m_fSimilarity, 0.0f);
        EXPECT_EQ(f->m_pNodes[8 + 6]->m_fSimilarity, 0.0f);
        EXPECT_FALSE(f->root()->m_bEnabled);
    }
}

TEST(Dendrogram, MergedProfilesAndWeights)
{
    Profiles p = profilesOf({{1, 2, 3}, {3, 4, 5}, {100, 100, 100}});
    p.weights = {0.5f, -1, -1, 0.25f, 0.8f, -1, 1, 1, 1};
    auto f = forestOver(p, kMeasureEuclidean);
    f->m_bPValueWeights = true;
    f->m_pOrgNodes[0]->m_fWeight = 1.0f;
    f->m_pOrgNodes[1]->m_fWeight = 2.0f;
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildRedder, true, false, unitWeights(3)));
    const CNode* n = f->m_pNodes[3];
    ASSERT_EQ(childSets(n), (Sets{{0}, {1}}));
    EXPECT_FLOAT_EQ(n->m_pValues[0], 2.0f);   // both present: the mean
    EXPECT_FLOAT_EQ(n->m_pWeights[0], 0.375f);
    EXPECT_FLOAT_EQ(n->m_pValues[1], 4.0f);   // only B present
    EXPECT_FLOAT_EQ(n->m_pWeights[1], 0.8f);
    EXPECT_FLOAT_EQ(n->m_pWeights[2], -1.0f);  // both missing
    EXPECT_FLOAT_EQ(n->m_fWeight, 1.5f);
    EXPECT_EQ(n->m_nSize, 2);
}

// ---- a plain O(n^3) implementation: all pairs searched at every merge,
// ties to the largest row, then the largest column ----
struct Merge {
    Sets children;
    unsigned short distance;
};

std::vector<Merge> plainClustering(Profiles& p, int linkage, const DistanceParams& params, DistanceFn fn)
{
    const int n = p.n;
    std::vector<std::vector<unsigned short>> d(static_cast<size_t>(n), std::vector<unsigned short>(static_cast<size_t>(n)));
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            d[i][j] = d[j][i] = roundDistance(fn(p.row(i), p.weightRow(i), p.row(j), p.weightRow(j), params));
    std::vector<std::vector<int>> members(static_cast<size_t>(n));
    std::vector<bool> live(static_cast<size_t>(n), true);
    for (int k = 0; k < n; ++k)
        members[k] = {k};
    std::vector<Merge> merges;
    for (int step = 0; step < n - 1; ++step) {
        int a = -1, b = -1;
        unsigned short best = 65535;
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < i; ++j)
                if (live[i] && live[j] && d[i][j] <= best) {
                    best = d[i][j];
                    a = i;
                    b = j;
                }
        merges.push_back({{members[a], members[b]}, best});
        const double sa = members[a].size(), sb = members[b].size();
        for (int k = 0; k < n; ++k) {
            if (!live[k] || k == a || k == b)
                continue;
            double v = linkage == kLinkageAverage ? (sa * d[k][a] + sb * d[k][b]) / (sa + sb)
                       : linkage == kLinkageComplete ? std::max(d[k][a], d[k][b])
                                                     : std::min(d[k][a], d[k][b]);
            d[k][a] = d[a][k] = roundDistance(v);
        }
        members[a].insert(members[a].end(), members[b].begin(), members[b].end());
        std::sort(members[a].begin(), members[a].end());
        live[b] = false;
    }
    return merges;
}

TEST(Dendrogram, SingleCompleteAndAverageAgreeWithThePlainAlgorithm)
{
    for (int measure : {kMeasurePearson, kMeasureEuclidean, kMeasureManhattan})
        for (int linkage : {kLinkageAverage, kLinkageComplete, kLinkageSingle})
            for (unsigned seed = 1; seed <= 4; ++seed) {
                Profiles p = randomProfiles(40, 7, seed * 31 + measure, seed % 2 ? 0.1 : 0.0);
                auto f = forestOver(p, measure);
                const std::vector<float> weights = unitWeights(7);
                ASSERT_TRUE(buildDendrogram(*f, linkage, kKeepRightChildRedder, true, false, weights));
                const auto expected =
                    plainClustering(p, linkage, f->distanceParams(weights.data(), true, false), f->m_pDistance);
                for (int k = 0; k < p.n - 1; ++k) {
                    const CNode* b = f->m_pNodes[static_cast<size_t>(p.n + k)];
                    ASSERT_EQ(childSets(b), expected[k].children)
                        << "measure " << measure << " linkage " << linkage << " seed " << seed << " merge " << k;
                    EXPECT_FLOAT_EQ(b->m_fSimilarity, similarityOf(expected[k].distance));
                }
            }
}

TEST(Dendrogram, TreeInvariantsForEveryLinkageAndArrangement)
{
    for (int linkage = 0; linkage < 5; ++linkage)
        for (int arrangement = 0; arrangement < 2; ++arrangement) {
            const int n = 57;
            Profiles p = randomProfiles(n, 9, 100 + linkage * 2 + arrangement, 0.05);
            auto f = forestOver(p, linkage % 2 ? kMeasureEuclidean : kMeasurePearson);
            f->m_pOrgNodes[5]->m_bEnabled = 0;
            ASSERT_TRUE(buildDendrogram(*f, linkage, arrangement, true, false, unitWeights(9)));
            ASSERT_EQ(f->m_nNodes, 2 * n - 1);
            std::vector<int> parents(static_cast<size_t>(2 * n - 1), 0);
            for (int i = n; i < 2 * n - 1; ++i) {
                const CNode* b = f->m_pNodes[static_cast<size_t>(i)];
                ASSERT_NE(b->m_pFirst, nullptr);
                ASSERT_NE(b->m_pSecond, nullptr);
                EXPECT_EQ(b->m_nSize, b->m_pFirst->m_nSize + b->m_pSecond->m_nSize);
                EXPECT_LE(b->m_fSimilarity, b->m_pFirst->m_fSimilarity);
                EXPECT_LE(b->m_fSimilarity, b->m_pSecond->m_fSimilarity);
                EXPECT_GE(b->m_fSimilarity, 0.0f);
                for (const CNode* c : {b->m_pFirst, b->m_pSecond})
                    ++parents[static_cast<size_t>(c->isLeaf() ? c->m_nIndex : c->m_nIndex)];
            }
            for (int i = 0; i < 2 * n - 2; ++i)
                EXPECT_EQ(parents[static_cast<size_t>(i)], 1) << "node " << i;
            EXPECT_EQ(f->root()->m_nSize, n);
            // The order is a permutation, and every node's leaves are consecutive.
            std::vector<int> order = f->m_arrOrder;
            std::sort(order.begin(), order.end());
            for (int k = 0; k < n; ++k)
                ASSERT_EQ(order[static_cast<size_t>(k)], k);
            f->applyOrder();
            for (int i = n; i < 2 * n - 1; ++i) {
                const CNode* b = f->m_pNodes[static_cast<size_t>(i)];
                auto [first, last] = f->leafRange(b);
                std::vector<int> inRange;
                for (int q = first; q <= last; ++q)
                    inRange.push_back(f->dataIndex(q));
                std::sort(inRange.begin(), inRange.end());
                EXPECT_EQ(inRange, leavesUnder(b));
            }
        }
}

TEST(PairwiseDistances, KernelsGiveTheDefinitionsDistancesOnAnyNumberOfThreads)
{
    const int n = 260, L = 37;
    Profiles p = randomProfiles(n, L, 5, 0.01);
    std::vector<float> columnWeights(L, 1.0f);
    columnWeights[3] = -1.0f;
    columnWeights[10] = 2.5f;
    for (int measure = 0; measure < 4; ++measure)
        for (int flags = 0; flags < 4; ++flags) {
            PairwiseInput in;
            in.measure = measure;
            in.params.columnWeights = columnWeights.data();
            in.params.n = L;
            in.params.centered = !(flags & 1);
            in.params.absolute = flags & 2;
            in.params.euclideanNormaliser = 20.0;
            in.params.manhattanNormaliser = 60.0;
            for (int k = 0; k < n; ++k) {
                in.values.push_back(p.row(k));
                in.weights.push_back(p.weightRow(k));
                in.enabled.push_back(k % 50 != 7);
            }
            RecordingProgress progress;
            std::vector<std::unique_ptr<CondensedMatrix>> results;
            for (int run = 0; run < 4; ++run) {
                setClusteringThreads(run < 3 ? run + 1 : 2);
                setVectorKernels(run < 3);  // the last run with the portable kernels
                results.push_back(CondensedMatrix::allocate(n));
                ASSERT_TRUE(computePairwiseDistances(in, *results.back(), progress));
            }
            setClusteringThreads(0);
            setVectorKernels(true);
            const DistanceFn fn = distanceFunction(measure);
            int mismatches = 0;
            for (int i = 1; i < n; ++i)
                for (int j = 0; j < i; ++j) {
                    const unsigned short expected =
                        in.enabled[i] && in.enabled[j]
                            ? roundDistance(fn(p.row(i), p.weightRow(i), p.row(j), p.weightRow(j), in.params))
                            : 65535;
                    mismatches += results[0]->at(i, j) != expected;
                    mismatches += results[1]->at(i, j) != results[0]->at(i, j);
                    mismatches += results[2]->at(i, j) != results[0]->at(i, j);
                    mismatches += results[3]->at(i, j) != expected;
                }
            EXPECT_EQ(mismatches, 0) << "measure " << measure << " flags " << flags;
        }
}

TEST(Dendrogram, ProgressTextsOfARun)
{
    ScopedRecordingProgress progress;
    Profiles p = randomProfiles(10, 4, 3);
    auto f = forestOver(p);
    ASSERT_TRUE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildRedder, true, false, unitWeights(4)));
    const auto& m = progress->m_messages;
    ASSERT_GE(m.size(), 4u);
    EXPECT_EQ(m[0], "Phase 1 of 2 : Computing Pairwise Distances");
    EXPECT_EQ(m[1], "Phase 1 of 2 : Get Nearest Neighbors");
    EXPECT_EQ(m[2], "Phase 2 of 2 : Building a Dendrogram");
    EXPECT_EQ(m.back(), "Completing Clustering (Generating the final ordering) ... : 0seconds");
    EXPECT_EQ(progress->m_nOpens, 1);
    EXPECT_EQ(progress->m_nCloses, 1);
    EXPECT_EQ(progress->m_model.position(), 100);
}

TEST(Dendrogram, CancelEndsQuietlyAndFreesTheMatrix)
{
    for (int pumps : {1, 3, 6}) {  // phase 1, early and late phase 2
        ScopedRecordingMessages messages;
        ScopedRecordingProgress progress;
        progress->cancelAfterPumps(pumps);
        Profiles p = randomProfiles(12, 4, 9);
        auto f = forestOver(p);
        f->m_pMatrix = CondensedMatrix::allocate(12);  // a precomputed matrix is freed as well
        for (int i = 1; i < 12; ++i)
            f->m_pMatrix->fillRow(i, 0, i, static_cast<unsigned short>(i * 100));
        if (pumps == 1)
            f->m_pMatrix.reset();
        EXPECT_FALSE(buildDendrogram(*f, kLinkageAverage, kKeepRightChildRedder, true, false, unitWeights(4)));
        EXPECT_TRUE(messages->m_texts.empty());
        EXPECT_FALSE(f->m_bClustered);
        EXPECT_FALSE(f->hasTree());
        EXPECT_EQ(f->m_pMatrix, nullptr);
        EXPECT_EQ(progress->m_nCloses, progress->m_nOpens);
        f->cut(0.0f);
        EXPECT_TRUE(f->m_clusters.empty());
    }
}

long long tinyMemory() { return 1000; }

TEST(Dendrogram, MatrixLargerThanTheAvailableMemoryIsRefused)
{
    ScopedRecordingMessages messages;
    ScopedRecordingProgress progress;
    setMemoryProbe(&tinyMemory);
    Profiles p = randomProfiles(100, 3, 1);  // 100 * 99 bytes needed
    auto f = forestOver(p);
    const bool ok = buildDendrogram(*f, kLinkageAverage, kKeepRightChildRedder, true, false, unitWeights(3));
    setMemoryProbe(nullptr);
    EXPECT_FALSE(ok);
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0], "Virtual Memory Allocation Failed!");
    EXPECT_FALSE(f->m_bClustered);
    EXPECT_EQ(progress->m_nCloses, progress->m_nOpens);
    // n(n-1) bytes and the padding of 2500 strips of eight rows, 56 bytes each.
    EXPECT_EQ(CondensedMatrix::bytesFor(20000), 20000ull * 19999ull + 2500ull * 56ull);
    EXPECT_GT(availableMemory(), 0);
}

} // namespace

namespace {

// Each branch's children (leaves as their index, branches negated) and
// similarity, in merge order.
std::vector<int> treeOf(const CForest& f)
{
    std::vector<int> tree;
    for (int i = f.m_nLeaves; i < 2 * f.m_nLeaves - 1; ++i) {
        const CNode* b = f.m_pNodes[static_cast<size_t>(i)];
        tree.push_back(b->m_pFirst->isLeaf() ? b->m_pFirst->m_nIndex : -b->m_pFirst->m_nIndex);
        tree.push_back(b->m_pSecond->isLeaf() ? b->m_pSecond->m_nIndex : -b->m_pSecond->m_nIndex);
        tree.push_back(static_cast<int>(b->m_fSimilarity * 1e6f));
    }
    return tree;
}

// Live slots move together as slots die (several times in a run): with
// values on a coarse grid most distances tie, so any renumbering that broke
// the order of slots or rows, lost a neighbour or the 1by1 candidate would
// change the tree. Disabled leaves and a precomputed matrix go the same way.
TEST(CondensedMatrix, CompactionKeepsTheCellsOfTheKeptSlots)
{
    std::mt19937 rng(11);
    for (int n : {2, 7, 8, 9, 17, 64, 203}) {
        auto m = CondensedMatrix::allocate(n);
        ASSERT_NE(m, nullptr);
        const auto value = [](int i, int j) { return static_cast<unsigned short>((i * 331 + j) % 65521); };
        for (int i = 1; i < n; ++i)
            for (int j = 0; j < i; ++j)
                m->cell(j, i) = value(i, j);
        std::vector<int> keep;
        for (int k = 0; k < n; ++k)
            if (k == 0 || rng() % 3 != 0)
                keep.push_back(k);
        m->compact(keep.data(), static_cast<int>(keep.size()));
        ASSERT_EQ(m->size(), static_cast<int>(keep.size()));
        int wrong = 0;
        for (int r = 1; r < m->size(); ++r)
            for (int c = 0; c < r; ++c)
                wrong += m->at(r, c) != value(keep[static_cast<size_t>(r)], keep[static_cast<size_t>(c)]);
        EXPECT_EQ(wrong, 0) << "n " << n;
    }
}

// Compaction, and the vector scans and updates over the matrix's strips,
// leave the tree as the portable merges without compaction build it.
TEST(Dendrogram, CompactingTheLiveSlotsKeepsTheTree)
{
    for (int n : {2, 3, 9, 130, 700}) {
        Profiles p = randomProfiles(n, 5, 40 + n, 0.05);
        for (float& v : p.values)
            v = std::round(v);
        for (int measure : {kMeasurePearson, kMeasureManhattan})
            for (int linkage = 0; linkage < 5; ++linkage) {
                std::vector<std::vector<int>> trees;
                for (int run = 0; run < 3; ++run) {
                    setMergeCompaction(run != 0);
                    setVectorKernels(run != 1);
                    auto f = forestOver(p, measure);
                    for (int k = 3; k < n; k += 17)
                        f->m_pOrgNodes[static_cast<size_t>(k)]->m_bEnabled = 0;
                    ASSERT_TRUE(buildDendrogram(*f, linkage, kKeepRightChildSmall, true, false, unitWeights(5)));
                    trees.push_back(treeOf(*f));
                }
                setMergeCompaction(true);
                setVectorKernels(true);
                EXPECT_EQ(trees[0], trees[1]) << "n " << n << " measure " << measure << " linkage " << linkage;
                EXPECT_EQ(trees[0], trees[2]) << "n " << n << " measure " << measure << " linkage " << linkage;
            }
    }
    // Integer distances with many ties, given as a matrix.
    const int n = 300;
    std::vector<std::vector<unsigned short>> lower(static_cast<size_t>(n));
    std::mt19937 rng(5);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            lower[static_cast<size_t>(i)].push_back(static_cast<unsigned short>(1000 * (rng() % 6)));
    for (int linkage : {kLinkageAverage, kLinkageComplete, kLinkageSingle, kLinkageOneByOne}) {
        std::vector<std::vector<int>> trees;
        for (int run = 0; run < 3; ++run) {
            setMergeCompaction(run != 0);
            setVectorKernels(run != 1);
            MatrixForest m(n, lower);
            ASSERT_TRUE(m.run(linkage));
            trees.push_back(treeOf(*m.forest));
        }
        setMergeCompaction(true);
        setVectorKernels(true);
        EXPECT_EQ(trees[0], trees[1]) << "linkage " << linkage;
        EXPECT_EQ(trees[0], trees[2]) << "linkage " << linkage;
    }
}

// Runs large enough to share their merge updates with a second thread give
// the same tree as one thread.
TEST(Dendrogram, SharedMergeUpdatesGiveTheSameTree)
{
    const int n = 4500;
    Profiles p = randomProfiles(n, 4, 77);
    for (int linkage : {kLinkageAverage, kLinkageOneByOne, kLinkageAverageGroup}) {
        std::vector<std::vector<int>> trees;
        for (int threads : {1, 2}) {
            setClusteringThreads(threads);
            auto f = forestOver(p, kMeasureEuclidean);
            ASSERT_TRUE(buildDendrogram(*f, linkage, kKeepRightChildRedder, true, false, unitWeights(4)));
            trees.push_back(treeOf(*f));
        }
        setClusteringThreads(0);
        EXPECT_EQ(trees[0], trees[1]) << "linkage " << linkage;
    }
}

} // namespace
