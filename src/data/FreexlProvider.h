#pragma once
// Legacy Excel workbooks (.xls, BIFF) through the FreeXL library.
//
// FreeXL reports a sheet's extent as its last used row and column; the used
// range's first row and column are those of the first cell holding a value.
// FreeXL does not tell boolean cells from integers, so a TRUE or FALSE cell
// of an .xls workbook arrives as the number 1 or 0.
#include "data/SpreadsheetProvider.h"

class FreexlProvider final : public ISpreadsheetProvider {
public:
    ~FreexlProvider() override { close(); }

    bool open(const std::string& path) override;
    bool selectFirstWorksheet() override;
    bool usedRangeSize(int& rows, int& columns) override;
    bool readRow(int row, int columns, std::vector<SpreadsheetCell>& cells) override;
    void close() override;
    const SpreadsheetError& error() const override { return m_error; }

private:
    SpreadsheetCell cellAt(unsigned row, unsigned short column) const;
    bool hasValue(unsigned row, unsigned short column) const;

    const void* m_handle = nullptr;
    std::string m_strPath;
    SpreadsheetError m_error;
    unsigned m_nSheetRows = 0;            // last used row + 1
    unsigned short m_nSheetColumns = 0;   // last used column + 1
};
