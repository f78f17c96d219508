// arbolix-cli power: the Power Calculation & Filtering panel's calculation
// and filter by F, for scripts.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cli/ItemCommandOptions.h"
#include "cli/LoadOptions.h"
#include "data/DataMatrix.h"
#include "linked/PowerCalc.h"

namespace {

bool wholeNumber(const std::string& s, int& out)
{
    double v;
    if (!parseNumber(s, v) || v != std::floor(v) || v < 0 || v > 1e9)
        return false;
    out = static_cast<int>(v);
    return true;
}

// "0,3,5-9" or "cid=K" against the matrix; empty error on success.
std::vector<int> parseColumns(const std::string& text, const DataMatrix& data, std::string& error)
{
    std::vector<int> out;
    if (text.rfind("cid=", 0) == 0) {
        int cid;
        if (!wholeNumber(text.substr(4), cid)) {
            error = "cid= takes a whole number";
            return out;
        }
        for (int k = 0; k < data.m_nColumns; ++k)
            if (data.columnField(k)->m_nCID == cid)
                out.push_back(k);
        if (out.empty())
            error = "no column has the CID " + text.substr(4);
        return out;
    }
    for (const std::string& part : splitCommas(text)) {
        const size_t dash = part.find('-', 1);
        int a, b;
        if (dash == std::string::npos ? !wholeNumber(part, a) || !wholeNumber(part, b)
                                      : !wholeNumber(part.substr(0, dash), a) || !wholeNumber(part.substr(dash + 1), b) ||
                                            b < a) {
            error = "bad column list " + text;
            return {};
        }
        for (int k = a; k <= b; ++k) {
            if (k >= data.m_nColumns) {
                error = "column " + std::to_string(k) + " beyond the " + std::to_string(data.m_nColumns) +
                        " value columns";
                return {};
            }
            out.push_back(k);
        }
    }
    if (out.empty())
        error = "empty column list";
    return out;
}

std::string number(double v)
{
    if (std::isnan(v))
        return "NA";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

struct {
    std::string file, g1Text, g2Text, out;
    int model = -1;
    double lo = 0.0, hi = 0.0;
    PowerInputs in;
    LoadOptions load;
    CLI::Option* range = nullptr;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.file);
    cmd.add_option("--g1", o.g1Text, "the first group's value columns")->type_name("COLS")->required();
    cmd.add_option("--g2", o.g2Text, "the second group's value columns (two-sample model)")->type_name("COLS");
    addChoice(cmd, "--model", o.model, {"one", "two"},
              "one- or two-sample t-test (default: two with --g2, one without)", {kPowerOneSample, kPowerTwoSample});
    addChoice(cmd, "--target", o.in.target, {"effect", "power", "significance", "size"},
              "what is computed from the other three inputs", {kTargetEffect, kTargetPower, kTargetSignificance, kTargetSize})
        ->required();
    cmd.add_option("--alpha", o.in.alpha, "the significance level (default 0.05)")
        ->type_name("A")
        ->check(numberBetween(0, 1));
    cmd.add_option("--power", o.in.power, "the power (default 0.8)")->type_name("P")->check(numberBetween(0, 1));
    const CLI::Validator number = numberIn(-HUGE_VAL, HUGE_VAL);
    cmd.add_option("--fold", o.in.fold, "the fold change (default 1.5)")->type_name("F")->check(number);
    cmd.add_option("--n", o.in.n, "the sample size (default 8)")->type_name("N")->check(numberBetween(0, HUGE_VAL));
    cmd.add_option_function<double>(
           "--h0",
           [](double m) {
               o.in.h0 = m;
               o.in.hasH0 = true;
           },
           "the mean under the null hypothesis")
        ->type_name("M")
        ->check(number);
    o.range = addRangeOption(cmd, o.lo, o.hi, "list only the items whose F lies in [LO, HI]");
    cmd.add_option("--out", o.out, "write the interactive result file")->type_name("FILE");
    addLoadOptions(cmd, o.load);
}

int run()
{
    const std::string& file = o.file;
    const std::string& g1Text = o.g1Text;
    const std::string& g2Text = o.g2Text;
    const std::string& out = o.out;
    const bool haveRange = o.range->count() > 0;
    const double lo = o.lo, hi = o.hi;
    PowerInputs& in = o.in;
    std::string error;
    in.model = o.model >= 0 ? o.model : g2Text.empty() ? kPowerOneSample : kPowerTwoSample;
    if (in.model == kPowerTwoSample && g2Text.empty())
        return usageError("the two-sample model needs --g2 columns");

    DataMatrix data;
    if (!loadForCommand("power", file, o.load, data))
        return kExitFailure;
    const std::vector<int> g1 = parseColumns(g1Text, data, error);
    const std::vector<int> g2 = g2Text.empty() || !error.empty() ? std::vector<int>{} : parseColumns(g2Text, data, error);
    if (!error.empty())
        return usageError(error);
    PowerRun run;
    if (!calculatePower(data, g1, g2, in, nullptr, run))
        return kExitFailure;  // the group check's message is on stderr
    std::vector<int> listed;
    if (haveRange) {
        listed = run.filter(lo, hi);
    } else {
        for (int r = 0; r < data.rowCount(); ++r)
            listed.push_back(r);
    }
    for (int r : listed)
        std::printf("%s\t%s\t%s\n", data.itemId(r).c_str(), number(run.f[static_cast<size_t>(r)]).c_str(),
                    number(run.second[static_cast<size_t>(r)]).c_str());
    if (!out.empty()) {
        std::vector<int> written = haveRange ? listed : run.filter(-HUGE_VAL, HUGE_VAL);
        if (!writePowerInteractive(out, data, run, written))
            return kExitFailure;
    }
    return kExitOk;
}

CliRegistrar reg{{"power",
                  "Power calculation per item for a one- or two-sample t-test design.\n\n"
                  "Per item, the target of a one- or two-sample t-test design from the other three inputs, on\n"
                  "the values as loaded (a --log or a normalisation does not change them); COLS are 0-based\n"
                  "value columns (\"0,3,5-9\") or cid=K for the columns whose CID is K; prints\n"
                  "identifier, F and the second value, tab-delimited, for every item or, with --range, for the\n"
                  "items whose F lies in it; --out writes the interactive result file.",
                  &declare, &run}};
} // namespace
