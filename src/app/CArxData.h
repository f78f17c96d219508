#pragma once
// The data slots of the application object: the matrix read by the last
// open and the filtered matrix the load dialog may have produced. The
// current matrix, which every part of the program means by "the data", is
// the filtered one when present.
#include <memory>

#include "data/DataMatrix.h"

class CArxData {
public:
    std::unique_ptr<DataMatrix> m_pData;          // read by the last open; absent when filtered data were delivered
    std::unique_ptr<DataMatrix> m_pFilteredData;  // made by the load dialog's filter; may be absent

    DataMatrix* current() const { return m_pFilteredData ? m_pFilteredData.get() : m_pData.get(); }

    // Before reading a file afresh (File/Open without filtering, Import
    // Clustering Result): a new empty m_pData, no filtered matrix.
    void prepareFreshRead()
    {
        m_pData = std::make_unique<DataMatrix>();
        m_pFilteredData.reset();
    }
    // After the load dialog filtered: the filtered matrix is the data.
    void useFiltered() { m_pData.reset(); }
    void releaseAll()
    {
        m_pData.reset();
        m_pFilteredData.reset();
    }
};
