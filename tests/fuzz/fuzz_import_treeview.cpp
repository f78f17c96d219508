// libFuzzer target: any bytes as TreeView files (split at 0x01 into the
// .cdt, .gtr and .atr) must import whole or fail cleanly.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "data/DataMatrix.h"
#include "platform/Messages.h"
#include "platform/SilentMessages.h"

namespace {
void writeFile(const std::string& path, const std::string& bytes)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    static const std::string dir = [] {
        char tmpl[] = "/tmp/arbolix-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    const std::string input(reinterpret_cast<const char*>(data), size);
    const char* extensions[] = {".cdt", ".gtr", ".atr"};
    size_t start = 0;
    for (int part = 0; part < 3; ++part) {
        const std::string path = dir + "/t" + extensions[part];
        if (start > input.size()) {
            std::remove(path.c_str());
            continue;
        }
        size_t end = input.find('\x01', start);
        if (end == std::string::npos || part == 2)
            end = input.size();
        writeFile(path, input.substr(start, end - start));
        start = end + 1;
    }
    if (std::unique_ptr<ImportedResult> r = importTreeView(dir + "/t.cdt")) {
        for (const CForest* f : {r->rows.get(), r->columns.get()}) {
            f->countClusters(0.5f, true);
            for (int p = 0; p < f->m_nLeaves; ++p)
                (void)f->leaf(p)->m_pValues[0];
        }
    }
    return 0;
}
