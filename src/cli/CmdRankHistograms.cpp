// arbolix-cli rank histograms: the histogram ordering's list as tab-delimited
// text, a header line with the list's column titles and one line per variable
// in rank order. Also the "rank" group the orderings' commands belong to.
#include <cstdio>
#include <cstdlib>

#include "cli/CliCommand.h"
#include "cli/LoadOptions.h"
#include "data/DataMatrix.h"
#include "platform/Progress.h"
#include "rank/HistogramOrdering.h"

namespace {
struct {
    std::string file;
    LoadOptions load;
    int criterion = -1;
    bool original = false;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.file);
    cmd.add_option("--criterion", o.criterion, "0 original order, 1 normality, 2 uniformity, 3 outliers, 4 unique values, 5 biggest gap")
        ->type_name("0..5")
        ->required()
        ->check(wholeNumberIn(0, kHistogramCriteria - 1));
    cmd.add_flag("--original", o.original, "score the original values, not the transformed ones");
    addLoadOptions(cmd, o.load);
}

int run()
{
    const std::string& path = o.file;
    const LoadOptions& options = o.load;
    const int criterion = o.criterion;
    const bool original = o.original;
    DataMatrix m;
    if (!loadAndTransform(path, options, m)) {
        std::fprintf(stderr, "arbolix-cli rank histograms: cannot load %s\n", path.c_str());
        return kExitFailure;
    }
    HistogramOrdering ordering;
    ordering.build(&m, original);
    if (!ordering.score(criterion, original, &progress())) {
        std::fprintf(stderr, "arbolix-cli rank histograms: cancelled\n");
        return kExitFailure;
    }
    for (int c = 0; c < kHistogramListColumns; ++c)
        std::printf("%s%c", ordering.headerText(c).c_str(), c + 1 < kHistogramListColumns ? '\t' : '\n');
    for (int r = 0; r < ordering.rowCount(); ++r)
        for (int c = 0; c < kHistogramListColumns; ++c)
            std::printf("%s%c", ordering.cellText(r, c).c_str(), c + 1 < kHistogramListColumns ? '\t' : '\n');
    return kExitOk;
}

CliRegistrar group{{"rank", "The rank-by-feature orderings: every variable or every pair of variables scored by one criterion."}};
CliRegistrar reg{{"rank histograms",
                  "Every variable scored by one criterion of the histogram ordering.\n\n"
                  "The histogram ordering's list as tab-delimited text: a header line with the list's column titles\n"
                  "and one line per variable in rank order.",
                  &declare, &run}};
} // namespace
