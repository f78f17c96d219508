#pragma once
// Which number formats of an Office Open XML workbook show a number as a
// date or time: the workbook stores dates as plain numbers and only the
// cell's format tells them apart.
#include <string_view>

// Built-in format ids that are dates or times (14-22, 27-36, 45-47, 50-58).
bool isBuiltinDateFormat(int numFmtId);

// A custom format code is a date or time format when its first section,
// outside quoted text, escaped characters and bracketed colours or
// conditions, uses a date or time placeholder (d, m, y, h, s, or an elapsed
// time such as [h]).
bool isDateFormatCode(std::string_view code);
