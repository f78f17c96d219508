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

// An option that turns a filter on and sets one of its fields, as the
// filter's check box and text field do in the load dialog.
void addFilterField(CLI::App& cmd, const std::string& name, void (LoadDialogState::*turnOn)(bool),
                    std::string LoadDialogState::*field, const std::string& type, const std::string& description)
{
    cmd.add_option_function<std::string>(
           name,
           [turnOn, field](const std::string& v) {
               (o.state.*turnOn)(true);
               o.state.*field = v;
           },
           description)
        ->type_name(type)
        ->check(numberIn(-HUGE_VAL, HUGE_VAL));
}

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.state.m_strFileName);
    addFilterField(cmd, "--pvalue", &LoadDialogState::setPresentCall, &LoadDialogState::m_strPValue, "P",
                   "filter by present calls: the p-value threshold P");
    addFilterField(cmd, "--present", &LoadDialogState::setPresentCall, &LoadDialogState::m_strPercent, "PERCENT",
                   "filter by present calls: the percentage of present values an item needs");
    addFilterField(cmd, "--min-stdev", &LoadDialogState::setStdevFilter, &LoadDialogState::m_strStdev, "S",
                   "filter by standard deviation: at least S");
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
