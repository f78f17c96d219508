#pragma once
// A1-style cell references of Office Open XML sheets ("B3", "AA10", "XFD1").
#include <string_view>

// Parses a reference into 0-based row and column; "$" markers are allowed.
// False for anything else (a missing row, more than three letters, row 0).
bool parseCellReference(std::string_view ref, int& row, int& column);

// The column part alone: "A" = 0, "Z" = 25, "AA" = 26; -1 when not a column.
int columnFromLetters(std::string_view letters);
