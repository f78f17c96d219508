#pragma once
// Splits the index range [0, n) into contiguous chunks, one per core, and runs
// fn(begin, end) on each, in worker threads; small ranges run inline. Each
// chunk must touch only its own results, so the outcome is the same as one
// sequential call fn(0, n).
#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

int workerCount();

template <typename Fn>
void parallelFor(size_t n, size_t minPerThread, Fn&& fn)
{
    size_t threads = std::min<size_t>(static_cast<size_t>(workerCount()), minPerThread ? n / minPerThread : n);
    if (threads <= 1) {
        fn(size_t{0}, n);
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(threads - 1);
    size_t chunk = (n + threads - 1) / threads;
    for (size_t t = 1; t < threads; ++t) {
        size_t b = t * chunk, e = std::min(n, b + chunk);
        if (b < e)
            pool.emplace_back([&fn, b, e] { fn(b, e); });
    }
    fn(size_t{0}, std::min(n, chunk));
    for (std::thread& th : pool)
        th.join();
}
