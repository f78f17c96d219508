#pragma once
// The part every provider shares once it has parsed a worksheet into a
// SparseSheet: the used range, rows of cells and the last error.
#include "data/SparseSheet.h"
#include "data/SpreadsheetProvider.h"

class SheetBackedProvider : public ISpreadsheetProvider {
public:
    bool usedRange(SheetRange& range) override
    {
        m_sheet.usedRange(range);
        return true;
    }
    bool readRow(int row, int firstColumn, int columns, std::vector<SpreadsheetCell>& cells) override
    {
        m_sheet.readRow(row, firstColumn, columns, cells);
        return true;
    }
    const SpreadsheetError& error() const override { return m_error; }

protected:
    SpreadsheetError m_error;
    SparseSheet m_sheet;
};
