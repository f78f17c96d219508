#pragma once
// What the search and power commands share besides the load options: the
// --range LO HI option and loading the data file with a message on failure.
#include <string>

#include "cli/LoadOptions.h"

class DataMatrix;

// Declares --range LO HI (two numbers) storing into lo and hi.
CLI::Option* addRangeOption(CLI::App& cmd, double& lo, double& hi, const std::string& description);

// Loads and transforms the data file; prints "arbolix-cli COMMAND: cannot
// load FILE" and returns false on failure.
bool loadForCommand(const char* command, const std::string& file, const LoadOptions& load, DataMatrix& data);
