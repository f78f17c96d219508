#pragma once
// Loops of independent chunks shared between the calling thread and one
// helper thread. The chunks are taken from a counter, so the caller never
// waits for a helper that is not running: it takes every chunk the helper
// has not started, and waits only for chunks in progress. Each chunk runs
// exactly once; which thread ran it does not matter to a body whose chunks
// touch only their own results. Nothing is allocated per loop.
#include <atomic>
#include <cstdint>
#include <thread>

class SharedLoop {
public:
    // Without `wanted`, or when no thread can be had, run() works alone.
    explicit SharedLoop(bool wanted)
    {
        if (!wanted)
            return;
        try {
            m_thread = std::thread([this] { helperLoop(); });
            m_bHelper = true;
        } catch (...) {
        }
    }
    ~SharedLoop()
    {
        if (!m_bHelper)
            return;
        m_bStop.store(true, std::memory_order_release);
        m_ticket.fetch_add(uint64_t(1) << 32, std::memory_order_acq_rel);
        m_ticket.notify_one();
        m_thread.join();
    }
    SharedLoop(const SharedLoop&) = delete;
    SharedLoop& operator=(const SharedLoop&) = delete;

    // body(chunk) for chunk = 0 .. chunks-1.
    template <class Body>
    void run(uint32_t chunks, Body& body)
    {
        if (!m_bHelper || chunks < 2) {
            for (uint32_t c = 0; c < chunks; ++c)
                body(c);
            return;
        }
        m_pRun.store(&invoke<Body>, std::memory_order_relaxed);
        m_pBody.store(&body, std::memory_order_relaxed);
        m_nChunks.store(chunks, std::memory_order_relaxed);
        m_nFinished.store(0, std::memory_order_relaxed);
        const uint64_t generation = (m_ticket.load(std::memory_order_relaxed) >> 32) + 1;
        m_ticket.store(generation << 32, std::memory_order_release);
        m_ticket.notify_one();
        uint32_t chunk;
        while (take(generation, chunks, chunk)) {
            body(chunk);
            m_nFinished.fetch_add(1, std::memory_order_acq_rel);
        }
        for (int spins = 0; m_nFinished.load(std::memory_order_acquire) < chunks; ++spins)
            relax(spins);
    }

private:
    template <class Body>
    static void invoke(void* body, uint32_t chunk)
    {
        (*static_cast<Body*>(body))(chunk);
    }

    static void relax(int spins)
    {
        if (spins < 4000) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        } else {
            std::this_thread::yield();
        }
    }

    // The next chunk of this generation, if any is left.
    bool take(uint64_t generation, uint32_t chunks, uint32_t& chunk)
    {
        uint64_t ticket = m_ticket.load(std::memory_order_acquire);
        for (;;) {
            if ((ticket >> 32) != generation || static_cast<uint32_t>(ticket) >= chunks)
                return false;
            if (m_ticket.compare_exchange_weak(ticket, ticket + 1, std::memory_order_acq_rel))
                break;
        }
        chunk = static_cast<uint32_t>(ticket);
        return true;
    }

    void helperLoop()
    {
        uint64_t seen = 0;
        for (;;) {
            uint64_t ticket = m_ticket.load(std::memory_order_acquire);
            for (int spins = 0; (ticket >> 32) == seen; ++spins) {
                if (spins < 4000) {
                    relax(spins);
                } else {
                    m_ticket.wait(ticket, std::memory_order_acquire);  // sleeps until the next loop
                    spins = 0;
                }
                ticket = m_ticket.load(std::memory_order_acquire);
            }
            seen = ticket >> 32;
            if (m_bStop.load(std::memory_order_acquire))
                return;
            // The job of this generation stays in place while any of its
            // chunks is untaken, so reading it before taking one is safe.
            void (*runChunk)(void*, uint32_t) = m_pRun.load(std::memory_order_relaxed);
            void* body = m_pBody.load(std::memory_order_relaxed);
            const uint32_t chunks = m_nChunks.load(std::memory_order_relaxed);
            uint32_t chunk;
            while (take(seen, chunks, chunk)) {
                runChunk(body, chunk);
                m_nFinished.fetch_add(1, std::memory_order_acq_rel);
            }
        }
    }

    std::thread m_thread;
    bool m_bHelper = false;
    std::atomic<bool> m_bStop{false};
    std::atomic<uint64_t> m_ticket{0};  // generation << 32 | next chunk
    std::atomic<uint32_t> m_nFinished{0};
    std::atomic<void (*)(void*, uint32_t)> m_pRun{nullptr};
    std::atomic<void*> m_pBody{nullptr};
    std::atomic<uint32_t> m_nChunks{0};
};
