// arbolix-cli go: the Gene Ontology panel without windows: the items
// annotated with a term (or under it), and the enrichment of the terms in
// the clusters of the row dendrogram's cut.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "data/DataMatrix.h"
#include "linked/GoAnnotation.h"
#include "linked/GoEnrichment.h"
#include "linked/GoFiles.h"
#include "platform/Progress.h"

namespace {

struct {
    DocumentOptions doc;
    std::string ontology, annotation;
    int term = 0;
    bool descendants = false, enrich = false;
    double minSim = 0.5, fdr = 0.05;
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    cmd.add_option("--annotation", o.annotation, "the annotation file with the GO columns")->type_name("ANNOT");
    cmd.add_option("--ontology", o.ontology, "the folder of the flat ontology files, or an OBO file")
        ->type_name("DIR_OR_OBO")
        ->required();
    CLI::Option* term =
        cmd.add_option_function<std::string>(
               "--term", [](const std::string& v) { goNumberOfToken(v, o.term); },
               "print the items annotated with the term")
            ->type_name("GO:NNNNNNN")
            ->check(CLI::Validator(
                [](std::string& v) -> std::string {
                    int number = 0;
                    return goNumberOfToken(v, number) ? std::string() : v + " is not a GO identifier (GO:NNNNNNN)";
                },
                ""));
    cmd.add_flag("--descendants", o.descendants, "with --term: also the items annotated with a term under it")->needs(term);
    CLI::Option* enrich =
        cmd.add_flag("--enrich", o.enrich, "print the enriched terms of every cluster of the rows' cut at --min-sim");
    CLI::Option* minSim = cmd.add_option("--min-sim", o.minSim, "with --enrich: cut the rows' dendrogram at minimum similarity S")
                              ->type_name("S")
                              ->check(numberIn(0, 1));
    enrich->needs(minSim);
    cmd.add_option_function<std::string>(
           "--fdr",
           [](const std::string& v) {
               if (v == "all")
                   o.fdr = 1.0;
               else
                   parseNumber(v, o.fdr);
           },
           "print the terms with a false discovery rate up to Q (default 0.05; 1 or all: every tested term)")
        ->type_name("Q")
        ->check(CLI::Validator(
            [](std::string& v) -> std::string {
                double q = 0.0;
                return v == "all" || (parseNumber(v, q) && q >= 0.0) ? std::string() : v + " is not a number or all";
            },
            ""));
    addClusteringOptions(cmd, o.doc);
}

int run()
{
    if (!o.term && !o.enrich)
        return usageError("--term or --enrich is needed");
    const std::string& ontologyPath = o.ontology;
    const std::string& annotationPath = o.annotation;
    const int term = o.term;
    CArxDoc doc;
    if (!openDocument(doc, "go", o.doc))
        return kExitFailure;
    auto ontology = std::make_shared<GoOntology>();
    const GoLoadOutcome loaded = loadOntology(ontologyPath, *ontology, progress());
    if (!loaded.ok) {
        std::fprintf(stderr, "arbolix-cli go: %s\n", loaded.message.c_str());
        return kExitFailure;
    }
    if (!annotationPath.empty() && !doc.attachAnnotation(annotationPath))
        return kExitFailure;
    auto attachment = std::make_shared<GoAttachment>();
    if (!attachGoIdentifiers(*doc.data(), doc.annotation(), *attachment, progress())) {
        std::fprintf(stderr, "arbolix-cli go: no GO identifiers: %s has no GOID field and %s\n", o.doc.file.c_str(),
                     annotationPath.empty() ? "no --annotation was given"
                                            : "the annotation has no molecular, biological or cellular column");
        return kExitFailure;
    }
    const GoIndex index(ontology, attachment);

    if (term) {
        std::vector<int> items;
        if (o.descendants) {
            const int t = ontology->termIndex(term);
            if (t < 0) {
                std::fprintf(stderr, "arbolix-cli go: %s is not a term of the ontology\n", goIdText(term).c_str());
                return kExitFailure;
            }
            items = index.itemsUnder(t);
        } else
            items = attachment->itemsAnnotatedWith(term);
        for (int r : items)
            std::printf("%s\n", doc.data()->itemId(r).c_str());
    }
    if (o.enrich) {
        o.doc.rows = true;
        o.doc.columns = false;
        if (!clusterDocument(doc, "go", o.doc))
            return kExitFailure;
        doc.m_pRowForest->cut(static_cast<float>(o.minSim));
        const std::vector<GoEnrichmentRow> rows = rowsUpToFdr(enrichClusters(index, clusterOfItems(*doc.m_pRowForest)), o.fdr);
        std::printf("%s\n", enrichmentHeader().c_str());
        for (const GoEnrichmentRow& r : rows)
            std::printf("%s\n", enrichmentLine(index, r).c_str());
    }
    return kExitOk;
}

CliRegistrar reg{{"go",
                  "The items annotated with a GO term, or the enriched terms of the clusters.\n\n"
                  "The Gene Ontology panel without windows. GO identifiers come from the data's GOID field or\n"
                  "from the annotation's molecular, biological and cellular columns; --term prints the items\n"
                  "annotated with the term (or under it with --descendants), --enrich the enriched terms of every\n"
                  "cluster of the cut with FDR <= Q (default 0.05; 1 or all prints every tested term).",
                  &declare, &run}};

} // namespace
