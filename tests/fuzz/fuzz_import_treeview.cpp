// libFuzzer target: any bytes as TreeView files (split at 0x01 into the
// .cdt, .gtr and .atr) must import whole or fail cleanly.
#include "platform/Messages.h"
#include "platform/SilentMessages.h"
#include "SplitInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SilentMessages quiet;
    setMessages(&quiet);
    const std::string base = fuzzDir() + "/t";
    writeParts(data, size, base, {".cdt", ".gtr", ".atr"});
    if (std::unique_ptr<ImportedResult> r = importTreeView(base + ".cdt"))
        walkImported(*r);
    return 0;
}
