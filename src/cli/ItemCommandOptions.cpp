#include "cli/ItemCommandOptions.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "data/DataMatrix.h"

CLI::Option* addRangeOption(CLI::App& cmd, double& lo, double& hi, const std::string& description)
{
    return cmd
        .add_option_function<std::vector<double>>(
            "--range",
            [&lo, &hi](const std::vector<double>& v) {
               // A last option may come with fewer values than it needs.
               if (v.size() != 2)
                   throw CLI::ValidationError("--range", "takes two numbers, LO and HI");
                lo = v[0];
                hi = v[1];
            },
            description)
        ->expected(2)
        ->type_name("LO HI")
        ->check(numberIn(-HUGE_VAL, HUGE_VAL));
}

bool loadForCommand(const char* command, const std::string& file, const LoadOptions& load, DataMatrix& data)
{
    if (loadAndTransform(file, load, data))
        return true;
    std::fprintf(stderr, "arbolix-cli %s: cannot load %s\n", command, file.c_str());
    return false;
}
