// The Arbolix application: the explorer's main window on the file named on
// the command line, or on an empty document.
#include "app/ui/CArxApp.h"

int main(int argc, char** argv)
{
    CArxApp app(argc, argv);
    if (!app.initInstance())
        return 1;
    return app.exec();
}
