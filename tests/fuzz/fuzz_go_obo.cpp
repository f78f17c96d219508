// libFuzzer target: any bytes as an OBO ontology (plain or gzip) must load
// or fail cleanly, and what loaded must answer search, counts and
// enrichment without reading out of bounds, cycles included.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "linked/GoFiles.h"
#include "platform/Messages.h"
#include "platform/Progress.h"
#include "platform/SilentMessages.h"
#include "ExerciseOntology.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    static const std::string dir = [] {
        char tmpl[] = "/tmp/arbolix-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    const std::string path = dir + "/go.obo";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    auto o = std::make_shared<GoOntology>();
    if (!readOboOntology(path, *o, progress()).ok)
        return 0;
    exerciseOntology(o);
    return 0;
}
