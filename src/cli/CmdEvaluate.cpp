// arbolix-cli evaluate: the cut at several minimum similarities, with the
// F-measure against the column classes and the within/between distances.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cluster/CutProfile.h"
#include "cluster/Evaluation.h"
#include "platform/Format.h"

namespace {

const std::string kUsage =
    std::string("evaluate FILE ") + kClusteringOptionsUsage +
    "\n      --min-sim S[,S...] | --profile N\n"
    "      clusters as cluster does and prints, per direction and minimum similarity, the number of\n"
    "      clusters, the F-measure when the leaves carry classes (a CID row), and the within- and\n"
    "      between-cluster distances and their ratio (N/A where they cannot be computed); --profile N\n"
    "      prints the same at every minimum similarity k / N for k = 0..N, with the number of alones\n"
    "      (leaves under no cluster) after the number of clusters";

// A line of the table: the direction, then the figures of one cut; the
// alones only in a profile.
void printLine(bool rows, float s, const ClusterEvaluation& e, const std::optional<int>& alones,
               const std::optional<double>& f)
{
    const std::string fText = f ? strFormat("%.3f", *f) : std::string("N/A");
    std::printf("%s\t%4.3f\t%d\t%s%s\t%s\t%s\t%s\n", rows ? "rows" : "columns", static_cast<double>(s), e.clusters,
                alones ? strFormat("%d\t", *alones).c_str() : "", fText.c_str(), evaluationText(e.within).c_str(),
                evaluationText(e.between).c_str(), e.ratio ? strFormat("%.4f", *e.ratio).c_str() : "N/A");
}

int runEvaluate(const std::vector<std::string>& args)
{
    DocumentOptions o;
    std::vector<float> levels;
    int profileSteps = 0;
    std::string error;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseDocumentOption(args, i, o, error))
            continue;
        if (a == "--min-sim") {
            if (i + 1 >= args.size()) {
                error = "--min-sim needs a value";
                break;
            }
            for (const std::string& part : splitCommas(args[++i])) {
                double v = 0.0;
                if (!parseNumber(part, v)) {
                    error = "--min-sim takes numbers separated by commas";
                    break;
                }
                levels.push_back(static_cast<float>(v));
            }
        } else if (a == "--profile") {
            double n = 0.0;
            if (i + 1 >= args.size() || !parseNumber(args[++i], n) || n < 1 || n > 10000 || n != static_cast<int>(n)) {
                error = "--profile takes a whole number from 1 to 10000";
                break;
            }
            profileSteps = static_cast<int>(n);
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.file.empty())
        error = "no data file";
    if (error.empty() && levels.empty() == (profileSteps == 0))
        error = "either --min-sim S[,S...] or --profile N is needed";
    if (!error.empty()) {
        std::fprintf(stderr, "arbolix-cli evaluate: %s\nusage: %s\n", error.c_str(), kUsage.c_str());
        return kExitUsage;
    }
    if (!o.rows && !o.columns)
        o.rows = o.columns = true;
    CArxDoc doc;
    if (!openDocument(doc, "evaluate", o) || !clusterDocument(doc, "evaluate", o))
        return kExitFailure;
    std::printf(profileSteps ? "direction\tminsim\t# of Clusters\t# of Alones\tF-measure\tWithin-cluster\tBetween-cluster\tratio\n"
                             : "direction\tminsim\t# of Clusters\tF-measure\tWithin-cluster\tBetween-cluster\tratio\n");
    for (bool rows : {true, false}) {
        if (rows ? !o.rows : !o.columns)
            continue;
        CForest* forest = rows ? doc.m_pRowForest : doc.m_pColForest;
        if (!forest->hasTree())
            continue;
        if (profileSteps) {
            const auto profile = computeCutProfile(
                cutProfileInput(*forest, profileSteps, doc.m_run[0].m_bCentered, doc.m_run[0].m_bAbsolute));
            for (const CutProfileStep& step : *profile)
                printLine(rows, step.minSimilarity, step.evaluation, step.alones, step.fMeasure);
            continue;
        }
        for (float s : levels) {
            const std::optional<ClusterEvaluation> e = doc.evaluateHierarchical(rows, s);
            if (!e)
                return kExitFailure;
            printLine(rows, s, *e, std::nullopt,
                      forest->m_bHasClasses ? std::optional<double>(fMeasure(*forest)) : std::nullopt);
        }
    }
    return kExitOk;
}

CliRegistrar reg{{"evaluate", kUsage.c_str(), &runEvaluate}};

} // namespace
