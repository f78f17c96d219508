// libFuzzer target: any bytes as a data file (tab, comma and sequence
// readers) must load or fail cleanly.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "data/DataMatrix.h"
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
    const char* names[] = {"/f.txt", "/f.csv"};
    std::string path = dir + names[size % 2];
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    DataMatrix m;
    if (m.loadDataFile(path)) {
        m.computeStatistics(false, true);
        m.takeLog(1);
        m.normalize(false, 1, static_cast<int>(size % 4), 0.0f, 1.0f);
        m.computeStatistics(false, false);
    }
    DataMatrix s;
    s.loadSequenceFile(path);
    return 0;
}
