#include "data/SideFile.h"

#include <filesystem>

#include "data/DataMatrix.h"

std::optional<SideFile> findSideFile(const std::string& dataPath)
{
    static const struct {
        const char* ending;
        int weightType;
    } kCandidates[] = {{".pvl", 1}, {".pvl.xls", 1}, {".pvl.xlsx", 1}, {".pma", 2}, {".pma.xls", 2}, {".pma.xlsx", 2}};
    const std::string base = DataMatrix::withoutExtension(dataPath);
    for (const auto& c : kCandidates) {
        std::error_code ec;
        std::string candidate = base + c.ending;
        if (std::filesystem::is_regular_file(candidate, ec))
            return SideFile{candidate, c.weightType};
    }
    return std::nullopt;
}
