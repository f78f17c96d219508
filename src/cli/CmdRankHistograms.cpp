// arbolix-cli rank histograms FILE --criterion 0..5 [--original] [load options]:
// the histogram ordering's list as tab-delimited text, a header line with the
// list's column titles and one line per variable in rank order.
#include <cstdio>
#include <cstdlib>

#include "cli/CliCommand.h"
#include "cli/LoadOptions.h"
#include "cli/RankCommand.h"
#include "data/DataMatrix.h"
#include "platform/Progress.h"
#include "rank/HistogramOrdering.h"

namespace {
constexpr const char* kUsage =
    "histograms FILE --criterion 0..5 [--original] [--log] [--normalize row|column --method M --scale LO HI]";

int runHistograms(const std::vector<std::string>& args)
{
    LoadOptions options;
    std::string path;
    int criterion = -1;
    bool original = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        if (parseLoadOption(args, i, options, error)) {
            if (!error.empty()) {
                std::fprintf(stderr, "arbolix-cli rank histograms: %s\n", error.c_str());
                return kExitUsage;
            }
        } else if (args[i] == "--criterion" && i + 1 < args.size()) {
            char* end = nullptr;
            const long v = std::strtol(args[++i].c_str(), &end, 10);
            if (!end || *end || v < 0 || v >= kHistogramCriteria) {
                std::fprintf(stderr, "arbolix-cli rank histograms: --criterion takes 0..5\n");
                return kExitUsage;
            }
            criterion = static_cast<int>(v);
        } else if (args[i] == "--original") {
            original = true;
        } else if (path.empty() && (args[i].empty() || args[i][0] != '-')) {
            path = args[i];
        } else {
            std::fprintf(stderr, "arbolix-cli rank histograms: unexpected argument '%s'\n", args[i].c_str());
            return kExitUsage;
        }
    }
    if (path.empty() || criterion < 0) {
        std::fprintf(stderr, "usage: arbolix-cli rank %s\n", kUsage);
        return kExitUsage;
    }
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

RankRegistrar reg{{"histograms", kUsage, &runHistograms}};
} // namespace
