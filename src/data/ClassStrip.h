#pragma once
// Class strips: the known groups of the columns (the CID row) or of the items
// (a categorical field, an annotation column) as a band of colours beside
// the mosaic, one cell per leaf, with a legend of category, colour and count.
//
// The colours come from a qualitative palette that colour-blind readers can
// tell apart: the eight Okabe-Ito colours, then twelve more; a missing
// category is light grey.
#include <string>
#include <vector>

#include "data/Rgb.h"

class DataMatrix;

// An item strip may show at most this many categories.
inline constexpr int kMaxStripCategories = 12;
inline constexpr Rgb kMissingCategoryColor{211, 211, 211};
inline constexpr int kCategoryColorCount = 20;

// Colour of category c (0-based; the palette repeats after 20); c < 0 is the
// missing category.
Rgb categoryColor(int category);

struct ClassStrip {
    std::string m_strName;                  // what the legend is titled by
    bool m_bColumns = false;                // over the value columns, else over the items
    std::vector<std::string> m_categories;  // names, in legend order
    std::vector<int> m_category;            // per element (data index): category, -1 missing

    int categoryOf(int element) const
    {
        return element >= 0 && static_cast<size_t>(element) < m_category.size()
                   ? m_category[static_cast<size_t>(element)]
                   : -1;
    }
    Rgb colorOf(int element) const { return categoryColor(categoryOf(element)); }
    bool operator==(const ClassStrip&) const = default;
};

// A strip from one text per element; an empty text is a missing category.
// Categories are sorted numerically when every present text is a number,
// else by text. With `limit` > 0 more distinct texts than the limit refuse
// (false, `message` says why, `out` untouched).
bool buildClassStrip(const std::string& name, bool columns, const std::vector<std::string>& texts, int limit,
                     ClassStrip& out, std::string& message);

// The message of a refusal: "NAME has N distinct values; a class strip shows
// at most 12."
std::string tooManyCategoriesMessage(const std::string& name, int distinct);

// The value columns' classes from the CID row ("" for a column without a
// class); false when the data have no CID row.
bool columnClassStrip(const DataMatrix& data, ClassStrip& out);

// The texts of a categorical field, one per row ("" when missing).
std::vector<std::string> categoricalTexts(const DataMatrix& data, int field);

struct LegendEntry {
    std::string m_strName;  // category, "missing" for the missing one
    Rgb m_colour;
    int m_nCount;
};
// Every category with its colour and the number of elements in it, then
// the missing category when any element lacks one. `elements` limits the
// count to those data indices (the leaves of a forest); empty: all.
std::vector<LegendEntry> stripLegend(const ClassStrip& strip, const std::vector<int>& elements = {});
