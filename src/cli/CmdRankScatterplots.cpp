// arbolix-cli rank scatterplots: every pair of variables scored by one
// criterion of the scatterplot ordering, in rank order.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cli/LoadOptions.h"
#include "cli/RankCommand.h"
#include "data/DataMatrix.h"
#include "rank/PairScoring.h"

namespace {

const char* const kUsage =
    "scatterplots FILE --criterion 0..7|9 [--original] [--ignore-missing] [--same-scale] [--plot WxH]\n"
    "      [--roi rect:X0,Y0,X1,Y1|ellipse:X0,Y0,X1,Y1|poly:X,Y,X,Y,...] [load options of info]\n"
    "      scores every pair of variables (0 correlation, 1 linear error, 2 quadratic error, 3 quadracity,\n"
    "      4 uniformity, 5 outliers, 6 items in the region --roi, 7 association, 9 no order) and prints\n"
    "      Rank, X axis, Y axis, Score, Auxiliary in rank order; --plot is the scatterplot's size in\n"
    "      pixels (default 420x320) and --roi a region in its pixel coordinates";

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

int runScatterplots(const std::vector<std::string>& args)
{
    LoadOptions load;
    std::string file, error;
    int criterion = -1;
    bool original = false;
    PairSettings settings;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseLoadOption(args, i, load, error))
            continue;
        if (a == "--criterion") {
            const std::string* v = optionValue(args, i, error);
            double c = -1.0;
            if (v && (!parseNumber(*v, c) || c != static_cast<int>(c) || c < 0 || c > 9 || c == 8))
                error = "--criterion takes 0 to 7 or 9";
            criterion = static_cast<int>(c);
        } else if (a == "--original") {
            original = true;
        } else if (a == "--ignore-missing") {
            settings.m_bIgnoreMissing = true;
        } else if (a == "--same-scale") {
            settings.m_bSameScale = true;
        } else if (a == "--plot") {
            const std::string* v = optionValue(args, i, error);
            if (v && !parsePlotSize(*v, settings.m_geometry))
                error = "--plot takes WxH in pixels, e.g. 420x320";
        } else if (a == "--roi") {
            const std::string* v = optionValue(args, i, error);
            if (v && !parseRegion(*v, settings.m_roi))
                error = "--roi takes rect:X0,Y0,X1,Y1, ellipse:X0,Y0,X1,Y1 or poly:X,Y,X,Y,X,Y,...";
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
        } else if (file.empty()) {
            file = a;
        } else {
            error = "more than one data file";
        }
    }
    if (error.empty() && file.empty())
        error = "no data file";
    if (error.empty() && criterion < 0)
        error = "--criterion is needed";
    if (error.empty() && criterion == kPairRoi && settings.m_roi.m_nType == kRoiNone)
        error = "criterion 6 needs --roi";
    if (!error.empty())
        return usageError("rank scatterplots", error, (std::string("rank ") + kUsage).c_str());
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

RankRegistrar reg{{"scatterplots", kUsage, &runScatterplots}};

} // namespace
