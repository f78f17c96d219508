#pragma once
// What the program's command lines (arbolix-cli and the arbolix window)
// share: one synopsis made from the declared options, help on standard
// output, the version, and usage errors on standard error with exit status 2.
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

// Exit statuses of the command-line tools.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;   // input refused or part of it left out, or the work failed
constexpr int kExitUsage = 2;     // bad arguments

// The project's version, "0.1.0".
const char* arbolixVersion();

// Gives a top-level parser the help layout of this program, -h/--help and
// --version ("NAME VERSION") on it and every command added later, and lets an
// option given twice keep its last value.
void prepareCommandLine(CLI::App& app);

// Parses the arguments (without the program's name). Returns nothing when
// the program is to run; otherwise the exit status, after printing the help
// of the command asked for or the version on standard output (0), or the
// usage error on standard error (2).
std::optional<int> parseCommandLine(CLI::App& app, const std::vector<std::string>& args);

// "PROGRAM COMMAND: WHAT" and the command's usage on standard error; returns
// kExitUsage. For the checks a parser cannot make (options that go together).
int usageError(const CLI::App& command, const std::string& what);

// "arbolix-cli cluster FILE [--rows] ..." from the declared options, wrapped
// at 100 columns.
std::string synopsis(const CLI::App& command);

// "arbolix-cli rank histograms": the command's words from the program's name.
std::string commandPath(const CLI::App& command);

// Validators whose messages name the allowed values; their own description
// stays empty so that the synopsis shows the option's type name only.
CLI::Validator numberIn(double lo, double hi);              // lo <= x <= hi
CLI::Validator numberBetween(double lo, double hi);         // lo < x < hi
CLI::Validator wholeNumberIn(long long lo, long long hi);   // lo <= n <= hi, no fraction
CLI::Validator oneOf(std::vector<std::string> names);       // exactly one of the words

// An option taking one of `names` that stores values[i] (i when values is
// empty) for names[i] in target; its type name is "a|b|c".
CLI::Option* addChoice(CLI::App& app, const std::string& name, int& target, std::vector<std::string> names,
                       const std::string& description, std::vector<int> values = {});
