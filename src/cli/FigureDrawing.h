#pragma once
// The figure command draws with the windows' painting code, which only the
// build with Qt has: that build sets the drawing function here (cli/ui);
// without it the command says so.
#include <string>

#include "app/FigureOptions.h"

class CArxDoc;

using FigureDrawingFn = bool (*)(CArxDoc& doc, const std::string& path, const FigureOptions& options,
                                 std::string& error);

// The drawing function, null in a build without Qt.
FigureDrawingFn& figureDrawing();
