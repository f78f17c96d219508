// arbolix-cli filter: the load dialog's Filter it ! and Save this filtering
// result, for pipelines.
#include <cstdio>
#include <cstdlib>

#include "cli/CliCommand.h"
#include "data/DataMatrix.h"
#include "data/FilteredSave.h"
#include "data/LoadDialogState.h"

namespace {
const char* const kUsage =
    "filter FILE [--pvalue P --present PERCENT] [--min-stdev S] --out FILE.exp";

bool isNumber(const std::string& s)
{
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return !s.empty() && end && *end == 0;
}

int usageError(const std::string& what) { return ::usageError("filter", what, kUsage); }

int runFilter(const std::vector<std::string>& args)
{
    LoadDialogState state;
    std::string out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--pvalue" || a == "--present" || a == "--min-stdev" || a == "--out";
        if (takesValue) {
            if (i + 1 >= args.size())
                return usageError(a + " needs a value");
            const std::string& v = args[++i];
            if (a == "--out") {
                out = v;
                continue;
            }
            if (!isNumber(v))
                return usageError(a + " takes a number");
            if (a == "--pvalue") {
                state.setPresentCall(true);
                state.m_strPValue = v;
            } else if (a == "--present") {
                state.setPresentCall(true);
                state.m_strPercent = v;
            } else {
                state.setStdevFilter(true);
                state.m_strStdev = v;
            }
        } else if (state.m_strFileName.empty() && !a.empty() && a[0] != '-') {
            state.m_strFileName = a;
        } else {
            return usageError("unexpected argument '" + a + "'");
        }
    }
    if (state.m_strFileName.empty())
        return usageError("no data file");
    if (out.empty())
        return usageError("no --out file");

    std::unique_ptr<DataMatrix> data, filtered;
    if (!state.filter(data, filtered)) {
        if (!data)
            return kExitUsage;   // the invalid threshold has been reported
        if (data->isEmpty())
            std::fprintf(stderr, "arbolix-cli filter: cannot load %s\n", state.m_strFileName.c_str());
        return kExitFailure;
    }
    std::printf("You keep %d %s %d\n", state.m_nKept, state.countLabel().c_str(), state.m_nAll);
    if (!saveFiltered(*filtered, out))
        return kExitFailure;
    std::string side = weightFilePath(out, filtered->m_nWeightType);
    std::printf("Wrote %s%s%s\n", out.c_str(), side.empty() ? "" : " and ", side.c_str());
    return kExitOk;
}

CliRegistrar reg{{"filter", kUsage, &runFilter}};
} // namespace
