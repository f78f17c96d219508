#pragma once
// What a reader has to say about the file it read. A file that cannot be
// what the reader expects is refused: nothing of it is used and the refusal
// names the file, the reason and, where one line is at fault, the line. A
// file with faults the reader can get past is read, and each fault becomes a
// warning naming the line and what was done about it.
//
// Warnings reach the user through the message interface, one message per
// file: the first ten by line, then how many more there were. While a
// WarningBatch is open they are gathered instead and shown as one message
// when the batch ends (the window's one dialog after a load).
#include <string>
#include <utility>
#include <vector>

class ReadReport {
public:
    explicit ReadReport(std::string path) : m_strPath(std::move(path)) {}

    // A fault the reader got past, at a 1-based line (0: no one line).
    // `dropped`: part of what the file holds is not used.
    void warn(int line, std::string what, bool dropped = false);
    // Appends another report's warnings (a part of the same file read apart).
    void merge(const ReadReport& other);

    const std::string& path() const { return m_strPath; }
    int warningCount() const { return m_nCount; }
    bool droppedPart() const { return m_bDropped; }
    // "PATH: N warning(s)" and up to ten lines "line L: WHAT" in line order,
    // then "... and K more."; empty without warnings.
    std::string warningText() const;
    // Shows the warnings (or adds them to the open batch); nothing without
    // warnings. A report with a dropped part is counted (droppedReads()).
    void report() const;

    // "PATH, line L: REASON" (or "PATH: REASON" for line 0).
    static std::string refusal(const std::string& path, int line, const std::string& reason);
    // Shows a refusal through the message interface; returns false.
    static bool refuse(const std::string& path, int line, const std::string& reason);

    static constexpr int kShown = 10;

private:
    std::string m_strPath;
    std::vector<std::pair<int, std::string>> m_warnings;  // the first ones found, at most kKept
    int m_nCount = 0;
    bool m_bDropped = false;
    static constexpr size_t kKept = 1000;
};

// Gathers the warnings reported while it is open; they are shown as one
// message when it ends, unless discarded (the read they belong to failed).
// Batches nest: an inner one hands its warnings to the outer one.
class WarningBatch {
public:
    WarningBatch();
    ~WarningBatch();
    WarningBatch(const WarningBatch&) = delete;
    WarningBatch& operator=(const WarningBatch&) = delete;
    void discard() { m_texts.clear(); }
    // Shows what was gathered now (nothing when nothing was).
    void flush();

private:
    friend class ReadReport;
    std::vector<std::string> m_texts;
    WarningBatch* m_pOuter;
};

// How many reads since the program started dropped part of their file: the
// command line exits with a failure when a command's reads did.
int droppedReads();
