#include "cli/FigureDrawing.h"

FigureDrawingFn& figureDrawing()
{
    static FigureDrawingFn fn = nullptr;
    return fn;
}
