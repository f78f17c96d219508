#pragma once
// The arbolix window's command line: "arbolix [FILE]" with -h/--help and
// --version answered before any display is opened, and Qt's own options
// (-platform NAME, -style NAME, -reverse, ...) passed on to Qt untouched.
#include <optional>
#include <string>
#include <vector>

class WindowCommandLine {
public:
    // Parses argv. Returns nothing when the window is to open; otherwise the
    // exit status after the help or version (standard output, 0) or a usage
    // error (standard error, 2) was printed.
    std::optional<int> parse(int argc, char** argv);

    // The arguments for QApplication: the program's name, Qt's options and
    // the file's words, in their order; argc/argv stay valid as long as this
    // object does.
    int& qtArgc() { return m_nQtArgc; }
    char** qtArgv() { return m_qtArgv.data(); }

    // The words of the file name (a name with blanks may come unquoted).
    const std::vector<std::string>& fileWords() const { return m_fileWords; }

private:
    std::vector<std::string> m_qtArgs;
    std::vector<char*> m_qtArgv;
    int m_nQtArgc = 0;
    std::vector<std::string> m_fileWords;
};

// True when argument `arg` is one of Qt's own options; `takesValue` tells
// whether the next argument is its value.
bool isQtOption(const std::string& arg, bool& takesValue);
