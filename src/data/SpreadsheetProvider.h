#pragma once
// What the spreadsheet reader needs of a component that understands a
// workbook format: open a workbook, make its first worksheet current, tell
// the size of that sheet's used range and hand over typed cells by row.
//
// Row and column numbers count from 0 at cell A1. A provider reports every
// failure through error(); it never throws.
#include <memory>
#include <string>
#include <vector>

#include "data/SpreadsheetCell.h"

struct SpreadsheetError {
    enum class Kind {
        System,    // the file could not be opened; code is an errno value
        Workbook,  // the file is not a readable workbook; code is a SpreadsheetErrorCode
    };
    Kind kind = Kind::Workbook;
    int code = 0;
    std::string description;  // names the file
};

enum SpreadsheetErrorCode {
    kNotAWorkbook = 1,
    kWorkbookEncrypted = 2,
    kNoWorksheet = 3,
    kWorkbookDamaged = 4,
    kWorkbookTooLarge = 5,
};

// Fills `error` for a workbook that cannot be read (descriptions name the file).
void setWorkbookError(SpreadsheetError& error, int code, const std::string& path, const std::string& detail = {});
// Fills `error` for a file the system refuses to open.
void setSystemError(SpreadsheetError& error, int errnoValue, const std::string& path);

// A rectangle of a sheet: its top-left cell (from 0 at A1) and its size.
struct SheetRange {
    int firstRow = 0, firstColumn = 0;
    int rows = 0, columns = 0;
};

class ISpreadsheetProvider {
public:
    virtual ~ISpreadsheetProvider() = default;

    virtual bool open(const std::string& path) = 0;
    virtual bool selectFirstWorksheet() = 0;
    // The current sheet's used range (the smallest rectangle holding every
    // cell that has a value); 0 x 0 for an empty sheet.
    virtual bool usedRange(SheetRange& range) = 0;
    // `columns` cells of row `row` from column `firstColumn` on; cells
    // outside the sheet are Empty.
    virtual bool readRow(int row, int firstColumn, int columns, std::vector<SpreadsheetCell>& cells) = 0;
    // Releases the workbook; harmless when nothing is open.
    virtual void close() = 0;
    virtual const SpreadsheetError& error() const = 0;
};

// The provider for a workbook file named ".xls" or ".xlsx": the Office Open
// XML reader for a zip package (or an encrypted one), FreeXL for a compound
// document, whatever the name says; by the name for other content. Null for
// any other name.
std::unique_ptr<ISpreadsheetProvider> makeSpreadsheetProvider(const std::string& path);
