// arbolix-cli batch: the batch run over the minimum-similarity bar.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"

namespace {

const std::string kUsage =
    std::string("batch FILE ") + kClusteringOptionsUsage +
    "\n      [--view rows|columns] [--steps N] [--folder DIR]\n"
    "      clusters as cluster does, then steps the minimum similarity from 1 down to 1/N (N = 100 by default)\n"
    "      over the rows' dendrogram (or the columns' with --view columns or when only columns are clustered)\n"
    "      and writes DIR/NAME_gene_batch.txt (or NAME_sample_batch.txt): minsim, # of Cluster, # of Change\n"
    "      and # of Alone per step";

int runBatch(const std::vector<std::string>& args)
{
    DocumentOptions o;
    std::string error, folder = ".";
    int steps = 100;
    int view = -1;  // -1: as the clustering leaves it, 1 rows, 0 columns
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseDocumentOption(args, i, o, error))
            continue;
        if (a == "--steps" || a == "--folder" || a == "--view") {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                break;
            }
            const std::string& v = args[++i];
            double n = 0.0;
            if (a == "--steps") {
                if (!parseNumber(v, n) || n < 1 || n > 1000000 || n != static_cast<int>(n))
                    error = "--steps takes a whole number from 1 to 1000000";
                steps = static_cast<int>(n);
            } else if (a == "--folder")
                folder = v;
            else if (v == "rows" || v == "columns")
                view = v == "rows" ? 1 : 0;
            else
                error = "--view takes rows or columns";
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.file.empty())
        error = "no data file";
    if (!error.empty()) {
        std::fprintf(stderr, "arbolix-cli batch: %s\nusage: %s\n", error.c_str(), kUsage.c_str());
        return kExitUsage;
    }
    CArxDoc doc;
    if (!openDocument(doc, "batch", o) || !clusterDocument(doc, "batch", o))
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

CliRegistrar reg{{"batch", kUsage.c_str(), &runBatch}};

} // namespace
