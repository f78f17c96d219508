#include "data/TableFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <sys/stat.h>

#include "data/CellValue.h"
#include "data/SpreadsheetReader.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Parallel.h"
#include "platform/Progress.h"

namespace {
const char kEmpty[] = "";

bool blankOnly(const char* b, const char* e)
{
    for (; b < e; ++b)
        if (!isBlank(*b))
            return false;
    return true;
}

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
} // namespace

std::string_view TableLine::operator[](size_t i) const
{
    if (i >= m_nCount)
        return std::string_view(kEmpty, 0);
    size_t f = m_nFirst + i;
    return std::string_view(m_pTable->fieldText(f), m_pTable->fieldLength(f));
}

const char* TableLine::cstr(size_t i) const
{
    return i >= m_nCount ? kEmpty : m_pTable->fieldText(m_nFirst + i);
}

TableFile::TableFile() = default;

namespace {
// The top bit of a stored line number: the line ends in a delimiter that
// added no field (the empty cell after it is implied).
constexpr uint32_t kEndsInDelimiter = 0x80000000u;
} // namespace

int TableFile::fileLine(int line) const
{
    return line >= 0 && line < static_cast<int>(m_lineNumber.size())
               ? static_cast<int>(m_lineNumber[static_cast<size_t>(line)] & ~kEndsInDelimiter)
               : line + 1;
}

void TableFile::checkLineWidths(ReadReport& report, int first, size_t expected, const char* missingAs) const
{
    for (int l = std::max(first, 0); l < lineCount(); ++l) {
        const size_t count = fieldCount(l);
        const bool implied = static_cast<size_t>(l) < m_lineNumber.size() && (m_lineNumber[static_cast<size_t>(l)] & kEndsInDelimiter);
        if (count + implied < expected) {
            report.warn(fileLine(l), strFormat("%zu cells, the header has %zu; the missing cells are read as %s",
                                               count + implied, expected, missingAs));
        } else if (count > expected) {
            const TableLine cells = lineAt(l);
            bool blank = true;
            for (size_t i = expected; i < count && blank; ++i)
                blank = stripBlanks(cells[i]).empty();
            if (!blank)
                report.warn(fileLine(l),
                            strFormat("%zu cells, the header has %zu; the extra cells are ignored", count, expected));
        }
    }
}

size_t TableFile::fieldCount(int line) const
{
    if (line < 0 || line >= lineCount())
        return 0;
    const size_t l = static_cast<size_t>(line);
    const size_t next = l + 1 < m_lineFirst.size() ? m_lineFirst[l + 1] : m_fieldOffset.size();
    return next - m_lineFirst[l];
}

size_t TableFile::fieldLength(size_t fieldIndex) const { return std::strlen(fieldText(fieldIndex)); }

TableLine TableFile::lineAt(int line) const
{
    size_t l = static_cast<size_t>(line);
    size_t first = m_lineFirst[l];
    size_t next = l + 1 < m_lineFirst.size() ? m_lineFirst[l + 1] : m_fieldOffset.size();
    return TableLine(this, first, next - first, m_nWidest);
}

std::string_view TableFile::cell(int line, size_t column) const
{
    if (line < 0 || line >= lineCount())
        return std::string_view(kEmpty, 0);
    return lineAt(line)[column];
}

void TableFile::clear()
{
    m_text.clear();
    m_text.shrink_to_fit();
    m_fieldOffset.clear();
    m_fieldOffset.shrink_to_fit();
    m_lineFirst.clear();
    m_lineFirst.shrink_to_fit();
    m_lineNumber.clear();
    m_lineNumber.shrink_to_fit();
    m_nWidest = 0;
    m_strError.clear();
    m_bRefused = false;
    m_report = ReadReport(std::string());
}

void TableFile::beginLine()
{
    m_lineFirst.push_back(static_cast<uint32_t>(m_fieldOffset.size()));
    m_lineNumber.push_back(m_lineNumber.empty() ? 1u : m_lineNumber.back() + 1u);
}

void TableFile::appendField(std::string_view text)
{
    m_fieldOffset.push_back(static_cast<uint32_t>(m_text.size()));
    m_text.insert(m_text.end(), text.begin(), text.end());
    m_text.push_back('\0');
}

void TableFile::endLine()
{
    size_t count = m_fieldOffset.size() - m_lineFirst.back();
    if (count > m_nWidest)
        m_nWidest = count;
}

void TableFile::addLine(const std::vector<std::string>& fields)
{
    beginLine();
    for (const std::string& f : fields)
        appendField(f);
    endLine();
}

void TableFile::addLine(const std::vector<std::string_view>& fields)
{
    beginLine();
    for (std::string_view f : fields)
        appendField(f);
    endLine();
}

void TableFile::addTabLine(const std::string& text)
{
    beginLine();
    size_t start = 0;
    for (;;) {
        size_t tab = text.find('\t', start);
        if (tab == std::string::npos) {
            appendField(std::string_view(text).substr(start));
            break;
        }
        appendField(std::string_view(text).substr(start, tab - start));
        start = tab + 1;
    }
    endLine();
}

std::string TableFile::extensionOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return std::string();
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

// Splits the lines of a buffer in place: field texts are narrowed or
// compacted where they stand and NUL-terminated, so no text is copied. The
// fields' offsets go to a region reserved beforehand (one per line at most
// one more than the line's delimiters), the lines' first fields to a list of
// the reader's own, counted from the region's start.
class TableReader {
public:
    TableReader(bool csv, char delimiter = '\t') : m_bCsv(csv), m_cDelimiter(delimiter) {}

    // Where the text and the region are now (they may move between calls).
    void target(char* text, uint32_t* region)
    {
        m_pText = text;
        m_pOut = region;
    }

    // Where the reader's stretch of the text begins: its lines are counted
    // from there.
    void begin(size_t position) { m_nPos = position; }

    // Splits the line [b, e) (e is a writable slot: the line feed, the
    // carriage return or the buffer's closing NUL).
    void splitLine(size_t b, size_t e)
    {
        m_nLines += newlines(m_nPos, b);
        const bool lineFeed = m_pText[e] == '\n';
        m_lineNumber.push_back(static_cast<uint32_t>(std::min<size_t>(m_nLines + 1, 0x7fffffff)));
        m_lineFirst.push_back(static_cast<uint32_t>(m_nCount));
        const size_t first = m_nCount;
        if (m_bCsv)
            splitCsvInPlace(b, e);
        else if (splitTabsInPlace(b, e, m_cDelimiter))
            m_lineNumber.back() |= 0x80000000u;
        m_nWidest = std::max(m_nWidest, m_nCount - first);
        m_nPos = e + (lineFeed ? 1 : 0);
        m_nLines += lineFeed;
    }

    // Counts the line feeds after the last line up to `end`: then lines()
    // is the number of the stretch's line feeds.
    void finish(size_t end) { m_nLines += newlines(m_nPos, std::max(m_nPos, end)), m_nPos = std::max(m_nPos, end); }
    size_t lines() const { return m_nLines; }
    std::vector<uint32_t>& lineNumber() { return m_lineNumber; }
    // Quote faults of CSV lines: the line (counted as lineNumber()) and
    // the 1-based field; negative for a quote left open.
    std::vector<std::pair<uint32_t, int>>& quoteFaults() { return m_quoteFaults; }

    size_t fieldCount() const { return m_nCount; }
    size_t widest() const { return m_nWidest; }
    std::vector<uint32_t>& lineFirst() { return m_lineFirst; }
    const std::vector<uint32_t>& lineFirst() const { return m_lineFirst; }

    // An upper bound of the fields the lines of [b, e) can hold.
    static size_t fieldBound(const char* b, const char* e, char delimiter)
    {
        size_t bound = 1;
        for (; b < e; ++b)
            bound += (*b == delimiter) | (*b == '\n');
        return bound;
    }

private:
    void field(size_t start, size_t end)
    {
        m_pText[end] = '\0';
        m_pOut[m_nCount++] = static_cast<uint32_t>(start);
    }

    // True when a lone trailing delimiter added no field.
    bool splitTabsInPlace(size_t b, size_t e, char d)
    {
        char* text = m_pText;
        // A run of delimiters at the very end: an odd run adds one field less
        // (a lone trailing delimiter adds none).
        size_t run = 0;
        while (run < e - b && text[e - 1 - run] == d)
            ++run;
        size_t start = b;
        for (;;) {
            const void* hit = std::memchr(text + start, d, e - start);
            size_t end = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : e;
            size_t s = start, x = end;
            while (s < x && isBlank(text[s]))
                ++s;
            while (x > s && isBlank(text[x - 1]))
                --x;
            while (s < x && text[s] == '"')
                ++s;
            while (x > s && text[x - 1] == '"')
                --x;
            field(s, x);
            if (!hit)
                return false;
            start = end + 1;
            if (start == e && run % 2 == 1)
                return true;
        }
    }

    size_t newlines(size_t from, size_t to) const
    {
        size_t count = 0;
        for (const char* p = m_pText + from; p < m_pText + to; ++p) {
            p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(m_pText + to - p)));
            if (!p)
                break;
            ++count;
        }
        return count;
    }

    void splitCsvInPlace(size_t b, size_t e)
    {
        char* text = m_pText;
        bool inQuotes = false;
        size_t w = b, fieldStart = b;
        int fieldNumber = 1, strayField = 0;
        for (size_t r = b; r < e; ++r) {
            char c = text[r];
            if (c == '"') {
                // A quote opens a quoted text at the start of a field (after
                // blanks) or right after a closing quote (a doubled quote);
                // elsewhere it is stray, and the commas up to the next quote
                // no longer separate fields.
                if (!inQuotes && !strayField && r > b && text[r - 1] != '"' && !blankOnly(text + fieldStart, text + w))
                    strayField = fieldNumber;
                inQuotes = !inQuotes;
            } else if (c == ',' && !inQuotes) {
                field(fieldStart, w);
                ++w;
                fieldStart = w;
                ++fieldNumber;
            } else {
                text[w++] = c;
            }
        }
        field(fieldStart, w);
        if (strayField || inQuotes)
            m_quoteFaults.emplace_back(m_lineNumber.back(), strayField ? strayField : -fieldNumber);
    }

    bool m_bCsv;
    char m_cDelimiter;
    char* m_pText = nullptr;
    uint32_t* m_pOut = nullptr;
    size_t m_nCount = 0, m_nWidest = 0;
    size_t m_nPos = 0, m_nLines = 0;
    std::vector<uint32_t> m_lineFirst;
    std::vector<uint32_t> m_lineNumber;
    std::vector<std::pair<uint32_t, int>> m_quoteFaults;
};

namespace {
// Calls onLine(start, end) for every line of text[from, limit) that is not
// blank (end excludes a carriage return before the line feed); a line
// without a line feed counts only when `last`. Stops early when onLine
// returns false. Returns the offset after the last line handled.
template <typename OnLine>
size_t forEachLine(const char* text, size_t from, size_t limit, bool last, OnLine&& onLine)
{
    size_t lineStart = from;
    while (lineStart < limit) {
        const void* nl = std::memchr(text + lineStart, '\n', limit - lineStart);
        if (!nl && !last)
            break;
        const size_t lineEnd = nl ? static_cast<size_t>(static_cast<const char*>(nl) - text) : limit;
        const size_t next = nl ? lineEnd + 1 : lineEnd;
        size_t e = lineEnd;
        if (e > lineStart && text[e - 1] == '\r')
            --e;
        if (!blankOnly(text + lineStart, text + e) && !onLine(lineStart, e))
            return next;
        lineStart = next;
    }
    return lineStart;
}
} // namespace

std::vector<std::string> TableFile::splitDelimited(std::string_view line, char delimiter)
{
    TableFile t;
    t.m_text.assign(line.begin(), line.end());
    t.m_text.push_back('\0');
    t.splitAll(false, delimiter);
    return t.lineCount() ? t.lineStrings(0) : std::vector<std::string>();
}

std::vector<std::string> TableFile::splitCsv(std::string_view line)
{
    TableFile t;
    t.m_text.assign(line.begin(), line.end());
    t.m_text.push_back('\0');
    t.splitAll(true, ',');
    return t.lineCount() ? t.lineStrings(0) : std::vector<std::string>();
}

std::vector<std::string> TableFile::lineStrings(int line) const
{
    std::vector<std::string> out;
    TableLine l = lineAt(line);
    for (size_t i = 0; i < l.size(); ++i)
        out.emplace_back(l[i]);
    return out;
}

namespace {
// Why a text cannot be a table: NUL bytes anywhere, or mostly control
// characters in its first 64 KB. Empty when it may be one.
std::string notTextReason(const char* text, size_t size)
{
    if (std::memchr(text, '\0', size))
        return "the file is not text (it holds NUL bytes)";
    const size_t sample = std::min<size_t>(size, 64u << 10);
    size_t control = 0;
    for (size_t i = 0; i < sample; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        control += (c < 0x20 && !isBlank(static_cast<char>(c))) || c == 0x7f;
    }
    return control * 4 > sample ? "the file is not text (it is mostly control characters)" : std::string();
}
} // namespace

int TableFile::readTable(const std::string& path, IProgress* progress, int maxLines)
{
    const int lines = readTableText(path, progress, maxLines);
    if (lines < 0)
        return lines;
    m_report = ReadReport(path);
    // The quote faults the splitting found, in the file's lines.
    for (const auto& [line, field] : m_quoteFaults)
        m_report.warn(static_cast<int>(line),
                      field > 0 ? strFormat("a stray quote in field %d; the commas up to the next quote are read as "
                                            "part of that field",
                                            field)
                                : strFormat("the quote in field %d is not closed; the rest of the line is read as that "
                                            "field",
                                            -field));
    m_quoteFaults.clear();
    m_quoteFaults.shrink_to_fit();
    return lines;
}

int TableFile::readTableText(const std::string& path, IProgress* progress, int maxLines)
{
    clear();
    m_quoteFaults.clear();
    std::string ext = extensionOf(path);
    if (ext == "xls" || ext == "xlsx")
        return readSpreadsheet(*this, path, progress, maxLines);  // it shows its own messages

    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        m_strError = strFormat("the file cannot be opened (%s)", std::strerror(errno));
        return -1;
    }
    struct stat info {};
    if (fstat(fileno(f.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        m_strError = "the file is a folder";
        m_bRefused = true;
        return -1;
    }
    long long fileLength = -1;
    if (std::fseek(f.get(), 0, SEEK_END) == 0) {
        fileLength = std::ftell(f.get());
        std::fseek(f.get(), 0, SEEK_SET);
    }
    if (fileLength >= static_cast<long long>(std::numeric_limits<uint32_t>::max()) - 16) {
        m_strError = "the file is too large (4 GB or more)";
        m_bRefused = true;
        return -1;  // field offsets are 32-bit
    }

    const bool showProgress = maxLines <= 0 && progress != nullptr;
    int interval = 1;
    if (showProgress) {
        progress->setMessage("Reading " + path + " ...");
        progress->setRange(0, fileLength > 0 ? fileLength : 0);
        interval = progressInterval(fileLength > 0 ? fileLength : 0);
    }

    const bool csv = ext == "csv";
    const char delimiter = csv ? ',' : '\t';
    if (maxLines <= 0 && fileLength >= 0) {
        // A whole read of a regular file takes it in one piece, so the
        // buffer is allocated once at its final size.
        m_text.resize(static_cast<size_t>(fileLength) + 1);
        size_t got = std::fread(m_text.data(), 1, static_cast<size_t>(fileLength), f.get());
        m_text.resize(got + 1);
        m_text[got] = '\0';  // a writable slot after the last line
        f.reset();
        if (std::string why = notTextReason(m_text.data(), got); !why.empty()) {
            clear();
            m_strError = why;
            m_bRefused = true;
            return -1;
        }
        return splitAll(csv, delimiter, showProgress ? progress : nullptr) ? lineCount() : -1;
    }

    // A preview, or a stream of unknown length: a piece at a time.
    TableReader reader(csv, delimiter);
    const size_t chunk = 64u << 10;
    size_t lineStart = 0;  // first byte not yet split
    long long stored = 0;
    bool eof = false;
    while (!eof) {
        size_t old = m_text.size();
        m_text.resize(old + chunk);
        size_t got = std::fread(m_text.data() + old, 1, chunk, f.get());
        m_text.resize(old + got);
        if (got < chunk) {
            eof = true;
            m_text.push_back('\0');  // a writable slot after the last line
        }
        if (m_text.size() >= std::numeric_limits<uint32_t>::max() - 16) {
            clear();
            m_strError = "the file is too large (4 GB or more)";
            m_bRefused = true;
            return -1;
        }
        if (std::string why = notTextReason(m_text.data() + old, got); !why.empty()) {
            clear();
            m_strError = why;
            m_bRefused = true;
            return -1;
        }
        const size_t limit = eof ? m_text.size() - 1 : m_text.size();
        m_fieldOffset.resize(reader.fieldCount() +
                             TableReader::fieldBound(m_text.data() + lineStart, m_text.data() + limit, delimiter));
        reader.target(m_text.data(), m_fieldOffset.data());
        bool cancelled = false, enough = false;
        lineStart = forEachLine(m_text.data(), lineStart, limit, eof, [&](size_t b, size_t e) {
            if (showProgress && stored % interval == 0) {
                if (progress->cancelled()) {
                    cancelled = true;
                    return false;
                }
                progress->setPosition(static_cast<long long>(b));
                progress->pump();
            }
            reader.splitLine(b, e);
            ++stored;
            enough = maxLines > 0 && stored >= maxLines;
            return !enough;
        });
        if (cancelled) {
            clear();
            return -1;
        }
        if (enough)
            eof = true;
    }
    m_fieldOffset.resize(reader.fieldCount());
    m_lineFirst = std::move(reader.lineFirst());
    m_lineNumber = std::move(reader.lineNumber());
    m_quoteFaults = std::move(reader.quoteFaults());
    m_nWidest = reader.widest();
    if (maxLines > 0) {
        m_text.resize(std::min(m_text.size(), lineStart + 1));
        m_text.shrink_to_fit();
    }
    if (showProgress)
        progress->setPosition(fileLength > 0 ? fileLength : 0);
    return lineCount();
}

bool TableFile::splitAll(bool csv, char delimiter, IProgress* progress)
{
    // m_text holds the whole file and a closing NUL. Large files are split by
    // all cores, each taking a run of whole lines into its own stretch of the
    // offsets; the stretches are then closed up in order.
    const size_t size = m_text.size() - 1;
    char* text = m_text.data();
    const size_t parts = size >= (2u << 20) ? static_cast<size_t>(std::max(1, workerCount())) : 1;
    std::vector<size_t> starts(parts + 1, size);
    starts[0] = 0;
    for (size_t p = 1; p < parts; ++p) {
        const void* nl = std::memchr(text + size * p / parts, '\n', size - size * p / parts);
        starts[p] = std::max(starts[p - 1], nl ? static_cast<size_t>(static_cast<const char*>(nl) - text) + 1 : size);
    }
    std::vector<size_t> bases(parts + 1, 0);
    for (size_t p = 0; p < parts; ++p)
        bases[p + 1] = bases[p] + TableReader::fieldBound(text + starts[p], text + starts[p + 1], delimiter);
    m_fieldOffset.resize(bases[parts]);

    std::vector<TableReader> readers(parts, TableReader(csv, delimiter));
    std::atomic<bool> stop{false};
    const int interval = progress ? progressInterval(static_cast<long long>(size)) : 1;
    parallelFor(parts, 1, [&](size_t pb, size_t pe) {
        for (size_t p = pb; p < pe; ++p) {
            TableReader& reader = readers[p];
            reader.target(text, m_fieldOffset.data() + bases[p]);
            reader.begin(starts[p]);
            long long stored = 0;
            // Progress and Cancel belong to the caller's thread, which splits the first part.
            const bool reports = p == 0 && progress;
            forEachLine(text, starts[p], starts[p + 1], true, [&](size_t b, size_t e) {
                if (stored % (reports ? interval : 1024) == 0) {
                    if (reports) {
                        if (progress->cancelled())
                            stop = true;
                        progress->setPosition(static_cast<long long>(b * parts));
                        progress->pump();
                    }
                    if (stop)
                        return false;
                }
                reader.splitLine(b, e);
                ++stored;
                return true;
            });
            reader.finish(starts[p + 1]);
        }
    });
    if (stop) {
        clear();
        return false;
    }
    size_t lines = 0;
    for (const TableReader& r : readers)
        lines += r.lineFirst().size();
    m_lineFirst = std::move(readers[0].lineFirst());
    m_lineFirst.reserve(lines);
    m_lineNumber = std::move(readers[0].lineNumber());
    m_lineNumber.reserve(lines);
    m_quoteFaults = std::move(readers[0].quoteFaults());
    size_t count = readers[0].fieldCount();
    size_t linesBefore = readers[0].lines();
    m_nWidest = readers[0].widest();
    for (size_t p = 1; p < parts; ++p) {
        std::memmove(m_fieldOffset.data() + count, m_fieldOffset.data() + bases[p],
                     readers[p].fieldCount() * sizeof(uint32_t));
        for (uint32_t first : readers[p].lineFirst())
            m_lineFirst.push_back(static_cast<uint32_t>(first + count));
        for (uint32_t number : readers[p].lineNumber())
            m_lineNumber.push_back(static_cast<uint32_t>(number + linesBefore));  // the flag bit stays
        for (auto [line, field] : readers[p].quoteFaults())
            m_quoteFaults.emplace_back(static_cast<uint32_t>(line + linesBefore), field);
        linesBefore += readers[p].lines();
        count += readers[p].fieldCount();
        m_nWidest = std::max(m_nWidest, readers[p].widest());
    }
    m_fieldOffset.resize(count);
    if (progress)
        progress->setPosition(static_cast<long long>(size));
    return true;
}

void TableFile::getColumn(std::vector<std::string>& out, size_t column, int firstLine, int count) const
{
    out.clear();
    int last = count <= 0 ? lineCount() : std::min(lineCount(), firstLine + count);
    for (int l = std::max(firstLine, 0); l < last; ++l)
        out.emplace_back(cell(l, column));
}

bool TableFile::writeTable(const std::string& path, IProgress* progress) const
{
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        showMessage(strFormat("Cannot write the file %s:\n%s", path.c_str(), std::strerror(errno)));
        return false;
    }
    std::string buffer;
    buffer.reserve(1 << 20);
    int n = lineCount();
    for (int l = 0; l < n; ++l) {
        if (progress && l % 100 == 0) {
            if (progress->cancelled())
                return false;
            progress->pump();
        }
        TableLine line = lineAt(l);
        for (size_t i = 0; i < line.size(); ++i) {
            if (i)
                buffer.push_back('\t');
            buffer.append(line[i]);
        }
        buffer.push_back('\n');
        if (buffer.size() >= (1u << 20)) {
            if (std::fwrite(buffer.data(), 1, buffer.size(), f.get()) != buffer.size())
                break;
            buffer.clear();
        }
    }
    bool ok = std::fwrite(buffer.data(), 1, buffer.size(), f.get()) == buffer.size();
    ok = std::fflush(f.get()) == 0 && ok && !std::ferror(f.get());
    if (!ok)
        showMessage(strFormat("Cannot write the file %s:\n%s", path.c_str(), std::strerror(errno)));
    return ok;
}
