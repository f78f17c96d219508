#pragma once
// The load pipeline's choices as command-line options, shared by the commands
// that open a data file: --log, --normalize row|column, --method 0..3,
// --scale LO HI. They act in the order given, as the load dialog's choices
// do: --normalize alone normalises by method 0, --scale picks method 3.
#include <optional>
#include <string>

#include "platform/CommandLine.h"

class DataMatrix;

struct LoadOptions {
    bool log = false;
    int direction = -1;
    int method = -1;
    float lo = 0.0f, hi = 1.0f;
};

// Declares the load options on a command, in the group "Load options".
void addLoadOptions(CLI::App& cmd, LoadOptions& o);

// Reads the first line of a data file: whether it is a sequence file, or
// nothing when the file cannot be read. The reason is told once, here, or by
// the spreadsheet reader, which shows its own messages.
std::optional<bool> readsAsSequenceFile(const std::string& path);

// Loads a data file (a sequence file when it is one) and applies the chosen
// statistics, logarithm and normalisation in the program's order.
bool loadAndTransform(const std::string& path, const LoadOptions& o, DataMatrix& out);
