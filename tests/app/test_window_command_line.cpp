// The window's command line: Qt's options reach Qt, the file's words reach
// the application, and --help, --version and usage errors end the program
// before a display is needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/WindowCommandLine.h"

namespace {

struct Parsed {
    std::optional<int> status;
    std::string out, err;
    std::vector<std::string> qt;
    std::vector<std::string> words;
};

Parsed parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "arbolix");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    WindowCommandLine line;
    Parsed r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    r.status = line.parse(static_cast<int>(args.size()), argv.data());
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    if (!r.status) {
        for (int i = 0; i < line.qtArgc(); ++i)
            r.qt.push_back(line.qtArgv()[i]);
        EXPECT_EQ(line.qtArgv()[line.qtArgc()], nullptr);
        r.words = line.fileWords();
    }
    return r;
}

TEST(WindowCommandLine, QtOptionsGoToQtAndTheFileFollowsThem)
{
    const Parsed r = parse({"-platform", "offscreen", "my", "data.txt", "-reverse", "--style=fusion", "-geometry",
                         "800x600"});
    ASSERT_FALSE(r.status);
    EXPECT_EQ(r.qt, (std::vector<std::string>{"arbolix", "-platform", "offscreen", "-reverse", "--style=fusion",
                                              "-geometry", "800x600", "my", "data.txt"}));
    EXPECT_EQ(r.words, (std::vector<std::string>{"my", "data.txt"}));
    EXPECT_TRUE(r.out.empty());
    EXPECT_TRUE(r.err.empty());

    const Parsed empty = parse({});
    ASSERT_FALSE(empty.status);
    EXPECT_EQ(empty.qt, std::vector<std::string>{"arbolix"});
}

TEST(WindowCommandLine, HelpVersionAndUsageErrorsEndTheProgram)
{
    const Parsed version = parse({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("arbolix ") + ARBOLIX_PROJECT_VERSION + "\n");

    for (const char* help : {"--help", "-h"}) {
        const Parsed r = parse({"data.txt", help});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: arbolix [--version] [FILE...]\n", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("--version"), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }

    const Parsed bad = parse({"--frobnicate", "data.txt"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.out.empty());
    EXPECT_EQ(bad.err.substr(0, bad.err.find('\n')), "arbolix: unknown option --frobnicate");
    EXPECT_NE(bad.err.find("Usage: arbolix"), std::string::npos);
}

TEST(WindowCommandLine, RecognisesQtOptionsOnly)
{
    bool value = false;
    EXPECT_TRUE(isQtOption("-platform", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(isQtOption("--platform=offscreen", value));
    EXPECT_FALSE(value);
    EXPECT_TRUE(isQtOption("-reverse", value));
    EXPECT_FALSE(value);
    EXPECT_FALSE(isQtOption("-reverse=1", value));
    EXPECT_FALSE(isQtOption("--version", value));
    EXPECT_FALSE(isQtOption("platform", value));
    EXPECT_FALSE(isQtOption("-", value));
}

} // namespace
