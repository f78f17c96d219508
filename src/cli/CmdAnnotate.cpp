// arbolix-cli annotate: the items of a data file matched to an annotation
// file, with one annotation text each.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "linked/Annotation.h"

namespace {

struct {
    DocumentOptions doc;
    std::string annotation;
    std::string column = "title";
} o;

void declare(CLI::App& cmd)
{
    addFileArgument(cmd, o.doc.file);
    cmd.add_option("--annotation", o.annotation, "the annotation file")->type_name("ANNOT")->required();
    cmd.add_option("--column", o.column, "the first annotation column whose header contains TEXT (default title)")
        ->type_name("TEXT");
    addLoadOptions(cmd, o.doc.load);
}

int run()
{
    const std::string& annotationPath = o.annotation;
    const std::string& column = o.column;
    CArxDoc doc;
    if (!openDocument(doc, "annotate", o.doc))
        return kExitFailure;
    // The no-match message and the reader's messages go to standard error.
    if (!doc.attachAnnotation(annotationPath))
        return kExitFailure;
    const DataMatrix& data = *doc.mainPair()->m_pData;
    std::printf("Matched: %d of %d items\n", doc.annotation()->matchedItems(), data.m_nRows);
    for (int row = 0; row < data.m_nRows; ++row) {
        const int item = doc.itemOfRow(row);
        std::printf("%s\t%s\n", data.itemId(row).c_str(), doc.annotationCell(item, column).c_str());
    }
    return kExitOk;
}

CliRegistrar reg{{"annotate",
                  "Match the items to an annotation file and print one annotation text each.\n\n"
                  "Matches the items to an annotation file (.csv, tab-delimited text, .xls, .xlsx) and prints\n"
                  "\"Matched: N of M items\", then per item its identifier and its text in the first annotation\n"
                  "column whose header contains TEXT (default \"title\").",
                  &declare, &run}};
} // namespace
