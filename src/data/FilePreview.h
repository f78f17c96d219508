#pragma once
// The first lines of a data file as the load dialog shows them, with what
// they tell about the file: a "protein sequence" file, and whether a side
// file of detection p-values or calls lies beside it.
#include <optional>
#include <string>
#include <string_view>

#include "data/SideFile.h"
#include "data/TableFile.h"

constexpr int kPreviewLines = 10;

struct FilePreview {
    TableFile table;            // at most kPreviewLines lines; line 0 is the header
    bool sequenceFile = false;
    std::optional<SideFile> sideFile;
};

// Reads the preview. Shows "Cannot open the file : %s" when the file cannot
// be read and "%s is empty." when it has no non-empty line; false then.
bool previewFile(const std::string& path, FilePreview& out);

// A first header cell of "protein sequence", in any letter case.
bool isSequenceFileHeader(std::string_view firstCell);
