// Damaged workbooks end in a read that succeeds or fails with one message:
// no crash and no read out of bounds (the sanitizer build runs these too).
// FreeXL reads out of bounds on some damaged .xls files; it runs in a child
// process, so in the sanitizer build such a child prints its report and
// dies, and the read fails with the "damaged" message as it should.
#include <gtest/gtest.h>

#include <zip.h>

#include <map>
#include <random>

#include "data/TableFile.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {
std::string fixture(const std::string& name) { return std::string(ARBOLIX_FIXTURES_DIR) + "/" + name; }

std::string mutate(std::string s, std::mt19937& rng)
{
    static const char kInteresting[] = "<>/\"=&;:# \0\xff" "0123456789rvcst";
    int edits = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < edits && !s.empty(); ++i) {
        size_t at = rng() % s.size();
        switch (rng() % 4) {
        case 0: s[at] = static_cast<char>(rng()); break;
        case 1: s[at] = kInteresting[rng() % (sizeof kInteresting - 1)]; break;
        case 2: s.erase(at, rng() % 64); break;
        case 3: s.insert(at, s.substr(rng() % s.size(), rng() % 100)); break;
        }
    }
    return s;
}

void expectCleanOutcome(const std::string& path)
{
    ScopedRecordingMessages messages;
    TableFile t;
    int n = t.readTable(path);
    if (n < 0) {
        EXPECT_EQ(t.lineCount(), 0);
        EXPECT_EQ(messages->m_texts.size(), 1u);
        return;
    }
    EXPECT_EQ(t.lineCount(), n);
    for (int l = 0; l < n; ++l)
        EXPECT_EQ(static_cast<int>(t.lineAt(l).size()), t.widestFieldCount());
}

std::map<std::string, std::string> readParts(const std::string& path)
{
    std::map<std::string, std::string> parts;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    for (zip_int64_t i = 0; z && i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        parts[st.name] = data;
    }
    if (z)
        zip_discard(z);
    return parts;
}

void writeParts(const std::string& path, const std::map<std::string, std::string>& parts)
{
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    ASSERT_TRUE(z);
    for (const auto& [name, data] : parts) {
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE);
    }
    ASSERT_EQ(zip_close(z), 0);
}
} // namespace

TEST(SpreadsheetRobustness, DamagedFilesOfBothFormats)
{
    TempDir dir;
    std::mt19937 rng(20240101);
    for (const char* name : {"expression.xls", "wide.xls", "expression.xlsx", "handmade.xlsx"}) {
        const std::string original = TempDir::read(fixture(name));
        const std::string ext = std::string(name).substr(std::string(name).rfind('.'));
        const int mutations = ext == ".xls" ? 60 : 150;
        for (int i = 0; i < mutations; ++i)
            expectCleanOutcome(dir.write("m" + std::to_string(i) + ext, mutate(original, rng)));
        for (size_t cut : {size_t{0}, size_t{1}, size_t{8}, size_t{512}, original.size() - 1})
            expectCleanOutcome(dir.write("cut" + std::to_string(cut) + ext, original.substr(0, cut)));
    }
}

TEST(SpreadsheetRobustness, DamagedPartsOfAnXlsxPackage)
{
    TempDir dir;
    std::mt19937 rng(7);
    const auto parts = readParts(fixture("handmade.xlsx"));
    ASSERT_EQ(parts.size(), 8u);
    int i = 0;
    for (const auto& entry : parts) {
        for (int k = 0; k < 40; ++k, ++i) {
            auto damaged = parts;
            damaged[entry.first] = mutate(entry.second, rng);
            std::string path = dir.path("p" + std::to_string(i) + ".xlsx");
            writeParts(path, damaged);
            expectCleanOutcome(path);
        }
        auto without = parts;
        without.erase(entry.first);
        std::string path = dir.path("w" + std::to_string(i++) + ".xlsx");
        writeParts(path, without);
        expectCleanOutcome(path);
    }
}
