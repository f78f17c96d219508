#include "data/XlsxNumberFormat.h"

#include <cctype>

bool isBuiltinDateFormat(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58);
}

namespace {
bool isDateLetter(char ch)
{
    switch (std::tolower(static_cast<unsigned char>(ch))) {
    case 'd': case 'm': case 'y': case 'h': case 's':
        return true;
    default:
        return false;
    }
}
} // namespace

bool isDateFormatCode(std::string_view code)
{
    for (size_t i = 0; i < code.size(); ++i) {
        char ch = code[i];
        if (ch == ';')
            return false;   // only the first section decides
        if (ch == '"') {
            size_t end = code.find('"', i + 1);
            if (end == std::string_view::npos)
                return false;
            i = end;
        } else if (ch == '\\' || ch == '_' || ch == '*') {
            ++i;            // the next character is literal, or padding
        } else if (ch == '[') {
            size_t end = code.find(']', i + 1);
            if (end == std::string_view::npos)
                return false;
            std::string_view inside = code.substr(i + 1, end - i - 1);
            bool elapsed = !inside.empty();
            for (char c : inside)
                elapsed = elapsed && (std::tolower(static_cast<unsigned char>(c)) == 'h' ||
                                      std::tolower(static_cast<unsigned char>(c)) == 'm' ||
                                      std::tolower(static_cast<unsigned char>(c)) == 's');
            if (elapsed)
                return true;
            i = end;
        } else if (isDateLetter(ch)) {
            return true;
        }
    }
    return false;
}
