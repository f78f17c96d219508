// Line 0 of a clustering result's .dat: how the result was made.
#include <cctype>
#include <cstdlib>

#include "cluster/ResultFiles.h"
#include "cluster/Similarity.h"
#include "data/CellValue.h"
#include "platform/Format.h"

namespace {
const char* const kNormalize = "Normalize";
const char* const kOriginal = "Original";
const char* const kPValWeight = "PVal Weight";
const char* const kSequence = "protein sequence";
const char* const kPValueSuffixKey = "P-VALUES AS WEIGHT";

bool parseFloatText(const std::string& text, float& out)
{
    const std::string_view t = stripBlanks(text);
    if (t.empty())
        return false;
    const std::string s(t);
    char* end = nullptr;
    out = std::strtof(s.c_str(), &end);
    return end && *end == '\0' && end != s.c_str();
}
} // namespace

std::string normalisationCell(const ResultHeader& h)
{
    if (h.originalValues || h.normDirection < 0 || h.normMethod < 0 || h.normMethod > 9 || h.normDirection > 9)
        return kOriginal;
    std::string cell = strFormat("%s %d %d", kNormalize, h.normMethod, h.normDirection);
    if (h.normMethod == 3)
        cell += strFormat("(%f,%f)", static_cast<double>(h.lo), static_cast<double>(h.hi));
    return cell;
}

bool parseNormalisationCell(const std::string& cell, ResultHeader& h)
{
    if (cell.find(kOriginal) != std::string::npos) {
        h.originalValues = true;
        h.normMethod = h.normDirection = -1;
        return true;
    }
    // "Normalize m d": the method digit at position 10, the direction at 12.
    if (cell.compare(0, 10, "Normalize ") != 0 || cell.size() < 13 || cell[11] != ' ' ||
        !std::isdigit(static_cast<unsigned char>(cell[10])) || !std::isdigit(static_cast<unsigned char>(cell[12])))
        return false;
    h.originalValues = false;
    h.normMethod = cell[10] - '0';
    h.normDirection = cell[12] - '0';
    if (h.normMethod > 3 || h.normDirection > 1)
        return false;
    if (h.normMethod == 3) {
        const size_t open = cell.find('(', 13), comma = cell.find(',', 13), close = cell.find(')', 13);
        if (open == std::string::npos || comma == std::string::npos || close == std::string::npos || !(open < comma) ||
            !(comma < close))
            return false;
        if (!parseFloatText(cell.substr(open + 1, comma - open - 1), h.lo) ||
            !parseFloatText(cell.substr(comma + 1, close - comma - 1), h.hi))
            return false;
    } else if (cell.size() != 13) {
        return false;
    }
    return true;
}

std::vector<std::string> headerCells(const ResultHeader& h)
{
    std::vector<std::string> cells{h.title, h.logTransformed ? "1" : "0", linkageDisplayName(h.linkage),
                                   measureDisplayName(h.measure, h.centered, h.absolute, h.pValueWeights),
                                   normalisationCell(h)};
    if (h.sequence)
        cells.emplace_back(kSequence);
    else if (h.weightType > 0)
        cells.push_back(strFormat("%s %d", kPValWeight, h.weightType));
    return cells;
}

bool parseHeaderCells(const std::vector<std::string>& cells, ResultHeader& h, std::string& error)
{
    auto cell = [&](size_t i) { return i < cells.size() ? std::string(stripBlanks(cells[i])) : std::string(); };
    h.title = cell(0);
    h.logTransformed = cell(1) == "1";
    h.linkage = cell(2).empty() ? -1 : parseLinkageName(cell(2));
    const std::string measure = cell(3);
    h.centered = true;
    h.absolute = false;
    h.measure = measure.empty() ? -1 : parseMeasureName(measure, h.centered, h.absolute);
    h.pValueWeights = upperStripped(measure).find(kPValueSuffixKey) != std::string::npos;
    if (!parseNormalisationCell(cell(4), h)) {
        error = "the normalisation \"" + cell(4) + "\" is neither \"Original\" nor \"Normalize <method> <direction>\"";
        return false;
    }
    h.weightType = 0;
    h.sequence = false;
    const std::string sixth = cell(5);
    if (sixth.compare(0, 11, kPValWeight) == 0)
        h.weightType = parseLeadingInt(std::string_view(sixth).substr(std::min<size_t>(12, sixth.size())));
    else if (sixth == kSequence)
        h.sequence = true;
    return true;
}
