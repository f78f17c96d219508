// arbolix-cli: the headless front end over the same engine and document as
// the windows.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "platform/ConsoleProgress.h"
#include "platform/Progress.h"
#include "platform/ReadReport.h"

std::vector<CliCommand>& cliCommands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

namespace {
const CLI::App* runningCommand = nullptr;
}

int usageError(const std::string& what) { return usageError(*runningCommand, what); }

CLI::Option* addFileArgument(CLI::App& cmd, std::string& file, const std::string& description)
{
    return cmd.add_option("FILE", file, description)->required()->type_name("");
}

int main(int argc, char** argv)
{
    CLI::App app{"Arbolix without windows: the explorer's loads, clusterings, orderings and look-ups for scripts.",
                 "arbolix-cli"};
    prepareCommandLine(app);
    app.require_subcommand(1);
    std::vector<CliCommand> commands = cliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return std::string(a.name) < b.name; });
    std::map<const CLI::App*, int (*)()> runs;
    for (const CliCommand& c : commands) {
        const std::string name = c.name;
        const size_t blank = name.find(' ');
        CLI::App* parent = &app;
        if (blank != std::string::npos) {
            const std::string group = name.substr(0, blank);
            try {
                parent = app.get_subcommand(group);
            } catch (const CLI::OptionNotFound&) {
                parent = app.add_subcommand(group, "");
            }
            parent->require_subcommand(1);
        }
        CLI::App* cmd = parent->add_subcommand(name.substr(blank == std::string::npos ? 0 : blank + 1), c.description);
        if (c.declare)
            c.declare(*cmd);
        if (c.run)
            runs[cmd] = c.run;
        else
            cmd->require_subcommand(1);
    }
    if (const std::optional<int> done = parseCommandLine(app, std::vector<std::string>(argv + 1, argv + argc)))
        return *done;
    const CLI::App* chosen = &app;
    while (!chosen->get_subcommands().empty())
        chosen = chosen->get_subcommands().front();
    runningCommand = chosen;
    ConsoleProgress console;
    setProgress(&console);
    const int rc = runs.at(chosen)();
    setProgress(nullptr);
    // A command that had to leave out part of a file it read did not do all
    // that was asked, even though it finished: its warnings said what was
    // left out.
    if (rc == kExitOk && droppedReads() > 0)
        return kExitFailure;
    return rc;
}
