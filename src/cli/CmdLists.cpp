// arbolix-cli lists: the Help menu's item-list tools.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CArxDoc.h"
#include "app/ItemLists.h"
#include "cli/CliCommand.h"
#include "cli/DocumentOptions.h"

namespace {

const char* const kUsage =
    "lists intersect FIRST SECOND [--out FILE]\n"
    "      prints \"FIRST\\tN1\\tand\\tN2\\tSHARED\" (item counts of both lists and the items in both) and\n"
    "      appends that line to FILE\n"
    "  lists selection DATA FOLDER --select LIST\n"
    "      the items of LIST become the selection; writes FOLDER/num.txt: each list file of FOLDER (.txt,\n"
    "      .exp) with the number of its items in the selection\n"
    "  lists summary DATA FOLDER\n"
    "      writes FOLDER/summary_NAME.txt for each list file NAME: identifier and name of every item of\n"
    "      the list found in DATA\n"
    "      An item list has one identifier in the first column of each line; header lines are skipped.";

int usage(const std::string& error)
{
    std::fprintf(stderr, "arbolix-cli lists: %s\nusage: %s\n", error.c_str(), kUsage);
    return kExitUsage;
}

int runLists(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage("no tool named (intersect, selection, summary)");
    const std::string& tool = args[0];
    std::vector<std::string> plain;
    std::string out, select;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--out" || args[i] == "--select") {
            if (i + 1 >= args.size())
                return usage(args[i] + " takes a file");
            (args[i] == "--out" ? out : select) = args[i + 1];
            ++i;
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usage("unknown option " + args[i]);
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 2)
        return usage(tool + " takes two files or folders");
    if (tool == "intersect") {
        ListIntersection r;
        if (!intersectListFiles(plain[0], plain[1], out, r))
            return kExitFailure;
        std::printf("%s\n", r.line().c_str());
        return kExitOk;
    }
    if (tool != "selection" && tool != "summary")
        return usage("unknown tool " + tool);
    if (tool == "selection" && select.empty())
        return usage("selection needs --select LIST");
    DocumentOptions o;
    o.file = plain[0];
    CArxDoc doc;
    if (!openDocument(doc, "lists", o))
        return kExitFailure;
    if (tool == "selection") {
        const int chosen = doc.importItemsList(select);
        if (chosen < 0)
            return kExitFailure;
        const int files = doc.countSelectionInLists(plain[1]);
        if (files < 0)
            return kExitFailure;
        std::printf("%d items selected, %d list files counted into %s/num.txt\n", chosen, files, plain[1].c_str());
        return kExitOk;
    }
    const int files = doc.summariseItemLists(plain[1]);
    if (files < 0)
        return kExitFailure;
    std::printf("%d summaries written to %s\n", files, plain[1].c_str());
    return kExitOk;
}

CliRegistrar reg{{"lists", kUsage, &runLists}};

} // namespace
