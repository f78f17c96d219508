#pragma once
// A column of floats as a field sees it: either storage of its own, or a
// strided view into one column of a matrix's row-major pool, so that a field
// and the pool always agree without a second copy of the data.
#include <cstddef>
#include <memory>

class FieldColumn {
public:
    FieldColumn() = default;
    FieldColumn(FieldColumn&&) = default;
    FieldColumn& operator=(FieldColumn&&) = default;

    // Own storage of n zeros; false when the memory cannot be had.
    bool allocate(size_t n);
    // View column `column` of a pool whose rows are `stride` floats long.
    void view(float* pool, size_t column, size_t stride);
    void reset();

    float& operator[](size_t r) { return m_p[r * m_nStride]; }
    const float& operator[](size_t r) const { return m_p[r * m_nStride]; }
    explicit operator bool() const { return m_p != nullptr; }
    size_t stride() const { return m_nStride; }

private:
    std::unique_ptr<float[]> m_owned;
    float* m_p = nullptr;
    size_t m_nStride = 1;
};
