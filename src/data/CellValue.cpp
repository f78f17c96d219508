#include "data/CellValue.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view stripBlanks(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

namespace {
bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
} // namespace

bool isMissingToken(std::string_view s)
{
    if (s.empty())
        return true;
    if (s.size() > 4)
        return false;
    return equalsNoCase(s, "NA") || equalsNoCase(s, "NAN") || equalsNoCase(s, "N/A") || equalsNoCase(s, "NULL") ||
           equalsNoCase(s, "#N/A");
}

namespace {
// Plain decimals ("-7.12345") make up nearly every cell of an expression
// file. With at most 15 digits the digits form an exact integer and a single
// division by an exact power of ten rounds once, so the result equals the
// general conversion's. Returns false for anything else.
template <typename AtEnd>
bool parsePlainDecimalUntil(const char* s, AtEnd atEnd, double& out)
{
    static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    size_t i = 0;
    bool negative = false;
    if (!atEnd(i) && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    unsigned long long mantissa = 0;
    int digits = 0, fraction = 0;
    bool dot = false;
    for (; !atEnd(i); ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
            fraction += dot;
            if (++digits > 15)
                return false;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    double v = static_cast<double>(mantissa) / kPow10[fraction];
    out = negative ? -v : v;
    return true;
}

// The power of ten of a number's leading digit (digits, a point, digits,
// an exponent): 2 for "123.4", -3 for "0.00123e0", 400 for "1e400". A
// number out of range overflows when it is non-negative.
long long decimalExponent(std::string_view s)
{
    size_t i = 0;
    long long position = -1;  // of the leading non-zero digit, before the point = non-negative
    long long integerDigits = 0, zerosAfterPoint = 0;
    bool point = false, nonZero = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (!nonZero && c == '0') {
                zerosAfterPoint += point;
                continue;
            }
            nonZero = true;
            if (!point)
                ++integerDigits;
        } else {
            break;
        }
    }
    if (!nonZero)
        return std::numeric_limits<long long>::min() / 2;
    position = integerDigits > 0 ? integerDigits - 1 : -zerosAfterPoint - 1;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            negative = s[i++] == '-';
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), 1LL << 40);
        if (negative)
            exponent = -exponent;
    }
    return position + exponent;
}

bool parsePlainDecimal(std::string_view s, double& out)
{
    return parsePlainDecimalUntil(s.data(), [n = s.size()](size_t i) { return i >= n; }, out);
}
} // namespace

double parseLeadingDouble(std::string_view s)
{
    double fast;
    if (parsePlainDecimal(s, fast))
        return fast;
    size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    if (i < s.size() && s[i] == '+')
        ++i;
    // from_chars takes a leading minus but not a plus; a second sign is not a number.
    if (i < s.size() && s[i] == '+')
        return 0.0;
    double v = 0.0;
    auto [ptr, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Overflow gives an infinity as atof does; underflow gives zero.
        const bool negative = s[i] == '-';
        if (decimalExponent(s.substr(negative ? i + 1 : i, static_cast<size_t>(ptr - s.data()) - i - negative)) >= 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return 0.0;
    }
    if (ec != std::errc())
        return 0.0;
    return v;
}

int parseLeadingInt(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && isBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long v = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1;
        ++i;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    return static_cast<int>(v);
}

bool parseNumericCell(std::string_view text, float& value)
{
    std::string_view s = stripBlanks(text);
    if (isMissingToken(s)) {
        value = 0.0f;
        return false;
    }
    double d = parseLeadingDouble(s);
    float f = static_cast<float>(d);
    if (!std::isfinite(f)) {
        value = 0.0f;
        return false;
    }
    value = f;
    return true;
}

std::string upperStripped(std::string_view s)
{
    std::string out(stripBlanks(s));
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool parseNumericText(const char* text, float& value)
{
    double fast;
    if (parsePlainDecimalUntil(text, [text](size_t i) { return text[i] == '\0'; }, fast)) {
        value = static_cast<float>(fast);
        if (std::isfinite(value))
            return true;
    }
    return parseNumericCell(std::string_view(text), value);
}
