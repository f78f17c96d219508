#pragma once
// A worksheet cell as a spreadsheet provider hands it over: its value type
// and value, and the text the table receives for it.
#include <string>

enum class SpreadsheetCellType : unsigned char {
    Empty,
    Double,       // any number of the workbook
    Float,        // single-precision number
    ShortInt,     // 16- or 32-bit integer
    MachineInt,   // integer of the machine's word size
    Text,
    Date,         // date, time or date and time
    Boolean,
    Error,        // an error value such as #DIV/0!
    Currency,
};

struct SpreadsheetCell {
    SpreadsheetCellType type = SpreadsheetCellType::Empty;
    double number = 0.0;   // Double, Float, ShortInt, MachineInt
    std::string text;      // Text

    static SpreadsheetCell makeNumber(double v) { return {SpreadsheetCellType::Double, v, {}}; }
    static SpreadsheetCell makeText(std::string s) { return {SpreadsheetCellType::Text, 0.0, std::move(s)}; }
    static SpreadsheetCell makeOfType(SpreadsheetCellType t) { return {t, 0.0, {}}; }
};

// How a block is read: the whole sheet for loading, or the first lines for
// the preview. The two readings convert some value types differently.
enum class SpreadsheetReadMode { Full, Preview };

// The text a cell becomes in the table. Numbers are written with six
// decimals ("12.500000"); dates, booleans, errors, currency and empty cells
// become empty texts, which the data loader takes as missing values.
//   type        full read   preview
//   Double      "%f"        "%f"
//   Float       empty       "%f"
//   ShortInt    empty       "%d"
//   MachineInt  "%d"        empty
//   Text        as is       as is
//   others      empty       empty
std::string spreadsheetCellText(const SpreadsheetCell& cell, SpreadsheetReadMode mode);
