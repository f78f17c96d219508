#include "data/FreexlProvider.h"

#include <fcntl.h>
#include <freexl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Format.h"

namespace {
// What the reading child sends: a status, then for a readable workbook its
// worksheet count and the first worksheet's cells with a value, each a
// record of kind, row, column and value, ended by kEnd.
enum Status : int32_t { kOk = 0, kEncrypted = 1 };   // otherwise a FreeXL error code (negative)
enum Record : uint8_t { kEnd = 0, kNumber = 1, kText = 2, kDate = 3 };

class PipeWriter {
public:
    explicit PipeWriter(int fd) : m_fd(fd) {}
    template <typename T> void put(const T& v) { append(&v, sizeof v); }
    void append(const void* p, size_t n)
    {
        m_buf.append(static_cast<const char*>(p), n);
        if (m_buf.size() >= 1 << 16)
            flush();
    }
    bool flush()
    {
        const char* p = m_buf.data();
        size_t left = m_buf.size();
        while (left > 0) {
            ssize_t n = ::write(m_fd, p, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return m_bOk = false;
            p += n;
            left -= static_cast<size_t>(n);
        }
        m_buf.clear();
        return m_bOk;
    }
    bool ok() const { return m_bOk; }

private:
    int m_fd;
    std::string m_buf;
    bool m_bOk = true;
};

// Runs in the child: reads the workbook and writes what it found.
int sendWorkbook(const char* path, int fd)
{
    PipeWriter out(fd);
    const void* handle = nullptr;
    int rc = freexl_open(path, &handle);
    if (rc != FREEXL_OK) {
        out.put<int32_t>(rc);
        return out.flush() ? 0 : 1;
    }
    unsigned info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        out.put<int32_t>(kEncrypted);
        freexl_close(handle);
        return out.flush() ? 0 : 1;
    }
    unsigned sheets = 0;
    rc = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    unsigned rows = 0;
    unsigned short columns = 0;
    if (rc == FREEXL_OK && sheets > 0) {
        rc = freexl_select_active_worksheet(handle, 0);
        if (rc == FREEXL_OK)
            rc = freexl_worksheet_dimensions(handle, &rows, &columns);
    }
    if (rc != FREEXL_OK) {
        out.put<int32_t>(rc);
        freexl_close(handle);
        return out.flush() ? 0 : 1;
    }
    out.put<int32_t>(kOk);
    out.put<uint32_t>(sheets);
    for (unsigned r = 0; r < rows && out.ok(); ++r)
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                continue;
            uint8_t kind = kEnd;
            switch (v.type) {
            case FREEXL_CELL_INT:
            case FREEXL_CELL_DOUBLE: kind = kNumber; break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT: kind = v.value.text_value ? kText : kEnd; break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: kind = kDate; break;
            default: break;
            }
            if (kind == kEnd)
                continue;
            out.put(kind);
            out.put<uint32_t>(r);
            out.put<uint16_t>(c);
            if (kind == kNumber) {
                out.put<double>(v.type == FREEXL_CELL_INT ? v.value.int_value : v.value.double_value);
            } else if (kind == kText) {
                uint32_t n = static_cast<uint32_t>(std::strlen(v.value.text_value));
                out.put(n);
                out.append(v.value.text_value, n);
            }
        }
    out.put<uint8_t>(kEnd);
    freexl_close(handle);
    return out.flush() ? 0 : 1;
}

bool readAll(int fd, std::string& data)
{
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        data.append(buf, static_cast<size_t>(n));
    }
}

class Reader {
public:
    explicit Reader(const std::string& d) : m_d(d) {}
    template <typename T> bool get(T& v)
    {
        if (m_d.size() - m_pos < sizeof v)
            return false;
        std::memcpy(&v, m_d.data() + m_pos, sizeof v);
        m_pos += sizeof v;
        return true;
    }
    bool getText(uint32_t n, std::string& s)
    {
        if (m_d.size() - m_pos < n)
            return false;
        s.assign(m_d, m_pos, n);
        m_pos += n;
        return true;
    }

private:
    const std::string& m_d;
    size_t m_pos = 0;
};

bool isNotAWorkbook(int rc)
{
    return rc == FREEXL_INVALID_CFBF_HEADER || rc == FREEXL_CFBF_INVALID_SIGNATURE ||
           rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND || rc == FREEXL_BIFF_INVALID_BOF;
}
} // namespace

bool FreexlProvider::open(const std::string& path)
{
    // FreeXL reports any failure to open the file as "not found"; the
    // system is asked first so that the message tells the real reason.
    if (!beginOpen(path))
        return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        setSystemError(m_error, errno, path);
        return false;
    }
    pid_t child = ::fork();
    if (child < 0) {
        setSystemError(m_error, errno, path);
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::_exit(sendWorkbook(path.c_str(), fds[1]));
    }
    ::close(fds[1]);
    std::string data;
    bool received = readAll(fds[0], data);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        setWorkbookError(m_error, kWorkbookDamaged, path, "FreeXL stopped on it");
        return false;
    }
    return decode(data);
}

bool FreexlProvider::decode(const std::string& data)
{
    Reader in(data);
    int32_t status = 0;
    if (!in.get(status)) {
        setWorkbookError(m_error, kWorkbookDamaged, m_strPath, "FreeXL sent nothing");
        return false;
    }
    if (status == kEncrypted) {
        setWorkbookError(m_error, kWorkbookEncrypted, m_strPath);
        return false;
    }
    if (status != kOk) {
        setWorkbookError(m_error, isNotAWorkbook(status) ? kNotAWorkbook : kWorkbookDamaged, m_strPath,
                         strFormat("FreeXL error %d", status));
        return false;
    }
    uint32_t sheets = 0;
    uint8_t kind = kEnd;
    bool complete = in.get(sheets);
    std::string text;
    while (complete && (complete = in.get(kind)) && kind != kEnd) {
        uint32_t row = 0;
        uint16_t column = 0;
        complete = in.get(row) && in.get(column);
        if (!complete)
            break;
        double number = 0.0;
        uint32_t length = 0;
        if (kind == kNumber) {
            complete = in.get(number);
            m_sheet.addCell(static_cast<int>(row), column, SpreadsheetCellType::Double, number);
        } else if (kind == kText) {
            complete = in.get(length) && in.getText(length, text);
            if (complete)
                m_sheet.addCell(static_cast<int>(row), column, SpreadsheetCellType::Text, 0.0,
                                m_sheet.addText(text));
        } else {
            m_sheet.addCell(static_cast<int>(row), column, SpreadsheetCellType::Date);
        }
    }
    if (!complete) {
        setWorkbookError(m_error, kWorkbookDamaged, m_strPath, "incomplete answer from FreeXL");
        m_sheet.clear();
        return false;
    }
    m_sheet.finish();
    m_bHasWorksheet = sheets > 0;
    return true;
}

bool FreexlProvider::selectFirstWorksheet()
{
    if (!m_bHasWorksheet) {
        setWorkbookError(m_error, kNoWorksheet, m_strPath);
        return false;
    }
    return true;
}

void FreexlProvider::close()
{
    m_sheet.clear();
    m_bHasWorksheet = false;
}
