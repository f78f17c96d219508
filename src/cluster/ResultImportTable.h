#pragma once
// The reading shared by every result format: a table laid out as our .dat
// (line 0 the header unless one is given, the column clusters and leaves,
// the names, the header rows, one line per item) and the two tree files.
#include <optional>
#include <string>

#include "cluster/ResultFiles.h"

class TableFile;

struct ResultTables {
    std::string datPath;                 // named in messages; the data set's name
    std::optional<ResultHeader> header;  // given: line 0 is not read
    std::string weightsPath;             // "" when the format has no weights file
    std::string rowTreePath, columnTreePath;
    const TreeViewLeaves* rowLeaves = nullptr;     // TreeView tree files when set
    const TreeViewLeaves* columnLeaves = nullptr;
};

std::unique_ptr<ImportedResult> importResultTable(TableFile& table, const ResultTables& tables);
