#pragma once
// The commands of arbolix-cli: one file each, registering itself here. A
// command declares its arguments and options on its CLI11 command, and its
// run function works from what they hold once parsing succeeded. The parser
// gives every command -h/--help, refuses unknown options and bad values with
// exit status 2, and makes the usage line from the declarations. The shape to
// copy (CmdInfo.cpp is the shortest command):
//
//   namespace {
//   struct {
//       std::string file;
//       LoadOptions load;                 // shared option sets: LoadOptions.h,
//       float minSimilarity = 0.5f;       // DocumentOptions.h, ItemCommandOptions.h
//   } o;
//
//   void declare(CLI::App& cmd)
//   {
//       addFileArgument(cmd, o.file);
//       cmd.add_option("--min-sim", o.minSimilarity, "cut at minimum similarity S (default 0.5)")
//           ->type_name("S")->check(numberIn(0, 1));
//       addLoadOptions(cmd, o.load);
//   }
//
//   int run() { ...; return kExitOk; }
//
//   CliRegistrar reg{{"name", "What it does; the first line is its entry in arbolix-cli --help.", &declare, &run}};
//   } // namespace
//
// A name of two words ("rank histograms") is a command under the first word,
// which registers itself with a description and no functions. Checks the
// parser cannot make (options that only go together) return
// usageError("what is wrong") from run(). Choices and numbers use the
// validators of platform/CommandLine.h (addChoice, numberIn, wholeNumberIn).
#include <string>
#include <vector>

#include "platform/CommandLine.h"

struct CliCommand {
    const char* name;
    std::string description;
    void (*declare)(CLI::App& cmd) = nullptr;
    int (*run)() = nullptr;
};

std::vector<CliCommand>& cliCommands();

struct CliRegistrar {
    explicit CliRegistrar(const CliCommand& c) { cliCommands().push_back(c); }
};

// "arbolix-cli COMMAND: WHAT" and the running command's usage on standard
// error; returns kExitUsage.
int usageError(const std::string& what);

// The data file every command but import and lists takes first.
CLI::Option* addFileArgument(CLI::App& cmd, std::string& file, const std::string& description = "the data file");
