#include "cluster/CondensedMatrix.h"

#include <sys/mman.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <sstream>
#include <string>

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
    try {
        m->m_rows.resize(static_cast<size_t>(n));
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
        for (int i = 0; i < n; ++i) {
            const size_t first = i > 0 ? static_cast<size_t>(i) * static_cast<size_t>(i - 1) / 2 : 0;
            m->m_rows[static_cast<size_t>(i)] = m->m_pBlock + first;
        }
        return m;
    }
    // No single block: one allocation per row.
    try {
        m->m_rowBlocks.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        showMessage("Virtual Memory Allocation Failed!");
        return nullptr;
    }
    for (int i = 1; i < n; ++i) {
        m->m_rowBlocks[static_cast<size_t>(i)].reset(new (std::nothrow) unsigned short[static_cast<size_t>(i)]);
        if (!m->m_rowBlocks[static_cast<size_t>(i)]) {
            m.reset();
            showMessage("Virtual Memory Allocation Failed!");
            return nullptr;
        }
        m->m_rows[static_cast<size_t>(i)] = m->m_rowBlocks[static_cast<size_t>(i)].get();
    }
    return m;
}

void CondensedMatrix::compact(const int* keep, int m)
{
    if (m >= m_n)
        return;
    // Row r is written where row r was and read from row keep[r] >= r, cell c
    // from cell keep[c] >= c: every cell is read before anything is written
    // over it, rows in ascending order and cells ascending within a row.
    for (int r = 1; r < m; ++r) {
        const unsigned short* from = m_rows[static_cast<size_t>(keep[r])];
        unsigned short* to = m_rows[static_cast<size_t>(r)];
        for (int c = 0; c < r; ++c)
            to[c] = from[keep[c]];
    }
    if (m_pMapping) {
        const uintptr_t end = reinterpret_cast<uintptr_t>(m_pBlock + bytesFor(m) / 2);
        const uintptr_t from = (end + kLargePage - 1) & ~(uintptr_t(kLargePage) - 1);
        const uintptr_t last = reinterpret_cast<uintptr_t>(m_pMapping) + m_nMappingBytes;
        if (from < last)
            madvise(reinterpret_cast<void*>(from), last - from, MADV_DONTNEED);
    }
    if (!m_rowBlocks.empty())
        m_rowBlocks.resize(static_cast<size_t>(m));
    m_rows.resize(static_cast<size_t>(m));
    m_n = m;
}
