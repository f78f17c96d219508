// arbolix-cli filter: the load dialog's Filter it ! and Save this filtering
// result, for pipelines.
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/CliCommand.h"
#include "data/DataMatrix.h"
#include "data/FilteredSave.h"
#include "data/LoadDialogState.h"

namespace {
struct {
    LoadDialogState state;
    std::string out;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.state.m_strFileName);
    const CLI::Validator number = numberIn(-HUGE_VAL, HUGE_VAL);
    cmd.add_option_function<std::string>(
           "--pvalue",
           [](const std::string& v) {
               o.state.setPresentCall(true);
               o.state.m_strPValue = v;
           },
           "filter by present calls: the p-value threshold P")
        ->type_name("P")
        ->check(number);
    cmd.add_option_function<std::string>(
           "--present",
           [](const std::string& v) {
               o.state.setPresentCall(true);
               o.state.m_strPercent = v;
           },
           "filter by present calls: the percentage of present values an item needs")
        ->type_name("PERCENT")
        ->check(number);
    cmd.add_option_function<std::string>(
           "--min-stdev",
           [](const std::string& v) {
               o.state.setStdevFilter(true);
               o.state.m_strStdev = v;
           },
           "filter by standard deviation: at least S")
        ->type_name("S")
        ->check(number);
    cmd.add_option("--out", o.out, "the filtered data file to write")->type_name("FILE.exp")->required();
}

int run()
{
    LoadDialogState& state = o.state;
    const std::string& out = o.out;
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

CliRegistrar reg{{"filter",
                  "Filter a data file by present calls or standard deviation and save the rest.\n\n"
                  "Filters a data file as the load dialog's Filter it ! does (present calls by p-value and percent,\n"
                  "standard deviation) and saves the items kept, as Save this filtering result does.",
                  &declare, &run}};
} // namespace
