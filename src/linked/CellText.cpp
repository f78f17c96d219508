#include "linked/CellText.h"

#include "data/CellValue.h"
#include "data/FieldInfo.h"
#include "platform/Format.h"

namespace {
// The whole number of a value, as the C conversion takes it, kept within int.
int wholeNumber(float value)
{
    if (!(value > -2147483520.0f))
        return value != value ? 0 : -2147483647 - 1;
    if (value >= 2147483520.0f)
        return 2147483647;
    return static_cast<int>(value);
}
} // namespace

std::string valueCellText(const FieldInfo& field, float value, float weight, ValueShown shown, bool sequence)
{
    if (isMissingWeight(weight))
        return {};
    if (sequence)
        return strFormat("%c", static_cast<char>(static_cast<unsigned>(wholeNumber(value)) + 97u));
    switch (field.m_nType) {
    case CategoricalStr:
        return field.labelOf(wholeNumber(value));
    case Integer:
    case Categorical:
        if (shown != ValueShown::Transformed)
            return strFormat("%d", wholeNumber(value));
        [[fallthrough]];
    default:
        return strFormat("%.2f", static_cast<double>(value));
    }
}

std::string variableSelectionCountText(int count)
{
    if (count <= 0)
        return "Select variables";
    if (count == 1)
        return "1 variable selected";
    return strFormat("%d variables selected", count);
}

std::string selectionCountText(int count)
{
    if (count <= 0)
        return "Select items";
    if (count == 1)
        return "1 item seleted";
    return strFormat("%d items selected", count);
}
