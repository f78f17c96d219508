#include "data/FilePreview.h"

#include <cctype>

#include "platform/Format.h"
#include "platform/Messages.h"

bool isSequenceFileHeader(std::string_view firstCell)
{
    static constexpr std::string_view kHeader = "protein sequence";
    if (firstCell.size() != kHeader.size())
        return false;
    for (size_t i = 0; i < kHeader.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(firstCell[i])) != kHeader[i])
            return false;
    return true;
}

bool previewFile(const std::string& path, FilePreview& out)
{
    out = FilePreview{};
    int lines = out.table.readTable(path, nullptr, kPreviewLines);
    if (lines < 0) {
        if (out.table.refused())
            return ReadReport::refuse(path, 0, out.table.error());
        showMessage(strFormat("Cannot open the file : %s", path.c_str()));
        return false;
    }
    if (lines == 0) {
        showMessage(strFormat("%s is empty.", path.c_str()));
        return false;
    }
    out.sequenceFile = isSequenceFileHeader(out.table.cell(0, 0));
    out.sideFile = findSideFile(path);
    return true;
}
