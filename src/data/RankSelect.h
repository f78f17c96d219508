#pragma once
// Several order statistics of an unsorted run of floats at once, without
// sorting it: the values are counted into buckets by value, the bucket that
// holds each wanted rank is found from the counts, and only that bucket's few
// values are ordered. Two passes over the data and almost no unpredictable
// branches, so it suits the millions of small selections the statistics make.
#include <vector>

class RankSelect {
public:
    // Finds the values of rank ranks[i] (0 = smallest) among values[0..n) into
    // out[i]; n > 0, every rank below n, ranks in ascending order, at most
    // eight of them. lo and hi are the smallest and largest value. The
    // values must not be NaN.
    void select(const float* values, int n, float lo, float hi, const int* ranks, int count, float* out);

private:
    std::vector<int> m_counts;
    std::vector<std::vector<float>> m_gathered;
    std::vector<float> m_scratch;
};
