// arbolix-cli search: the Profile Search tab's model-based search and search
// by name, for scripts.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cli/ItemCommandOptions.h"
#include "cli/LoadOptions.h"
#include "data/DataMatrix.h"
#include "linked/ProfileSearch.h"

namespace {

const char* const kUsage =
    "search FILE --model ID [--measure pearson|euclidean] --range LO HI [load options of info]\n"
    "      search FILE --name TEXT [load options of info]\n"
    "      the items whose similarity to the profile of item ID lies in [LO, HI] (Pearson's r: (1 + r) / 2;\n"
    "      Euclidean: 1 - distance / largest distance), or whose name or identifier contains TEXT (any\n"
    "      case); prints their identifiers, one per line, in item order";

int usageError(const std::string& what) { return ::usageError("search", what, kUsage); }

int runSearch(const std::vector<std::string>& args)
{
    std::string file, modelId, name, error;
    bool haveName = false, haveRange = false;
    int measure = kTrendPearson;
    double lo = 0.0, hi = 1.0;
    LoadOptions load;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseLoadOption(args, i, load, error))
            continue;
        if (a == "--model") {
            if (const std::string* v = optionValue(args, i, error))
                modelId = *v;
        } else if (a == "--name") {
            if (const std::string* v = optionValue(args, i, error)) {
                name = *v;
                haveName = true;
            }
        } else if (a == "--measure") {
            if (const std::string* v = optionValue(args, i, error)) {
                if (*v == "pearson")
                    measure = kTrendPearson;
                else if (*v == "euclidean")
                    measure = kTrendEuclidean;
                else
                    error = "--measure takes pearson or euclidean";
            }
        } else if (parseRangeOption(args, i, lo, hi, error)) {
            haveRange = true;
        } else {
            takeFileArgument(a, file, error);
        }
    }
    if (!error.empty())
        return usageError(error);
    if (file.empty())
        return usageError("no data file");
    if (haveName == !modelId.empty())
        return usageError("give either --model ID or --name TEXT");
    if (!modelId.empty() && !haveRange)
        return usageError("--model needs --range LO HI");

    DataMatrix data;
    if (!loadForCommand("search", file, load, data))
        return kExitFailure;
    CProfileSearch search;
    search.setData(&data);
    if (haveName) {
        search.searchName(name);
    } else {
        int model = -1;
        for (int r = 0; r < data.rowCount() && model < 0; ++r)
            if (data.itemId(r) == modelId)
                model = r;
        if (model < 0) {
            std::fprintf(stderr, "arbolix-cli search: no item has the identifier %s\n", modelId.c_str());
            return kExitFailure;
        }
        search.setMeasure(measure);
        search.setModelFromItem(model);
        search.searchModel(lo, hi);
    }
    for (int r : search.matchedRows())
        std::printf("%s\n", data.itemId(r).c_str());
    return kExitOk;
}

CliRegistrar reg{{"search", kUsage, &runSearch}};
} // namespace
