#include "cli/ItemCommandOptions.h"

#include <cstdio>

#include "cli/DocumentOptions.h"
#include "data/DataMatrix.h"

bool parseRangeOption(const std::vector<std::string>& args, size_t& i, double& lo, double& hi, std::string& error)
{
    if (args[i] != "--range")
        return false;
    if (i + 2 >= args.size())
        error = "--range needs 2 values";
    else if (!parseNumber(args[i + 1], lo) || !parseNumber(args[i + 2], hi))
        error = "--range takes two numbers";
    i += 2;
    return true;
}

void takeFileArgument(const std::string& arg, std::string& file, std::string& error)
{
    if (!arg.empty() && arg[0] == '-')
        error = "unknown option " + arg;
    else if (file.empty())
        file = arg;
    else
        error = "more than one data file";
}

bool loadForCommand(const char* command, const std::string& file, const LoadOptions& load, DataMatrix& data)
{
    if (loadAndTransform(file, load, data))
        return true;
    std::fprintf(stderr, "arbolix-cli %s: cannot load %s\n", command, file.c_str());
    return false;
}
