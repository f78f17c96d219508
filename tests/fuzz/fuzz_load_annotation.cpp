// libFuzzer target: any bytes as an annotation file (comma and tab readers)
// must match or fail cleanly, and every cell of a matched file must give
// its look-ups.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "cluster/Forest.h"
#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/Lookup.h"
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
    // Items named like the seeds' first cells.
    static DataMatrix items;
    static CForest* rows = nullptr;
    if (!rows) {
        const std::string p = dir + "/items.txt";
        if (FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fputs("ID\tNAME\tS1\n1005_at\ta\t1\n1007_s_at\tb\t2\ng1\tc\t3\n\"g2\"\td\t4\nAFFX-BioB-5_at\te\t5\n", f);
            std::fclose(f);
        }
        items.loadDataFile(p);
        rows = new CForest(2 * items.m_nRows - 1, items.m_nColumns, items.m_nRows, true);
        rows->initialiseLeaves(items);
    }
    const char* names[] = {"/a.csv", "/a.txt"};
    const std::string path = dir + names[size % 2];
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    Annotation a;
    if (!loadAnnotation(path, items, a))
        return 0;
    relabelLeaves(*rows, a);
    for (int r = 0; r < items.m_nRows; ++r) {
        const int line = a.lineOfRow(r);
        for (int c = 0; c < a.columnCount(); ++c) {
            for (const std::string& part : lookupParts(a.cell(line, c)))
                (void)lookupUrl(defaultUrlTemplate(a.header(c)), lookupTerm(part));
        }
        (void)annotationCell(a, items.itemId(r), "title");
    }
    return 0;
}
