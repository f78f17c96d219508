#include "data/RankSelect.h"

#include <algorithm>
#include <cmath>

void RankSelect::select(const float* v, int n, float lo, float hi, const int* ranks, int count, float* out)
{
    if (lo == hi) {
        std::fill(out, out + count, lo);
        return;
    }
    const float span = hi - lo;
    if (!std::isfinite(span)) {
        // Infinite values or a range beyond float: order a copy directly.
        m_scratch.assign(v, v + n);
        for (int i = 0; i < count; ++i) {
            std::nth_element(m_scratch.begin(), m_scratch.begin() + ranks[i], m_scratch.end());
            out[i] = m_scratch[static_cast<size_t>(ranks[i])];
        }
        return;
    }
    // The bucket of a value only grows with the value (each rounded step of
    // the arithmetic is monotone), so the buckets keep the values' order.
    const int buckets = std::clamp(n / 4, 8, 4096);
    const float scale = static_cast<float>(buckets) / span;
    const int last = buckets - 1;
    auto bucketOf = [=](float x) {
        int b = static_cast<int>((x - lo) * scale);
        return b < last ? b : last;
    };
    m_counts.assign(static_cast<size_t>(buckets) + 1, 0);
    int* counts = m_counts.data();
    for (int i = 0; i < n; ++i)
        ++counts[bucketOf(v[i]) + 1];
    for (int b = 1; b <= buckets; ++b)
        counts[b] += counts[b - 1];  // counts[b] = number of values below bucket b

    // The buckets that hold the wanted ranks (ranks come in ascending order,
    // so equal buckets are neighbours), gathered in one pass.
    int wanted[8];
    int distinct = 0;
    std::vector<int> bucketOfRank(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int b = static_cast<int>(std::upper_bound(counts, counts + buckets + 1, ranks[i]) - counts) - 1;
        bucketOfRank[static_cast<size_t>(i)] = b;
        if (distinct == 0 || wanted[distinct - 1] != b)
            wanted[distinct++] = b;
        if (distinct == 8)
            break;
    }
    // Every value is written to each list and kept only where it belongs:
    // no branch that the data decide.
    if (m_gathered.size() < static_cast<size_t>(distinct))
        m_gathered.resize(static_cast<size_t>(distinct));
    int kept[8] = {};
    for (int d = 0; d < distinct; ++d)
        if (m_gathered[static_cast<size_t>(d)].size() < static_cast<size_t>(n))
            m_gathered[static_cast<size_t>(d)].resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        const float x = v[k];
        const int b = bucketOf(x);
        for (int d = 0; d < distinct; ++d) {
            m_gathered[static_cast<size_t>(d)][static_cast<size_t>(kept[d])] = x;
            kept[d] += b == wanted[d];
        }
    }
    for (int i = 0, d = 0; i < count; ++i) {
        const int b = bucketOfRank[static_cast<size_t>(i)];
        while (wanted[d] != b)
            ++d;
        float* bucket = m_gathered[static_cast<size_t>(d)].data();
        const int within = ranks[i] - counts[b];
        std::nth_element(bucket, bucket + within, bucket + kept[d]);
        out[i] = bucket[within];
    }
}
