// arbolix-cli annotate FILE --annotation ANNOT [--column TEXT]: the items of
// a data file matched to an annotation file, with one annotation text each.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "linked/Annotation.h"

namespace {

const char* const kUsage =
    "annotate FILE --annotation ANNOT [--column TEXT] [load options of info]\n"
    "      matches the items to an annotation file (.csv, tab-delimited text, .xls, .xlsx) and prints\n"
    "      \"Matched: N of M items\", then per item its identifier and its text in the first annotation\n"
    "      column whose header contains TEXT (default \"title\")";

int runAnnotate(const std::vector<std::string>& args)
{
    DocumentOptions o;
    std::string annotationPath, column = "title", error;
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& a = args[i];
        if (parseLoadOption(args, i, o.load, error))
            continue;
        if (a == "--annotation" || a == "--column") {
            if (const std::string* v = optionValue(args, i, error))
                (a == "--annotation" ? annotationPath : column) = *v;
        } else if (!a.empty() && a[0] == '-')
            error = "unknown option " + a;
        else if (o.file.empty())
            o.file = a;
        else
            error = "more than one data file";
    }
    if (error.empty() && o.file.empty())
        error = "no data file";
    if (error.empty() && annotationPath.empty())
        error = "--annotation ANNOT is needed";
    if (!error.empty()) {
        std::fprintf(stderr, "arbolix-cli annotate: %s\nusage: %s\n", error.c_str(), kUsage);
        return kExitUsage;
    }
    CArxDoc doc;
    if (!openDocument(doc, "annotate", o))
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

CliRegistrar reg{{"annotate", kUsage, &runAnnotate}};
} // namespace
