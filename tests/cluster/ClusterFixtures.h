#pragma once
// Profiles held by a test and forests whose leaves point at them.
#include <memory>
#include <random>
#include <vector>

#include "cluster/Forest.h"

struct Profiles {
    int n = 0, length = 0;
    std::vector<float> values, weights;
    float* row(int i) { return values.data() + static_cast<size_t>(i) * length; }
    float* weightRow(int i) { return weights.data() + static_cast<size_t>(i) * length; }
};

inline Profiles profilesOf(const std::vector<std::vector<float>>& rows)
{
    Profiles p;
    p.n = static_cast<int>(rows.size());
    p.length = p.n ? static_cast<int>(rows[0].size()) : 0;
    for (const auto& r : rows)
        p.values.insert(p.values.end(), r.begin(), r.end());
    p.weights.assign(p.values.size(), 1.0f);
    return p;
}

// Values uniform in [-2, 2]; each cell missing (weight -1, value 0) with the
// given probability.
inline Profiles randomProfiles(int n, int length, unsigned seed, double missing = 0.0)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    std::uniform_real_distribution<double> coin(0.0, 1.0);
    Profiles p;
    p.n = n;
    p.length = length;
    p.values.resize(static_cast<size_t>(n) * length);
    p.weights.assign(p.values.size(), 1.0f);
    for (size_t i = 0; i < p.values.size(); ++i) {
        p.values[i] = value(rng);
        if (missing > 0.0 && coin(rng) < missing) {
            p.values[i] = 0.0f;
            p.weights[i] = -1.0f;
        }
    }
    return p;
}

// A row forest over the profiles (leaf k = profile k), measure selected and
// normalisers set from the value ranges of the columns.
inline std::unique_ptr<CForest> forestOver(Profiles& p, int measure = kMeasurePearson)
{
    auto f = std::make_unique<CForest>(2 * p.n - 1, p.length, p.n, true);
    for (int k = 0; k < p.n; ++k) {
        CNode* leaf = f->m_pOrgNodes[static_cast<size_t>(k)];
        leaf->m_pValues = p.row(k);
        leaf->m_pWeights = p.weightRow(k);
        leaf->m_strName = "L" + std::to_string(k);
    }
    f->selectMeasure(measure);
    double manhattan = 0.0, euclidean = 0.0;
    for (int c = 0; c < p.length; ++c) {
        float lo = 0, hi = 0;
        bool any = false;
        for (int k = 0; k < p.n; ++k) {
            if (p.weightRow(k)[c] == -1.0f)
                continue;
            const float v = p.row(k)[c];
            lo = any ? std::min(lo, v) : v;
            hi = any ? std::max(hi, v) : v;
            any = true;
        }
        manhattan += (hi - lo) / p.length;
        euclidean += double(hi - lo) * (hi - lo) / p.length;
    }
    f->setNormalisers(p.length * manhattan, std::sqrt(p.length * euclidean));
    return f;
}

inline std::vector<float> unitWeights(int length) { return std::vector<float>(static_cast<size_t>(length), 1.0f); }
