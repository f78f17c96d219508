#include "cluster/CutProfile.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "cluster/Forest.h"
#include "cluster/PairwiseDistances.h"
#include "platform/Parallel.h"

namespace {

constexpr int kBlockRows = 32;

// The clusters met in any step, each with the runs of consecutive steps at
// which it is a cluster.
struct ClusterTable {
    struct Cluster {
        int first = 0, last = 0;
        double inverseSize = 0.0;
        int parent = -1;  // the smallest other cluster holding it
        std::vector<std::pair<int, int>> runs;
    };
    struct Run {
        int cluster = 0, first = 0, kLo = 0, kHi = 0;
    };
    std::vector<Cluster> clusters;
    std::vector<std::vector<int>> ids;  // per step, the cluster of each range
    std::vector<Run> runsByFirst;       // every run, by the cluster's first leaf
    std::vector<int> smallest;          // per position, the smallest cluster holding it, or -1

    explicit ClusterTable(const CutProfileInput& in)
    {
        std::map<std::pair<int, int>, int> index;
        ids.resize(in.cuts.size());
        for (size_t k = 0; k < in.cuts.size(); ++k) {
            for (const auto& range : in.cuts[k]) {
                auto [it, added] = index.emplace(range, static_cast<int>(clusters.size()));
                if (added) {
                    Cluster c;
                    c.first = range.first;
                    c.last = range.second;
                    c.inverseSize = 1.0 / (range.second - range.first + 1);
                    clusters.push_back(c);
                }
                Cluster& c = clusters[static_cast<size_t>(it->second)];
                const int step = static_cast<int>(k);
                if (!c.runs.empty() && c.runs.back().second == step - 1)
                    c.runs.back().second = step;
                else
                    c.runs.emplace_back(step, step);
                ids[k].push_back(it->second);
            }
        }
        // The ranges are nested or apart (they are subtrees): outer ones
        // first, each one's parent is the innermost open range holding it.
        std::vector<int> order(clusters.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const Cluster &x = clusters[static_cast<size_t>(a)], &y = clusters[static_cast<size_t>(b)];
            return x.first != y.first ? x.first < y.first : x.last > y.last;
        });
        smallest.assign(static_cast<size_t>(in.leaves), -1);
        std::vector<int> open;
        for (int id : order) {
            Cluster& c = clusters[static_cast<size_t>(id)];
            while (!open.empty() && clusters[static_cast<size_t>(open.back())].last < c.first)
                open.pop_back();
            c.parent = open.empty() ? -1 : open.back();
            open.push_back(id);
            for (int p = std::max(c.first, 0); p <= c.last && p < in.leaves; ++p)
                smallest[static_cast<size_t>(p)] = id;
        }
        for (int id : order)
            for (const auto& [lo, hi] : clusters[static_cast<size_t>(id)].runs)
                runsByFirst.push_back({id, clusters[static_cast<size_t>(id)].first, lo, hi});
    }
};

// What one block of leaves adds: to the within sums of the clusters it
// touches, and to the between sum of every step.
struct BlockSums {
    std::vector<std::pair<int, double>> within;
    std::vector<double> between;
    bool done = false;
};

// The scratch of one thread.
class BlockWorker {
public:
    BlockWorker(const CutProfileInput& in, const ClusterTable& table, const PairDistances* kernels,
                const DistanceParams& params)
        : m_in(in), m_table(table), m_kernels(kernels), m_params(params),
          m_steps(static_cast<size_t>(in.steps) + 1), m_g(m_steps, 0.0), m_diff(m_steps + 1, 0.0),
          m_within(table.clusters.size(), 0.0), m_isTouched(table.clusters.size(), 0)
    {
    }

    // Leaves x0..x1-1 against every leaf after them.
    void run(int x0, int x1, BlockSums& out)
    {
        out.between.assign(m_steps, 0.0);
        const int n = m_in.leaves;
        const int base = x0 + 1;
        const size_t width = static_cast<size_t>(std::max(n - base, 0));
        if (width == 0)
            return;
        m_rows.resize(static_cast<size_t>(x1 - x0) * width);
        distances(x0, x1, base, n, width);
        for (int x = x0; x < x1; ++x)
            if (m_table.smallest[static_cast<size_t>(x)] >= 0)
                leaf(x, m_rows.data() + static_cast<size_t>(x - x0) * width, base, out);
        for (int id : m_touched) {
            out.within.emplace_back(id, m_within[static_cast<size_t>(id)]);
            m_within[static_cast<size_t>(id)] = 0.0;
            m_isTouched[static_cast<size_t>(id)] = 0;
        }
        m_touched.clear();
    }

private:
    void distances(int x0, int x1, int j0, int j1, size_t width)
    {
        if (m_kernels) {
            m_kernels->compute(x0, x1, j0, j1, m_rows.data(), width);
            return;
        }
        const size_t L = static_cast<size_t>(m_in.profileLength);
        for (int x = x0; x < x1; ++x)
            for (int y = j0; y < j1; ++y)
                m_rows[static_cast<size_t>(x - x0) * width + static_cast<size_t>(y - j0)] =
                    m_in.distance(&m_in.values[x * L], &m_in.weights[x * L], &m_in.values[y * L],
                                  &m_in.weights[y * L], m_params);
    }

    void leaf(int x, double* row, int base, BlockSums& out)
    {
        // Running sums over the leaves after x; cum(j) = sum over x < y <= j.
        const int n = m_in.leaves;
        for (int j = base; j <= x; ++j)
            row[j - base] = 0.0;
        double running = 0.0;
        for (int j = x + 1; j < n; ++j) {
            running += row[j - base];
            row[j - base] = running;
        }
        auto cum = [&](int j) { return j <= x ? 0.0 : row[j - base]; };
        // The clusters holding x: its share of their within sums, and its
        // weight 1 / |cluster| at the steps where each is a cluster.
        for (int id = m_table.smallest[static_cast<size_t>(x)]; id >= 0;) {
            const ClusterTable::Cluster& c = m_table.clusters[static_cast<size_t>(id)];
            if (c.last > x) {
                if (!m_isTouched[static_cast<size_t>(id)]) {
                    m_isTouched[static_cast<size_t>(id)] = 1;
                    m_touched.push_back(id);
                }
                m_within[static_cast<size_t>(id)] += cum(c.last);
            }
            for (const auto& [lo, hi] : c.runs)
                for (int k = lo; k <= hi; ++k)
                    m_g[static_cast<size_t>(k)] = c.inverseSize;
            id = c.parent;
        }
        // The clusters right of x, each over its run of steps.
        const auto& runs = m_table.runsByFirst;
        auto from = std::upper_bound(runs.begin(), runs.end(), x,
                                     [](int value, const ClusterTable::Run& r) { return value < r.first; });
        std::fill(m_diff.begin(), m_diff.end(), 0.0);
        for (auto r = from; r != runs.end(); ++r) {
            const ClusterTable::Cluster& c = m_table.clusters[static_cast<size_t>(r->cluster)];
            const double v = (cum(c.last) - cum(c.first - 1)) * c.inverseSize;
            m_diff[static_cast<size_t>(r->kLo)] += v;
            m_diff[static_cast<size_t>(r->kHi) + 1] -= v;
        }
        double h = 0.0;
        for (size_t k = 0; k < m_steps; ++k) {
            h += m_diff[k];
            if (m_g[k] != 0.0)
                out.between[k] += m_g[k] * h;
        }
        std::fill(m_g.begin(), m_g.end(), 0.0);
    }

    const CutProfileInput& m_in;
    const ClusterTable& m_table;
    const PairDistances* m_kernels;
    const DistanceParams& m_params;
    size_t m_steps;
    std::vector<double> m_rows, m_g, m_diff, m_within;
    std::vector<char> m_isTouched;
    std::vector<int> m_touched;
};

// Pearson's r without missing cells is a dot product of the profiles made
// unit vectors (centered, weighted): r(x, y) = <z_x, z_y>. The sum of r
// over the pairs of a cluster is then (|S|^2 - Q) / 2, S the sum of its
// members' vectors and Q that of their squared lengths, and the sum over
// the pairs of clusters of the mean r between two of them is
// (|M|^2 - sum |m_A|^2) / 2, m_A = S_A / |A| and M their sum. Every
// cluster's S is its own leaves' plus its inner clusters', so all steps
// cost O((leaves + clusters) x columns) instead of a distance per pair.
// False (nothing computed) where that does not hold: another measure,
// |r|, p-value weights, a missing cell, a constant profile.
bool pearsonSums(const CutProfileInput& in, const ClusterTable& table, std::vector<double>& within,
                 std::vector<double>& between)
{
    const DistanceParams& p = in.params;
    if (in.measure != kMeasurePearson || p.absolute || p.pValueWeights || in.profileLength <= 0)
        return false;
    const size_t L = static_cast<size_t>(in.profileLength);
    std::vector<size_t> used;
    std::vector<double> root;  // square roots of the column weights used
    for (size_t i = 0; i < L; ++i) {
        const float cw = in.columnWeights.empty() ? 1.0f : in.columnWeights[i];
        if (cw == -1.0f)
            continue;
        if (!(cw >= 0.0f))
            return false;
        used.push_back(i);
        root.push_back(std::sqrt(static_cast<double>(cw)));
    }
    double total = 0.0;
    for (size_t u = 0; u < used.size(); ++u)
        total += root[u] * root[u];
    if (used.empty() || total == 0.0)
        return false;
    const size_t U = used.size();
    const size_t C = table.clusters.size();
    std::vector<double> S(C * U, 0.0), Q(C, 0.0), z(U);
    for (int x = 0; x < in.leaves; ++x) {
        const int id = table.smallest[static_cast<size_t>(x)];
        if (id < 0)
            continue;
        const float* v = &in.values[static_cast<size_t>(x) * L];
        const float* w = &in.weights[static_cast<size_t>(x) * L];
        double mean = 0.0;
        for (size_t u = 0; u < U; ++u) {
            if (w[used[u]] == -1.0f)
                return false;
            mean += root[u] * root[u] / total * v[used[u]];
        }
        if (!p.centered)
            mean = 0.0;
        double norm = 0.0;
        for (size_t u = 0; u < U; ++u) {
            z[u] = root[u] * (v[used[u]] - mean);
            norm += z[u] * z[u];
        }
        if (norm == 0.0)
            return false;
        const double scale = 1.0 / std::sqrt(norm);
        double* s = &S[static_cast<size_t>(id) * U];
        double q = 0.0;
        for (size_t u = 0; u < U; ++u) {
            const double e = z[u] * scale;
            s[u] += e;
            q += e * e;
        }
        Q[static_cast<size_t>(id)] += q;
    }
    // Inner clusters into the clusters holding them, the smallest first.
    std::vector<int> bySize(C);
    for (size_t c = 0; c < C; ++c)
        bySize[c] = static_cast<int>(c);
    std::sort(bySize.begin(), bySize.end(), [&](int a, int b) {
        const auto& x = table.clusters[static_cast<size_t>(a)];
        const auto& y = table.clusters[static_cast<size_t>(b)];
        return x.last - x.first < y.last - y.first;
    });
    for (int id : bySize) {
        const int parent = table.clusters[static_cast<size_t>(id)].parent;
        if (parent < 0)
            continue;
        for (size_t u = 0; u < U; ++u)
            S[static_cast<size_t>(parent) * U + u] += S[static_cast<size_t>(id) * U + u];
        Q[static_cast<size_t>(parent)] += Q[static_cast<size_t>(id)];
    }
    auto squared = [&](const double* a, double factor) {
        double sum = 0.0;
        for (size_t u = 0; u < U; ++u)
            sum += a[u] * a[u];
        return sum * factor * factor;
    };
    within.assign(C, 0.0);
    for (size_t c = 0; c < C; ++c) {
        const double size = table.clusters[c].last - table.clusters[c].first + 1;
        const double pairs = size * (size - 1) / 2;
        const double r = (squared(&S[c * U], 1.0) - Q[c]) / 2;
        within[c] = kHalfScale * (pairs - r);
    }
    between.assign(in.cuts.size(), 0.0);
    std::vector<double> M(U);
    for (size_t k = 0; k < in.cuts.size(); ++k) {
        const std::vector<int>& ids = table.ids[k];
        if (ids.size() < 2)
            continue;
        std::fill(M.begin(), M.end(), 0.0);
        double own = 0.0;
        for (int id : ids) {
            const auto& c = table.clusters[static_cast<size_t>(id)];
            const double* s = &S[static_cast<size_t>(id) * U];
            for (size_t u = 0; u < U; ++u)
                M[u] += s[u] * c.inverseSize;
            own += squared(s, c.inverseSize);
        }
        const double K = static_cast<double>(ids.size());
        between[k] = kHalfScale * (K * (K - 1) / 2 - (squared(M.data(), 1.0) - own) / 2);
    }
    return true;
}

} // namespace

float profileStepSimilarity(int k, int steps)
{
    return static_cast<float>(k) / static_cast<float>(steps);
}

CutProfileInput cutProfileInput(const CForest& forest, int steps, bool centered, bool absolute)
{
    CutProfileInput in;
    in.leaves = forest.m_nLeaves;
    in.profileLength = forest.m_nProfileLength;
    in.steps = std::max(steps, 1);
    for (int k = 0; k <= in.steps; ++k)
        in.cuts.push_back(cutRanges(forest, profileStepSimilarity(k, in.steps)));
    if (forest.m_bHasClasses) {
        in.hasClasses = true;
        in.classSizes = forest.m_classSizes;
        for (int p = 0; p < in.leaves; ++p)
            in.classes.push_back(forest.leaf(p)->m_nMarker2);
    }
    if (!forest.hasTree())
        return in;
    const size_t L = static_cast<size_t>(in.profileLength);
    in.values.resize(static_cast<size_t>(in.leaves) * L);
    in.weights.assign(in.values.size(), 1.0f);
    for (int p = 0; p < in.leaves; ++p) {
        const CNode* leaf = forest.leaf(p);
        if (leaf->m_pValues)
            std::copy(leaf->m_pValues, leaf->m_pValues + L, in.values.begin() + static_cast<std::ptrdiff_t>(p * L));
        if (leaf->m_pWeights)
            std::copy(leaf->m_pWeights, leaf->m_pWeights + L, in.weights.begin() + static_cast<std::ptrdiff_t>(p * L));
    }
    const EvaluationDistance distance(forest, centered, absolute);
    in.columnWeights = distance.weights;
    in.params = distance.params;
    in.params.columnWeights = nullptr;
    in.distance = distance.distance;
    in.measure = distance.measure;
    return in;
}

std::optional<std::vector<CutProfileStep>> computeCutProfile(const CutProfileInput& in,
                                                             const std::atomic<bool>* cancel,
                                                             const std::function<void(double)>& progress)
{
    const ClusterTable table(in);
    const size_t steps = in.cuts.size();
    std::vector<double> within(table.clusters.size(), 0.0), between(steps, 0.0);

    const bool haveProfiles = !table.clusters.empty() && in.distance && in.profileLength > 0 &&
                              in.values.size() >= static_cast<size_t>(in.leaves) * static_cast<size_t>(in.profileLength);
    if (haveProfiles && pearsonSums(in, table, within, between)) {
        if (progress)
            progress(1.0);
        if (cancel && cancel->load())
            return std::nullopt;
    } else if (haveProfiles) {
        DistanceParams params = in.params;
        params.columnWeights = in.columnWeights.empty() ? nullptr : in.columnWeights.data();
        std::unique_ptr<PairDistances> kernels;
        if (in.measure >= 0) {
            PairwiseInput pairs;
            const size_t L = static_cast<size_t>(in.profileLength);
            for (int p = 0; p < in.leaves; ++p) {
                pairs.values.push_back(&in.values[static_cast<size_t>(p) * L]);
                pairs.weights.push_back(&in.weights[static_cast<size_t>(p) * L]);
            }
            pairs.enabled.assign(static_cast<size_t>(in.leaves), 1);
            pairs.measure = in.measure;
            pairs.params = params;
            kernels = std::make_unique<PairDistances>(pairs);
        }
        // Blocks of leaves that are clustered at some step, the longest
        // rows first so that the threads finish together.
        std::vector<int> starts;
        for (int x0 = 0; x0 + 1 < in.leaves; x0 += kBlockRows)
            for (int x = x0; x < std::min(x0 + kBlockRows, in.leaves); ++x)
                if (table.smallest[static_cast<size_t>(x)] >= 0) {
                    starts.push_back(x0);
                    break;
                }
        std::vector<BlockSums> sums(starts.size());
        std::atomic<size_t> next{0};
        std::atomic<bool> stop{false};
        const double totalPairs = 0.5 * in.leaves * (in.leaves - 1.0);
        std::atomic<long long> pairsDone{0};
        auto work = [&](bool reporter) {
            BlockWorker worker(in, table, kernels.get(), params);
            for (;;) {
                if (stop.load(std::memory_order_relaxed) || (cancel && cancel->load(std::memory_order_relaxed))) {
                    stop = true;
                    return;
                }
                const size_t b = next.fetch_add(1);
                if (b >= starts.size())
                    return;
                const int x0 = starts[b], x1 = std::min(x0 + kBlockRows, in.leaves);
                worker.run(x0, x1, sums[b]);
                sums[b].done = true;
                pairsDone += static_cast<long long>(x1 - x0) * (in.leaves - x0);
                if (reporter && progress)
                    progress(std::min(1.0, static_cast<double>(pairsDone.load()) / totalPairs));
            }
        };
        const long long pairs = static_cast<long long>(in.leaves) * (in.leaves - 1) / 2;
        const int threads = pairs < 20000 ? 1 : std::min(workerCount(), static_cast<int>(starts.size()));
        runOnWorkers(threads, work);  // the sums do not depend on the number of threads
        if (stop || (cancel && cancel->load()))
            return std::nullopt;
        // Added up block by block in order, whatever thread made each.
        for (const BlockSums& s : sums) {
            for (const auto& [id, value] : s.within)
                within[static_cast<size_t>(id)] += value;
            for (size_t k = 0; k < steps && k < s.between.size(); ++k)
                between[k] += s.between[k];
        }
    } else if (cancel && cancel->load()) {
        return std::nullopt;
    }

    std::vector<CutProfileStep> out;
    for (size_t k = 0; k < steps; ++k) {
        CutProfileStep step;
        step.minSimilarity = profileStepSimilarity(static_cast<int>(k), in.steps);
        const auto& cut = in.cuts[k];
        ClusterEvaluation& e = step.evaluation;
        e.clusters = static_cast<int>(cut.size());
        step.alones = in.leaves;
        double withinSum = 0.0;
        int withinCount = 0;
        for (size_t i = 0; i < cut.size(); ++i) {
            const double size = cut[i].second - cut[i].first + 1;
            step.alones -= static_cast<int>(size);
            if (size < 2)
                continue;
            withinSum += within[static_cast<size_t>(table.ids[k][i])] / (size * (size - 1) / 2);
            ++withinCount;
        }
        if (withinCount > 0)
            e.within = withinSum / withinCount;
        if (cut.size() >= 2)
            e.between = between[k] / (static_cast<double>(cut.size()) * (cut.size() - 1) / 2);
        if (e.within && e.between && *e.between != 0.0)
            e.ratio = *e.within / *e.between;
        if (in.hasClasses)
            step.fMeasure = fMeasureOfRanges(in.classes, in.classSizes, cut);
        out.push_back(step);
    }
    return out;
}
