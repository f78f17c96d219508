#pragma once
// A delimited text file as lines of text fields. Every file the program reads
// or writes as a table goes through here.
//
// Storage is compact: all field texts live in one character buffer, each
// NUL-terminated, and a field is the offset of its first character. A file
// read from disk is split in place inside the buffer it was read into, so a
// table costs the file's size plus four bytes per field.
#include <cstdint>
#include <memory>
#include <utility>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ReadReport.h"

class IProgress;

class TableFile;

// Leaves new elements of a vector uninitialised on resize: buffers that are
// filled right away (a file's bytes, field offsets) skip zeroing megabytes.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// One line of a table: a light view, valid until the table changes.
class TableLine {
public:
    TableLine(const TableFile* table, size_t first, size_t count, size_t width)
        : m_pTable(table), m_nFirst(first), m_nCount(count), m_nWidth(width) {}
    // Every line reports the widest field count; cells beyond the ones it
    // holds read as empty texts.
    size_t size() const { return m_nWidth; }
    // The cells the line itself holds.
    size_t count() const { return m_nCount; }
    std::string_view operator[](size_t i) const;
    // The same cell as a NUL-terminated text.
    const char* cstr(size_t i) const;
    std::string str(size_t i) const { return std::string((*this)[i]); }

private:
    const TableFile* m_pTable;
    size_t m_nFirst, m_nCount, m_nWidth;
};

class TableFile {
public:
    TableFile();

    // Reads a file. The reading is chosen by the file name's own extension:
    // ".xls" / ".xlsx" go to the spreadsheet reader, ".csv" uses comma
    // splitting, anything else tab splitting. maxLines > 0 stops after that
    // many stored lines and shows no progress. Returns the number of stored
    // lines, or -1 when the file cannot be opened, is refused (a folder, 4 GB
    // or more, not text: NUL bytes or mostly control characters; see
    // error()) or reading was cancelled (the table is then empty).
    int readTable(const std::string& path, IProgress* progress = nullptr, int maxLines = 0);
    // Why the last read returned -1: empty when it was cancelled, else the
    // reason ("the file cannot be opened", "the file is not text: ...").
    // A spreadsheet's reader shows its own messages and leaves it empty.
    const std::string& error() const { return m_strError; }
    // The last read opened the file and refused it: error() says why.
    bool refused() const { return m_bRefused; }
    // The faults the splitting got past (a CSV quote left open, a stray
    // quote inside a field), with their lines; the reader adds its own.
    ReadReport& report() { return m_report; }

    int lineCount() const { return static_cast<int>(m_lineFirst.size()); }
    // The 1-based line of the file a stored line came from (blank lines are
    // not stored, so the two differ).
    int fileLine(int line) const;
    // The cells a stored line itself holds.
    size_t fieldCount(int line) const;
    // Warns of the lines from `first` on whose cells differ in number from
    // the header's `expected`: "N cells, the header has M; the extra cells
    // are ignored" (only when one of them is not blank; a dropped part) or
    // "...; the missing cells are read as <missingAs>". A line that ends in
    // its delimiter holds the empty cell after it.
    void checkLineWidths(ReadReport& report, int first, size_t expected, const char* missingAs) const;
    int widestFieldCount() const { return static_cast<int>(m_nWidest); }
    TableLine lineAt(int line) const;
    std::string_view cell(int line, size_t column) const;

    // Clears `out` and fills it with each line's cell in `column` from
    // firstLine on (count 0 = to the last line); lines without that cell give
    // an empty text.
    void getColumn(std::vector<std::string>& out, size_t column, int firstLine, int count = 0) const;

    void addLine(const std::vector<std::string>& fields);
    void addLine(const std::vector<std::string_view>& fields);
    // Splits at tabs (empty fields survive) and appends the fields as a line.
    void addTabLine(const std::string& text);

    // Writes every line as its fields joined by tabs and ended by a line
    // feed. False when the file cannot be written (the reason is shown) or
    // the progress window was cancelled.
    bool writeTable(const std::string& path, IProgress* progress = nullptr) const;

    void clear();

    // The fields of one line as texts.
    std::vector<std::string> lineStrings(int line) const;

    // The splitting rules, usable on their own.
    static std::vector<std::string> splitDelimited(std::string_view line, char delimiter);
    static std::vector<std::string> splitCsv(std::string_view line);

    // Lower-cased extension of a path's file name ("" when none), e.g. "xls".
    static std::string extensionOf(const std::string& path);

private:
    friend class TableLine;

    const char* fieldText(size_t fieldIndex) const { return m_text.data() + m_fieldOffset[fieldIndex]; }
    size_t fieldLength(size_t fieldIndex) const;
    void beginLine();
    void appendField(std::string_view text);
    void endLine();
    // Splits the whole of m_text (ending in a NUL slot) into lines and
    // fields; false when cancelled.
    bool splitAll(bool csv, char delimiter, IProgress* progress = nullptr);
    int readTableText(const std::string& path, IProgress* progress, int maxLines);

    std::vector<char, UninitialisedAllocator<char>> m_text;             // NUL-terminated field texts
    std::vector<uint32_t, UninitialisedAllocator<uint32_t>> m_fieldOffset;  // start of each field in m_text
    std::vector<uint32_t> m_lineFirst;    // index of each line's first field
    std::vector<uint32_t> m_lineNumber;   // each stored line's 1-based line in the file
    size_t m_nWidest = 0;
    std::string m_strError;
    bool m_bRefused = false;
    std::vector<std::pair<uint32_t, int>> m_quoteFaults;  // (line, field; negative: not closed)
    ReadReport m_report{std::string()};
};
