#pragma once
// The part every provider shares once it has parsed a worksheet into a
// SparseSheet: the used range, rows of cells and the last error.
#include <cerrno>
#include <cstdio>
#include <string>

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
    // The start of every open: forget the last workbook and make sure the
    // system lets the file be read, so a failure names the real reason.
    bool beginOpen(const std::string& path)
    {
        close();
        m_strPath = path;
        m_error = {};
        if (FILE* f = std::fopen(path.c_str(), "rb")) {
            std::fclose(f);
            return true;
        }
        setSystemError(m_error, errno, path);
        return false;
    }

    std::string m_strPath;
    SpreadsheetError m_error;
    SparseSheet m_sheet;
};
