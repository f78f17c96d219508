#pragma once
// The load pipeline's choices as command-line options, shared by the commands
// that open a data file: --log, --normalize row|column, --method 0..3,
// --scale LO HI.
#include <string>
#include <vector>

class DataMatrix;

struct LoadOptions {
    bool log = false;
    int direction = -1;
    int method = -1;
    float lo = 0.0f, hi = 1.0f;
};

// If args[i] is one of the load options, consumes it with its values (moving
// i to the last consumed argument) and returns true; error is set for a bad
// value. Returns false for other arguments.
bool parseLoadOption(const std::vector<std::string>& args, size_t& i, LoadOptions& o, std::string& error);

// Loads a data file (a sequence file when it is one) and applies the chosen
// statistics, logarithm and normalisation in the program's order.
bool loadAndTransform(const std::string& path, const LoadOptions& o, DataMatrix& out);
