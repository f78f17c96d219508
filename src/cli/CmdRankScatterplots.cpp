// arbolix-cli rank scatterplots: every pair of variables scored by one
// criterion of the scatterplot ordering, in rank order.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cli/LoadOptions.h"
#include "data/DataMatrix.h"
#include "rank/PairScoring.h"

namespace {

bool parseInts(const std::string& text, std::vector<int>& out)
{
    out.clear();
    for (const std::string& part : splitCommas(text)) {
        double v = 0.0;
        if (!parseNumber(part, v) || v != static_cast<double>(static_cast<int>(v)))
            return false;
        out.push_back(static_cast<int>(v));
    }
    return true;
}

// "rect:X0,Y0,X1,Y1", "ellipse:X0,Y0,X1,Y1" or "poly:X,Y,X,Y,..." (at least three points).
bool parseRegion(const std::string& text, RoiRegion& region)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string kind = text.substr(0, colon);
    std::vector<int> v;
    if (!parseInts(text.substr(colon + 1), v))
        return false;
    if (kind == "rect" || kind == "ellipse") {
        if (v.size() != 4)
            return false;
        region = kind == "rect" ? RoiRegion::rectangle({v[0], v[1]}, {v[2], v[3]})
                                : RoiRegion::ellipse({v[0], v[1]}, {v[2], v[3]});
        return true;
    }
    if (kind == "poly") {
        if (v.size() < 6 || v.size() % 2 != 0)
            return false;
        std::vector<PixelPoint> points;
        for (size_t i = 0; i < v.size(); i += 2)
            points.push_back({v[i], v[i + 1]});
        region = RoiRegion::freeForm(std::move(points));
        return true;
    }
    return false;
}

bool parsePlotSize(const std::string& text, PlotGeometry& g)
{
    const size_t x = text.find('x');
    double w = 0.0, h = 0.0;
    if (x == std::string::npos || !parseNumber(text.substr(0, x), w) || !parseNumber(text.substr(x + 1), h))
        return false;
    if (w < 1 || h < 1 || w > 100000 || h > 100000 || w != static_cast<int>(w) || h != static_cast<int>(h))
        return false;
    g.m_nWidth = static_cast<int>(w);
    g.m_nHeight = static_cast<int>(h);
    return true;
}

struct {
    std::string file;
    LoadOptions load;
    int criterion = -1;
    bool original = false;
    PairSettings settings;
} o;

// A validator from a parse function of the option's text.
template <typename T>
CLI::Validator parsedBy(bool (*parse)(const std::string&, T&), std::string expected)
{
    return CLI::Validator(
        [parse, expected](std::string& text) -> std::string {
            T value{};
            return parse(text, value) ? std::string() : text + " is not " + expected;
        },
        "");
}

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.file);
    cmd.add_option("--criterion", o.criterion,
                   "0 correlation, 1 linear error, 2 quadratic error, 3 quadracity, 4 uniformity, 5 outliers,\n"
                   "6 items in the region --roi, 7 association, 9 no order")
        ->type_name("0..7|9")
        ->required()
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                double c = -1.0;
                if (!parseNumber(text, c) || c != static_cast<int>(c) || c < 0 || c > 9 || c == 8)
                    return text + " is not 0 to 7 or 9";
                return {};
            },
            ""));
    cmd.add_flag("--original", o.original, "score the original values, not the transformed ones");
    cmd.add_flag("--ignore-missing", o.settings.m_bIgnoreMissing, "leave out the items with a missing value");
    cmd.add_flag("--same-scale", o.settings.m_bSameScale, "both axes on one scale");
    cmd.add_option_function<std::string>(
           "--plot", [](const std::string& v) { parsePlotSize(v, o.settings.m_geometry); },
           "the scatterplot's size in pixels (default 420x320)")
        ->type_name("WxH")
        ->check(parsedBy<PlotGeometry>(&parsePlotSize, "WxH in pixels, e.g. 420x320"));
    cmd.add_option_function<std::string>(
           "--roi", [](const std::string& v) { parseRegion(v, o.settings.m_roi); },
           "the region of criterion 6 in the scatterplot's pixel coordinates")
        ->type_name("rect:X0,Y0,X1,Y1|ellipse:X0,Y0,X1,Y1|poly:X,Y,X,Y,...")
        ->check(parsedBy<RoiRegion>(&parseRegion,
                                    "rect:X0,Y0,X1,Y1, ellipse:X0,Y0,X1,Y1 or poly:X,Y,X,Y,X,Y,..."));
    addLoadOptions(cmd, o.load);
}

int run()
{
    if (o.criterion == kPairRoi && o.settings.m_roi.m_nType == kRoiNone)
        return usageError("criterion 6 needs --roi");
    const std::string& file = o.file;
    const LoadOptions& load = o.load;
    const int criterion = o.criterion;
    const bool original = o.original;
    const PairSettings& settings = o.settings;
    DataMatrix data;
    if (!loadAndTransform(file, load, data)) {
        std::fprintf(stderr, "arbolix-cli rank scatterplots: cannot load %s\n", file.c_str());
        return kExitFailure;
    }
    const PairColumns columns = PairColumns::from(data, original);
    const PairTable table =
        criterion == kPairNoOrder ? noOrderTable(columns.m_nColumns) : scoreAllPairs(criterion, columns, settings);
    std::printf("Rank\tX axis\tY axis\tScore\tAuxiliary\n");
    for (int r = 0; r < table.rowCount(); ++r) {
        const PairScore& s = table.row(r);
        std::printf("%d\t%s\t%s\t%s\t%.6g\n", table.m_rankOfPair[static_cast<size_t>(table.m_order[static_cast<size_t>(r)])],
                    pairAxisText(table, s, true, columns.m_names).c_str(),
                    pairAxisText(table, s, false, columns.m_names).c_str(), pairScoreText(table, s).c_str(),
                    s.m_dAuxiliary);
    }
    return table.m_bCancelled ? kExitFailure : kExitOk;
}

CliRegistrar reg{{"rank scatterplots",
                  "Every pair of variables scored by one criterion of the scatterplot ordering.\n\n"
                  "Scores every pair of variables by one criterion of the scatterplot ordering and prints Rank,\n"
                  "X axis, Y axis, Score, Auxiliary in rank order.",
                  &declare, &run}};

} // namespace
