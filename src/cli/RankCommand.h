#pragma once
// arbolix-cli rank WHAT ...: the rank command dispatches on the word after
// "rank" to a sub-command; each sub-command is its own file and registers
// itself here (like the commands in CliCommand.h).
#include <string>
#include <vector>

struct RankSubcommand {
    const char* name;   // the word after "rank"
    const char* usage;  // the usage line after "rank "
    // args: the arguments after the word.
    int (*run)(const std::vector<std::string>& args);
};

std::vector<RankSubcommand>& rankSubcommands();

struct RankRegistrar {
    explicit RankRegistrar(const RankSubcommand& c) { rankSubcommands().push_back(c); }
};
