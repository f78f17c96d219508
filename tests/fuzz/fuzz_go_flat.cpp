// libFuzzer target: any bytes, read both as the term list and as a flat
// ontology file, must load or fail cleanly; what loaded is put through
// search, counts and enrichment like the OBO target does.
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
    const std::string path = writeFuzzInput("process.ontology", data, size);
    auto o = std::make_shared<GoOntology>();
    if (readTermList(path, *o, progress()).ok)
        for (const auto& [number, entry] : o->m_termTable)
            (void)goNodeText(number, 0, entry.m_strName);
    if (readFlatOntology(path, GoOntology::kProcess, *o, progress()).ok)
        exerciseOntology(o);
    return 0;
}
