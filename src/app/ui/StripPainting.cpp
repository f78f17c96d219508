#include "app/ui/StripPainting.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <algorithm>
#include <cmath>

#include "app/OverviewLayout.h"
#include "app/ui/ViewImage.h"
#include "cluster/Forest.h"

namespace {
QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }
} // namespace

void paintHorizontalStrip(QPainter& p, QImage* image, const ClassStrip& strip, const CForest& forest,
                          const std::vector<int>& placed, double spacing, double scroll, int minX, int width, int top,
                          int thickness)
{
    const bool direct = writesPixelsDirectly(image) && top >= 0 &&
                        top + thickness <= image->height() && width <= image->width();
    // The colour of every category (the missing one first) and, for an
    // image, the strip's scan lines are looked up once, not per leaf.
    std::vector<uint32_t> colours(strip.m_categories.size() + 1);
    for (size_t c = 0; c < colours.size(); ++c)
        colours[c] = argbOf(categoryColor(static_cast<int>(c) - 1));
    auto colourAt = [&](size_t slot) {
        const int category = strip.categoryOf(forest.dataIndex(placed[slot]));
        const size_t c = static_cast<size_t>(category + 1);
        return c < colours.size() ? colours[c] : argbOf(categoryColor(category));
    };
    if (direct) {
        // One scan line made once, then copied down the strip: filling each
        // leaf's pixel in every line costs more than the rest of the strip.
        uint32_t* first = reinterpret_cast<uint32_t*>(image->scanLine(top));
        int from = width, to = 0;
        forEachLeafSpan(placed.size(), spacing, scroll, minX, width, [&](size_t slot, int x0, int x1) {
            std::fill(first + x0, first + x1, colourAt(slot));
            from = std::min(from, x0);
            to = std::max(to, x1);
        });
        for (int y = 1; y < thickness && from < to; ++y)
            std::copy(first + from, first + to, reinterpret_cast<uint32_t*>(image->scanLine(top + y)) + from);
    } else {
        forEachLeafSpan(placed.size(), spacing, scroll, minX, width, [&](size_t slot, int x0, int x1) {
            p.fillRect(x0, top, x1 - x0, thickness, QColor::fromRgb(colourAt(slot)));
        });
    }
}

void paintVerticalStrip(QPainter& p, const ClassStrip& strip, const CForest& forest, const std::vector<int>& rows,
                        int left, int top, int cell, int thickness)
{
    for (size_t i = 0; i < rows.size(); ++i)
        p.fillRect(left, top + static_cast<int>(i) * cell, thickness, cell,
                   qcolor(strip.colorOf(forest.dataIndex(rows[i]))));
}

namespace {
QFont legendFont()
{
    QFont f("Arial");
    f.setPixelSize(12);
    return f;
}
int legendLineHeight() { return QFontMetrics(legendFont()).height() + 3; }
} // namespace

int stripLegendsHeight(int strips) { return strips > 0 ? strips * legendLineHeight() + 4 : 0; }

StripLegendLayout layoutStripLegends(const std::vector<const ClassStrip*>& strips,
                                     const std::vector<const CForest*>& forests, int maxWidth)
{
    StripLegendLayout layout;
    const QFontMetrics fm(legendFont());
    const int box = fm.ascent() - 1;
    layout.box = box;
    layout.ascent = fm.ascent();
    for (size_t i = 0; i < strips.size(); ++i) {
        StripLegendLayout::Line line;
        line.title = QString::fromStdString(strips[i]->m_strName) + ":";
        std::vector<int> elements;
        if (i < forests.size() && forests[i])
            for (int pos = 0; pos < forests[i]->m_nLeaves; ++pos)
                elements.push_back(forests[i]->dataIndex(pos));
        line.titleWidth = fm.horizontalAdvance(line.title);
        int width = line.titleWidth;
        for (const LegendEntry& e : stripLegend(*strips[i], elements)) {
            StripLegendLayout::Entry entry;
            entry.text = QString::fromStdString(e.m_strName) + QString(" (%1)").arg(e.m_nCount);
            entry.colour = qcolor(e.m_colour);
            entry.width = fm.horizontalAdvance(entry.text);
            width += 8 + box + 3 + entry.width;
            line.entries.push_back(std::move(entry));
        }
        layout.widest = std::max(layout.widest, std::min(width, maxWidth));
        layout.lines.push_back(std::move(line));
    }
    return layout;
}

bool StripLegendCache::matches(unsigned long long resultsRevision, const std::vector<const ClassStrip*>& strips,
                               const std::vector<const CForest*>& forests, int maxWidth) const
{
    if (!m_bValid || resultsRevision != m_nRevision || maxWidth != m_nMaxWidth || forests != m_forests ||
        strips.size() != m_strips.size())
        return false;
    for (size_t i = 0; i < strips.size(); ++i)
        if (!(*strips[i] == m_strips[i]))
            return false;
    return true;
}

const StripLegendLayout& StripLegendCache::layout(unsigned long long resultsRevision,
                                                  const std::vector<const ClassStrip*>& strips,
                                                  const std::vector<const CForest*>& forests, int maxWidth)
{
    if (!matches(resultsRevision, strips, forests, maxWidth)) {
        m_layout = layoutStripLegends(strips, forests, maxWidth);
        m_bValid = true;
        m_nRevision = resultsRevision;
        m_strips.clear();
        for (const ClassStrip* s : strips)
            m_strips.push_back(*s);
        m_forests = forests;
        m_nMaxWidth = maxWidth;
        ++m_nLayouts;
    }
    return m_layout;
}

int paintStripLegends(QPainter& p, const StripLegendLayout& layout, QPoint corner, bool rightAligned)
{
    if (layout.lines.empty())
        return 0;
    const QFont f = legendFont();
    const int lineH = legendLineHeight(), box = layout.box;
    const int widest = layout.widest;
    const int x0 = rightAligned ? corner.x() - widest - 8 : corner.x();
    const int height = stripLegendsHeight(static_cast<int>(layout.lines.size()));
    p.fillRect(x0, corner.y(), widest + 8, height, QColor(255, 255, 255, 230));
    p.setFont(f);
    int y = corner.y() + 2;
    for (const StripLegendLayout::Line& l : layout.lines) {
        int x = x0 + 4;
        const int right = x0 + 4 + widest;
        const int base = y + layout.ascent + 1;
        p.setPen(Qt::black);
        p.drawText(x, base, l.title);
        x += l.titleWidth;
        for (const StripLegendLayout::Entry& e : l.entries) {
            if (x + 8 + box + 3 + e.width > right)
                break;
            x += 8;
            p.fillRect(x, base - box, box, box, e.colour);
            p.setPen(QColor(90, 90, 90));
            p.drawRect(x, base - box, box - 1, box - 1);
            x += box + 3;
            p.setPen(Qt::black);
            p.drawText(x, base, e.text);
            x += e.width;
        }
        y += lineH;
    }
    return height;
}
