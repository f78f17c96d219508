#include "linked/GoEnrichment.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "cluster/Forest.h"
#include "linked/GoAnnotation.h"
#include "platform/Format.h"

double hypergeometricUpperTail(int k, int n, int K, int N)
{
    if (N <= 0 || n < 0 || K < 0 || n > N || K > N)
        return 1.0;
    const int lo = std::max(0, n + K - N), hi = std::min(n, K);
    if (k <= lo)
        return 1.0;
    if (k > hi)
        return 0.0;
    auto lchoose = [](int a, int b) {
        return std::lgamma(a + 1.0) - std::lgamma(b + 1.0) - std::lgamma(a - b + 1.0);
    };
    // pmf(k) from log binomials, then the ratio pmf(i+1)/pmf(i) =
    // (K-i)(n-i) / ((i+1)(N-K-n+i+1)) for the rest of the tail.
    double term = std::exp(lchoose(K, k) + lchoose(N - K, n - k) - lchoose(N, n));
    double sum = term;
    for (int i = k; i < hi; ++i) {
        term *= static_cast<double>(K - i) * static_cast<double>(n - i) /
                (static_cast<double>(i + 1) * static_cast<double>(N - K - n + i + 1));
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return std::min(1.0, sum);
}

std::vector<double> benjaminiHochberg(const std::vector<double>& p)
{
    const size_t m = p.size();
    std::vector<size_t> order(m);
    for (size_t i = 0; i < m; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> q(m);
    double running = 1.0;
    for (size_t r = m; r-- > 0;) {
        const size_t i = order[r];
        running = std::min(running, p[i] * static_cast<double>(m) / static_cast<double>(r + 1));
        q[i] = running;
    }
    return q;
}

std::vector<int> clusterOfItems(const CForest& rows)
{
    std::vector<int> byItem(static_cast<size_t>(rows.m_nLeaves), 0);
    const std::vector<int> byPosition = rows.clusterNumbers();
    for (int p = 0; p < rows.m_nLeaves; ++p) {
        const int item = rows.dataIndex(p);
        if (item >= 0 && item < rows.m_nLeaves)
            byItem[static_cast<size_t>(item)] = byPosition[static_cast<size_t>(p)];
    }
    return byItem;
}

std::vector<GoEnrichmentRow> enrichClusters(const GoIndex& index, const std::vector<int>& clusterOfRow,
                                            const std::atomic<bool>* cancel)
{
    std::vector<GoEnrichmentRow> out;
    const int rows = std::min(index.rowCount(), static_cast<int>(clusterOfRow.size()));
    int clusters = 0;
    for (int r = 0; r < rows; ++r)
        clusters = std::max(clusters, clusterOfRow[static_cast<size_t>(r)]);
    // Annotated items of each cluster.
    std::vector<std::vector<int>> members(static_cast<size_t>(clusters) + 1);
    for (int r = 0; r < rows; ++r)
        if (clusterOfRow[static_cast<size_t>(r)] > 0 && index.isAnnotated(r))
            members[static_cast<size_t>(clusterOfRow[static_cast<size_t>(r)])].push_back(r);
    const int N = index.annotatedCount();
    std::vector<int> k(static_cast<size_t>(index.ontology().termCount()), 0);
    std::vector<int> touched;
    std::vector<double> p;
    for (int c = 1; c <= clusters; ++c) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            break;
        const std::vector<int>& m = members[static_cast<size_t>(c)];
        const int n = static_cast<int>(m.size());
        touched.clear();
        for (int r : m)
            for (const int* t = index.termsBegin(r); t != index.termsEnd(r); ++t)
                if (k[static_cast<size_t>(*t)]++ == 0)
                    touched.push_back(*t);
        const size_t first = out.size();
        p.clear();
        for (int t : touched) {
            const int kt = k[static_cast<size_t>(t)];
            k[static_cast<size_t>(t)] = 0;
            if (kt < 2)
                continue;
            GoEnrichmentRow row;
            row.m_nCluster = c;
            row.m_nTerm = t;
            row.m_nNumber = index.ontology().term(t).m_nNumber;
            row.m_k = kt;
            row.m_n = n;
            row.m_K = index.count(t);
            row.m_N = N;
            row.m_dP = hypergeometricUpperTail(kt, n, row.m_K, N);
            p.push_back(row.m_dP);
            out.push_back(row);
        }
        const std::vector<double> q = benjaminiHochberg(p);
        for (size_t i = 0; i < q.size(); ++i)
            out[first + i].m_dFdr = q[i];
        std::sort(out.begin() + static_cast<std::ptrdiff_t>(first), out.end(),
                  [](const GoEnrichmentRow& a, const GoEnrichmentRow& b) {
                      return a.m_dP != b.m_dP ? a.m_dP < b.m_dP : a.m_nNumber < b.m_nNumber;
                  });
    }
    return out;
}

std::vector<GoEnrichmentRow> rowsUpToFdr(const std::vector<GoEnrichmentRow>& rows, double threshold)
{
    std::vector<GoEnrichmentRow> out;
    for (const GoEnrichmentRow& r : rows)
        if (threshold >= 1.0 || r.m_dFdr <= threshold)
            out.push_back(r);
    return out;
}

const std::vector<double>& goFdrThresholds()
{
    static const std::vector<double> t{0.01, 0.05, 0.1, 0.25, 1.0};
    return t;
}

namespace {

std::string joinedByTabs(const std::vector<std::string>& cells)
{
    std::string out;
    for (size_t i = 0; i < cells.size(); ++i)
        out += (i ? "\t" : "") + cells[i];
    return out;
}

} // namespace

std::vector<std::string> enrichmentColumns() { return {"cluster", "GO identifier", "term", "k", "n", "K", "N", "p-value", "FDR"}; }

std::string enrichmentHeader() { return joinedByTabs(enrichmentColumns()); }

std::vector<std::string> enrichmentCells(const GoIndex& index, const GoEnrichmentRow& r)
{
    return {std::to_string(r.m_nCluster), goIdText(r.m_nNumber), index.ontology().term(r.m_nTerm).m_strName,
            std::to_string(r.m_k),        std::to_string(r.m_n),  std::to_string(r.m_K),
            std::to_string(r.m_N),        strFormat("%.6g", r.m_dP), strFormat("%.6g", r.m_dFdr)};
}

std::string enrichmentLine(const GoIndex& index, const GoEnrichmentRow& r) { return joinedByTabs(enrichmentCells(index, r)); }

bool writeEnrichmentFile(const std::string& path, const GoIndex& index, const std::vector<GoEnrichmentRow>& rows)
{
    std::ofstream out(path, std::ios::binary);
    if (!out)
        return false;
    out << enrichmentHeader() << '\n';
    for (const GoEnrichmentRow& r : rows)
        out << enrichmentLine(index, r) << '\n';
    out.close();
    return static_cast<bool>(out);
}
