// arbolix-cli lists: the Help menu's item-list tools.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/ItemLists.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"
#include "platform/Format.h"

namespace {

struct {
    std::string first, second, out;  // intersect
    std::string data, folder, select;  // selection and summary
} o;

void declareIntersect(CLI::App& cmd)
{
    cmd.add_option("FIRST", o.first, "the first item list")->required()->type_name("");
    cmd.add_option("SECOND", o.second, "the second item list")->required()->type_name("");
    cmd.add_option("--out", o.out, "append the line to FILE")->type_name("FILE");
}

int runIntersect()
{
    ListIntersection r;
    if (!intersectListFiles(o.first, o.second, o.out, r))
        return kExitFailure;
    std::printf("%s\n", r.line().c_str());
    return kExitOk;
}

void declareFolder(CLI::App& cmd)
{
    cmd.add_option("DATA", o.data, "the data file")->required()->type_name("");
    cmd.add_option("FOLDER", o.folder, "the folder of list files (.txt, .exp)")->required()->type_name("");
}

void declareSelection(CLI::App& cmd)
{
    declareFolder(cmd);
    cmd.add_option("--select", o.select, "the item list that becomes the selection")->type_name("LIST")->required();
}

// Opens DATA and runs `work` on it; prints the line it returns, or fails
// when it returns none.
int runOnData(const std::function<std::optional<std::string>(CArxDoc&)>& work)
{
    CArxDoc doc;
    DocumentOptions d;
    d.file = o.data;
    if (!openDocument(doc, "lists", d))
        return kExitFailure;
    const std::optional<std::string> line = work(doc);
    if (!line)
        return kExitFailure;
    std::printf("%s\n", line->c_str());
    return kExitOk;
}

int runSelection()
{
    return runOnData([](CArxDoc& doc) -> std::optional<std::string> {
        const int chosen = doc.importItemsList(o.select);
        const int files = chosen < 0 ? -1 : doc.countSelectionInLists(o.folder);
        if (files < 0)
            return std::nullopt;
        return strFormat("%d items selected, %d list files counted into %s/num.txt", chosen, files, o.folder.c_str());
    });
}

int runSummary()
{
    return runOnData([](CArxDoc& doc) -> std::optional<std::string> {
        const int files = doc.summariseItemLists(o.folder);
        if (files < 0)
            return std::nullopt;
        return strFormat("%d summaries written to %s", files, o.folder.c_str());
    });
}

const char* const kListFiles =
    "\nAn item list has one identifier in the first column of each line; header lines are skipped.";

CliRegistrar group{{"lists", std::string("The Help menu's item-list tools.") + kListFiles}};
CliRegistrar intersect{{"lists intersect",
                        std::string("Count the items two lists share.\n\n"
                                    "Prints \"FIRST\\tN1\\tand\\tN2\\tSHARED\" (item counts of both lists and the items in\n"
                                    "both) and appends that line to FILE.") +
                            kListFiles,
                        &declareIntersect, &runIntersect}};
CliRegistrar selection{{"lists selection",
                        std::string("Count a selection's items in every list file of a folder.\n\n"
                                    "The items of LIST become the selection; writes FOLDER/num.txt: each list file of\n"
                                    "FOLDER (.txt, .exp) with the number of its items in the selection.") +
                            kListFiles,
                        &declareSelection, &runSelection}};
CliRegistrar summary{{"lists summary",
                      std::string("Write the identifier and name of each list's items found in the data.\n\n"
                                  "Writes FOLDER/summary_NAME.txt for each list file NAME: identifier and name of every\n"
                                  "item of the list found in DATA.") +
                          kListFiles,
                      &declareFolder, &runSummary}};

} // namespace
