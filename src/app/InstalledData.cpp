#include "app/InstalledData.h"

#include <filesystem>
#include <system_error>

std::string programFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string installedDataFolder(const std::string& programFolder)
{
    if (programFolder.empty())
        return {};
    // "PREFIX/bin/.." rather than parent_path(), which a trailing '/' would fool.
    const std::filesystem::path folder =
        (std::filesystem::path(programFolder) / ".." / "share" / "arbolix").lexically_normal();
    std::error_code error;
    if (!std::filesystem::is_regular_file(folder / kSampleFileName, error))
        return {};
    return folder.string();
}
