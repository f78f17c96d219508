#include "app/WindowCommandLine.h"

#include "platform/CommandLine.h"

bool isQtOption(const std::string& arg, bool& takesValue)
{
    // Qt's options of QGuiApplication and QApplication, with one dash or two.
    static const char* const withValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                            "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                                            "geometry", "style", "stylesheet", "session", "name", "title",
                                            "visual", "qmljsdebugger"};
    static const char* const flags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
    const size_t equals = name.find('=');
    const bool inlineValue = equals != std::string::npos;
    if (inlineValue)
        name.resize(equals);
    for (const char* n : withValue)
        if (name == n) {
            takesValue = !inlineValue;
            return true;
        }
    for (const char* n : flags)
        if (name == n && !inlineValue) {
            takesValue = false;
            return true;
        }
    return false;
}

std::optional<int> WindowCommandLine::parse(int argc, char** argv)
{
    std::vector<std::string> ours;
    m_qtArgs.assign(1, argc > 0 ? argv[0] : "arbolix");
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool takesValue = false;
        if (isQtOption(arg, takesValue)) {
            m_qtArgs.push_back(arg);
            if (takesValue && i + 1 < argc)
                m_qtArgs.push_back(argv[++i]);
        } else
            ours.push_back(arg);
    }
    CLI::App app{"The Arbolix explorer: opens FILE (a tab-delimited, CSV or spreadsheet data file, or a clustering\n"
                 "result) or an empty window. Qt's own options (-platform NAME, -style NAME, -reverse, ...) are\n"
                 "passed on to Qt.",
                 "arbolix"};
    prepareCommandLine(app);
    app.add_option("FILE", m_fileWords, "the file to open")->type_name("");
    if (const std::optional<int> done = parseCommandLine(app, ours))
        return done;
    m_qtArgs.insert(m_qtArgs.end(), m_fileWords.begin(), m_fileWords.end());
    m_qtArgv.clear();
    for (std::string& a : m_qtArgs)
        m_qtArgv.push_back(a.data());
    m_nQtArgc = static_cast<int>(m_qtArgs.size());
    m_qtArgv.push_back(nullptr);
    return std::nullopt;
}
