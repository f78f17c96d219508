// libFuzzer target: any bytes as an item list (split at 0x01 into a list
// and a second list) must read and intersect cleanly.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/ItemLists.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    static const std::string dir = [] {
        char tmpl[] = "/tmp/arbolix-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t cut = input.find('\x01');
    const std::string first = input.substr(0, cut);
    const std::string second = cut == std::string::npos ? std::string() : input.substr(cut + 1);
    const std::string a = dir + "/a.txt", b = dir + "/b.exp";
    for (const auto& [path, bytes] : {std::pair{a, first}, std::pair{b, second}})
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    ListIntersection r;
    intersectListFiles(a, b, "", r);
    ItemNames names{{"x", "1000_at"}, {"X", "ONE"}};
    summariseLists(dir, names);
    return 0;
}
