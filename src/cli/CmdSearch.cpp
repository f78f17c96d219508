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

struct {
    std::string file, modelId, name;
    int measure = kTrendPearson;
    double lo = 0.0, hi = 1.0;
    LoadOptions load;
    CLI::Option *nameOption = nullptr, *rangeOption = nullptr;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.file);
    CLI::Option* model =
        cmd.add_option("--model", o.modelId, "search by the profile of the item with this identifier (with --range)")->type_name("ID");
    o.nameOption = cmd.add_option("--name", o.name, "search the names and identifiers for TEXT (any case)")
                       ->type_name("TEXT")
                       ->excludes(model);
    addChoice(cmd, "--measure", o.measure, {"pearson", "euclidean"}, "the model's similarity measure (default pearson)",
              {kTrendPearson, kTrendEuclidean});
    o.rangeOption = addRangeOption(cmd, o.lo, o.hi, "the similarities to the model that match");
    model->needs(o.rangeOption);
    addLoadOptions(cmd, o.load);
}

int run()
{
    const bool haveName = o.nameOption->count() > 0;
    if (haveName == !o.modelId.empty())
        return usageError("give either --model ID or --name TEXT");
    const std::string& file = o.file;
    const std::string& modelId = o.modelId;
    const std::string& name = o.name;
    const int measure = o.measure;
    const double lo = o.lo, hi = o.hi;
    DataMatrix data;
    if (!loadForCommand("search", file, o.load, data))
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

CliRegistrar reg{{"search",
                  "The items whose profile is like an item's, or whose name contains a text.\n\n"
                  "The items whose similarity to the profile of item ID lies in [LO, HI] (Pearson's r: (1 + r) / 2;\n"
                  "Euclidean: 1 - distance / largest distance), or whose name or identifier contains TEXT (any\n"
                  "case); prints their identifiers, one per line, in item order.",
                  &declare, &run}};
} // namespace
