#include "data/SpreadsheetCell.h"

#include "platform/Format.h"

std::string spreadsheetCellText(const SpreadsheetCell& cell, SpreadsheetReadMode mode)
{
    const bool full = mode == SpreadsheetReadMode::Full;
    switch (cell.type) {
    case SpreadsheetCellType::Double:
        return strFormat("%f", cell.number);
    case SpreadsheetCellType::Float:
        return full ? std::string() : strFormat("%f", cell.number);
    case SpreadsheetCellType::ShortInt:
        return full ? std::string() : strFormat("%d", static_cast<int>(cell.number));
    case SpreadsheetCellType::MachineInt:
        return full ? strFormat("%d", static_cast<int>(cell.number)) : std::string();
    case SpreadsheetCellType::Text:
        return cell.text;
    default:
        return {};
    }
}
