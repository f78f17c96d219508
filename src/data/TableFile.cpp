#include "data/TableFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "data/CellValue.h"
#include "data/SpreadsheetReader.h"
#include "platform/Format.h"
#include "platform/Messages.h"
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

TableFile::TableFile() = default;

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
    m_nWidest = 0;
}

void TableFile::beginLine() { m_lineFirst.push_back(static_cast<uint32_t>(m_fieldOffset.size())); }

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
// compacted where they stand and NUL-terminated, so no text is copied.
class TableReader {
public:
    TableReader(TableFile& t, bool csv, char delimiter = '\t') : m_t(t), m_bCsv(csv), m_cDelimiter(delimiter) {}

    // Splits the line [b, e) of m_t.m_text (e is a writable slot: the line
    // feed, the carriage return or the buffer's closing NUL).
    void splitLine(size_t b, size_t e)
    {
        m_t.beginLine();
        if (m_bCsv)
            splitCsvInPlace(b, e);
        else
            splitTabsInPlace(b, e, m_cDelimiter);
        m_t.endLine();
    }

private:
    void field(size_t start, size_t end)
    {
        m_t.m_text[end] = '\0';
        m_t.m_fieldOffset.push_back(static_cast<uint32_t>(start));
    }

    void splitTabsInPlace(size_t b, size_t e, char d)
    {
        char* text = m_t.m_text.data();
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
                break;
            start = end + 1;
            if (start == e && run % 2 == 1)
                break;
        }
    }

    void splitCsvInPlace(size_t b, size_t e)
    {
        char* text = m_t.m_text.data();
        bool inQuotes = false;
        size_t w = b, fieldStart = b;
        for (size_t r = b; r < e; ++r) {
            char c = text[r];
            if (c == '"') {
                inQuotes = !inQuotes;
            } else if (c == ',' && !inQuotes) {
                field(fieldStart, w);
                ++w;
                fieldStart = w;
            } else {
                text[w++] = c;
            }
        }
        field(fieldStart, w);
    }

    TableFile& m_t;
    bool m_bCsv;
    char m_cDelimiter;
};

std::vector<std::string> TableFile::splitDelimited(std::string_view line, char delimiter)
{
    TableFile t;
    t.m_text.assign(line.begin(), line.end());
    t.m_text.push_back('\0');
    TableReader(t, false, delimiter).splitLine(0, line.size());
    return t.lineStrings(0);
}

std::vector<std::string> TableFile::splitCsv(std::string_view line)
{
    TableFile t;
    t.m_text.assign(line.begin(), line.end());
    t.m_text.push_back('\0');
    TableReader(t, true).splitLine(0, line.size());
    return t.lineStrings(0);
}

std::vector<std::string> TableFile::lineStrings(int line) const
{
    std::vector<std::string> out;
    TableLine l = lineAt(line);
    for (size_t i = 0; i < l.size(); ++i)
        out.emplace_back(l[i]);
    return out;
}

int TableFile::readTable(const std::string& path, IProgress* progress, int maxLines)
{
    clear();
    std::string ext = extensionOf(path);
    if (ext == "xls" || ext == "xlsx")
        return readSpreadsheet(*this, path, progress, maxLines);

    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return -1;
    long long fileLength = -1;
    if (std::fseek(f.get(), 0, SEEK_END) == 0) {
        fileLength = std::ftell(f.get());
        std::fseek(f.get(), 0, SEEK_SET);
    }
    if (fileLength >= static_cast<long long>(std::numeric_limits<uint32_t>::max()) - 16)
        return -1;  // field offsets are 32-bit

    const bool showProgress = maxLines <= 0 && progress != nullptr;
    int interval = 1;
    if (showProgress) {
        progress->setMessage("Reading " + path + " ...");
        progress->setRange(0, fileLength > 0 ? fileLength : 0);
        interval = progressInterval(fileLength > 0 ? fileLength : 0);
    }

    TableReader reader(*this, ext == "csv");
    const size_t chunk = maxLines > 0 ? (64u << 10) : (8u << 20);
    if (maxLines <= 0 && fileLength > 0)
        m_text.reserve(static_cast<size_t>(fileLength) + 1);

    size_t lineStart = 0;   // first unprocessed byte
    long long stored = 0;
    bool eof = false;
    while (!eof) {
        size_t old = m_text.size();
        // A whole read of a regular file takes it in one piece, so the buffer
        // is allocated once at its final size.
        size_t want = (maxLines <= 0 && fileLength >= 0) ? static_cast<size_t>(fileLength) : chunk;
        m_text.resize(old + want);
        size_t got = std::fread(m_text.data() + old, 1, want, f.get());
        m_text.resize(old + got);
        if (got < want || (maxLines <= 0 && fileLength >= 0))
            eof = true;
        if (m_text.size() >= std::numeric_limits<uint32_t>::max() - 16) {
            clear();
            return -1;
        }
        if (eof)
            m_text.push_back('\0');  // a writable slot after the last line
        if (eof && m_fieldOffset.empty() && maxLines <= 0) {
            // Every field ends at a delimiter or a line end: reserve exactly
            // once rather than growing.
            const char d = ext == "csv" ? ',' : '\t';
            size_t bound = 1;
            for (char c : m_text)
                bound += (c == d) | (c == '\n');
            m_fieldOffset.reserve(bound);
        }
        size_t limit = eof ? m_text.size() - 1 : m_text.size();
        for (;;) {
            const char* base = m_text.data();
            const void* nl = std::memchr(base + lineStart, '\n', limit - lineStart);
            size_t lineEnd;
            if (nl)
                lineEnd = static_cast<size_t>(static_cast<const char*>(nl) - base);
            else if (eof && lineStart < limit)
                lineEnd = limit;
            else
                break;
            size_t next = nl ? lineEnd + 1 : lineEnd;
            size_t e = lineEnd;
            if (e > lineStart && base[e - 1] == '\r')
                --e;
            if (!blankOnly(base + lineStart, base + e)) {
                if (showProgress && stored % interval == 0) {
                    if (progress->cancelled()) {
                        clear();
                        return -1;
                    }
                    progress->setPosition(static_cast<long long>(lineStart));
                    progress->pump();
                }
                reader.splitLine(lineStart, e);
                ++stored;
                if (maxLines > 0 && stored >= maxLines) {
                    eof = true;
                    lineStart = next;
                    break;
                }
            }
            lineStart = next;
            if (lineStart >= limit)
                break;
        }
    }
    if (maxLines > 0) {
        m_text.resize(std::min(m_text.size(), lineStart + 1));
        m_text.shrink_to_fit();
    }
    if (showProgress)
        progress->setPosition(fileLength > 0 ? fileLength : 0);
    return lineCount();
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
