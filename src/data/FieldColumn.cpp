#include "data/FieldColumn.h"

#include <new>

bool FieldColumn::allocate(size_t n)
{
    m_owned.reset(new (std::nothrow) float[n > 0 ? n : 1]());
    m_p = m_owned.get();
    m_nStride = 1;
    return m_p != nullptr;
}

void FieldColumn::view(float* pool, size_t column, size_t stride)
{
    m_owned.reset();
    m_p = pool + column;
    m_nStride = stride;
}

void FieldColumn::reset()
{
    m_owned.reset();
    m_p = nullptr;
    m_nStride = 1;
}
