#pragma once
// What the search and power commands share besides the load options: the
// --range LO HI option, the one data file among the arguments, and loading
// it with a message on failure.
#include <string>
#include <vector>

#include "cli/LoadOptions.h"

class DataMatrix;

// If args[i] is --range, consumes it with its two numbers (error set for a
// bad value) and returns true.
bool parseRangeOption(const std::vector<std::string>& args, size_t& i, double& lo, double& hi, std::string& error);

// An argument that is no known option: an unknown option is an error, the
// first other argument the data file, a second one an error.
void takeFileArgument(const std::string& arg, std::string& file, std::string& error);

// Loads and transforms the data file; prints "arbolix-cli COMMAND: cannot
// load FILE" and returns false on failure.
bool loadForCommand(const char* command, const std::string& file, const LoadOptions& load, DataMatrix& data);
