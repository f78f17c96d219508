#include "data/FreexlProvider.h"

#include <freexl.h>

#include <cerrno>
#include <cstdio>

#include "platform/Format.h"

namespace {
bool isNotAWorkbook(int rc)
{
    return rc == FREEXL_INVALID_CFBF_HEADER || rc == FREEXL_CFBF_INVALID_SIGNATURE ||
           rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND || rc == FREEXL_BIFF_INVALID_BOF;
}
} // namespace

bool FreexlProvider::open(const std::string& path)
{
    close();
    m_strPath = path;
    // FreeXL reports any failure to open the file as "not found"; ask the
    // system first so that the message tells the real reason.
    if (FILE* f = std::fopen(path.c_str(), "rb"))
        std::fclose(f);
    else {
        setSystemError(m_error, errno, path);
        return false;
    }
    const void* handle = nullptr;
    int rc = freexl_open(path.c_str(), &handle);
    if (rc != FREEXL_OK) {
        setWorkbookError(m_error, isNotAWorkbook(rc) ? kNotAWorkbook : kWorkbookDamaged, path,
                         strFormat("FreeXL error %d", rc));
        return false;
    }
    m_handle = handle;
    unsigned info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        setWorkbookError(m_error, kWorkbookEncrypted, path);
        close();
        return false;
    }
    return true;
}

bool FreexlProvider::selectFirstWorksheet()
{
    unsigned count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0) {
        setWorkbookError(m_error, kNoWorksheet, m_strPath);
        return false;
    }
    int rc = freexl_select_active_worksheet(m_handle, 0);
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(m_handle, &m_nSheetRows, &m_nSheetColumns);
    if (rc != FREEXL_OK) {
        setWorkbookError(m_error, kWorkbookDamaged, m_strPath, strFormat("FreeXL error %d", rc));
        return false;
    }
    return true;
}

SpreadsheetCell FreexlProvider::cellAt(unsigned row, unsigned short column) const
{
    FreeXL_CellValue v;
    if (freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
        return {};
    switch (v.type) {
    case FREEXL_CELL_INT:
        return SpreadsheetCell::makeNumber(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return SpreadsheetCell::makeNumber(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return SpreadsheetCell::makeText(v.value.text_value ? v.value.text_value : "");
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return SpreadsheetCell::makeOfType(SpreadsheetCellType::Date);
    default:
        return {};
    }
}

bool FreexlProvider::hasValue(unsigned row, unsigned short column) const
{
    FreeXL_CellValue v;
    return freexl_get_cell_value(m_handle, row, column, &v) == FREEXL_OK && v.type != FREEXL_CELL_NULL;
}

bool FreexlProvider::usedRangeSize(int& rows, int& columns)
{
    unsigned firstRow = m_nSheetRows;
    unsigned short firstColumn = m_nSheetColumns;
    for (unsigned r = 0; r < m_nSheetRows; ++r)
        for (unsigned short c = 0; c < firstColumn; ++c)
            if (hasValue(r, c)) {
                if (firstRow == m_nSheetRows)
                    firstRow = r;
                firstColumn = c;
                break;
            }
    if (firstRow >= m_nSheetRows) {
        rows = columns = 0;
        return true;
    }
    rows = static_cast<int>(m_nSheetRows - firstRow);
    columns = static_cast<int>(m_nSheetColumns - firstColumn);
    return true;
}

bool FreexlProvider::readRow(int row, int columns, std::vector<SpreadsheetCell>& cells)
{
    cells.assign(static_cast<size_t>(columns), SpreadsheetCell{});
    if (row < 0 || static_cast<unsigned>(row) >= m_nSheetRows)
        return true;
    for (int c = 0; c < columns && c < m_nSheetColumns; ++c)
        cells[static_cast<size_t>(c)] = cellAt(static_cast<unsigned>(row), static_cast<unsigned short>(c));
    return true;
}

void FreexlProvider::close()
{
    if (m_handle)
        freexl_close(m_handle);
    m_handle = nullptr;
    m_nSheetRows = 0;
    m_nSheetColumns = 0;
}
