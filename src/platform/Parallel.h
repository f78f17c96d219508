#pragma once
// Work spread over the processor's cores.
#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

int workerCount();

// Splits the index range [0, n) into contiguous chunks, one per core, and runs
// fn(begin, end) on each, in worker threads; small ranges run inline. Each
// chunk must touch only its own results, so the outcome is the same as one
// sequential call fn(0, n).
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

// Runs work(false) on threads - 1 new threads and work(true) on the calling
// thread (the one that may report progress and poll for a cancel), then
// waits for all of them. When fewer threads can be started, fewer run: the
// work must take its items from a shared counter, so that whoever runs
// does all of it.
template <typename Work>
void runOnWorkers(int threads, Work&& work)
{
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        try {
            pool.emplace_back([&work] { work(false); });
        } catch (...) {
            break;  // fewer threads
        }
    }
    work(true);
    for (std::thread& th : pool)
        th.join();
}
