#pragma once
// The lower triangle of all pairwise distances of n slots as 16-bit cells:
// row i holds d(i, j) for j < i, row 0 is empty. n(n-1) bytes in all, one
// block when the system gives it, row by row otherwise.
#include <memory>
#include <vector>

class CondensedMatrix {
public:
    // Checks n(n-1) bytes against the memory the system can still give, then
    // allocates. On failure "Virtual Memory Allocation Failed!" has been shown
    // and the result is empty.
    static std::unique_ptr<CondensedMatrix> allocate(int n);

    int size() const { return m_n; }
    unsigned short* row(int i) { return m_rows[static_cast<size_t>(i)]; }
    const unsigned short* row(int i) const { return m_rows[static_cast<size_t>(i)]; }
    // Distance of two different slots.
    unsigned short at(int i, int j) const { return i > j ? m_rows[static_cast<size_t>(i)][j] : m_rows[static_cast<size_t>(j)][i]; }
    unsigned short& cell(int i, int j) { return i > j ? m_rows[static_cast<size_t>(i)][j] : m_rows[static_cast<size_t>(j)][i]; }
    bool isOneBlock() const { return m_pBlock != nullptr; }
    // Keeps the slots keep[0] < keep[1] < ... < keep[m-1] as slots 0..m-1,
    // their distances with them, in place; the memory of the rows past m is
    // given back.
    void compact(const int* keep, int m);
    ~CondensedMatrix();
    CondensedMatrix(const CondensedMatrix&) = delete;
    CondensedMatrix& operator=(const CondensedMatrix&) = delete;
    static unsigned long long bytesFor(int n) { return static_cast<unsigned long long>(n) * (n > 0 ? n - 1 : 0); }

private:
    CondensedMatrix() = default;
    int m_n = 0;
    // One block mapped from virtual memory (large pages asked for, since the
    // merges read one cell in each of many rows), or nullptr.
    void* m_pMapping = nullptr;
    size_t m_nMappingBytes = 0;
    std::unique_ptr<unsigned short[]> m_smallBlock;
    unsigned short* m_pBlock = nullptr;
    std::vector<std::unique_ptr<unsigned short[]>> m_rowBlocks;
    std::vector<unsigned short*> m_rows;
};

// Bytes of memory the system can still give this process: the smaller of the
// available physical memory and the room left under the process's memory
// limit. Replaceable for tests; a negative answer means "unknown".
using MemoryProbe = long long (*)();
long long availableMemory();
void setMemoryProbe(MemoryProbe probe);  // nullptr restores the system probe
