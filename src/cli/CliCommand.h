#pragma once
// The commands of arbolix-cli register themselves here, one file each.
#include <string>
#include <vector>

struct CliCommand {
    const char* name;
    const char* usage;
    int (*run)(const std::vector<std::string>& args);
};

std::vector<CliCommand>& cliCommands();

struct CliRegistrar {
    explicit CliRegistrar(const CliCommand& c) { cliCommands().push_back(c); }
};

// Exit codes shared by the commands.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;   // the work failed (unreadable file, failed load)
constexpr int kExitUsage = 2;     // bad arguments

// "arbolix-cli COMMAND: WHAT" and the command's usage (after "arbolix-cli ")
// on standard error; returns kExitUsage.
int usageError(const char* command, const std::string& what, const char* usage);
