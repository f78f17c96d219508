// libFuzzer target: any bytes as an OBO ontology (plain or gzip) must load
// or fail cleanly, and what loaded must answer search, counts and
// enrichment without reading out of bounds, cycles included.
#include <cstdint>

#include "linked/GoFiles.h"
#include "platform/Messages.h"
#include "platform/Progress.h"
#include "platform/SilentMessages.h"
#include "ExerciseOntology.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    const std::string path = writeFuzzInput("go.obo", data, size);
    auto o = std::make_shared<GoOntology>();
    if (!readOboOntology(path, *o, progress()).ok)
        return 0;
    exerciseOntology(o);
    return 0;
}
