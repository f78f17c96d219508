// arbolix-cli: the headless front end over the same engine and document as
// the windows.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "platform/ConsoleProgress.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

int usageError(const char* command, const std::string& what, const char* usage)
{
    std::fprintf(stderr, "arbolix-cli %s: %s\nusage: arbolix-cli %s\n", command, what.c_str(), usage);
    return kExitUsage;
}

std::vector<CliCommand>& cliCommands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

static void printUsage(FILE* out)
{
    std::fprintf(out, "usage: arbolix-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const CliCommand& c : cliCommands())
        std::fprintf(out, "  %s\n", c.usage);
}

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    ConsoleProgress console;
    setProgress(&console);
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const CliCommand& c : cliCommands())
        if (c.name == std::string(argv[1])) {
            int rc = c.run(args);
            setProgress(nullptr);
            return rc;
        }
    std::fprintf(stderr, "arbolix-cli: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}
