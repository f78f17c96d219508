// libFuzzer target: any bytes as a clustering result (split at 0x01 into the
// .dat, .rcr, .ccr and .wts) must import whole or fail cleanly.
#include "platform/Messages.h"
#include "platform/SilentMessages.h"
#include "SplitInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    const std::string base = fuzzDir() + "/r";
    writeParts(data, size, base, {".dat", ".rcr", ".ccr", ".wts"});
    if (std::unique_ptr<ImportedResult> r = importResult(base + ".dat"))
        walkImported(*r);
    return 0;
}
