// The Arbolix application: the explorer's main window on the file named on
// the command line, or on an empty document.
#include "app/WindowCommandLine.h"
#include "app/ui/CArxApp.h"

int main(int argc, char** argv)
{
    // --help and --version are answered before Qt opens a display.
    WindowCommandLine line;
    if (const std::optional<int> done = line.parse(argc, argv))
        return *done;
    CArxApp app(line.qtArgc(), line.qtArgv());
    if (!app.initInstance())
        return 1;
    return app.exec();
}
