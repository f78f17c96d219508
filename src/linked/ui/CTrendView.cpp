#include "linked/ui/CTrendView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/CArxDoc.h"
#include "app/ui/PictureExport.h"
#include "app/ui/ViewImage.h"
#include "data/DataMatrix.h"
#include "linked/ProfileSearch.h"

namespace {

// The pixel y of every variable of an item.
void itemPoints(const CProfileSearch& s, const TrendMapping& map, int row, std::vector<QPointF>& pts)
{
    const DataMatrix& d = *s.data();
    const float* v = d.rowValues(row);
    const float* w = d.rowWeights(row);
    const int n = s.variableCount();
    pts.resize(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        pts[static_cast<size_t>(k)] = QPointF(map.xOf(k), map.yOf(v[k], w[k] == -1.0f));
}

// A line through the defined values (NaN breaks it); single points as dots.
void drawDefinedLine(QPainter& p, const TrendMapping& map, const std::vector<float>& values)
{
    std::vector<QPointF> run;
    auto flush = [&] {
        if (run.size() == 1)
            p.drawEllipse(run.front(), 2.5, 2.5);
        else if (run.size() > 1)
            p.drawPolyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    for (size_t k = 0; k < values.size(); ++k) {
        if (std::isnan(values[k]))
            flush();
        else
            run.emplace_back(map.xOf(static_cast<int>(k)), map.yOf(values[k]));
    }
    flush();
}

void drawEnvelope(QPainter& p, const TrendMapping& map, const std::vector<float>& low, const std::vector<float>& high,
                  const QColor& colour)
{
    QPolygonF poly;
    for (size_t k = 0; k < high.size(); ++k)
        poly << QPointF(map.xOf(static_cast<int>(k)), map.yOf(high[k]));
    for (size_t k = low.size(); k-- > 0;)
        poly << QPointF(map.xOf(static_cast<int>(k)), map.yOf(low[k]));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(poly);
    p.setBrush(Qt::NoBrush);
}

// The band between ceilings and floors: at a constrained variable from its
// ceiling (or the top) down to its floor (or the bottom), joined across
// neighbouring constrained variables.
void drawBand(QPainter& p, const CProfileSearch& s, const TrendMapping& map, const QColor& colour)
{
    const std::vector<float>& c = s.ceilings();
    const std::vector<float>& f = s.floors();
    const int n = s.variableCount();
    auto constrained = [&](int k) { return !std::isnan(c[static_cast<size_t>(k)]) || !std::isnan(f[static_cast<size_t>(k)]); };
    auto top = [&](int k) { return std::isnan(c[static_cast<size_t>(k)]) ? map.top() : map.yOf(c[static_cast<size_t>(k)]); };
    auto bottom = [&](int k) { return std::isnan(f[static_cast<size_t>(k)]) ? map.bottom() : map.yOf(f[static_cast<size_t>(k)]); };
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int k = 0; k < n;) {
        if (!constrained(k)) {
            ++k;
            continue;
        }
        int e = k;
        while (e + 1 < n && constrained(e + 1))
            ++e;
        QPolygonF poly;
        if (e == k) {
            const double x = map.xOf(k);
            poly << QPointF(x - 3, top(k)) << QPointF(x + 3, top(k)) << QPointF(x + 3, bottom(k)) << QPointF(x - 3, bottom(k));
        } else {
            for (int j = k; j <= e; ++j)
                poly << QPointF(map.xOf(j), top(j));
            for (int j = e; j >= k; --j)
                poly << QPointF(map.xOf(j), bottom(j));
        }
        p.drawPolygon(poly);
        k = e + 1;
    }
    p.setBrush(Qt::NoBrush);
}

// Ceiling and floor lines with a small grip (a triangle pointing into the
// band) at every constrained variable.
void drawLimits(QPainter& p, const TrendMapping& map, const std::vector<float>& limits, const QColor& colour, bool ceiling)
{
    p.setPen(QPen(colour, 2));
    drawDefinedLine(p, map, limits);
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    for (size_t k = 0; k < limits.size(); ++k) {
        if (std::isnan(limits[k]))
            continue;
        const double x = map.xOf(static_cast<int>(k)), y = map.yOf(limits[k]);
        const double d = ceiling ? 5.0 : -5.0;
        const QPointF tri[3] = {QPointF(x - 4, y - d), QPointF(x + 4, y - d), QPointF(x, y)};
        p.drawPolygon(tri, 3);
    }
    p.setBrush(Qt::NoBrush);
}

} // namespace

namespace {

// Frame, the data range and the silhouettes: everything under the lines.
void drawUnderLines(QPainter& p, const CProfileSearch& s, const TrendMapping& map, const TrendStyle& style)
{
    p.fillRect(0, 0, map.m_nWidth, map.m_nHeight, Qt::white);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(QRectF(TrendMapping::kMarginX, map.top(), map.m_nWidth - 2 * TrendMapping::kMarginX, map.plotHeight()));
    if (!s.data() || s.variableCount() == 0)
        return;
    p.setPen(Qt::black);
    QFont font("Arial");
    font.setPixelSize(10);
    p.setFont(font);
    p.drawText(QRectF(0, map.top() - 6, TrendMapping::kMarginX - 2, 12), Qt::AlignRight | Qt::AlignVCenter,
               QString::asprintf("%.2f", s.dataMax()));
    p.drawText(QRectF(0, map.bottom() - 6, TrendMapping::kMarginX - 2, 12), Qt::AlignRight | Qt::AlignVCenter,
               QString::asprintf("%.2f", s.dataMin()));
    if (style.silhouette) {
        std::vector<float> low, high;
        if (s.envelope(false, low, high))
            drawEnvelope(p, map, low, high, style.allEnvelope);
        if (s.envelope(true, low, high))
            drawEnvelope(p, map, low, high, style.matchedEnvelope);
    }
}

// The band, the ceilings and floors and the model: everything over the lines.
void drawOverLines(QPainter& p, const CProfileSearch& s, const TrendMapping& map, const TrendStyle& style)
{
    if (!s.data() || s.variableCount() == 0)
        return;
    p.setRenderHint(QPainter::Antialiasing, true);
    if (style.showConstraints) {
        QColor band = style.band;
        band.setAlpha(150);
        drawBand(p, s, map, band);
        drawLimits(p, map, s.ceilings(), style.ceiling, true);
        drawLimits(p, map, s.floors(), style.floor, false);
    }
    if (style.showModel && s.hasModel()) {
        p.setPen(QPen(style.model, 2));
        p.setBrush(style.model);
        drawDefinedLine(p, map, s.model());
        for (size_t k = 0; k < s.model().size(); ++k)
            if (!std::isnan(s.model()[k]))
                p.drawEllipse(QPointF(map.xOf(static_cast<int>(k)), map.yOf(s.model()[k])), 2.5, 2.5);
        p.setBrush(Qt::NoBrush);
    }
}

// The order and colour of the lines: items outside the candidates,
// unmatched candidates, matched ones on top.
template <typename DrawItem>
void forEachLine(const CProfileSearch& s, const TrendStyle& style, DrawItem draw)
{
    const std::vector<int>& cand = s.candidates();
    const int matched = s.matchedCount();
    if (static_cast<int>(cand.size()) < s.itemCount()) {
        std::vector<char> inside(static_cast<size_t>(s.itemCount()), 0);
        for (int r : cand)
            inside[static_cast<size_t>(r)] = 1;
        for (int r = 0; r < s.itemCount(); ++r)
            if (!inside[static_cast<size_t>(r)])
                draw(r, style.outside);
    }
    for (size_t i = static_cast<size_t>(matched); i < cand.size(); ++i)
        draw(cand[i], style.unmatched);
    for (size_t i = 0; i < static_cast<size_t>(matched); ++i)
        draw(cand[i], style.matched);
}

// A one-pixel line straight into 32-bit pixels, both ends inside the
// image: one pixel per step along the longer axis, the other coordinate in
// 16.16 fixed point.
inline void plotLine(uint32_t* bits, qsizetype stride, int x0, int y0, int x1, int y1, uint32_t colour)
{
    const int dx = x1 - x0, dy = y1 - y0;
    const int adx = std::abs(dx), ady = std::abs(dy);
    if (ady >= adx) {
        if (ady == 0) {
            bits[y0 * stride + x0] = colour;
            return;
        }
        const int sy = dy > 0 ? 1 : -1;
        const int inc = static_cast<int>((static_cast<long long>(dx) << 16) / ady);
        int x = (x0 << 16) + 0x8000;
        uint32_t* row = bits + y0 * stride;
        const qsizetype step = sy * stride;
        for (int i = 0; i <= ady; ++i, row += step, x += inc)
            row[x >> 16] = colour;
    } else {
        const int sx = dx > 0 ? 1 : -1;
        const int inc = static_cast<int>((static_cast<long long>(dy) << 16) / adx);
        int y = (y0 << 16) + 0x8000;
        for (int i = 0, xi = x0; i <= adx; ++i, xi += sx, y += inc)
            bits[(y >> 16) * stride + xi] = colour;
    }
}

} // namespace

void drawTrendPlot(QPainter& p, const CProfileSearch& s, const TrendMapping& map, const TrendStyle& style)
{
    drawUnderLines(p, s, map, style);
    if (s.data() && s.variableCount() > 0) {
        std::vector<QPointF> pts;
        p.setRenderHint(QPainter::Antialiasing, false);
        forEachLine(s, style, [&](int row, const QColor& colour) {
            itemPoints(s, map, row, pts);
            p.setPen(QPen(colour, 0));
            p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
        });
    }
    drawOverLines(p, s, map, style);
}

void drawTrendImage(QImage& image, const CProfileSearch& s, const TrendMapping& map, const TrendStyle& style)
{
    {
        QPainter p(&image);
        drawUnderLines(p, s, map, style);
    }
    const int n = s.variableCount();
    if (s.data() && n > 0 && image.format() == QImage::Format_RGB32) {
        // Lines written straight into the pixels: 20000 polylines stay
        // within the budget of one redraw. On a high-density screen they
        // are drawn in the image's own, finer pixels.
        const int w = image.width(), h = image.height();
        const double dpr = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
        std::vector<int> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            xs[static_cast<size_t>(k)] = std::clamp(static_cast<int>(std::lround(map.xOf(k) * dpr)), 0, w - 1);
        uint32_t* bits = reinterpret_cast<uint32_t*>(image.bits());
        const qsizetype stride = image.bytesPerLine() / 4;
        const DataMatrix& d = *s.data();
        // yOf, unrolled: bottom - (v - min) / range x plot height.
        const double range = static_cast<double>(map.m_fMax) - map.m_fMin;
        const float scale = range > 0.0 ? static_cast<float>(map.plotHeight() * dpr / range) : 0.0f;
        const float bottom = static_cast<float>(map.bottom() * dpr), vmin = map.m_fMin;
        forEachLine(s, style, [&](int row, const QColor& colour) {
            const uint32_t c = colour.rgb();
            const float* v = d.rowValues(row);
            const float* wt = d.rowWeights(row);
            for (int k = 0; k < n; ++k) {
                const float y = wt[k] == -1.0f ? bottom : bottom - (v[k] - vmin) * scale;
                ys[static_cast<size_t>(k)] = std::clamp(static_cast<int>(y + 0.5f), 0, h - 1);
            }
            if (n == 1)
                bits[ys[0] * stride + xs[0]] = c;
            for (int k = 1; k < n; ++k)
                plotLine(bits, stride, xs[static_cast<size_t>(k - 1)], ys[static_cast<size_t>(k - 1)],
                         xs[static_cast<size_t>(k)], ys[static_cast<size_t>(k)], c);
        });
    }
    QPainter p(&image);
    drawOverLines(p, s, map, style);
}

void drawTrendItem(QPainter& p, const CProfileSearch& s, const TrendMapping& map, int row, const QColor& colour,
                   double width)
{
    if (!s.data() || row < 0 || row >= s.itemCount())
        return;
    std::vector<QPointF> pts;
    itemPoints(s, map, row, pts);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(colour, width));
    p.drawPolyline(pts.data(), static_cast<int>(pts.size()));
}

int trendItemAt(const CProfileSearch& s, const TrendMapping& map, double x, double y, double reach)
{
    if (!s.data() || s.variableCount() == 0 || s.itemCount() == 0)
        return -1;
    const int n = s.variableCount();
    const double step = map.xStep();
    int k0 = 0;
    double t = 0.0;
    if (n > 1 && step > 0.0) {
        const double pos = (x - TrendMapping::kMarginX) / step;
        if (pos < -0.5 || pos > n - 0.5)
            return -1;
        k0 = std::clamp(static_cast<int>(std::floor(pos)), 0, n - 2);
        t = std::clamp(pos - k0, 0.0, 1.0);
    }
    const DataMatrix& d = *s.data();
    int best = -1;
    double bestDist = reach;
    bool bestMatched = false;
    for (int r = 0; r < s.itemCount(); ++r) {
        const float* v = d.rowValues(r);
        const float* w = d.rowWeights(r);
        double yr = map.yOf(v[k0], w[k0] == -1.0f);
        if (n > 1)
            yr = (1.0 - t) * yr + t * map.yOf(v[k0 + 1], w[k0 + 1] == -1.0f);
        const double dist = std::fabs(yr - y);
        if (dist > reach)
            continue;
        const bool m = s.isMatched(r);
        if (best < 0 || (m && !bestMatched) || (m == bestMatched && dist < bestDist)) {
            best = r;
            bestDist = dist;
            bestMatched = m;
        }
    }
    return best;
}

// ---------------------------------------------------------------- the view

CTrendView::CTrendView(CProfileSearch& search, QWidget* parent) : QWidget(parent), m_search(search)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
}

TrendMapping CTrendView::mapping() const
{
    return TrendMapping(width(), height(), m_search.variableCount(), m_search.dataMin(), m_search.dataMax());
}

TrendStyle CTrendView::currentStyle() const
{
    TrendStyle s = m_style;
    if (CArxDoc* d = doc())
        s.matched = QColor(d->m_clrSelection.r, d->m_clrSelection.g, d->m_clrSelection.b);
    s.showModel = m_nMethod == kTrendModel;
    s.showConstraints = m_nMethod == kTrendCeilFloor;
    return s;
}

void CTrendView::setMethod(int method)
{
    m_nMethod = method;
    if (method != kTrendCeilFloor)
        setRemovalMode(false);
    updateCursor();
    refresh();
}

void CTrendView::setSilhouette(bool on)
{
    m_style.silhouette = on;
    refresh();
}

void CTrendView::setRemovalMode(bool on)
{
    if (m_bRemoval == on)
        return;
    m_bRemoval = on;
    updateCursor();
    emit removalModeToggled(on);
}

void CTrendView::updateCursor()
{
    if (m_bRemoval)
        setCursor(Qt::ForbiddenCursor);
    else if (m_nMethod == kTrendCeilFloor || m_nMethod == kTrendModel)
        setCursor(Qt::CrossCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CTrendView::setHoveredRow(int row)
{
    if (row == m_nHovered)
        return;
    m_nHovered = row;
    update();
}

void CTrendView::refresh()
{
    m_bStale = true;
    if (m_nHovered >= m_search.itemCount())
        m_nHovered = -1;
    update();
}

bool CTrendView::showsCurrentData() const
{
    if (!m_docSource)
        return true;
    CArxDoc* d = doc();
    return d && d->m_bDataLoaded && d->data() == m_search.data();
}

const QImage& CTrendView::image()
{
    if (m_bStale || viewImageStale(m_image, this, size())) {
        fitViewImage(m_image, this, size());
        // Between closing a document and the next one's hints the search
        // may still point at the old matrix: draw nothing of it.
        if (showsCurrentData())
            drawTrendImage(m_image, m_search, mapping(), currentStyle());
        else
            m_image.fill(Qt::white);
        m_bStale = false;
    }
    return m_image;
}

void CTrendView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, image());
    if (m_nHovered >= 0 && showsCurrentData()) {
        const TrendStyle s = currentStyle();
        drawTrendItem(p, m_search, mapping(), m_nHovered,
                      m_search.isMatched(m_nHovered) ? s.matched : QColor(90, 90, 90), 3.0);
    }
}

void CTrendView::resizeEvent(QResizeEvent*)
{
    m_bStale = true;
}

void CTrendView::showTip(const QPointF& pos, const QPoint& global)
{
    m_strTip = QString::asprintf("%5.2f", mapping().valueAt(pos.y()));
    QToolTip::showText(global, m_strTip, this);
}

void CTrendView::editAt(const QPointF& pos, Qt::MouseButton button)
{
    const TrendMapping map = mapping();
    const std::vector<int> vars = map.variablesNear(pos.x());
    if (vars.empty() || !m_search.data())
        return;
    const float value = map.valueAt(pos.y());
    if (m_nMethod == kTrendModel) {
        if (button != Qt::LeftButton)
            return;
        for (int k : vars)
            m_search.setModelPoint(k, value);
        emit modelEdited();
    } else if (m_nMethod == kTrendCeilFloor) {
        for (int k : vars) {
            if (m_bRemoval) {
                // The constraint nearer to the pointer goes.
                const float c = m_search.ceilings()[static_cast<size_t>(k)];
                const float f = m_search.floors()[static_cast<size_t>(k)];
                const double dc = std::isnan(c) ? 1e30 : std::fabs(map.yOf(c) - pos.y());
                const double df = std::isnan(f) ? 1e30 : std::fabs(map.yOf(f) - pos.y());
                if (dc <= df && !std::isnan(c))
                    m_search.removeCeiling(k);
                else if (!std::isnan(f))
                    m_search.removeFloor(k);
            } else if (button == Qt::LeftButton) {
                m_search.setCeiling(k, value);
            } else if (button == Qt::RightButton) {
                m_search.setFloor(k, value);
            }
        }
        emit constraintsEdited();
    }
}

void CTrendView::mousePressEvent(QMouseEvent* e)
{
    setFocus();
    if (!showsCurrentData())
        return;
    const bool edits = (m_nMethod == kTrendModel && e->button() == Qt::LeftButton) ||
                       (m_nMethod == kTrendCeilFloor && (e->button() == Qt::LeftButton || e->button() == Qt::RightButton));
    if (!edits)
        return;
    m_dragButton = m_bRemoval ? Qt::NoButton : e->button();
    if (!m_bRemoval)
        showTip(e->position(), e->globalPosition().toPoint());
    editAt(e->position(), e->button());
}

void CTrendView::mouseMoveEvent(QMouseEvent* e)
{
    if (m_dragButton != Qt::NoButton) {
        showTip(e->position(), e->globalPosition().toPoint());
        editAt(e->position(), m_dragButton);
        return;
    }
    const int row = showsCurrentData() ? trendItemAt(m_search, mapping(), e->position().x(), e->position().y()) : -1;
    if (row != m_nHovered) {
        setHoveredRow(row);
        emit hoverChanged(row);
    }
}

void CTrendView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragButton = Qt::NoButton;
}

void CTrendView::leaveEvent(QEvent*)
{
    if (m_dragButton == Qt::NoButton)
        setHoveredRow(-1);
}

void CTrendView::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Delete && m_nMethod == kTrendCeilFloor)
        setRemovalMode(!m_bRemoval);
    else if (e->key() == Qt::Key_Escape) {
        setRemovalMode(false);
        m_dragButton = Qt::NoButton;
        QToolTip::hideText();
    } else if (e->matches(QKeySequence::Copy))
        copyToClipboard();
    else if (e->key() == Qt::Key_Menu)
        popup(mapToGlobal(QPoint(width() / 2, height() / 2)));
    else
        QWidget::keyPressEvent(e);
}

void CTrendView::keyReleaseEvent(QKeyEvent* e)
{
    // A drag ends with Escape released as well as with the button.
    if (e->key() == Qt::Key_Escape)
        m_dragButton = Qt::NoButton;
    QWidget::keyReleaseEvent(e);
}

void CTrendView::contextMenuEvent(QContextMenuEvent* e)
{
    // In Ceil & Floor mode the right button sets floors.
    if (m_nMethod == kTrendCeilFloor && e->reason() == QContextMenuEvent::Mouse)
        return;
    popup(e->globalPos());
}

void CTrendView::popup(const QPoint& global)
{
    QMenu menu(this);
    QAction* model = menu.addAction("Make it a model pattern");
    model->setEnabled(m_nHovered >= 0);
    menu.addSeparator();
    QAction* copy = menu.addAction("Copy Current View");
    QAction* save = menu.addAction("Save Current View");
    QAction* print = menu.addAction("Print Current View");
    const int hovered = m_nHovered;
    QAction* chosen = menu.exec(global);
    if (chosen == model && hovered >= 0)
        emit makeModelRequested(hovered);
    else if (chosen == copy)
        copyToClipboard();
    else if (chosen == save)
        saveWithDialog();
    else if (chosen == print)
        this->print();
}

void CTrendView::copyToClipboard()
{
    const TrendMapping map = mapping();
    const TrendStyle style = currentStyle();
    QApplication::clipboard()->setImage(
        pictureImage(size(), [&](QPainter& p, int, int) { drawTrendPlot(p, m_search, map, style); }));
}

bool CTrendView::savePicture(const QString& path)
{
    const TrendMapping map = mapping();
    const TrendStyle style = currentStyle();
    return savePictureFile(path, size(), [&](QPainter& p, int, int) { drawTrendPlot(p, m_search, map, style); });
}

void CTrendView::saveWithDialog()
{
    const QString path = askPicturePath(this, "Save the current view in a bmp file");
    if (!path.isEmpty())
        savePicture(path);
}

void CTrendView::print()
{
    const TrendMapping map = mapping();
    const TrendStyle style = currentStyle();
    printPictureDialog(this, size(), [&](QPainter& p, int, int) { drawTrendPlot(p, m_search, map, style); });
}
