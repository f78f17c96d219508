#pragma once
// Figures without a window: the overview of a document drawn by the same
// view and colour mapping code as the window, at a chosen size, into a PNG,
// SVG or PDF file. Needs a QApplication (the offscreen platform will do).
#include <string>

#include "app/FigureOptions.h"

class CArxDoc;

// Draws the document's overview into `path` (the format by its extension:
// .png, .svg or .pdf). False with `error` set when a strip is refused or
// the file cannot be written.
bool saveFigure(CArxDoc& doc, const std::string& path, const FigureOptions& options, std::string& error);
