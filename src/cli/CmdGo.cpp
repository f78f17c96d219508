// arbolix-cli go: the Gene Ontology panel without windows: the items
// annotated with a term (or under it), and the enrichment of the terms in
// the clusters of the row dendrogram's cut.
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

const std::string kUsage =
    "go FILE [--annotation ANNOT] --ontology DIR_OR_OBO [--term GO:NNNNNNN [--descendants]]\n"
    "      [--enrich --min-sim S [--fdr Q] [clustering and load options of cluster]]\n"
    "      GO identifiers come from the data's GOID field or from the annotation's molecular,\n"
    "      biological and cellular columns; --term prints the items annotated with the term (or\n"
    "      under it with --descendants), --enrich the enriched terms of every cluster of the cut\n"
    "      with FDR <= Q (default 0.05; 1 or all prints every tested term)";

bool parseGoTerm(const std::string& text, int& number)
{
    return goNumberOfToken(text, number);
}

int runGo(const std::vector<std::string>& args)
{
    DocumentOptions o;
    std::string ontologyPath, annotationPath, error;
    int term = 0;
    bool descendants = false, enrich = false, haveMinSim = false;
    double minSim = 0.5, fdr = 0.05;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseDocumentOption(args, i, o, error))
            continue;
        if (a == "--ontology") {
            if (const std::string* v = optionValue(args, i, error))
                ontologyPath = *v;
        } else if (a == "--annotation") {
            if (const std::string* v = optionValue(args, i, error))
                annotationPath = *v;
        } else if (a == "--term") {
            if (const std::string* v = optionValue(args, i, error); v && !parseGoTerm(*v, term))
                error = "--term takes a GO identifier (GO:NNNNNNN)";
        } else if (a == "--descendants")
            descendants = true;
        else if (a == "--enrich")
            enrich = true;
        else if (a == "--min-sim") {
            if (const std::string* v = optionValue(args, i, error); v && !parseNumber(*v, minSim))
                error = "--min-sim takes a number";
            haveMinSim = true;
        } else if (a == "--fdr") {
            if (const std::string* v = optionValue(args, i, error)) {
                if (*v == "all")
                    fdr = 1.0;
                else if (!parseNumber(*v, fdr) || fdr < 0.0)
                    error = "--fdr takes a number or all";
            }
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.file.empty())
        error = "no data file";
    if (error.empty() && ontologyPath.empty())
        error = "--ontology DIR_OR_OBO is needed";
    if (error.empty() && !term && !enrich)
        error = "--term or --enrich is needed";
    if (error.empty() && descendants && !term)
        error = "--descendants goes with --term";
    if (error.empty() && enrich && !haveMinSim)
        error = "--enrich needs --min-sim S";
    if (!error.empty()) {
        std::fprintf(stderr, "arbolix-cli go: %s\nusage: %s\n", error.c_str(), kUsage.c_str());
        return kExitUsage;
    }

    CArxDoc doc;
    if (!openDocument(doc, "go", o))
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
        std::fprintf(stderr, "arbolix-cli go: no GO identifiers: %s has no GOID field and %s\n", o.file.c_str(),
                     annotationPath.empty() ? "no --annotation was given"
                                            : "the annotation has no molecular, biological or cellular column");
        return kExitFailure;
    }
    const GoIndex index(ontology, attachment);

    if (term) {
        std::vector<int> items;
        if (descendants) {
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
    if (enrich) {
        o.rows = true;
        o.columns = false;
        if (!clusterDocument(doc, "go", o))
            return kExitFailure;
        doc.m_pRowForest->cut(static_cast<float>(minSim));
        const std::vector<GoEnrichmentRow> rows = rowsUpToFdr(enrichClusters(index, clusterOfItems(*doc.m_pRowForest)), fdr);
        std::printf("%s\n", enrichmentHeader().c_str());
        for (const GoEnrichmentRow& r : rows)
            std::printf("%s\n", enrichmentLine(index, r).c_str());
    }
    return kExitOk;
}

CliRegistrar reg{{"go", kUsage.c_str(), &runGo}};

} // namespace
