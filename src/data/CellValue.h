#pragma once
// Conversion of cell texts to numbers, with the program's rules: a leading
// number is taken as atof / atoi would take it (a text that is not a number
// gives 0 and counts as present); empty cells and the usual missing-value
// tokens (NA, NaN, N/A, NULL, #N/A in any case) and non-finite numbers are
// missing.
#include <string_view>

// Missing cells carry exactly this weight.
constexpr float kMissingWeight = -1.0f;
inline bool isMissingWeight(float w) { return w == kMissingWeight; }

// White space as the readers strip it.
bool isBlank(char c);
std::string_view stripBlanks(std::string_view s);

bool isMissingToken(std::string_view stripped);

// atof semantics (leading blanks skipped, trailing garbage ignored, 0 for no number).
double parseLeadingDouble(std::string_view s);
// atoi semantics.
int parseLeadingInt(std::string_view s);

// Parses one numeric cell. Returns false when the cell is missing.
bool parseNumericCell(std::string_view text, float& value);
// The same for a NUL-terminated text, quicker for plain decimals.
bool parseNumericText(const char* text, float& value);

// Upper case of a text stripped of surrounding white space (field names,
// header-row keywords).
#include <string>
std::string upperStripped(std::string_view s);
