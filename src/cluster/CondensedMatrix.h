#pragma once
// The lower triangle of all pairwise distances of n slots as 16-bit cells,
// d(i, j) for j < i. Rows are kept in strips of kStripRows: within a strip
// the cells of one column for the strip's rows lie side by side, so a walk
// down a column meets one cache line per strip rather than one per row,
// while a row is still read front to back. Strip s holds the columns
// 0 .. kStripRows * (s + 1) - 2, the ones its last row needs; the cells
// (i, j) with j >= i of its other rows are padding nobody reads. About
// n(n-1) bytes in all, one block when the system gives it, strip by strip
// otherwise.
#include <cstddef>
#include <memory>
#include <vector>

class CondensedMatrix {
public:
    static constexpr int kStripRows = 8;

    // Row i of a strip: cell j at p[j * kStripRows].
    template <class Cell>
    struct RowOf {
        Cell* p;
        Cell& operator[](int j) const { return p[static_cast<size_t>(j) * kStripRows]; }
    };
    using Row = RowOf<unsigned short>;
    using ConstRow = RowOf<const unsigned short>;

    // Checks the bytes against the memory the system can still give, then
    // allocates. On failure "Virtual Memory Allocation Failed!" has been shown
    // and the result is empty.
    static std::unique_ptr<CondensedMatrix> allocate(int n);

    int size() const { return m_n; }
    int strips() const { return static_cast<int>(m_strips.size()); }
    // Column j of strip s: the cells (kStripRows * s + r, j), r = 0 .. kStripRows-1.
    unsigned short* strip(int s) { return m_strips[static_cast<size_t>(s)]; }
    const unsigned short* strip(int s) const { return m_strips[static_cast<size_t>(s)]; }
    static int stripOf(int i) { return i / kStripRows; }
    static int laneOf(int i) { return i % kStripRows; }
    static size_t stripCells(int s) { return static_cast<size_t>(kStripRows) * (kStripRows * (s + 1) - 1); }

    Row row(int i) { return {strip(stripOf(i)) + laneOf(i)}; }
    ConstRow row(int i) const { return {strip(stripOf(i)) + laneOf(i)}; }
    // Distance of two different slots.
    unsigned short at(int i, int j) const { return i > j ? row(i)[j] : row(j)[i]; }
    unsigned short& cell(int i, int j) { return i > j ? row(i)[j] : row(j)[i]; }
    // Sets the cells (i, from .. to-1).
    void fillRow(int i, int from, int to, unsigned short value)
    {
        const Row r = row(i);
        for (int j = from; j < to; ++j)
            r[j] = value;
    }
    // Keeps the slots keep[0] < keep[1] < ... < keep[m-1] as slots 0..m-1,
    // their distances with them, in place; the memory of the strips past the
    // new last one is given back.
    void compact(const int* keep, int m);
    ~CondensedMatrix();
    CondensedMatrix(const CondensedMatrix&) = delete;
    CondensedMatrix& operator=(const CondensedMatrix&) = delete;
    static unsigned long long bytesFor(int n);

private:
    CondensedMatrix() = default;
    static size_t cellsBefore(int s);  // of the strips 0 .. s-1
    int m_n = 0;
    // One block mapped from virtual memory (large pages asked for, since the
    // merges read one cell in each of many strips), or nullptr.
    void* m_pMapping = nullptr;
    size_t m_nMappingBytes = 0;
    std::unique_ptr<unsigned short[]> m_smallBlock;
    unsigned short* m_pBlock = nullptr;
    std::vector<std::unique_ptr<unsigned short[]>> m_stripBlocks;
    std::vector<unsigned short*> m_strips;
};

// Bytes of memory the system can still give this process: the smaller of the
// available physical memory and the room left under the process's memory
// limit. Replaceable for tests; a negative answer means "unknown".
using MemoryProbe = long long (*)();
long long availableMemory();
void setMemoryProbe(MemoryProbe probe);  // nullptr restores the system probe
