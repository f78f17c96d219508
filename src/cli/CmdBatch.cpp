// arbolix-cli batch: the batch run over the minimum-similarity bar.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"

namespace {

struct {
    DocumentOptions doc;
    std::string folder = ".";
    int steps = 100;
    int view = -1;  // -1: as the clustering leaves it, 1 rows, 0 columns
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    addChoice(cmd, "--view", o.view, {"rows", "columns"}, "the dendrogram stepped through (default: the rows')",
              {1, 0});
    cmd.add_option("--steps", o.steps, "step the minimum similarity from 1 down to 1/N (default 100)")
        ->type_name("N")
        ->check(wholeNumberIn(1, 1000000));
    cmd.add_option("--folder", o.folder, "where the batch file goes (default .)")->type_name("DIR");
    addClusteringOptions(cmd, o.doc);
}

int run()
{
    const std::string& folder = o.folder;
    const int steps = o.steps;
    const int view = o.view;
    CArxDoc doc;
    if (!openDocument(doc, "batch", o.doc) || !clusterDocument(doc, "batch", o.doc))
        return kExitFailure;
    if (view >= 0)
        doc.m_bRowView = view == 1;
    const std::string path = doc.batchRun(folder, steps);
    if (path.empty()) {
        std::fprintf(stderr, "arbolix-cli batch: the %s were not clustered or the file was not written\n",
                     doc.m_bRowView ? "rows" : "columns");
        return kExitFailure;
    }
    std::printf("%s\n", path.c_str());
    return kExitOk;
}

CliRegistrar reg{{"batch",
                  "Step the minimum similarity down a dendrogram and write the batch file.\n\n"
                  "Clusters as cluster does, then steps the minimum similarity from 1 down to 1/N over the rows'\n"
                  "dendrogram (or the columns' with --view columns or when only columns are clustered) and writes\n"
                  "DIR/NAME_gene_batch.txt (or NAME_sample_batch.txt): minsim, # of Cluster, # of Change and\n"
                  "# of Alone per step.",
                  &declare, &run}};

} // namespace
