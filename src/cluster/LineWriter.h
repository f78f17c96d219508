#pragma once
// Writing a text file line by line: cells joined by tabs, each line ended by
// a line feed, buffered so that long exports make few system calls.
#include <cstdio>
#include <string>
#include <vector>

class LineWriter {
public:
    LineWriter() = default;
    ~LineWriter();
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    // Creates or truncates the file; false when it cannot be opened.
    bool open(const std::string& path);
    // The cells joined by tabs; trailingTab adds a tab after the last cell.
    void line(const std::vector<std::string>& cells, bool trailingTab = false);
    // Flushes and closes; false when anything failed to reach the file.
    bool close();

private:
    void flushBuffer();

    std::FILE* m_pFile = nullptr;
    std::string m_buffer;
    bool m_bFailed = false;
};
