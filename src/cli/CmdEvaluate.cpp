// arbolix-cli evaluate: the cut at several minimum similarities, with the
// F-measure against the column classes and the within/between distances.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "cluster/Evaluation.h"
#include "platform/Format.h"

namespace {

struct {
    DocumentOptions doc;
    std::vector<float> levels;
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
    cmd.add_option_function<std::string>(
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
        ->required()
        ->check(similarityList())
        ->trigger_on_parse();
    addClusteringOptions(cmd, o.doc);
}

int run()
{
    if (!o.doc.rows && !o.doc.columns)
        o.doc.rows = o.doc.columns = true;
    CArxDoc doc;
    if (!openDocument(doc, "evaluate", o.doc) || !clusterDocument(doc, "evaluate", o.doc))
        return kExitFailure;
    std::printf("direction\tminsim\t# of Clusters\tF-measure\tWithin-cluster\tBetween-cluster\tratio\n");
    for (bool rows : {true, false}) {
        if (rows ? !o.doc.rows : !o.doc.columns)
            continue;
        CForest* forest = rows ? doc.m_pRowForest : doc.m_pColForest;
        if (!forest->hasTree())
            continue;
        for (float s : o.levels) {
            const std::optional<ClusterEvaluation> e = doc.evaluateHierarchical(rows, s);
            if (!e)
                return kExitFailure;
            const std::string f = forest->m_bHasClasses ? strFormat("%.3f", fMeasure(*forest)) : std::string("N/A");
            std::printf("%s\t%4.3f\t%d\t%s\t%s\t%s\t%s\n", rows ? "rows" : "columns", static_cast<double>(s), e->clusters,
                        f.c_str(), evaluationText(e->within).c_str(), evaluationText(e->between).c_str(),
                        e->ratio ? strFormat("%.4f", *e->ratio).c_str() : "N/A");
        }
    }
    return kExitOk;
}

CliRegistrar reg{{"evaluate",
                  "Evaluate the cut at several minimum similarities.\n\n"
                  "Clusters as cluster does and prints, per direction and minimum similarity, the number of\n"
                  "clusters, the F-measure when the leaves carry classes (a CID row), and the within- and\n"
                  "between-cluster distances and their ratio (N/A where they cannot be computed).",
                  &declare, &run}};

} // namespace
