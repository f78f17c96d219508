#pragma once
// A written file's text as its lines (without their line ends), and back.
#include <string>
#include <algorithm>
#include <vector>

inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> out;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

inline std::string joinLines(const std::vector<std::string>& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}
