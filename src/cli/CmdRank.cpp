// arbolix-cli rank WHAT ...: hands the arguments to the sub-command named by WHAT.
#include <cstdio>

#include "cli/CliCommand.h"
#include "cli/RankCommand.h"

std::vector<RankSubcommand>& rankSubcommands()
{
    static std::vector<RankSubcommand> subcommands;
    return subcommands;
}

namespace {
void printRankUsage(FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const RankSubcommand& c : rankSubcommands())
        std::fprintf(out, "  arbolix-cli rank %s\n", c.usage);
}

int runRank(const std::vector<std::string>& args)
{
    if (args.empty()) {
        printRankUsage(stderr);
        return kExitUsage;
    }
    for (const RankSubcommand& c : rankSubcommands())
        if (args[0] == c.name)
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
    std::fprintf(stderr, "arbolix-cli rank: unknown ordering '%s'\n", args[0].c_str());
    printRankUsage(stderr);
    return kExitUsage;
}

CliRegistrar reg{{"rank", "rank histograms|... FILE [options] (see arbolix-cli rank)", &runRank}};
} // namespace
