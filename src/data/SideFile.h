#pragma once
// The optional side file of a data file: per-cell detection p-values or
// detection calls, found beside the data file by name.
#include <optional>
#include <string>

struct SideFile {
    std::string path;
    int weightType = 0;   // 1 detection p-values, 2 detection calls (P/M/A)
};

// The data file's path without its extension, plus ".pvl", ".pvl.xls",
// ".pvl.xlsx", ".pma", ".pma.xls" or ".pma.xlsx", tried in this order; the
// first that exists.
std::optional<SideFile> findSideFile(const std::string& dataPath);
