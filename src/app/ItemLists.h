#pragma once
// Item lists and the Help menu's tools on them. An item list is a text file
// with one identifier in the first column of each line (what File/Save
// Selected Items writes); its header line and header rows are recognised
// and skipped, blank first cells and repeated identifiers count once.
#include <string>
#include <vector>

// The identifiers of a list in file order, each once. False when the file
// cannot be read (nothing shown; `refusal` gets the refusal of a file that
// is not text). Warnings of its quotes are shown.
bool readItemList(const std::string& path, std::vector<std::string>& ids, std::string* refusal = nullptr);
// The same, telling why a file was not read: the refusal of a file that is
// not text, else "Cannot open the file : %s".
bool readItemListOrTell(const std::string& path, std::vector<std::string>& ids);
// Whether a first cell is a title or header-row keyword rather than an item:
// the identifier titles ("UNIQID", "ID", "GID", "PROBE SET ID", ...) on the
// first line, the header rows ("WEIGHT", "CID", "FIELDTYPE", "EWEIGHT",
// "AID") among the first four.
bool isItemListHeader(const std::string& firstCell, int line);

// The figures of "intersections between algorithms".
struct ListIntersection {
    std::string firstName;  // the first file's name (no folder)
    int first = 0, second = 0, shared = 0;
    // "%s\t%d\tand\t%d\t%d"
    std::string line() const;
    // The same figures as a message.
    std::string message(const std::string& secondName) const;
};
ListIntersection intersectLists(const std::string& firstName, const std::vector<std::string>& first,
                                const std::vector<std::string>& second);
// Reads both lists ("Cannot open the file : %s" for one that cannot be
// read), appends the line to `outPath` (several pairs collect in one file)
// and returns it; false after the message when a file fails.
bool intersectListFiles(const std::string& firstPath, const std::string& secondPath, const std::string& outPath,
                        ListIntersection& result);

// The list files of a folder, by name: every .txt and .exp file except the
// tools' own outputs (num.txt and summary_*.txt).
std::vector<std::string> listFilesIn(const std::string& folder);

// num.txt in the folder: one line "%s\t%d" per list file (its name, the
// items it shares with `selected`). Returns the number of list files, -1
// after the message when num.txt cannot be written.
int countListsInSelection(const std::string& folder, const std::vector<std::string>& selected);

// What the summaries look up: an item's name by its identifier (the first
// item of an identifier wins).
struct ItemNames {
    std::vector<std::string> ids, names;  // by row
};
// summary_NAME.txt in the folder for every list file NAME.ext: one line
// "%s\t%s" (identifier, item name) per identifier of the list found in the
// data, in list order. Returns the number of summaries written, -1 after
// the message when one cannot be written.
int summariseLists(const std::string& folder, const ItemNames& items);
