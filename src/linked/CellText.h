#pragma once
// The texts of value cells, shared by the table view and the detail panel,
// and the selection count both show.
#include <string>

class FieldInfo;

// Which value a cell shows:
//  - Current: the current value, as the table shows it (Expression and Real
//    "%.2f", Integer and Categorical "%d" of the whole number, CategoricalStr
//    the category label);
//  - Original: the original value, formatted the same way;
//  - Transformed: the detail panel's "Transformed" column (every numeric
//    type "%.2f", CategoricalStr the category label).
enum class ValueShown { Current, Original, Transformed };

// The text of one cell of a value column: empty for a missing cell (weight
// -1.0) whatever its value; for sequence data the letter whose code is the
// value + 97 ("%c", 0 shows "a"); otherwise by the field's type as above.
std::string valueCellText(const FieldInfo& field, float value, float weight, ValueShown shown, bool sequence);

// "Select items" for none, "1 item seleted" for one, "%d items selected" for more.
std::string selectionCountText(int count);
// The same count when the list holds variables: "Select variables", "1
// variable selected", "%d variables selected".
std::string variableSelectionCountText(int count);
