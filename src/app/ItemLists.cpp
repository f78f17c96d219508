#include "app/ItemLists.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "cluster/LineWriter.h"
#include "data/CellValue.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"

namespace {

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

int sharedCount(const std::vector<std::string>& list, const std::unordered_set<std::string>& with)
{
    int n = 0;
    for (const std::string& id : list)
        n += with.count(id) ? 1 : 0;
    return n;
}

} // namespace

bool readItemListOrTell(const std::string& path, std::vector<std::string>& ids)
{
    std::string refusal;
    if (readItemList(path, ids, &refusal))
        return true;
    showMessage(refusal.empty() ? strFormat("Cannot open the file : %s", path.c_str()) : refusal);
    return false;
}

bool isItemListHeader(const std::string& firstCell, int line)
{
    const std::string key = upperStripped(firstCell);
    if (line == 0) {
        static const char* const titles[] = {"UNIQID", "ID", "GID", "UID", "IDENTIFIER", "PROBE SET ID",
                                             "PROBESET", "PROBESETID", "PROBE_SET_ID", "PROBE SET"};
        for (const char* t : titles)
            if (key == t)
                return true;
    }
    if (line < 4)
        for (const char* row : {"WEIGHT", "CID", "FIELDTYPE", "EWEIGHT", "AID"})
            if (key == row)
                return true;
    return false;
}

bool readItemList(const std::string& path, std::vector<std::string>& ids, std::string* refusal)
{
    ids.clear();
    TableFile table;
    if (table.readTable(path, nullptr, 0) < 0) {
        if (refusal && table.refused())
            *refusal = ReadReport::refusal(path, 0, table.error());
        return false;
    }
    table.report().report();
    std::unordered_set<std::string> seen;
    for (int l = 0; l < table.lineCount(); ++l) {
        std::string id(stripBlanks(table.cell(l, 0)));
        if (id.empty() || isItemListHeader(id, l))
            continue;
        if (seen.insert(id).second)
            ids.push_back(std::move(id));
    }
    return true;
}

std::string ListIntersection::line() const
{
    return strFormat("%s\t%d\tand\t%d\t%d", firstName.c_str(), first, second, shared);
}

std::string ListIntersection::message(const std::string& secondName) const
{
    return strFormat("%s: %d items\n%s: %d items\nIn both: %d items", firstName.c_str(), first, secondName.c_str(),
                     second, shared);
}

ListIntersection intersectLists(const std::string& firstName, const std::vector<std::string>& first,
                                const std::vector<std::string>& second)
{
    ListIntersection r;
    r.firstName = firstName;
    r.first = static_cast<int>(first.size());
    r.second = static_cast<int>(second.size());
    r.shared = sharedCount(second, std::unordered_set<std::string>(first.begin(), first.end()));
    return r;
}

bool intersectListFiles(const std::string& firstPath, const std::string& secondPath, const std::string& outPath,
                        ListIntersection& result)
{
    std::vector<std::string> a, b;
    if (!readItemListOrTell(firstPath, a) || !readItemListOrTell(secondPath, b))
        return false;
    result = intersectLists(fileNameOf(firstPath), a, b);
    if (outPath.empty())
        return true;
    std::FILE* f = std::fopen(outPath.c_str(), "ab");
    if (!f) {
        showMessage("Error in opening the file");
        return false;
    }
    const std::string text = result.line() + "\n";
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (std::fclose(f) != 0 || !written) {
        showMessage("Error in writing the file " + outPath);
        return false;
    }
    return true;
}

std::vector<std::string> listFilesIn(const std::string& folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec))
            continue;
        const std::string name = entry.path().filename().string();
        const std::string ext = TableFile::extensionOf(name);
        if ((ext != "txt" && ext != "exp") || name == "num.txt" || name.rfind("summary_", 0) == 0)
            continue;
        out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

int countListsInSelection(const std::string& folder, const std::vector<std::string>& selected)
{
    const std::unordered_set<std::string> chosen(selected.begin(), selected.end());
    const std::vector<std::string> files = listFilesIn(folder);
    LineWriter out;
    const std::string path = (std::filesystem::path(folder) / "num.txt").string();
    if (!out.open(path)) {
        showMessage("Error in opening the file");
        return -1;
    }
    std::vector<std::string> ids;
    for (const std::string& name : files) {
        if (!readItemList((std::filesystem::path(folder) / name).string(), ids))
            continue;
        out.line({name, std::to_string(sharedCount(ids, chosen))});
    }
    if (!out.close()) {
        showMessage("Error in writing the file " + path);
        return -1;
    }
    return static_cast<int>(files.size());
}

int summariseLists(const std::string& folder, const ItemNames& items)
{
    std::unordered_map<std::string, size_t> rowOf;
    for (size_t r = items.ids.size(); r-- > 0;)
        rowOf[items.ids[r]] = r;
    int written = 0;
    std::vector<std::string> ids;
    for (const std::string& name : listFilesIn(folder)) {
        if (!readItemList((std::filesystem::path(folder) / name).string(), ids))
            continue;
        const std::string stem = std::filesystem::path(name).stem().string();
        const std::string path = (std::filesystem::path(folder) / ("summary_" + stem + ".txt")).string();
        LineWriter out;
        if (!out.open(path)) {
            showMessage("Error in opening the file");
            return -1;
        }
        for (const std::string& id : ids)
            if (auto it = rowOf.find(id); it != rowOf.end())
                out.line({id, it->second < items.names.size() ? items.names[it->second] : std::string()});
        if (!out.close()) {
            showMessage("Error in writing the file " + path);
            return -1;
        }
        ++written;
    }
    return written;
}
