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

const char* const kUsage =
    "power FILE --g1 COLS [--g2 COLS] [--model one|two] --target effect|power|significance|size\n"
    "      [--alpha A] [--power P] [--fold F] [--n N] [--h0 M] [--range LO HI] [--out FILE] [load options of info]\n"
    "      per item, the target of a one- or two-sample t-test design from the other three inputs, on the values\n"
    "      as loaded (a --log or a normalisation does not change them; defaults:\n"
    "      alpha 0.05, power 0.8, fold 1.5, n 8; the model is two with --g2, one without); COLS are 0-based\n"
    "      value columns (\"0,3,5-9\") or cid=K for the columns whose CID is K; prints identifier, F and the\n"
    "      second value, tab-delimited, for every item or, with --range, for the items whose F lies in it;\n"
    "      --out writes the interactive result file";

int usageError(const std::string& what) { return ::usageError("power", what, kUsage); }

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

int runPower(const std::vector<std::string>& args)
{
    std::string file, g1Text, g2Text, out, error;
    int model = -1;
    bool haveTarget = false, haveRange = false;
    double lo = 0.0, hi = 0.0;
    PowerInputs in;
    LoadOptions load;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseLoadOption(args, i, load, error))
            continue;
        auto numberOption = [&](double& target) {
            if (const std::string* v = optionValue(args, i, error))
                if (!parseNumber(*v, target))
                    error = a + " takes a number";
        };
        if (a == "--g1") {
            if (const std::string* v = optionValue(args, i, error))
                g1Text = *v;
        } else if (a == "--g2") {
            if (const std::string* v = optionValue(args, i, error))
                g2Text = *v;
        } else if (a == "--model") {
            if (const std::string* v = optionValue(args, i, error)) {
                if (*v == "one")
                    model = kPowerOneSample;
                else if (*v == "two")
                    model = kPowerTwoSample;
                else
                    error = "--model takes one or two";
            }
        } else if (a == "--target") {
            if (const std::string* v = optionValue(args, i, error)) {
                haveTarget = true;
                if (*v == "effect")
                    in.target = kTargetEffect;
                else if (*v == "power")
                    in.target = kTargetPower;
                else if (*v == "significance")
                    in.target = kTargetSignificance;
                else if (*v == "size")
                    in.target = kTargetSize;
                else
                    error = "--target takes effect, power, significance or size";
            }
        } else if (a == "--alpha") {
            numberOption(in.alpha);
        } else if (a == "--power") {
            numberOption(in.power);
        } else if (a == "--fold") {
            numberOption(in.fold);
        } else if (a == "--n") {
            numberOption(in.n);
        } else if (a == "--h0") {
            numberOption(in.h0);
            in.hasH0 = true;
        } else if (parseRangeOption(args, i, lo, hi, error)) {
            haveRange = true;
        } else if (a == "--out") {
            if (const std::string* v = optionValue(args, i, error))
                out = *v;
        } else {
            takeFileArgument(a, file, error);
        }
    }
    if (!error.empty())
        return usageError(error);
    if (file.empty())
        return usageError("no data file");
    if (g1Text.empty())
        return usageError("no --g1 columns");
    if (!haveTarget)
        return usageError("no --target");
    if (!(in.alpha > 0.0 && in.alpha < 1.0) || !(in.power > 0.0 && in.power < 1.0))
        return usageError("--alpha and --power lie between 0 and 1");
    if (!(in.n > 0.0))
        return usageError("--n takes a sample size above 0");
    in.model = model >= 0 ? model : g2Text.empty() ? kPowerOneSample : kPowerTwoSample;
    if (in.model == kPowerTwoSample && g2Text.empty())
        return usageError("the two-sample model needs --g2 columns");

    DataMatrix data;
    if (!loadForCommand("power", file, load, data))
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

CliRegistrar reg{{"power", kUsage, &runPower}};
} // namespace
