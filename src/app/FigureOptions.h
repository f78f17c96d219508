#pragma once
// What a figure of the overview is drawn with (app/ui/Figure.h draws it);
// plain C++ so that the command line reads these without the windows.
#include <optional>
#include <string>
#include <vector>

struct FigureOptions {
    int width = 1600;
    int height = 1000;
    std::optional<float> minSimilarity;  // the cut (the view's own 0.5 otherwise)
    int colors = 3;                      // 3 or 1 colours
    // "columns" for the columns' class strip and names of item strips; not
    // set: the column strip when the data have classes, no item strips.
    std::optional<std::vector<std::string>> strips;
};

// Parses "WxH" (both at least 50 and at most 20000); false when malformed.
bool parseFigureSize(const std::string& text, int& width, int& height);
