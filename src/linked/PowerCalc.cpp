#include "linked/PowerCalc.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "cluster/Forest.h"
#include "cluster/LineWriter.h"
#include "cluster/Node.h"
#include "data/DataMatrix.h"
#include "linked/NormalDistribution.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSizeFilterCeiling = 50.0;
} // namespace

GroupStats groupStats(const float* values, const float* weights, const std::vector<int>& columns)
{
    GroupStats g;
    double sum = 0.0;
    for (int k : columns)
        if (weights[k] != -1.0f) {
            sum += values[k];
            ++g.m;
        }
    if (g.m == 0)
        return g;
    g.mean = sum / g.m;
    if (g.m > 1) {
        double ss = 0.0;
        for (int k : columns)
            if (weights[k] != -1.0f) {
                const double d = values[k] - g.mean;
                ss += d * d;
            }
        g.sd = std::sqrt(ss / (g.m - 1));
    }
    return g;
}

PowerValue powerOfItem(const GroupStats& g1, const GroupStats& g2, const PowerInputs& in)
{
    PowerValue out;
    const bool two = in.model == kPowerTwoSample;
    if (g1.m < 2 || (two && g2.m < 2))
        return out;
    double s2, base;
    int k;
    if (two) {
        s2 = ((g2.m - 1) * g2.sd * g2.sd + (g1.m - 1) * g1.sd * g1.sd) / (g1.m + g2.m - 2);
        base = std::min(g1.mean, g2.mean);
        k = 2;
    } else {
        s2 = g1.sd * g1.sd;
        base = g1.mean;
        k = 1;
    }
    const bool fromH0 = !two && in.hasH0;
    const double delta = fromH0 ? std::fabs(g1.mean - in.h0) : base * (in.fold - 1.0);
    const double za = normalQuantile(1.0 - in.alpha / 2.0);
    const double zb = normalQuantile(in.power);
    const double lambda = std::sqrt(delta * delta * in.n / (k * s2));
    switch (in.target) {
    case kTargetSize:
        out.f = delta == 0.0 ? kNaN : k * s2 * (za + zb) * (za + zb) / (delta * delta);
        out.second = delta;
        break;
    case kTargetPower:
        out.f = normalCdf(lambda - za);
        out.second = normalCdf(-za - lambda);
        break;
    case kTargetSignificance:
        out.f = 1.0 - normalCdf(lambda - zb);
        out.second = 1.0 - normalCdf(-zb - lambda);
        break;
    case kTargetEffect: {
        const double d = std::sqrt(k * s2 / in.n) * (za + zb);
        out.f = 1.0 + d / (fromH0 ? in.h0 : base);
        out.second = d;
        break;
    }
    default:
        break;
    }
    return out;
}

std::string powerGroupCheck(int model, size_t firstGroupSize, size_t secondGroupSize)
{
    if (model == kPowerOneSample)
        return firstGroupSize < 2 ? "There should be two items in the first group." : std::string();
    if (firstGroupSize < 2 || secondGroupSize < 2)
        return "There should be two groups each of which has more than two items.";
    return {};
}

void PowerRun::filterRange(double& lo, double& hi) const
{
    lo = minF;
    hi = maxF;
    if (inputs.target == kTargetSize && hi > kSizeFilterCeiling) {
        hi = kSizeFilterCeiling;
        lo = std::min(lo, hi);
    }
}

std::vector<int> PowerRun::filter(double lo, double hi) const
{
    std::vector<int> out;
    for (size_t r = 0; r < f.size(); ++r)
        if (f[r] >= lo && f[r] <= hi)  // NaN is never in range
            out.push_back(static_cast<int>(r));
    return out;
}

bool calculatePower(const DataMatrix& data, const std::vector<int>& group1, const std::vector<int>& group2,
                    const PowerInputs& in, const std::vector<int>* rows, PowerRun& out)
{
    out = PowerRun{};
    const std::string check = powerGroupCheck(in.model, group1.size(), group2.size());
    if (!check.empty()) {
        showMessage(check);
        return false;
    }
    const int n = data.rowCount();
    PowerRun run;
    run.inputs = in;
    run.group1 = group1;
    run.group2 = group2;
    run.allItems = rows == nullptr;
    run.f.assign(static_cast<size_t>(n), kNaN);
    run.second.assign(static_cast<size_t>(n), kNaN);
    const long long total = rows ? static_cast<long long>(rows->size()) : n;
    ProgressScope progress("Power Calculation", "Calculating values for all probe sets");
    progress->setRange(0, total);
    const int interval = progressInterval(total);
    for (long long i = 0; i < total; ++i) {
        if (cancelledAt(progress.get(), i, interval))
            return false;
        const int r = rows ? (*rows)[static_cast<size_t>(i)] : static_cast<int>(i);
        if (r < 0 || r >= n)
            continue;
        // A fold change is a ratio of expression levels: the values as
        // loaded, never the logged or normalised ones.
        const float* v = data.rowOrgValues(r);
        const float* w = data.rowWeights(r);
        const GroupStats g1 = groupStats(v, w, group1);
        const GroupStats g2 = in.model == kPowerTwoSample ? groupStats(v, w, group2) : GroupStats{};
        const PowerValue pv = powerOfItem(g1, g2, in);
        run.f[static_cast<size_t>(r)] = pv.f;
        run.second[static_cast<size_t>(r)] = pv.second;
        if (std::isfinite(pv.f)) {
            if (run.computed == 0 || pv.f < run.minF)
                run.minF = pv.f;
            if (run.computed == 0 || pv.f > run.maxF)
                run.maxF = pv.f;
            ++run.computed;
        }
    }
    out = std::move(run);
    return true;
}

void storePowerInNodes(const PowerRun& run, CForest& rows)
{
    for (CNode* node : rows.m_pOrgNodes) {
        auto* leaf = dynamic_cast<CRowNode*>(node);
        if (!leaf || leaf->m_nIndex < 0 || static_cast<size_t>(leaf->m_nIndex) >= run.f.size())
            continue;
        leaf->m_dPowerF = run.f[static_cast<size_t>(leaf->m_nIndex)];
        leaf->m_dPowerSecond = run.second[static_cast<size_t>(leaf->m_nIndex)];
    }
}

// ---------------------------------------------------------------- present calls

std::vector<int> presentCallRows(const DataMatrix& data, double percent)
{
    std::vector<int> out;
    const int cols = data.m_nColumns;
    if (cols <= 0)
        return out;
    for (int r = 0; r < data.rowCount(); ++r) {
        const float* w = data.rowWeights(r);
        const int present = static_cast<int>(std::count(w, w + cols, 1.0f));
        if (present * 100.0 >= percent * cols)
            out.push_back(r);
    }
    return out;
}

std::vector<int> allAbsentRows(const DataMatrix& data)
{
    std::vector<int> out;
    const int cols = data.m_nColumns;
    for (int r = 0; r < data.rowCount(); ++r) {
        const float* w = data.rowWeights(r);
        if (std::find(w, w + cols, 1.0f) == w + cols)
            out.push_back(r);
    }
    return out;
}

std::string remainsText(int kept, int all) { return strFormat("%d out of %d", kept, all); }

// ---------------------------------------------------------------- exports

std::string powerExportName(int kind, const std::string& dataName, const PowerRun& run)
{
    const int g1 = static_cast<int>(run.group1.size()), g2 = static_cast<int>(run.group2.size());
    const char* tail = kind == kExportSummary ? "-summary.txt" : ".txt";
    if (run.allItems)
        return strFormat("%s-PowerFilter-All-%ds-%ds%s", dataName.c_str(), g1, g2, tail);
    if (kind == kExportSummary || run.inputs.model == kPowerOneSample)
        return strFormat("%s-PowerFilter-Selected-%ds%s", dataName.c_str(), g1, tail);
    return strFormat("%s-PowerFilter-Selected-%ds-%ds%s", dataName.c_str(), g1, g2, tail);
}

std::string powerNote(const PowerRun& run, int row)
{
    const double s = run.second[static_cast<size_t>(row)];
    if (std::isnan(s))
        return {};
    switch (run.inputs.target) {
    case kTargetPower:
    case kTargetSignificance:
        return strFormat("other tail %.4g", s);
    default:
        return strFormat("difference %.4g", s);
    }
}

namespace {

bool finish(LineWriter& out, const std::string& path)
{
    if (out.close())
        return true;
    showMessage("Cannot save the file : " + path);
    return false;
}

bool openFile(LineWriter& out, const std::string& path)
{
    if (out.open(path))
        return true;
    showMessage("Cannot save the file : " + path);
    return false;
}

int chipsRequired(const PowerRun& run, int row)
{
    if (run.inputs.target == kTargetSize)
        return static_cast<int>(std::ceil(run.f[static_cast<size_t>(row)]));
    return static_cast<int>(std::lround(run.inputs.n));
}

} // namespace

bool writePowerSelected(const std::string& path, const DataMatrix& data, const PowerRun& run,
                        const std::vector<int>& listed)
{
    LineWriter out;
    if (!openFile(out, path))
        return false;
    out.line({"Probe Set Name", "Sample size per group", "Note"});
    for (int r : listed)
        out.line({data.itemId(r), strFormat("%.2f", run.f[static_cast<size_t>(r)]), powerNote(run, r)});
    return finish(out, path);
}

bool writePowerSummary(const std::string& path, const DataMatrix& data, const PowerRun& run,
                       const std::vector<int>& listed, const std::vector<std::string>& groupNames)
{
    LineWriter out;
    if (!openFile(out, path))
        return false;
    const bool two = run.inputs.model == kPowerTwoSample;
    const std::vector<int>* groups[2] = {&run.group1, &run.group2};
    for (int g = 0; g < (two ? 2 : 1); ++g) {
        std::string text = (static_cast<size_t>(g) < groupNames.size() ? groupNames[static_cast<size_t>(g)]
                                                                         : strFormat("Group%d", g + 1)) +
                           ":";
        for (int k : *groups[g])
            text += strFormat("%s,", data.columnField(k)->m_strName.c_str());
        out.line({text});
    }
    out.line({two ? "Two-sample t-Test" : "One-sample t-Test"});
    out.line({"sample size", "number of powered probe sets"});
    if (run.inputs.target == kTargetSize) {
        std::map<int, int> bySize;
        for (int r : listed)
            ++bySize[chipsRequired(run, r)];
        for (const auto& [size, count] : bySize)
            out.line({strFormat("%d", size), strFormat("%d", count)});
    }
    out.line({"Total", strFormat("%d", static_cast<int>(listed.size()))});
    return finish(out, path);
}

bool writePowerInteractive(const std::string& path, const DataMatrix& data, const PowerRun& run,
                           const std::vector<int>& listed)
{
    ProgressScope progress("Exporting Power Analysis Result...", "Writing output files...");
    LineWriter out;
    if (!openFile(out, path))
        return false;
    out.line({strFormat("Interactive Power Analysis Result generated by the Arbolix (%d, %d, %d)",
                        static_cast<int>(run.group1.size()), static_cast<int>(run.group2.size()),
                        static_cast<int>(listed.size()))});
    out.line({"probe set", "# of chips required per group"});
    progress->setRange(0, static_cast<long long>(listed.size()));
    const int interval = progressInterval(static_cast<long long>(listed.size()));
    for (size_t i = 0; i < listed.size(); ++i) {
        if (cancelledAt(progress.get(), static_cast<long long>(i), interval)) {
            out.close();
            return false;
        }
        out.line({data.itemId(listed[i]), strFormat("%d", chipsRequired(run, listed[i]))});
    }
    return finish(out, path);
}
