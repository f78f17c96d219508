#include "data/SpreadsheetCell.h"

#include <charconv>

#include "platform/Format.h"

namespace {
// "%f": six decimals, exactly as printf writes them, without its cost.
std::string sixDecimals(double v)
{
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(buf, end) : strFormat("%f", v);
}
} // namespace

std::string spreadsheetCellText(const SpreadsheetCell& cell, SpreadsheetReadMode mode)
{
    const bool full = mode == SpreadsheetReadMode::Full;
    switch (cell.type) {
    case SpreadsheetCellType::Double:
        return sixDecimals(cell.number);
    case SpreadsheetCellType::Float:
        return full ? std::string() : sixDecimals(cell.number);
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
