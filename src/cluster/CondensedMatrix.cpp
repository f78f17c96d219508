#include "cluster/CondensedMatrix.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <utility>

#include "platform/Messages.h"

namespace {

long long readNumber(const char* path)
{
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text == "max")
        return -1;
    try {
        return std::stoll(text);
    } catch (...) {
        return -1;
    }
}

long long systemAvailableMemory()
{
    long long available = -1;
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line))
        if (line.rfind("MemAvailable:", 0) == 0) {
            std::istringstream fields(line.substr(13));
            long long kb;
            if (fields >> kb)
                available = kb * 1024;
            break;
        }
    // A control group's limit binds earlier than the machine's memory.
    const long long limit = readNumber("/sys/fs/cgroup/memory.max");
    const long long used = readNumber("/sys/fs/cgroup/memory.current");
    if (limit > 0 && used >= 0) {
        const long long room = limit > used ? limit - used : 0;
        if (available < 0 || room < available)
            available = room;
    }
    return available;
}

MemoryProbe g_probe = nullptr;

} // namespace

long long availableMemory() { return g_probe ? g_probe() : systemAvailableMemory(); }

void setMemoryProbe(MemoryProbe probe) { g_probe = probe; }

CondensedMatrix::~CondensedMatrix()
{
    if (m_pMapping)
        munmap(m_pMapping, m_nMappingBytes);
}

namespace {
constexpr size_t kLargePage = 2u << 20;
// Smaller matrices come from the heap: a large page would mostly be waste.
constexpr unsigned long long kMappedFrom = 16ull << 20;

// A block of at least `bytes` aligned to a large page, pages committed as
// they are written; nullptr when the system refuses.
void* mapBlock(size_t bytes, void*& mapping, size_t& mappingBytes)
{
    mappingBytes = bytes + kLargePage;
    mapping = mmap(nullptr, mappingBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
        mapping = nullptr;
        return nullptr;
    }
    const uintptr_t start = (reinterpret_cast<uintptr_t>(mapping) + kLargePage - 1) & ~(uintptr_t(kLargePage) - 1);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(start), bytes, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(start);
}
} // namespace

size_t CondensedMatrix::cellsBefore(int s)
{
    // kStripRows * (kStripRows * (t + 1) - 1) summed over t < s.
    const size_t t = static_cast<size_t>(s);
    return kStripRows * kStripRows * t * (t - (t > 0 ? 1 : 0)) / 2 + static_cast<size_t>(kStripRows) * (kStripRows - 1) * t;
}

unsigned long long CondensedMatrix::bytesFor(int n)
{
    const int strips = n > 1 ? (n + kStripRows - 1) / kStripRows : 0;
    return static_cast<unsigned long long>(cellsBefore(strips)) * sizeof(unsigned short);
}

std::unique_ptr<CondensedMatrix> CondensedMatrix::allocate(int n)
{
    const unsigned long long bytes = bytesFor(n);
    const long long available = availableMemory();
    if (available >= 0 && bytes > static_cast<unsigned long long>(available)) {
        showMessage("Virtual Memory Allocation Failed!");
        return nullptr;
    }
    std::unique_ptr<CondensedMatrix> m(new (std::nothrow) CondensedMatrix);
    if (!m) {
        showMessage("Virtual Memory Allocation Failed!");
        return nullptr;
    }
    m->m_n = n;
    const int strips = n > 1 ? (n + kStripRows - 1) / kStripRows : 0;
    try {
        m->m_strips.resize(static_cast<size_t>(strips));
    } catch (const std::bad_alloc&) {
        showMessage("Virtual Memory Allocation Failed!");
        return nullptr;
    }
    const size_t cells = static_cast<size_t>(bytes / 2);
    if (bytes >= kMappedFrom) {
        m->m_pBlock = static_cast<unsigned short*>(
            mapBlock(cells * sizeof(unsigned short), m->m_pMapping, m->m_nMappingBytes));
    } else {
        m->m_smallBlock.reset(new (std::nothrow) unsigned short[cells > 0 ? cells : 1]);
        m->m_pBlock = m->m_smallBlock.get();
    }
    if (m->m_pBlock) {
        for (int s = 0; s < strips; ++s)
            m->m_strips[static_cast<size_t>(s)] = m->m_pBlock + cellsBefore(s);
        return m;
    }
    // No single block: one allocation per strip.
    try {
        m->m_stripBlocks.resize(static_cast<size_t>(strips));
    } catch (const std::bad_alloc&) {
        showMessage("Virtual Memory Allocation Failed!");
        return nullptr;
    }
    for (int s = 0; s < strips; ++s) {
        m->m_stripBlocks[static_cast<size_t>(s)].reset(new (std::nothrow) unsigned short[stripCells(s)]);
        if (!m->m_stripBlocks[static_cast<size_t>(s)]) {
            m.reset();
            showMessage("Virtual Memory Allocation Failed!");
            return nullptr;
        }
        m->m_strips[static_cast<size_t>(s)] = m->m_stripBlocks[static_cast<size_t>(s)].get();
    }
    return m;
}

void CondensedMatrix::compact(const int* keep, int m)
{
    if (m >= m_n)
        return;
    // Cell (r, c) is written where it was and read from (keep[r], keep[c]),
    // which lies at or after it: in the same strip at a later column or lane,
    // or in a later strip. Writing strip by strip, column by column, lane by
    // lane, every cell is read before anything is written over it.
    const int strips = m > 1 ? (m + kStripRows - 1) / kStripRows : 0;
    for (int s = 0; s < strips; ++s) {
        unsigned short* to = strip(s);
        const int r0 = s * kStripRows, lanes = std::min(kStripRows, m - r0);
        ConstRow from[kStripRows];
        for (int l = 0; l < lanes; ++l)
            from[l] = std::as_const(*this).row(keep[r0 + l]);
        for (int c = 0; c < r0 + lanes - 1; ++c) {
            const int source = keep[c];
            for (int l = std::max(0, c + 1 - r0); l < lanes; ++l)
                to[static_cast<size_t>(c) * kStripRows + static_cast<size_t>(l)] = from[l][source];
        }
    }
    if (m_pMapping) {
        const uintptr_t end = reinterpret_cast<uintptr_t>(m_pBlock + cellsBefore(strips));
        const uintptr_t from = (end + kLargePage - 1) & ~(uintptr_t(kLargePage) - 1);
        const uintptr_t last = reinterpret_cast<uintptr_t>(m_pMapping) + m_nMappingBytes;
        if (from < last)
            madvise(reinterpret_cast<void*>(from), last - from, MADV_DONTNEED);
    }
    if (!m_stripBlocks.empty())
        m_stripBlocks.resize(static_cast<size_t>(strips));
    m_strips.resize(static_cast<size_t>(strips));
    m_n = m;
}
