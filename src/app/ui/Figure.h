#pragma once
// Figures without a window: the overview of a document drawn by the same
// view and colour mapping code as the window, at a chosen size, into a PNG,
// SVG or PDF file. Needs a QApplication (the offscreen platform will do).
#include <optional>
#include <string>
#include <vector>

class CArxDoc;

struct FigureOptions {
    int width = 1600;
    int height = 1000;
    std::optional<float> minSimilarity;  // the cut (the view's own 0.5 otherwise)
    int colors = 3;                      // 3 or 1 colours
    // "columns" for the columns' class strip and names of item strips; not
    // set: the column strip when the data have classes, no item strips.
    std::optional<std::vector<std::string>> strips;
};

// Draws the document's overview into `path` (the format by its extension:
// .png, .svg or .pdf). False with `error` set when a strip is refused or
// the file cannot be written.
bool saveFigure(CArxDoc& doc, const std::string& path, const FigureOptions& options, std::string& error);

// Parses "WxH" (both at least 50 and at most 20000); false when malformed.
bool parseFigureSize(const std::string& text, int& width, int& height);
