// The figure command's drawing: the overview painted by the windows' own code
// on Qt's offscreen platform, so that no display is needed. Only this command
// starts Qt; the others never do.
#include <QApplication>

#include "app/ui/Figure.h"
#include "cli/FigureDrawing.h"

namespace {

bool drawOffscreen(CArxDoc& doc, const std::string& path, const FigureOptions& options, std::string& error)
{
    // A platform the user chose is kept (a display, to see the fonts it has).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "arbolix-cli";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    return saveFigure(doc, path, options, error);
}

const bool registered = (figureDrawing() = &drawOffscreen, true);

} // namespace
