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
    forEachLeafSpan(placed.size(), spacing, scroll, minX, width, [&](size_t slot, int x0, int x1) {
        const Rgb c = strip.colorOf(forest.dataIndex(placed[slot]));
        if (direct) {
            const uint32_t argb = argbOf(c);
            for (int y = top; y < top + thickness; ++y) {
                uint32_t* line = reinterpret_cast<uint32_t*>(image->scanLine(y));
                std::fill(line + x0, line + x1, argb);
            }
        } else {
            p.fillRect(x0, top, x1 - x0, thickness, qcolor(c));
        }
    });
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

int paintStripLegends(QPainter& p, const std::vector<const ClassStrip*>& strips,
                      const std::vector<const CForest*>& forests, QPoint corner, bool rightAligned, int maxWidth)
{
    if (strips.empty())
        return 0;
    const QFont f = legendFont();
    const QFontMetrics fm(f);
    const int lineH = legendLineHeight(), box = fm.ascent() - 1;
    struct Line {
        QString title;
        std::vector<LegendEntry> entries;
        int width = 0;
    };
    std::vector<Line> lines;
    int widest = 0;
    for (size_t i = 0; i < strips.size(); ++i) {
        Line l;
        l.title = QString::fromStdString(strips[i]->m_strName) + ":";
        std::vector<int> elements;
        if (i < forests.size() && forests[i])
            for (int pos = 0; pos < forests[i]->m_nLeaves; ++pos)
                elements.push_back(forests[i]->dataIndex(pos));
        l.entries = stripLegend(*strips[i], elements);
        l.width = fm.horizontalAdvance(l.title);
        for (const LegendEntry& e : l.entries)
            l.width += 8 + box + 3 +
                       fm.horizontalAdvance(QString::fromStdString(e.m_strName) + QString(" (%1)").arg(e.m_nCount));
        l.width = std::min(l.width, maxWidth);
        widest = std::max(widest, l.width);
        lines.push_back(std::move(l));
    }
    const int x0 = rightAligned ? corner.x() - widest - 8 : corner.x();
    const int height = stripLegendsHeight(static_cast<int>(lines.size()));
    p.fillRect(x0, corner.y(), widest + 8, height, QColor(255, 255, 255, 230));
    p.setFont(f);
    int y = corner.y() + 2;
    for (const Line& l : lines) {
        int x = x0 + 4;
        const int right = x0 + 4 + widest;
        const int base = y + fm.ascent() + 1;
        p.setPen(Qt::black);
        p.drawText(x, base, l.title);
        x += fm.horizontalAdvance(l.title);
        for (const LegendEntry& e : l.entries) {
            const QString text = QString::fromStdString(e.m_strName) + QString(" (%1)").arg(e.m_nCount);
            if (x + 8 + box + 3 + fm.horizontalAdvance(text) > right)
                break;
            x += 8;
            p.fillRect(x, base - box, box, box, qcolor(e.m_colour));
            p.setPen(QColor(90, 90, 90));
            p.drawRect(x, base - box, box - 1, box - 1);
            x += box + 3;
            p.setPen(Qt::black);
            p.drawText(x, base, text);
            x += fm.horizontalAdvance(text);
        }
        y += lineH;
    }
    return height;
}
