#pragma once
// A line of a read table as its fields' texts, to compare in one check.
#include <string>
#include <vector>

#include "data/TableFile.h"

using Fields = std::vector<std::string>;

inline Fields lineOf(const TableFile& t, int l)
{
    Fields out;
    TableLine line = t.lineAt(l);
    for (size_t i = 0; i < line.size(); ++i)
        out.push_back(line.str(i));
    return out;
}
