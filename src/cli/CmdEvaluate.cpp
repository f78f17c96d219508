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

struct {
    DocumentOptions doc;
    std::vector<float> levels;
    int profileSteps = 0;
} o;

// Every part of "S,S,..." a minimum similarity between 0 and 1.
CLI::Validator similarityList()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            const std::vector<std::string> parts = splitCommas(text);
            if (parts.empty())
                return "no minimum similarity in " + text;
            for (std::string part : parts)
                if (std::string error = numberIn(0, 1)(part); !error.empty())
                    return error;
            return {};
        },
        "");
}

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    CLI::Option* minSim = cmd.add_option_function<std::string>(
                                 "--min-sim",
                                 [](const std::string& text) {
                                     for (const std::string& part : splitCommas(text)) {
                                         double v = 0.0;
                                         parseNumber(part, v);
                                         o.levels.push_back(static_cast<float>(v));
                                     }
                                 },
                                 "the minimum similarities to evaluate, each between 0 and 1")
                              ->type_name("S[,S...]")
                              ->check(similarityList())
                              ->trigger_on_parse();
    cmd.add_option("--profile", o.profileSteps,
                   "evaluate at every minimum similarity k / N for k = 0..N, with the alones")
        ->type_name("N")
        ->check(wholeNumberIn(1, 10000))
        ->excludes(minSim);
    addClusteringOptions(cmd, o.doc);
}

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

int run()
{
    if (o.levels.empty() && o.profileSteps == 0)
        return usageError("either --min-sim S[,S...] or --profile N is needed");
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = o.doc.columns = true;
    CArxDoc doc;
    if (!openDocument(doc, "evaluate", o.doc) || !clusterDocument(doc, "evaluate", o.doc))
        return kExitFailure;
    std::printf(o.profileSteps
                    ? "direction\tminsim\t# of Clusters\t# of Alones\tF-measure\tWithin-cluster\tBetween-cluster\tratio\n"
                    : "direction\tminsim\t# of Clusters\tF-measure\tWithin-cluster\tBetween-cluster\tratio\n");
    for (bool rows : {true, false}) {
        if (rows ? !o.doc.rows : !o.doc.columns)
            continue;
        CForest* forest = rows ? doc.m_pRowForest : doc.m_pColForest;
        if (!forest->hasTree())
            continue;
        if (o.profileSteps) {
            const auto profile = computeCutProfile(
                cutProfileInput(*forest, o.profileSteps, doc.m_run[0].m_bCentered, doc.m_run[0].m_bAbsolute));
            for (const CutProfileStep& step : *profile)
                printLine(rows, step.minSimilarity, step.evaluation, step.alones, step.fMeasure);
            continue;
        }
        for (float s : o.levels) {
            const std::optional<ClusterEvaluation> e = doc.evaluateHierarchical(rows, s);
            if (!e)
                return kExitFailure;
            printLine(rows, s, *e, std::nullopt,
                      forest->m_bHasClasses ? std::optional<double>(fMeasure(*forest)) : std::nullopt);
        }
    }
    return kExitOk;
}

CliRegistrar reg{{"evaluate",
                  "Evaluate the cut at several minimum similarities.\n\n"
                  "Clusters as cluster does and prints, per direction and minimum similarity, the number of\n"
                  "clusters, the F-measure when the leaves carry classes (a CID row), and the within- and\n"
                  "between-cluster distances and their ratio (N/A where they cannot be computed); --profile N\n"
                  "prints the same at every minimum similarity k / N for k = 0..N, with the number of alones\n"
                  "(leaves under no cluster) after the number of clusters. Give --min-sim or --profile.",
                  &declare, &run}};

} // namespace
