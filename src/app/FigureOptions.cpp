#include "app/FigureOptions.h"

#include <cstdio>

bool parseFigureSize(const std::string& text, int& width, int& height)
{
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 50 || h < 50 || w > 20000 || h > 20000)
        return false;
    width = w;
    height = h;
    return true;
}
