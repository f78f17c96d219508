#pragma once
// An annotation file attached to the items: a table (typically a chip
// vendor's CSV annotation) whose first column names an item by its
// identifier, matched to the items of a data matrix. The document owns the
// one attached annotation; the table view shows its columns, the leaves take
// their labels from its "title" column, and the Gene Ontology panel reads
// its ontology columns.
//
// Identifiers are compared after trimming surrounding blanks and double
// quotes on both sides; when an identifier appears on several lines the
// later line wins.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/TableFile.h"

class CForest;
class DataMatrix;
class IProgress;

class Annotation {
public:
    Annotation() = default;
    Annotation(const Annotation&) = delete;
    Annotation& operator=(const Annotation&) = delete;

    // Number of annotation columns (the widest line's field count) and the
    // header text of column c (line 0).
    int columnCount() const { return m_table.widestFieldCount(); }
    std::string_view header(int column) const { return m_table.cell(0, static_cast<size_t>(column)); }
    // First column whose header, in lower case, contains `part` in lower
    // case; -1 when none does.
    int findColumn(std::string_view part) const;
    // The annotation line of an identifier (trimmed before the look-up);
    // -1 when the file has none.
    int lineOf(std::string_view identifier) const;
    // The annotation line of row r of the matrix the annotation was matched
    // to; -1 when the item has none.
    int lineOfRow(int row) const
    {
        return row >= 0 && static_cast<size_t>(row) < m_rowLines.size() ? m_rowLines[static_cast<size_t>(row)] : -1;
    }
    // Cell of an annotation line; empty for line -1 or a column beyond the line.
    std::string_view cell(int line, int column) const
    {
        return line > 0 && column >= 0 ? m_table.cell(line, static_cast<size_t>(column)) : std::string_view();
    }
    // The text of an item (by identifier) in the first column whose header
    // contains `part` (see findColumn); empty when the item has no line or
    // no header contains the part.
    std::string_view cellOf(std::string_view identifier, std::string_view part) const;

    int matchedItems() const { return m_nMatched; }
    int lineCount() const { return m_table.lineCount(); }
    const std::string& path() const { return m_strPath; }

private:
    friend bool loadAnnotation(const std::string& path, const DataMatrix& data, Annotation& out);

    TableFile m_table;
    std::unordered_map<std::string_view, int> m_mapLine;  // trimmed identifier (into m_table) -> line
    std::vector<int> m_rowLines;                          // matrix row -> line, -1 for none
    int m_nMatched = 0;
    std::string m_strPath;
};

// Reads an annotation file (comma-separated for ".csv", a workbook for
// ".xls"/".xlsx", tab-separated otherwise) under the progress window
// "Loading Affymetrix Annotation File : ", maps every identifier of column 0
// (from line 1 on) to its line, and matches the matrix's items to it.
// True when at least one item matched. Otherwise `out` is left empty and
// false returned: silently after Cancel or the spreadsheet reader's own
// message, with "Cannot open the file : %s" for a text file that cannot be
// opened, and with kNoAnnotationMatched when no item matched.
bool loadAnnotation(const std::string& path, const DataMatrix& data, Annotation& out);

// The text of `identifier`'s annotation in the column named by `part`
// (empty when there is none); the same as annotation.cellOf.
std::string annotationCell(const Annotation& annotation, std::string_view identifier, std::string_view part);

extern const char* const kNoAnnotationMatched;

// Every leaf of a row forest whose identifier has a non-empty "title"
// annotation takes that text as its label (a header such as "Gene Title"
// supplies it); the other leaves keep their labels. Column forests are left
// alone. Returns the number of leaves relabelled.
int relabelLeaves(CForest& forest, const Annotation& annotation);

// Whether `text` contains `part`, both compared in lower case.
bool containsNoCase(std::string_view text, std::string_view part);

// An identifier as it is matched: surrounding blanks and double quotes removed.
std::string_view trimIdentifier(std::string_view text);
