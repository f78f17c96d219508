#include "data/XlsxReference.h"

#include <cctype>

namespace {
constexpr int kMaxColumns = 16384;   // XFD
constexpr int kMaxRows = 1048576;
} // namespace

int columnFromLetters(std::string_view letters)
{
    if (letters.empty() || letters.size() > 3)
        return -1;
    int column = 0;
    for (char ch : letters) {
        int c = std::toupper(static_cast<unsigned char>(ch));
        if (c < 'A' || c > 'Z')
            return -1;
        column = column * 26 + (c - 'A' + 1);
    }
    return column <= kMaxColumns ? column - 1 : -1;
}

bool parseCellReference(std::string_view ref, int& row, int& column)
{
    size_t i = 0;
    if (i < ref.size() && ref[i] == '$')
        ++i;
    size_t lettersBegin = i;
    while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])))
        ++i;
    int c = columnFromLetters(ref.substr(lettersBegin, i - lettersBegin));
    if (c < 0)
        return false;
    if (i < ref.size() && ref[i] == '$')
        ++i;
    if (i >= ref.size())
        return false;
    long r = 0;
    for (; i < ref.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(ref[i])))
            return false;
        r = r * 10 + (ref[i] - '0');
        if (r > kMaxRows)
            return false;
    }
    if (r < 1)
        return false;
    row = static_cast<int>(r - 1);
    column = c;
    return true;
}
